// The sums, mean and standard deviation of a sample, as every test of this folder takes them.
#pragma once

namespace lumo {

struct SampleStats {
    int n = 0;
    double sum = 0.0;         // S = sum of x
    double sumSquares = 0.0;  // Q = sum of x^2
    double mean = 0.0;        // S / n
    double squares = 0.0;     // Q - n mean^2, the sum of squared deviations; never negative
    double sd = 0.0;          // sqrt(squares / (n - 1))
};

// The sum of squared deviations is taken as 0 when rounding makes it negative, so a sample of
// equal values has an SD of exactly 0 rather than a not-a-number. A not-a-number that comes
// from infinite values is kept, so that the report shows it.
SampleStats ComputeSampleStats(const double* values, int n);

// `value`, or 0 when rounding made a quantity that cannot be negative slightly negative.
inline double NotBelowZero(double value) {
    return value < 0.0 ? 0.0 : value;
}

}  // namespace lumo
