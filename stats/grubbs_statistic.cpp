// Grubbs (1950), Ann. Math. Statist. 21, 27-58: G = max |x - mean| / s, with the two-sided
// critical value and p bound from Student's t on n - 2 degrees of freedom.
#include <cmath>
#include <vector>

#include "stats/exact_distributions.h"
#include "stats/grubbs.h"

namespace lumo {
namespace {

constexpr double kAlpha = 0.05;

GrubbsStep TestOnce(std::span<const double> values, const std::vector<size_t>& live) {
    GrubbsStep s;
    const double n = static_cast<double>(live.size());
    double sum = 0.0;
    for (const size_t i : live) sum += values[i];
    double mean = sum / n;
    double residual = 0.0;
    for (const size_t i : live) residual += values[i] - mean;
    if (std::isfinite(residual)) mean += residual / n;
    double squares = 0.0;
    double farthest = -1.0;
    for (const size_t i : live) {
        const double d = std::fabs(values[i] - mean);
        squares += d * d;
        if (d > farthest) {
            farthest = d;
            s.index = i;
        }
    }
    s.value = values[s.index];
    s.mean = mean;
    s.sd = std::sqrt(squares / (n - 1.0));
    // Without spread there is nothing to find: G is 0/0, never a huge number of rounding.
    s.g = s.sd > 0.0 ? farthest / s.sd : std::nan("");
    const double gMax = (n - 1.0) / std::sqrt(n);
    if (s.g >= gMax) {
        s.p = 0.0;
    } else if (!std::isnan(s.g)) {
        const double t =
            std::sqrt(n * (n - 2.0) * s.g * s.g / ((n - 1.0) * (n - 1.0) - n * s.g * s.g));
        s.p = std::fmin(1.0, 2.0 * n * TUpperP(n - 2.0, t));
    } else {
        s.p = std::nan("");
    }
    const double tc = TUpperQuantile(n - 2.0, kAlpha / (2.0 * n));
    s.gCritical = (n - 1.0) / std::sqrt(n) * std::sqrt(tc * tc / (n - 2.0 + tc * tc));
    s.significant = s.g > s.gCritical;
    return s;
}

}  // namespace

Grubbs GrubbsTest(std::span<const double> values) {
    Grubbs r;
    std::vector<size_t> live(values.size());
    for (size_t i = 0; i < live.size(); ++i) live[i] = i;
    if (live.size() < 3) return r;
    r.first = TestOnce(values, live);
    GrubbsStep step = r.first;
    while (step.significant) {
        r.outliers.push_back(step.index);
        std::erase(live, step.index);
        if (live.size() < 3) break;
        step = TestOnce(values, live);
    }
    return r;
}

}  // namespace lumo
