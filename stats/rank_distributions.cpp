#include "stats/rank_distributions.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace lumo {
namespace {

// Twice the smaller of P(X <= x) and P(X >= x) over the counts of a distribution on 0..max.
double TwoSided(const std::vector<double>& count, double x) {
    double total = 0.0;
    for (const double c : count) total += c;
    const double top = static_cast<double>(count.size()) - 1.0;
    const double at = std::clamp(std::round(x), 0.0, top);
    const auto k = static_cast<size_t>(at);
    double lower = 0.0;
    double upper = 0.0;
    for (size_t i = 0; i <= k; ++i) lower += count[i];
    for (size_t i = k; i < count.size(); ++i) upper += count[i];
    return std::min(1.0, 2.0 * std::min(lower, upper) / total);
}

}  // namespace

double RankSumExactP(double u, int m, int n) {
    if (m < 1 || n < 1 || std::isnan(u)) return std::nan("");
    // c[j][s]: subsets of j of the ranks seen so far whose ranks sum to s + j(j+1)/2, that is
    // whose U is s. Adding rank r to a subset of j - 1 raises U by r - j. Counts reach
    // C(98, 49) ~ 2.5e28 at the largest exact size, far inside a double's range.
    const int umax = m * n;
    std::vector<std::vector<double>> c(static_cast<size_t>(m) + 1,
                                       std::vector<double>(static_cast<size_t>(umax) + 1, 0.0));
    c[0][0] = 1.0;
    for (int r = 1; r <= m + n; ++r) {
        for (int j = std::min(r, m); j >= 1; --j) {
            const int shift = r - j;
            if (shift > n) continue;
            auto& to = c[static_cast<size_t>(j)];
            const auto& from = c[static_cast<size_t>(j) - 1];
            for (int s = umax; s >= shift; --s) {
                to[static_cast<size_t>(s)] += from[static_cast<size_t>(s - shift)];
            }
        }
    }
    return TwoSided(c[static_cast<size_t>(m)], u);
}

double SignedRankExactP(double v, int n) {
    if (n < 1 || std::isnan(v)) return std::nan("");
    // Subsets of the ranks 1..n by their sum; 2^n in all.
    const int vmax = n * (n + 1) / 2;
    std::vector<double> c(static_cast<size_t>(vmax) + 1, 0.0);
    c[0] = 1.0;
    for (int r = 1; r <= n; ++r) {
        for (int s = vmax; s >= r; --s) c[static_cast<size_t>(s)] += c[static_cast<size_t>(s - r)];
    }
    return TwoSided(c, v);
}

}  // namespace lumo
