#include "stats/ArchiveLaws.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "stats/FairWalk.h"
#include "stats/FileLaws.h"
#include "stats/Laws.h"

namespace kalvor {
namespace {

constexpr double kFewestPerClass = 5;  // what a class of a test must expect
constexpr double kShown = 1e-6;        // below this, a line nobody reached is left out

// Classes in order, each joined with the next until it expects kFewestPerClass, the last
// joined with the one before when it falls short.
void joinClasses(std::vector<double>& observed, std::vector<double>& expected) {
    std::vector<double> o, e;
    for (size_t k = 0; k < expected.size(); ++k) {
        if (e.empty() || e.back() >= kFewestPerClass) {
            e.push_back(0);
            o.push_back(0);
        }
        e.back() += expected[k];
        o.back() += observed[k];
    }
    if (e.size() > 1 && e.back() < kFewestPerClass) {
        e[e.size() - 2] += e.back();
        o[o.size() - 2] += o.back();
        e.pop_back();
        o.pop_back();
    }
    observed.swap(o);
    expected.swap(e);
}

ChiSquareTest pearson(const std::vector<double>& observed, const std::vector<double>& expected, unsigned lessDegrees) {
    ChiSquareTest test;
    test.classes = static_cast<unsigned>(expected.size());
    if (test.classes < 2 || *std::min_element(expected.begin(), expected.end()) < kFewestPerClass) return test;
    for (size_t k = 0; k < expected.size(); ++k) {
        const double d = observed[k] - expected[k];
        test.chiSquare += d * d / expected[k];
    }
    test.degrees = test.classes - lessDegrees;
    test.logPValue = logUpperGamma(test.degrees / 2.0, test.chiSquare / 2);
    test.done = true;
    return test;
}

uint64_t magnitude(int64_t n) { return n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n); }

}  // namespace

double seriesAtLeast(uint64_t m, uint64_t k) {
    k = std::max<uint64_t>(k, 1);
    if (k > m) return 0;
    return std::ldexp(static_cast<double>(m - k + 2), -static_cast<int>(std::min<uint64_t>(k, 2000)));
}

void ArchiveLaws::add(const SideTally& side, const NumberTally& numbers) {
    ++files_;
    if (side.steps() > 0) ++lengths_[side.steps()];
    for (const auto& [length, count] : side.seriesLengths()) series_[length] += count;
    joined_.append(numbers);
}

std::vector<ArchiveLaws::SeriesLine> ArchiveLaws::seriesLines() const {
    std::vector<SeriesLine> lines;
    const uint64_t longest = series_.empty() ? 0 : series_.rbegin()->first;
    for (uint64_t k = 1; k <= longest; ++k) {
        double expected = 0;
        for (const auto& [m, files] : lengths_)
            expected += static_cast<double>(files) * (seriesAtLeast(m, k) - seriesAtLeast(m, k + 1));
        const auto seen = series_.find(k);
        const uint64_t observed = seen == series_.end() ? 0 : seen->second;
        if (observed == 0 && expected < kShown) {
            // Only lengths seen remain: go on at the next one.
            const auto next = series_.upper_bound(k);
            if (next == series_.end()) break;
            k = next->first - 1;
            continue;
        }
        lines.push_back({k, observed, expected});
    }
    return lines;
}

ChiSquareTest ArchiveLaws::seriesTest() const {
    const auto expectedFrom = [&](uint64_t k) {
        double sum = 0;
        for (const auto& [m, files] : lengths_) sum += static_cast<double>(files) * seriesAtLeast(m, k);
        return sum;
    };
    std::vector<double> observed, expected;
    uint64_t k = 1;
    for (;; ++k) {
        const double here = expectedFrom(k) - expectedFrom(k + 1);
        if (here < kFewestPerClass || expectedFrom(k + 1) < kFewestPerClass) break;
        const auto seen = series_.find(k);
        observed.push_back(seen == series_.end() ? 0.0 : static_cast<double>(seen->second));
        expected.push_back(here);
    }
    double rest = 0;
    for (auto it = series_.lower_bound(k); it != series_.end(); ++it) rest += static_cast<double>(it->second);
    observed.push_back(rest);
    expected.push_back(expectedFrom(k));
    return pearson(observed, expected, 0);
}

