#include "app/FigureTexts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>

#include "app/ChanceTexts.h"
#include "app/LayoutTable.h"
#include "core/NumberText.h"

namespace kalvor {
namespace {

uint64_t magnitude(int64_t n) { return n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n); }

// value * 10^shift with four significant digits in the shortest form, as "%.4g"
// writes it. Rounded half up from the value taken to twelve digits, which is about
// what the logarithms keep: an exact half that a walk's probability can be (7/32 =
// 0.21875, 25/32 = 0.78125) is exact at twelve digits and so rounds up whatever the
// last bits of its double, never half up here and half down there.
std::string fourDigits(double value, long long shift) {
    char buf[64];
    const char* const end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 11).ptr;
    const char* e = std::find(static_cast<const char*>(buf), end, 'e');
    long long exponent = 0;
    std::from_chars(e[1] == '+' ? e + 2 : e + 1, end, exponent);
    exponent += shift;
    std::string digits{buf[0], buf[2], buf[3], buf[4]};
    if (buf[5] >= '5') {
        size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
        if (i == 0) {
            digits = "1000";
            ++exponent;
        } else {
            ++digits[i - 1];
        }
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string text;
    if (exponent < -4 || exponent >= 4) {
        text.push_back(digits[0]);
        if (digits.size() > 1) {
            text.push_back('.');
            text.append(digits, 1);
        }
        text.append(exponent < 0 ? "e-" : "e+");
        const unsigned long long magnitude =
            exponent < 0 ? 0ULL - static_cast<unsigned long long>(exponent) : static_cast<unsigned long long>(exponent);
        if (magnitude < 10) text.push_back('0');
        text.append(integerText(magnitude));
        return text;
    }
    if (exponent < 0) {
        text.append("0.");
        text.append(static_cast<size_t>(-exponent - 1), '0');
        text.append(digits);
        return text;
    }
    const size_t whole = static_cast<size_t>(exponent) + 1;
    text.append(digits, 0, std::min(whole, digits.size()));
    if (digits.size() <= whole) {
        text.append(whole - digits.size(), '0');
    } else {
        text.push_back('.');
        text.append(digits, whole);
    }
    return text;
}

}  // namespace

std::vector<std::string> valueColumns(EvenChance chance) {
    std::vector<std::string> columns;
    for (std::string_view label : kValueLabels)
        columns.push_back(sideCaption(layoutRow(label)->accessibleName, chance));
    return columns;
}

std::array<std::string, kValueLabels.size()> valueTexts(const WalkFigures& w) {
    // A label the run never wrote stays empty in the window: the count of a side
    // without a throw of that side, the touches while there is none, and every figure
    // of the position before a throw counted it.
    const auto shown = [](bool written, auto n) { return written ? integerText(n) : std::string(); };
    const bool counted = w.areaLeft + w.areaRight + w.touches > 0;
    return {shown(w.throws > 0, w.throws), shown(w.left > 0, w.left),       shown(w.right > 0, w.right),
            shown(counted, w.areaLeft),    shown(counted, w.areaRight),     shown(counted, magnitude(w.low)),
            shown(counted, w.high),        shown(w.touches > 0, w.touches), shown(counted, w.position)};
}

std::string probabilityText(double logP) {
    if (std::isnan(logP)) return {};
    if (logP == -std::numeric_limits<double>::infinity()) return "0";
    if (logP > -690) return fourDigits(std::exp(logP), 0);  // e^-690 is about 1e-300, well inside the doubles
    // Below the doubles: mantissa and exponent from the decimal logarithm.
    const double decimal = logP / std::numbers::ln10;
    const auto exponent = static_cast<long long>(std::floor(decimal));
    return fourDigits(std::pow(10.0, decimal - static_cast<double>(exponent)), exponent);
}

std::array<std::string, kFairChanceCount> probabilityTexts(const WalkFigures& walk) {
    std::array<std::string, kFairChanceCount> texts;
    if (const auto chances = fairChances(walk))
        for (size_t i = 0; i < texts.size(); ++i) texts[i] = probabilityText((*chances)[i]);
    return texts;
}

std::vector<std::string> lawColumns(EvenChance chance) {
    static constexpr std::array<std::string_view, kLawColumnCount> kColumns{
        "Schritte",
        "Rückkehren",
        "Serien",
        "P Serien",
        "Längste Serie Rot",
        "Längste Serie Schwarz",
        "P Längste Serie",
        "Längste Intermittenz",
        "P Längste Intermittenz",
        "Zeit Schwarz",
        "P Zeit",
        "Zahlen",
        "Chi-Quadrat Zahlen",
        "P Zahlen",
        "Heißeste Zahl",
        "Treffer heiß",
        "P Heißeste",
        "Kälteste Zahl",
        "Treffer kalt",
        "P Kälteste",
        "Ausbleiber Zahl",
        "Längster Ausbleiber",
        "P Ausbleiber",
        "Verschiedene in 37",
        "P Drittel",
    };
    std::vector<std::string> columns;
    for (std::string_view column : kColumns) columns.push_back(sideCaption(column, chance));
    return columns;
}

