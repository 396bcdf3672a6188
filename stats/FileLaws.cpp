#include "stats/FileLaws.h"

#include <algorithm>

#include "stats/ArchiveSummary.h"
#include "stats/Laws.h"

namespace kalvor {
namespace {

// The laws worth keeping: those whose sums cost more than looking them up. The time
// on one side and the absence are sums of at most m terms and depend on the value
// seen as much as on the length; they are computed each time.
enum CachedLaw : unsigned { kLongest, kHot, kCold };

template <typename Compute>
double cached(LawCache* cache, CachedLaw law, uint64_t a, uint64_t b, Compute compute) {
    return cache ? cache->get(law, a, b, compute) : compute();
}

}  // namespace

double numbersChiSquare(const std::array<uint64_t, 37>& counts, uint64_t throws) {
    const double expected = static_cast<double>(throws) / 37;
    double sum = 0;
    for (uint64_t c : counts) {
        const double d = static_cast<double>(c) - expected;
        sum += d * d;
    }
    return sum / expected;
}

const std::vector<double>& thirdsLaw() {
    static const std::vector<double> law = occupancyLaw(37);
    return law;
}

FileLaws fileLaws(const SideTally& side, const NumberTally& numbers, LawCache* cache) {
    FileLaws f;
    f.steps = side.steps();
    f.returns = side.returns();
    f.series = side.series();
    f.longestLeft = side.longestLeft();
    f.longestRight = side.longestRight();
    f.longestAlternation = side.longestAlternation();
    f.timeRight = side.timeRight();
    const uint64_t m = f.steps;
    if (m > 0) {
        f.logPSeries = logTwoSided(seriesTails(side.left(), side.right(), f.series));
        const uint64_t longest = std::max(f.longestLeft, f.longestRight);
        f.logPLongest = cached(cache, kLongest, m, longest, [&] { return logLongestAtLeast(m, longest); });
        f.logPAlternation = cached(cache, kLongest, m, f.longestAlternation,
                                   [&] { return logLongestAtLeast(m, f.longestAlternation); });
        f.logPTime = logTimeTwoSided(m / 2, f.timeRight);
    }

    const uint64_t n = f.numbers = numbers.throws();
    if (n == 0) return f;
    const auto& counts = numbers.counts();
    if (n >= kFewestForChiSquare) {
        f.chiSquare = numbersChiSquare(counts, n);
        f.logPNumbers = logUpperGamma(18, f.chiSquare / 2);
    }
    f.hottest = static_cast<unsigned>(std::max_element(counts.begin(), counts.end()) - counts.begin());
    f.coldest = static_cast<unsigned>(std::min_element(counts.begin(), counts.end()) - counts.begin());
    f.hotCount = counts[f.hottest];
    f.coldCount = counts[f.coldest];
    f.logPHot = cached(cache, kHot, n, f.hotCount, [&] { return logMaxCountAtLeast(n, f.hotCount); });
    f.logPCold = cached(cache, kCold, n, f.coldCount, [&] { return logMinCountAtMost(n, f.coldCount); });
    for (unsigned x = 0; x < 37; ++x)
        if (numbers.longestAbsence(x) > f.longestAbsence) {
            f.longestAbsence = numbers.longestAbsence(x);
            f.absent = x;
        }
    f.logPAbsence = std::min(0.0, std::log(37.0) + logAbsenceAtLeast(n, f.longestAbsence));
    if ((f.different = numbers.differentInFirst37())) {
        const std::vector<double>& law = thirdsLaw();
        double atMost = 0, atLeast = 0;
        for (unsigned d = 0; d < law.size(); ++d) (d <= *f.different ? atMost : atLeast) += law[d];
        atLeast += law[*f.different];
        f.logPDifferent = logTwoSided({std::log(atMost), std::log(atLeast)});
    }
    return f;
}

}  // namespace kalvor
