#include "stats/Laws.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

#include "stats/LogTerms.h"

namespace kalvor {
namespace {

constexpr double kNone = -std::numeric_limits<double>::infinity();
// A rest below this share of a sum cannot change the sum's double.
constexpr double kNegligible = 1e-18;

// ln(1 - e^x) for x <= 0, accurate at both ends.
double logOneMinusExp(double x) {
    if (x >= 0) return kNone;
    return x > -std::numbers::ln2 ? std::log(-std::expm1(x)) : std::log1p(-std::exp(x));
}

// ln sum of P(Bin(n, p) = j) from j = k outward (up or down), where the terms fall
// from k on: k lies beyond the mode on that side.
double logBinomialRun(uint64_t n, double p, uint64_t k, bool up) {
    const double q = 1 - p;
    double sum = 0, term = 1;
    for (uint64_t j = k;;) {
        sum += term;
        double ratio;
        if (up) {
            if (j == n) break;
            ratio = static_cast<double>(n - j) / static_cast<double>(j + 1) * (p / q);
            ++j;
        } else {
            if (j == 0) break;
            ratio = static_cast<double>(j) / static_cast<double>(n - j + 1) * (q / p);
            --j;
        }
        term *= ratio;
        // The ratios fall further out, so the rest is below term / (1 - ratio).
        if (term == 0 || (ratio < 1 && term < kNegligible * sum * (1 - ratio))) break;
    }
    return std::min(0.0, logBinomialTerm(n, k, p) + std::log(sum));
}

// A stretch of a distribution on 0, 1, 2, ...: values[i] e^logScale at offset + i.
struct Stretch {
    uint64_t offset = 0;
    std::vector<double> values;
    double logScale = 0;
};

// Values below this share of a stretch's largest are dropped at its ends: what they
// could add to any probability here lies far below the digits it is printed with.
constexpr double kDropped = 1e-40;

// The largest transform the number laws make; beyond it their figure is left open.
constexpr std::size_t kLargestTransform = std::size_t{1} << 22;

void fourier(std::vector<std::complex<double>>& a, const std::vector<std::complex<double>>& roots, bool inverse) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::size_t step = n / len;
        for (std::size_t i = 0; i < n; i += len) {
            for (std::size_t k = 0; k < len / 2; ++k) {
                const std::complex<double> w = inverse ? std::conj(roots[k * step]) : roots[k * step];
                const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

// x * y restricted to the sums lo..hi, trimmed and scaled to a largest value of 1.
// Empty values: nothing of weight there. Throws nothing; false when too large.
bool combine(const Stretch& x, const Stretch& y, uint64_t lo, uint64_t hi, Stretch& out) {
    out = {};
    if (x.values.empty() || y.values.empty()) return true;
    const uint64_t first = x.offset + y.offset, last = first + x.values.size() + y.values.size() - 2;
    lo = std::max(lo, first);
    hi = std::min(hi, last);
    if (lo > hi) return true;
    const std::size_t width = static_cast<std::size_t>(hi - lo + 1);
    std::vector<double> values(width, 0.0);
    const std::size_t shorter = std::min(x.values.size(), y.values.size());
    const std::size_t full = x.values.size() + y.values.size() - 1;
    std::size_t size = 1;
    while (size < full) size <<= 1;
    if (static_cast<double>(width) * static_cast<double>(shorter) <=
        8.0 * static_cast<double>(size) * std::log2(static_cast<double>(size)) + 4096.0) {
        for (std::size_t s = 0; s < width; ++s) {
            const uint64_t sum = lo + s - first;  // index into the full convolution
            const std::size_t from = sum >= y.values.size() - 1 ? static_cast<std::size_t>(sum - (y.values.size() - 1)) : 0;
            const std::size_t to = std::min<uint64_t>(sum, x.values.size() - 1);
            double total = 0;
            for (std::size_t i = from; i <= to; ++i) total += x.values[i] * y.values[static_cast<std::size_t>(sum - i)];
            values[s] = total;
        }
    } else {
        if (size > kLargestTransform) return false;
        std::vector<std::complex<double>> roots(size / 2);
        for (std::size_t k = 0; k < roots.size(); ++k)
            roots[k] = std::polar(1.0, -2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(size));
        std::vector<std::complex<double>> a(size), b(size);
        std::copy(x.values.begin(), x.values.end(), a.begin());
        std::copy(y.values.begin(), y.values.end(), b.begin());
        fourier(a, roots, false);
        fourier(b, roots, false);
        for (std::size_t k = 0; k < size; ++k) a[k] *= b[k];
        fourier(a, roots, true);
        for (std::size_t s = 0; s < width; ++s)
            values[s] = std::max(0.0, a[static_cast<std::size_t>(lo + s - first)].real() / static_cast<double>(size));
    }
    const double top = *std::max_element(values.begin(), values.end());
    if (!(top > 0)) return true;
    std::size_t begin = 0, end = values.size();
    while (values[begin] < kDropped * top) ++begin;
    while (values[end - 1] < kDropped * top) --end;
    out.offset = lo + begin;
    out.values.assign(values.begin() + static_cast<std::ptrdiff_t>(begin), values.begin() + static_cast<std::ptrdiff_t>(end));
    for (double& v : out.values) v /= top;
    out.logScale = x.logScale + y.logScale + std::log(top);
    return true;
}

// n - c * k, or 0 where that would be below 0.
uint64_t lessTimes(uint64_t n, uint64_t c, uint64_t k) {
    if (c != 0 && k > n / c) return 0;
    return n - c * k;
}

// ln P(some count >= c) (beyond) or <= c, where that is small: S1 - S2 <= P <=
// S1 - S2 + S3 (Bonferroni), S1 = cells P(X1 beyond c), S2 = C(cells, 2) P(X1 and
// X2 beyond c) summed exactly over X1, and S3 bounded, since given two counts beyond
// c the third shares at most n - 2c throws (at least, for the smallest). The middle of
// the bounds is returned when they lie within 1e-10 of it; NaN otherwise.
double logBonferroni(uint64_t n, uint64_t c, unsigned cells, bool beyond) {
    if (cells < 3) return std::numeric_limits<double>::quiet_NaN();
    const double dc = cells;
    const auto tail = [&](uint64_t throws, double p) {
        return beyond ? logBinomialAtLeast(throws, p, c) : logBinomialAtMost(throws, p, c);
    };
    const double one = tail(n, 1 / dc), logS1 = std::log(dc) + one;
    if (logS1 > std::log(1e-5)) return std::numeric_limits<double>::quiet_NaN();
    const double logS3 = std::log(dc * (dc - 1) * (dc - 2) / 6) + one + tail(n - c, 1 / (dc - 1)) +
                         (beyond && 2 * c > n ? kNone : tail(n - 2 * c, 1 / (dc - 2)));
    // S2 / C(cells, 2) = sum over j beyond c of P(X1 = j) P(Bin(n - j, 1/(cells-1)) beyond c),
    // from j = c outward, where both factors fall.
    const double p = 1 / dc, q = 1 - p, second = tail(n - c, 1 / (dc - 1));
    if (second == kNone) return logS1;  // no two counts beyond c at once
    double sum = 0, term = 1;
    for (uint64_t j = c;;) {
        const double part = term * std::exp(tail(n - j, 1 / (dc - 1)) - second);
        sum += part;
        if (beyond ? j == n : j == 0) break;
        term *= beyond ? static_cast<double>(n - j) / static_cast<double>(j + 1) * (p / q)
                       : static_cast<double>(j) / static_cast<double>(n - j + 1) * (q / p);
        j = beyond ? j + 1 : j - 1;
        if (term == 0 || part < kNegligible * sum) break;
    }
    const double logS2 = std::log(dc * (dc - 1) / 2) + logBinomialTerm(n, c, p) + second + std::log(sum);
    const double lower = logS1 + std::log1p(-std::exp(logS2 - logS1));
    if (logS3 - lower > std::log(2e-10)) return std::numeric_limits<double>::quiet_NaN();
    return lower + std::log1p(0.5 * std::exp(logS3 - lower));
}

}  // namespace

double logTwoSided(Tails tails) {
    return std::min(0.0, std::numbers::ln2 + std::min(tails.logAtMost, tails.logAtLeast));
}

double logBinomialAtLeast(uint64_t n, double p, uint64_t k) {
    if (k == 0) return 0;
    if (k > n) return kNone;
    if (static_cast<double>(k) > static_cast<double>(n) * p) return logBinomialRun(n, p, k, true);
    return logOneMinusExp(logBinomialRun(n, p, k - 1, false));
}

double logBinomialAtMost(uint64_t n, double p, uint64_t k) {
    if (k >= n) return 0;
    if (static_cast<double>(k) < static_cast<double>(n) * p) return logBinomialRun(n, p, k, false);
    return logOneMinusExp(logBinomialRun(n, p, k + 1, true));
}

Tails seriesTails(uint64_t left, uint64_t right, uint64_t series) {
    const uint64_t a = left, b = right, n = a + b;
    if (a == 0 || b == 0) return {series >= 1 ? 0 : kNone, series <= 1 ? 0 : kNone};
    const uint64_t fewest = 2, most = 2 * std::min(a, b) + (a != b ? 1 : 0);
    if (series < fewest) return {kNone, 0};
    if (series > most) return {0, kNone};
    const double da = static_cast<double>(a), db = static_cast<double>(b), dn = static_cast<double>(n);
    // With k = floor(R/2): P(R = 2k) = 2k^2/(ab) h(k), P(R = 2k+1) = k(n-2k)/(ab) h(k),
    // h the hypergeometric C(a,k) C(b,k) / C(n,a), itself a ratio of binomial terms.
    const auto logTerm = [&](uint64_t r) {
        const uint64_t k = r / 2;
        const double pk = db / dn, dk = static_cast<double>(k);
        const double h = logBinomialTerm(a, k, pk) + logBinomialTerm(b, b - k, pk) - logBinomialTerm(n, b, pk);
        const double factor = r % 2 == 0 ? std::numbers::ln2 + 2 * std::log(dk) : std::log(dn - 2 * dk) + std::log(dk);
        return factor - std::log(da) - std::log(db) + h;
    };
    // The tail away from the mean is summed, the other is its complement.
    const bool down = static_cast<double>(series) <= 1 + 2 * da * db / dn;
    double sum = 0, term = 1;
    int small = 0;
    for (uint64_t r = series;;) {
        sum += term;
        if (down ? r == fewest : r == most) break;
        const double k = static_cast<double>(r / 2);
        double ratio;
        if (down) {
            ratio = r % 2 == 1 ? 2 * k / (dn - 2 * k) : (k - 1) * (dn - 2 * k + 2) / (2 * (da - k + 1) * (db - k + 1));
            --r;
        } else {
            ratio = r % 2 == 0 ? (dn - 2 * k) / (2 * k) : 2 * (da - k) * (db - k) / (k * (dn - 2 * k));
            ++r;
        }
        term *= ratio;
        // Two terms in a row without weight: beyond them the terms of each parity fall
        // faster than geometrically.
        small = term < 1e-20 * sum ? small + 1 : 0;
        if (term == 0 || small == 2) break;
    }
    const double first = logTerm(series);
    const double near = std::min(0.0, first + std::log(sum));
    const double far = sum > 1 ? logOneMinusExp(std::min(0.0, first + std::log(sum - 1))) : 0.0;
    return down ? Tails{near, far} : Tails{far, near};
}

double logRunAtLeast(uint64_t trials, uint64_t length, double q) {
    if (length == 0) return 0;
    if (length > trials) return kNone;
    // p_N = q^g r_N with r_g = 1 and r_j = r_{j-1} + (1-q)(1 - q^g r_{j-g-1}): the first
    // run of g ends at j after a failure at j-g, with no run of g before that failure.
    const double logFirst = static_cast<double>(length) * std::log(q);
    const double slack = static_cast<double>(trials - length) * (1 - q);
    // Up to 2g trials no run of g can end before the failure ahead of the first one;
    // where q^g r_N is far below one the correction cannot change a double.
    if (trials <= 2 * length || logFirst + std::log1p(slack) < std::log(1e-17))
        return std::min(0.0, logFirst + std::log1p(slack));
    const long double first = std::exp(static_cast<long double>(logFirst)), fail = 1 - static_cast<long double>(q);
    // The last g+1 values of r; the one g+1 back is overwritten by the new one.
    std::vector<long double> ring(static_cast<std::size_t>(length) + 1, 0.0L);
    std::size_t slot = static_cast<std::size_t>(length);
    ring[slot] = 1;
    long double r = 1;
    for (uint64_t j = length + 1; j <= trials; ++j) {
        if (++slot == ring.size()) slot = 0;
        r += fail * (1 - first * ring[slot]);
        ring[slot] = r;
    }
    return std::min(0.0, logFirst + static_cast<double>(std::log(r)));
}

double logLongestAtLeast(uint64_t m, uint64_t length) {
    if (length == 0) return 0;
    if (length > m) return kNone;
    return logRunAtLeast(m - 1, length - 1, 0.5);
}

double logTimeTwoSided(uint64_t n, uint64_t above) {
    if (n == 0) return 0;
    const uint64_t k = std::min(above / 2, n), j = std::min(k, n - k);
    // u_{2i} u_{2n-2i} from i = 0, where it is u_{2n}, by the ratio of neighbours.
    const double first = logBinomialTerm(2 * n, n, 0.5);
    const long double dn = static_cast<long double>(n);
    long double sum = 0, term = 1;
    for (uint64_t i = 0;; ++i) {
        sum += term;
        if (i == j) break;
        const long double di = static_cast<long double>(i);
        term *= (2 * di + 1) * (2 * dn - 2 * di) / ((2 * di + 2) * (2 * dn - 2 * di - 1));
    }
    return std::min(0.0, std::numbers::ln2 + first + static_cast<double>(std::log(sum)));
}

double logAllCountsWithin(uint64_t n, uint64_t lo, uint64_t hi, unsigned cells) {
    hi = std::min(hi, n);
    if (lo > hi || lo > n / cells || hi < (n + cells - 1) / cells) return kNone;
    if (lo == 0 && hi == n) return 0;
    if (n == 0) return 0;
    // The counts are independent Poisson counts of mean n/cells given that their sum is
    // n: P = P(sum = n, every count in lo..hi) / P(sum = n), the first a convolution of
    // the Poisson terms cut to lo..hi, taken to the cells-th power by squaring.
    const double mean = static_cast<double>(n) / cells;
    const uint64_t mode = std::clamp(static_cast<uint64_t>(mean), lo, hi);
    Stretch kernel;
    kernel.logScale = logPoissonTerm(mode, mean);
    std::vector<double> below;  // the terms under the mode, outward
    double v = 1;
    for (uint64_t j = mode; j > lo;) {
        v *= static_cast<double>(j) / mean;  // P(j-1) / P(j)
        if (v < kDropped) break;
        below.push_back(v);
        --j;
    }
    kernel.offset = mode - below.size();
    kernel.values.assign(below.rbegin(), below.rend());
    kernel.values.push_back(1);
    v = 1;
    for (uint64_t j = mode; j < hi; ++j) {
        v *= mean / static_cast<double>(j + 1);
        if (v < kDropped) break;
        kernel.values.push_back(v);
    }
    if (kernel.values.size() > kLargestTransform / 8) return std::numeric_limits<double>::quiet_NaN();
    const uint64_t kernelLo = kernel.offset, kernelHi = kernel.offset + kernel.values.size() - 1;
    // The sums a part of c cells can have and still let the others make up n.
    const auto reach = [&](unsigned c, uint64_t& from, uint64_t& to) {
        from = lessTimes(n, cells - c, kernelHi);
        to = lessTimes(n, cells - c, kernelLo);
    };
    Stretch result, power = kernel, next;
    unsigned resultCells = 0, powerCells = 1;
    for (unsigned rest = cells;;) {
        if (rest & 1) {
            if (resultCells == 0) {
                result = power;
            } else {
                uint64_t from, to;
                reach(resultCells + powerCells, from, to);
                if (!combine(result, power, from, to, next)) return std::numeric_limits<double>::quiet_NaN();
                result = std::move(next);
            }
            resultCells += powerCells;
        }
        rest >>= 1;
        if (rest == 0) break;
        uint64_t from, to;
        reach(2 * powerCells, from, to);
        if (!combine(power, power, from, to, next)) return std::numeric_limits<double>::quiet_NaN();
        power = std::move(next);
        powerCells *= 2;
    }
    if (result.values.empty() || n < result.offset || n - result.offset >= result.values.size()) return kNone;
    const double value = result.values[static_cast<std::size_t>(n - result.offset)];
    if (!(value > 0)) return kNone;
    return std::min(0.0, std::log(value) + result.logScale - logPoissonTerm(n, mean * cells));
}

double logMaxCountAtLeast(uint64_t n, uint64_t c, unsigned cells) {
    if (c > n) return kNone;
    if (c <= (n + cells - 1) / cells) return 0;  // some count reaches ceil(n/cells)
    if (const double bounded = logBonferroni(n, c, cells, true); !std::isnan(bounded)) return bounded;
    return logOneMinusExp(logAllCountsWithin(n, 0, c - 1, cells));
}

double logMinCountAtMost(uint64_t n, uint64_t c, unsigned cells) {
    if (c >= n / cells) return 0;  // some count is at most floor(n/cells)
    if (const double bounded = logBonferroni(n, c, cells, false); !std::isnan(bounded)) return bounded;
    return logOneMinusExp(logAllCountsWithin(n, c + 1, n, cells));
}

double logAbsenceAtLeast(uint64_t n, uint64_t g, unsigned cells) {
    return logRunAtLeast(n, g, static_cast<double>(cells - 1) / cells);
}

std::vector<double> occupancyLaw(unsigned draws, unsigned cells) {
    std::vector<double> law(draws + 1, 0.0), next(law.size());
    law[0] = 1;
    const double dc = cells;
    for (unsigned t = 0; t < draws; ++t) {
        std::fill(next.begin(), next.end(), 0.0);
        for (unsigned d = 0; d <= t && d <= cells; ++d) {
            next[d] += law[d] * d / dc;                            // a number seen before
            if (d < cells) next[d + 1] += law[d] * (dc - d) / dc;  // a new one
        }
        law.swap(next);
    }
    return law;
}

CountBand fairCountBand(uint64_t n, double level, unsigned cells) {
    const double tail = std::log((1 - level) / 2);
    CountBand band;
    // hi: the smallest with P(max >= hi + 1) <= tail.
    uint64_t a = (n + cells - 1) / cells, b = n;
    while (a < b) {
        const uint64_t mid = a + (b - a) / 2;
        if (logMaxCountAtLeast(n, mid + 1, cells) <= tail) b = mid;
        else a = mid + 1;
    }
    band.hi = a;
    // lo: the largest with P(min <= lo - 1) <= tail.
    a = 0;
    b = n / cells;
    while (a < b) {
        const uint64_t mid = a + (b - a + 1) / 2;
        if (logMinCountAtMost(n, mid - 1, cells) <= tail) a = mid;
        else b = mid - 1;
    }
    band.lo = a;
    return band;
}

}  // namespace kalvor