std::vector<ArchiveLaws::BlockLine> ArchiveLaws::blockLines() const {
    std::vector<BlockLine> lines;
    const std::vector<double>& law = thirdsLaw();
    const auto& blocks = joined_.blocks();
    const double all = static_cast<double>(std::accumulate(blocks.begin(), blocks.end(), uint64_t{0}));
    for (unsigned d = 1; d < blocks.size(); ++d)
        if (blocks[d] > 0 || law[d] >= kShown) lines.push_back({d, blocks[d], all * law[d]});
    return lines;
}

ChiSquareTest ArchiveLaws::blockTest() const {
    const std::vector<double>& law = thirdsLaw();
    const auto& blocks = joined_.blocks();
    const double all = static_cast<double>(std::accumulate(blocks.begin(), blocks.end(), uint64_t{0}));
    std::vector<double> observed, expected;
    for (unsigned d = 1; d < blocks.size(); ++d) {
        observed.push_back(static_cast<double>(blocks[d]));
        expected.push_back(all * law[d]);
    }
    joinClasses(observed, expected);
    return pearson(observed, expected, 1);
}

ChiSquareTest ArchiveLaws::numbersTest() const {
    ChiSquareTest test;
    test.classes = 37;
    if (numberThrows() < kFewestForChiSquare) return test;
    test.degrees = 36;
    test.chiSquare = numbersChiSquare(numberCounts(), numberThrows());
    test.logPValue = logUpperGamma(18, test.chiSquare / 2);
    test.done = true;
    return test;
}

bool ArchiveVerdict::rejected() const {
    return std::any_of(tests.begin(), tests.end(), [](const TestOutcome& t) { return t.rejected; });
}

const TestOutcome* ArchiveVerdict::smallest() const {
    const TestOutcome* best = nullptr;
    for (const TestOutcome& t : tests)
        if (t.done && (!best || t.logPValue < best->logPValue)) best = &t;
    return best;
}

ArchiveVerdict holmVerdict(const std::array<std::optional<double>, kArchiveTestCount>& logPValues, double level) {
    ArchiveVerdict verdict;
    verdict.level = level;
    std::vector<size_t> order;
    for (size_t i = 0; i < kArchiveTestCount; ++i) {
        TestOutcome& t = verdict.tests[i];
        t.test = static_cast<ArchiveTest>(i);
        if (!logPValues[i]) continue;
        t.done = true;
        t.logPValue = *logPValues[i];
        order.push_back(i);
    }
    verdict.done = static_cast<unsigned>(order.size());
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return verdict.tests[a].logPValue < verdict.tests[b].logPValue; });
    bool rejecting = true;
    for (size_t rank = 0; rank < order.size(); ++rank) {
        TestOutcome& t = verdict.tests[order[rank]];
        t.threshold = level / static_cast<double>(order.size() - rank);
        rejecting = rejecting && t.logPValue <= std::log(t.threshold);
        t.rejected = rejecting;
    }
    return verdict;
}

ArchiveVerdict archiveVerdict(const ArchiveSummary& deviations, const ArchiveLaws& laws, const SideTally& joined,
                              double level) {
    std::array<std::optional<double>, kArchiveTestCount> p;
    const auto set = [&](ArchiveTest test, const ChiSquareTest& t) {
        if (t.done) p[static_cast<size_t>(test)] = t.logPValue;
    };
    const uint64_t m = joined.steps();
    if (m > 0) {
        p[static_cast<size_t>(ArchiveTest::Balance)] = logAbsEndAtLeast(m, magnitude(joined.position()));
        p[static_cast<size_t>(ArchiveTest::SeriesCount)] =
            logTwoSided(seriesTails(joined.left(), joined.right(), joined.series()));
    }
    if (m >= 2) p[static_cast<size_t>(ArchiveTest::TimeOnSide)] = logTimeTwoSided(m / 2, joined.timeRight());
    set(ArchiveTest::Numbers, laws.numbersTest());
    set(ArchiveTest::SeriesLaw, laws.seriesTest());
    set(ArchiveTest::Blocks, laws.blockTest());
    const ArchiveSummary::Fit fit = deviations.fit();
    if (fit.done) p[static_cast<size_t>(ArchiveTest::Deviations)] = fit.logPValue;
    return holmVerdict(p, level);
}

}  // namespace kalvor
