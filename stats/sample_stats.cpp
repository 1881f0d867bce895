#include "stats/sample_stats.h"

#include <cmath>

namespace lumo {

SampleStats ComputeSampleStats(const double* values, int n) {
    SampleStats stats;
    stats.n = n;
    for (int i = 0; i < n; ++i) {
        stats.sum += values[i];
        stats.sumSquares += values[i] * values[i];
    }
    const double count = n;
    stats.mean = stats.sum / count;
    stats.squares = NotBelowZero(stats.sumSquares - count * stats.mean * stats.mean);
    stats.sd = std::sqrt(stats.squares / (count - 1.0));
    return stats;
}

}  // namespace lumo