std::vector<std::string> lawTexts(const FileLaws& f) {
    std::vector<std::string> t{integerText(f.steps),
                               integerText(f.returns),
                               integerText(f.series),
                               probabilityText(f.logPSeries),
                               integerText(f.longestLeft),
                               integerText(f.longestRight),
                               probabilityText(f.logPLongest),
                               integerText(f.longestAlternation),
                               probabilityText(f.logPAlternation),
                               integerText(f.timeRight),
                               probabilityText(f.logPTime),
                               integerText(f.numbers),
                               std::isnan(f.chiSquare) ? std::string() : fixedText(f.chiSquare, 2),
                               probabilityText(f.logPNumbers)};
    const bool thrown = f.numbers > 0;
    const auto count = [&](uint64_t n) { return thrown ? integerText(n) : std::string(); };
    for (const std::string& cell :
         {count(f.hottest), count(f.hotCount), probabilityText(f.logPHot), count(f.coldest), count(f.coldCount),
          probabilityText(f.logPCold), count(f.absent), count(f.longestAbsence), probabilityText(f.logPAbsence),
          f.different ? integerText(*f.different) : std::string(), probabilityText(f.logPDifferent)})
        t.push_back(cell);
    return t;
}

std::string testName(ArchiveTest test, EvenChance chance) {
    switch (test) {
    case ArchiveTest::Balance:
        return "Gleichgewicht " + std::string(leftName(chance)) + " – " + std::string(rightName(chance)) + " (Gesamt)";
    case ArchiveTest::Numbers: return "Die 37 Zahlen";
    case ArchiveTest::SeriesCount: return "Zahl der Serien (Gesamt)";
    case ArchiveTest::SeriesLaw: return "Gesetz der Serien";
    case ArchiveTest::Deviations: return "Abweichungen der Dateien";
    case ArchiveTest::Blocks: return "Verschiedene Zahlen in Blöcken von 37 Würfen";
    case ArchiveTest::TimeOnSide: return "Zeit auf einer Seite (Gesamt)";
    }
    return {};
}

std::vector<std::vector<std::string>> testRows(const ArchiveVerdict& verdict, EvenChance chance) {
    std::vector<std::vector<std::string>> rows{{"Test", "p-Wert", "Schwelle nach Holm", "Ergebnis"}};
    for (const TestOutcome& t : verdict.tests) {
        if (!t.done) {
            rows.push_back({testName(t.test, chance), "", "", "zu wenige Würfe"});
            continue;
        }
        rows.push_back({testName(t.test, chance), probabilityText(t.logPValue), probabilityText(std::log(t.threshold)),
                        t.rejected ? "spricht dagegen" : "spricht nicht dagegen"});
    }
    return rows;
}

std::string verdictText(const ArchiveVerdict& verdict, EvenChance chance) {
    const TestOutcome* smallest = verdict.smallest();
    if (!smallest) return "Für einen Test sind es zu wenige Würfe.";
    const std::string level = probabilityText(std::log(verdict.level));
    const std::string tests = integerText(verdict.done) + (verdict.done == 1 ? " Test" : " Tests");
    if (!verdict.rejected())
        return "Kein Test spricht gegen einen fairen Kessel (" + tests + " nach Holm auf dem Niveau " + level +
               "; kleinster p-Wert " + probabilityText(smallest->logPValue) + ": " + testName(smallest->test, chance) +
               ").";
    std::string against;
    for (const TestOutcome& t : verdict.tests) {
        if (!t.rejected) continue;
        if (!against.empty()) against += "; ";
        against += testName(t.test, chance) + ", p = " + probabilityText(t.logPValue);
    }
    return "Gegen einen fairen Kessel spricht: " + against + " (" + tests + " nach Holm auf dem Niveau " + level + ").";
}

