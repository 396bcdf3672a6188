#include "stats/LogTerms.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace kalvor {

double stirlingError(double n) {
    if (n <= 15) return std::lgamma(n + 1) - (n + 0.5) * std::log(n) + n - 0.5 * std::log(2 * std::numbers::pi);
    const double nn = n * n;
    constexpr double s0 = 1.0 / 12, s1 = 1.0 / 360, s2 = 1.0 / 1260, s3 = 1.0 / 1680, s4 = 1.0 / 1188;
    return (s0 - (s1 - (s2 - (s3 - s4 / nn) / nn) / nn) / nn) / n;
}

double deviance(double x, double y) {
    if (std::abs(x - y) < 0.1 * (x + y)) {
        const double v = (x - y) / (x + y);
        double sum = (x - y) * v;
        double power = 2 * x * v;
        for (int j = 1; j < 1000; ++j) {
            power *= v * v;
            const double next = sum + power / (2 * j + 1);
            if (next == sum) break;
            sum = next;
        }
        return sum;
    }
    return x * std::log(x / y) + y - x;
}

double exactStirlingError(uint64_t n) {
    // For small n the form through lgamma loses its last digits to cancellation.
    static constexpr double kSmall[16] = {
        0,
        8.1061466795327258219670264e-2,
        4.1340695955409294093822081e-2,
        2.7677925684998339148789293e-2,
        2.0790672103765093111522772e-2,
        1.6644691189821192163194865e-2,
        1.3876128823070747998745727e-2,
        1.1896709945891770095055724e-2,
        1.0411265261972096497478567e-2,
        9.2554621827127329177286366e-3,
        8.3305634333628712564693187e-3,
        7.5736754879518407949720242e-3,
        6.9428401072095298656641527e-3,
        6.4089941880042070684396311e-3,
        5.9513701127588477356244160e-3,
        5.5547335519628013710386900e-3,
    };
    return n < 16 ? kSmall[n] : stirlingError(static_cast<double>(n));
}

double logBinomialTerm(uint64_t n, uint64_t x, double p) {
    if (x > n) return -std::numeric_limits<double>::infinity();
    const double nn = static_cast<double>(n), q = 1 - p;
    if (x == 0) return nn * std::log1p(-p);
    if (x == n) return nn * std::log(p);
    const double k = static_cast<double>(x), rest = static_cast<double>(n - x);
    return exactStirlingError(n) - exactStirlingError(x) - exactStirlingError(n - x) - deviance(k, nn * p) -
           deviance(rest, nn * q) + 0.5 * std::log(nn / (2 * std::numbers::pi * k * rest));
}

double logPoissonTerm(uint64_t x, double mean) {
    if (x == 0) return -mean;
    const double k = static_cast<double>(x);
    return -exactStirlingError(x) - deviance(k, mean) - 0.5 * std::log(2 * std::numbers::pi * k);
}

}  // namespace kalvor
