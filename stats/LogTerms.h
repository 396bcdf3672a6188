#pragma once
// The single terms every exact law here is summed from, as natural logarithms that
// keep their digits for any size: Stirling's formula with its exact error term and
// the deviance x ln(x/y) + y - x computed without cancellation (Loader's method).

#include <cstdint>

namespace kalvor {

// ln n! - ln(sqrt(2 pi n) (n/e)^n).
double stirlingError(double n);

// The same for a whole n, to the last bit also where n is small (the walk's laws keep
// the form above, which their printed figures were checked with).
double exactStirlingError(uint64_t n);

// x ln(x/y) + y - x, also when x is near y.
double deviance(double x, double y);

// ln P(Bin(n, p) = x), 0 < p < 1.
double logBinomialTerm(uint64_t n, uint64_t x, double p);

// ln P(Poisson(mean) = x), mean > 0.
double logPoissonTerm(uint64_t x, double mean);

}  // namespace kalvor