std::vector<std::string> readingNotes(uint64_t files) {
    // The report's five probability columns and those of the laws' file.
    uint64_t columns = kProbabilityColumns.size();
    for (const std::string& column : lawColumns(EvenChance::RedBlack)) columns += column.starts_with("P ");
    const auto about = [&](uint64_t per) { return integerText((files * per + 50) / 100); };
    return {
        "„P Abweichung“ ist zweiseitig: so weit zu irgendeiner Seite. „P >+ Abweichung“ und „P >- Abweichung“ "
        "gelten nur für eine Seite, die vor dem Hinsehen feststand; sonst gilt die doppelte Zahl, „P Abweichung“.",
        "„P 0-Linie“ misst nur wenige Rückkehren zur Nulllinie: unter 6366 Schritten fällt es nie unter 0.01, und "
        "eine streng wechselnde Serie hat dort etwa 1.",
        "Unter einem fairen Kessel liegt jede dieser Wahrscheinlichkeiten höchstens mit 1 % Wahrscheinlichkeit unter "
        "0.01: bei " +
            integerText(files) + (files == 1 ? " Datei" : " Dateien") + " sind je Spalte etwa " + about(1) +
            " solche Werte zu erwarten, in allen " + integerText(columns) + " Spalten zusammen etwa " + about(columns) +
            ", ohne dass am Kessel etwas wäre. Über das Archiv urteilt das Urteil.",
    };
}

namespace {

// An expected count: two decimals, or four significant digits where it is small.
std::string expectedText(double x) {
    if (x >= 0.01 || x <= 0) return fixedText(x, 2);
    return probabilityText(std::log(x));
}

// The row of a chi-square test, or its reason for not being done.
std::vector<std::string> testRow(std::string name, const ChiSquareTest& t, std::string_view tooFew) {
    if (!t.done) return {name + ": " + std::string(tooFew), "p-Wert", ""};
    name += " (" + integerText(t.classes) + " Klassen, " + integerText(t.degrees) +
            (t.degrees == 1 ? " Freiheitsgrad" : " Freiheitsgrade") + ", Chi-Quadrat " + fixedText(t.chiSquare, 2) +
            ")";
    return {name, "p-Wert", probabilityText(t.logPValue)};
}

}  // namespace

std::vector<std::vector<std::string>> summaryRows(const ArchiveSummary& deviations, const ArchiveLaws& laws,
                                                  const ArchiveVerdict& verdict, EvenChance chance) {
    std::vector<std::vector<std::string>> rows{{"Abweichung ab", "beobachtet", "erwartet"}};
    for (const ArchiveSummary::Line& line : deviations.lines())
        rows.push_back({integerText(line.from), integerText(line.observed), expectedText(line.expected)});
    const ArchiveSummary::Fit f = deviations.fit();
    std::string test = "Chi-Quadrat-Anpassungstest der Werte „P Abweichung“";
    if (!f.done) {
        rows.push_back({test + ": zu wenige Dateien", "p-Wert", ""});
    } else {
        test += " (" + integerText(f.classes) + " Klassen, " + integerText(f.classes - 1) +
                (f.classes == 2 ? " Freiheitsgrad" : " Freiheitsgrade") + ", Chi-Quadrat " + fixedText(f.chiSquare, 2) +
                ")";
        rows.push_back({test, "p-Wert", probabilityText(f.logPValue)});
    }

    rows.emplace_back();
    rows.push_back({"Serienlänge", "beobachtet", "erwartet"});
    for (const ArchiveLaws::SeriesLine& line : laws.seriesLines())
        rows.push_back({integerText(line.length), integerText(line.observed), expectedText(line.expected)});
    rows.push_back(testRow("Chi-Quadrat-Test des Gesetzes der Serien", laws.seriesTest(), "zu wenige Serien"));

    rows.emplace_back();
    rows.push_back({"Verschiedene in 37", "beobachtet", "erwartet"});
    for (const ArchiveLaws::BlockLine& line : laws.blockLines())
        rows.push_back({integerText(line.different), integerText(line.observed), expectedText(line.expected)});
    rows.push_back(testRow("Chi-Quadrat-Test der Blöcke von 37 Würfen", laws.blockTest(), "zu wenige Blöcke"));

    rows.emplace_back();
    rows.push_back({"Zahl", "beobachtet", "erwartet"});
    const double each = static_cast<double>(laws.numberThrows()) / 37;
    for (unsigned x = 0; x < 37; ++x)
        rows.push_back({integerText(x), integerText(laws.numberCounts()[x]), expectedText(each)});
    rows.push_back(testRow("Chi-Quadrat-Test der 37 Zahlen", laws.numbersTest(), "zu wenige Würfe"));

    rows.emplace_back();
    for (std::vector<std::string>& row : testRows(verdict, chance)) rows.push_back(std::move(row));
    rows.emplace_back();
    rows.push_back({verdictText(verdict, chance)});
    return rows;
}

}  // namespace kalvor
