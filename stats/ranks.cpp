#include "stats/ranks.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace lumo {

Ranking MidRanks(std::span<const double> values) {
    const size_t n = values.size();
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return values[a] < values[b]; });
    Ranking r;
    r.rank.assign(n, 0.0);
    for (size_t i = 0; i < n;) {
        size_t j = i + 1;
        while (j < n && values[order[j]] == values[order[i]]) ++j;
        // Positions i .. j-1 hold equal values: ranks i+1 .. j, their mean (i + 1 + j) / 2.
        const double mid = (static_cast<double>(i) + 1.0 + static_cast<double>(j)) / 2.0;
        for (size_t k = i; k < j; ++k) r.rank[order[k]] = mid;
        const double t = static_cast<double>(j - i);
        if (j - i > 1) {
            r.ties = true;
            r.tieSum += t * t * t - t;
        }
        i = j;
    }
    return r;
}

double Median(std::span<const double> values) {
    if (values.empty()) return std::numeric_limits<double>::quiet_NaN();
    std::vector<double> v(values.begin(), values.end());
    const size_t half = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(half), v.end());
    const double upper = v[half];
    if (v.size() % 2 == 1) return upper;
    const double lower =
        *std::max_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(half));
    return lower + (upper - lower) / 2.0;
}

}  // namespace lumo
