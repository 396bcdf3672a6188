#include "stats/Laws.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "stats/LogTerms.h"

namespace kalvor {
namespace {

constexpr double kNoChance = -std::numeric_limits<double>::infinity();
// A rest below this share of a sum cannot change the sum's double.
constexpr double kNegligible = 1e-18;

// ln(1 - e^x) for x <= 0, accurate at both ends.
double logOneMinusExp(double x) {
    if (x >= 0) return kNoChance;
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

// Values below this share of a stretch's largest are dropped at its ends: together
// they could change a probability here by less than 1e-16, and each is only ever
// used as one minus it or through bounds that are checked.
constexpr double kDropped = 1e-20;

// Inclusion and exclusion serves while mu = cells P(X <= c) stays below this (its
// terms then stay within about e^mu of their sum) and while its work is small.
constexpr double kMostInclusions = 15;
constexpr double kMostInclusionWork = 1e6;

// The largest transform the number laws make; beyond it their figure is left open.
constexpr std::size_t kLargestTransform = std::size_t{1} << 22;

// The discrete Fourier transform in place, radix 2, of n = re.size() points (a power
// of two), with e^(-2 pi i k/n) for k < n/2 given; the inverse without the 1/n.
void fourier(std::vector<double>& re, std::vector<double>& im, const std::vector<double>& cosines,
             const std::vector<double>& sines, bool inverse) {
    const std::size_t n = re.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
    }
    std::vector<double> wr, wi;  // this level's roots, side by side
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::size_t half = len / 2, step = n / len;
        wr.resize(half);
        wi.resize(half);
        for (std::size_t k = 0; k < half; ++k) {
            wr[k] = cosines[k * step];
            wi[k] = inverse ? -sines[k * step] : sines[k * step];
        }
        for (std::size_t i = 0; i < n; i += len) {
            double* ar = re.data() + i;
            double* ai = im.data() + i;
            for (std::size_t k = 0; k < half; ++k) {
                const double tr = ar[k + half] * wr[k] - ai[k + half] * wi[k];
                const double ti = ar[k + half] * wi[k] + ai[k + half] * wr[k];
                ar[k + half] = ar[k] - tr;
                ai[k + half] = ai[k] - ti;
                ar[k] += tr;
                ai[k] += ti;
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
    const bool square = &x == &y;
    const std::size_t shorter = std::min(x.values.size(), y.values.size());
    const std::size_t full = x.values.size() + y.values.size() - 1;
    std::size_t size = 1;
    while (size < full) size <<= 1;
    // Sums taken one by one where that is cheaper than three transforms; the sums of
    // the laws of a day's permanence are all of that kind.
    if (static_cast<double>(width) * static_cast<double>(shorter) <=
        64.0 * static_cast<double>(size) * std::log2(static_cast<double>(size))) {
        // y backwards, so that each sum runs forwards over both; four partial sums
        // keep the additions from waiting for each other.
        const std::vector<double> back(y.values.rbegin(), y.values.rend());
        const std::size_t ny = back.size();
        for (std::size_t s = 0; s < width; ++s) {
            const uint64_t sum = lo + s - first;  // index into the full convolution
            const std::size_t from = sum >= ny - 1 ? static_cast<std::size_t>(sum - (ny - 1)) : 0;
            const std::size_t to = std::min<uint64_t>(sum, x.values.size() - 1);
            const double* a = x.values.data() + from;
            const double* b = back.data() + (ny - 1 - static_cast<std::size_t>(sum - from));
            std::size_t count = to - from + 1;
            // A square has each pair twice: once is enough, and the middle term alone.
            double middle = 0, twice = 1;
            if (square) {
                const std::size_t half = static_cast<std::size_t>(sum / 2);
                count = half - from + (sum % 2);
                if (sum % 2 == 0) middle = x.values[half] * x.values[half];
                twice = 2;
            }
            double t0 = 0, t1 = 0, t2 = 0, t3 = 0;
            std::size_t i = 0;
            for (; i + 4 <= count; i += 4) {
                t0 += a[i] * b[i];
                t1 += a[i + 1] * b[i + 1];
                t2 += a[i + 2] * b[i + 2];
                t3 += a[i + 3] * b[i + 3];
            }
            for (; i < count; ++i) t0 += a[i] * b[i];
            values[s] = twice * ((t0 + t1) + (t2 + t3)) + middle;
        }
    } else {
        if (size > kLargestTransform) return false;
        std::vector<double> cosines(size / 2), sines(size / 2);
        for (std::size_t k = 0; k < cosines.size(); ++k) {
            const double angle = -2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(size);
            cosines[k] = std::cos(angle);
            sines[k] = std::sin(angle);
        }
        // x in the real part, y in the imaginary one: one transform gives both, since
        // X_k = (C_k + conj C_-k)/2 and Y_k = (C_k - conj C_-k)/2i.
        std::vector<double> re(size, 0.0), im(size, 0.0);
        std::copy(x.values.begin(), x.values.end(), re.begin());
        if (!square) std::copy(y.values.begin(), y.values.end(), im.begin());
        fourier(re, im, cosines, sines, false);
        if (square) {
            for (std::size_t k = 0; k < size; ++k) {
                const double r = re[k], i = im[k];
                re[k] = r * r - i * i;
                im[k] = 2 * r * i;
            }
        } else {
            std::vector<double> pr(size), pi(size);
            for (std::size_t k = 0; k < size; ++k) {
                const std::size_t m = (size - k) % size;
                // (c + conj c_m)(c - conj c_m) / 4i
                const double sr = re[k] + re[m], si = im[k] - im[m];
                const double dr = re[k] - re[m], di = im[k] + im[m];
                const double r = sr * dr - si * di, i = sr * di + si * dr;
                pr[k] = i / 4;
                pi[k] = -r / 4;
            }
            re.swap(pr);
            im.swap(pi);
        }
        fourier(re, im, cosines, sines, true);
        for (std::size_t s = 0; s < width; ++s)
            values[s] = std::max(0.0, re[static_cast<std::size_t>(lo + s - first)] / static_cast<double>(size));
    }
    // The largest in four chains, which do not wait for each other.
    double tops[4] = {0, 0, 0, 0};
    for (std::size_t i = 0; i < values.size(); ++i) tops[i % 4] = std::max(tops[i % 4], values[i]);
    const double top = std::max(std::max(tops[0], tops[1]), std::max(tops[2], tops[3]));
    if (!(top > 0)) return true;
    std::size_t begin = 0, end = values.size();
    while (values[begin] < kDropped * top) ++begin;
    while (values[end - 1] < kDropped * top) --end;
    out.offset = lo + begin;
    out.values.resize(end - begin);
    const double scale = 1 / top;
    for (std::size_t i = begin; i < end; ++i) out.values[i - begin] = values[i] * scale;
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
                         (beyond && 2 * c > n ? kNoChance : tail(n - 2 * c, 1 / (dc - 2)));
    // S2 / C(cells, 2) = sum over j beyond c of P(X1 = j) P(Bin(n - j, 1/(cells-1)) beyond c),
    // from j = c outward, where both factors fall.
    const double p = 1 / dc, q = 1 - p, second = tail(n - c, 1 / (dc - 1));
    if (second == kNoChance) return logS1;  // no two counts beyond c at once
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

// ln n!, to the last digits of its size.
double logFactorial(uint64_t n) {
    if (n < 2) return 0;
    const double x = static_cast<double>(n);
    return (x + 0.5) * std::log(x) - x + 0.5 * std::log(2 * std::numbers::pi) + exactStirlingError(n);
}

// ln P(some count <= c) by inclusion and exclusion over the counts that are: the sum
// over j of (-1)^(j+1) C(cells, j) Q_j, Q_j = P(j given counts all <= c). Given that
// their sum is s, j counts are a fair multinomial of s, so Q_j = sum over s of
// P(Bin(n, j/cells) = s) s!/j^s [y^s] e_c(y)^j, e_c the exponential series cut after
// y^c; scaled by rho^s, [y^s] e_c(y)^j is a plain j-th convolution power of the terms
// rho^x / x!, x <= c. The terms are at most C(cells, j) P(X <= c)^j (the counts are
// negatively associated), so the sum is exact while mu = cells P(X <= c) is small,
// and short where P(X <= c) is small: where the smallest count is far below the
// others, as it is. NaN where it does not serve.
double logFewCountsAtMost(uint64_t n, uint64_t c, unsigned cells) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), dc = cells;
    const double one = std::exp(logBinomialAtMost(n, 1 / dc, c));
    if (!(one > 0) || dc * one > kMostInclusions) return nan;
    unsigned last = cells - 1;  // all cells at most c at once cannot be: c < n/cells
    for (double bound = 1, j = 1; j < dc; ++j) {
        bound *= (dc - j + 1) / j * one;
        if (bound < 1e-18 * one) {
            last = static_cast<unsigned>(j);
            break;
        }
    }
    // rho^x / x! from x = c down, relative to its value at c, which rises with x.
    const double rho = static_cast<double>(n) / dc;
    std::vector<double> down{1};
    for (double v = 1, x = static_cast<double>(c); x > 0 && (v *= x / rho) >= kDropped; --x) down.push_back(v);
    Stretch kernel;
    kernel.logScale = static_cast<double>(c) * std::log(rho) - logFactorial(c);
    kernel.offset = c + 1 - down.size();
    kernel.values.assign(down.rbegin(), down.rend());
    const std::vector<double>& e = kernel.values;
    const double width = static_cast<double>(e.size());
    if (static_cast<double>(last) * last * width * width > kMostInclusionWork) return nan;

    Stretch h = kernel;
    std::vector<double> next;
    uint64_t fallen = 0;  // ln(n(n-1)...(n-s+1)/n^s) is kept for s = fallen
    double logFalling = 0, sum = 0, choose = 1;
    for (unsigned j = 1; j <= last; ++j) {
        choose *= (dc - j + 1) / j;
        if (j > 1) {
            // h * e, cut at n throws, scaled to a largest of 1; the short kernel
            // outside and the long h inside, where the loop vectorises.
            if (h.offset + kernel.offset > n) break;
            const size_t size = std::min<uint64_t>(h.values.size() + e.size() - 1, n - h.offset - kernel.offset + 1);
            next.assign(size, 0.0);
            for (size_t b = 0; b < e.size() && b < size; ++b) {
                const double eb = e[b];
                const size_t count = std::min(h.values.size(), size - b);
                double* out = next.data() + b;
                const double* in = h.values.data();
                for (size_t a = 0; a < count; ++a) out[a] += in[a] * eb;
            }
            const double top = *std::max_element(next.begin(), next.end());
            if (!(top > 0)) break;
            // Trimmed at the bottom, where both h and the weights below fall away.
            size_t begin = 0;
            while (begin + 1 < next.size() && next[begin] < kDropped * top) ++begin;
            h.offset += kernel.offset + begin;
            h.values.assign(next.begin() + static_cast<std::ptrdiff_t>(begin), next.end());
            const double scale = 1 / top;
            for (double& v : h.values) v *= scale;
            h.logScale += kernel.logScale + std::log(top);
        }
        // w(s) = P(Bin(n, j/cells) = s) s!/(j rho)^s = n(n-1)...(n-s+1)/n^s (1 - j/cells)^(n-s)
        // along h, by the ratio of neighbours (n - s)/((cells - j) rho), rescaled
        // before it leaves the doubles.
        const uint64_t first = h.offset;
        for (; fallen < first; ++fallen)
            logFalling += std::log1p(-static_cast<double>(fallen) / static_cast<double>(n));
        double logBase = logFalling + static_cast<double>(n - first) * std::log1p(-(j / dc));
        double w = 1, total = 0;
        const double perRest = 1 / ((dc - j) * rho);
        for (size_t i = 0; i < h.values.size(); ++i) {
            total += h.values[i] * w;
            const uint64_t s = first + i;
            if (s >= n) break;
            w *= static_cast<double>(n - s) * perRest;
            if (w > 1e250) {
                w *= 1e-250;
                total *= 1e-250;
                logBase += 250 * std::numbers::ln10;
            }
        }
        if (total > 0) sum += (j % 2 == 1 ? choose : -choose) * std::exp(h.logScale + logBase + std::log(total));
    }
    if (!(sum > 0)) return nan;
    return std::min(0.0, std::log(sum));
}

}  // namespace

double logTwoSided(Tails tails) {
    return std::min(0.0, std::numbers::ln2 + std::min(tails.logAtMost, tails.logAtLeast));
}

double logBinomialAtLeast(uint64_t n, double p, uint64_t k) {
    if (k == 0) return 0;
    if (k > n) return kNoChance;
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
    if (a == 0 || b == 0) return {series >= 1 ? 0 : kNoChance, series <= 1 ? 0 : kNoChance};
    const uint64_t fewest = 2, most = 2 * std::min(a, b) + (a != b ? 1 : 0);
    if (series < fewest) return {kNoChance, 0};
    if (series > most) return {0, kNoChance};
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
    if (length > trials) return kNoChance;
    // p_N = q^g r_N with r_g = 1 and r_j = r_{j-1} + (1-q)(1 - q^g r_{j-g-1}): the first
    // run of g ends at j after a failure at j-g, with no run of g before that failure.
    const double logFirst = static_cast<double>(length) * std::log(q);
    const double slack = static_cast<double>(trials - length) * (1 - q);
    // Up to 2g trials no run of g can end before the failure ahead of the first one;
    // where q^g r_N is far below one the correction cannot change a double.
    if (trials <= 2 * length || logFirst + std::log1p(slack) < std::log(1e-17))
        return std::min(0.0, logFirst + std::log1p(slack));
    const double first = std::exp(logFirst), fail = 1 - q;
    // The last g+1 values of r; the one g+1 back is overwritten by the new one. A sum
    // of more than a million terms is compensated (Kahan), so that it keeps its digits.
    std::vector<double> ring(static_cast<std::size_t>(length) + 1, 0.0);
    std::size_t slot = static_cast<std::size_t>(length);
    ring[slot] = 1;
    double r = 1;
    if (trials < 1'000'000) {
        for (uint64_t j = length + 1; j <= trials; ++j) {
            if (++slot == ring.size()) slot = 0;
            r += fail * (1 - first * ring[slot]);
            ring[slot] = r;
        }
    } else {
        double lost = 0;
        for (uint64_t j = length + 1; j <= trials; ++j) {
            if (++slot == ring.size()) slot = 0;
            const double add = fail * (1 - first * ring[slot]) - lost;
            const double sum = r + add;
            lost = (sum - r) - add;
            r = sum;
            ring[slot] = r;
        }
    }
    return std::min(0.0, logFirst + std::log(r));
}

double logLongestAtLeast(uint64_t m, uint64_t length) {
    if (length == 0) return 0;
    if (length > m) return kNoChance;
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
    if (lo > hi || lo > n / cells || hi < (n + cells - 1) / cells) return kNoChance;
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
    if (result.values.empty() || n < result.offset || n - result.offset >= result.values.size()) return kNoChance;
    const double value = result.values[static_cast<std::size_t>(n - result.offset)];
    if (!(value > 0)) return kNoChance;
    return std::min(0.0, std::log(value) + result.logScale - logPoissonTerm(n, mean * cells));
}

double logMaxCountAtLeast(uint64_t n, uint64_t c, unsigned cells) {
    if (c > n) return kNoChance;
    if (c <= (n + cells - 1) / cells) return 0;  // some count reaches ceil(n/cells)
    if (const double bounded = logBonferroni(n, c, cells, true); !std::isnan(bounded)) return bounded;
    return logOneMinusExp(logAllCountsWithin(n, 0, c - 1, cells));
}

double logMinCountAtMost(uint64_t n, uint64_t c, unsigned cells) {
    if (c >= n / cells) return 0;  // some count is at most floor(n/cells)
    if (const double bounded = logBonferroni(n, c, cells, false); !std::isnan(bounded)) return bounded;
    if (const double few = logFewCountsAtMost(n, c, cells); !std::isnan(few)) return few;
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
