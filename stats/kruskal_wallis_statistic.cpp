// Kruskal & Wallis (1952), JASA 47, 583-621; the pairwise z of Dunn (1964), Technometrics 6,
// 241-252, with the tie-corrected variance.
#include <cmath>

#include "stats/exact_distributions.h"
#include "stats/kruskal_wallis.h"
#include "stats/ranks.h"

#include <boost/math/distributions/chi_squared.hpp>

namespace lumo {

KruskalWallis KruskalWallisTest(std::span<const std::vector<double>> groups) {
    KruskalWallis r;
    std::vector<double> all;
    for (const auto& g : groups) all.insert(all.end(), g.begin(), g.end());
    const Ranking ranking = MidRanks(all);
    const double total = static_cast<double>(all.size());
    double sum = 0.0;
    size_t at = 0;
    for (const auto& g : groups) {
        double rankSum = 0.0;
        for (size_t i = 0; i < g.size(); ++i) rankSum += ranking.rank[at + i];
        at += g.size();
        const double n = static_cast<double>(g.size());
        r.ns.push_back(static_cast<int>(g.size()));
        r.medians.push_back(Median(g));
        r.meanRanks.push_back(rankSum / n);
        sum += rankSum * rankSum / n;
    }
    const double tieFactor = 1.0 - ranking.tieSum / (total * total * total - total);
    r.h = (12.0 / (total * (total + 1.0)) * sum - 3.0 * (total + 1.0)) / tieFactor;
    r.df = static_cast<double>(groups.size()) - 1.0;
    r.p = std::nan("");
    // All values tied leaves no ranks to compare: H is 0/0 or infinite, and has no p.
    if (std::isfinite(r.h) && r.h >= 0.0 && r.df > 0.0) {
        r.p = boost::math::cdf(
            boost::math::complement(boost::math::chi_squared_distribution<double>(r.df), r.h));
    }

    const int k = static_cast<int>(groups.size());
    const double comparisons = r.df * (r.df + 1.0) / 2.0;
    const double variance = total * (total + 1.0) / 12.0 - ranking.tieSum / (12.0 * (total - 1.0));
    for (int i = 0; i < k; ++i) {
        for (int j = i + 1; j < k; ++j) {
            DunnPair d;
            d.i = i + 1;
            d.j = j + 1;
            const auto a = static_cast<size_t>(i);
            const auto b = static_cast<size_t>(j);
            d.z = (r.meanRanks[a] - r.meanRanks[b]) /
                  std::sqrt(variance * (1.0 / r.ns[a] + 1.0 / r.ns[b]));
            d.p = std::erfc(std::fabs(d.z) / std::sqrt(2.0));
            d.pAdjusted = std::fmin(1.0, d.p * comparisons);
            r.dunn.push_back(d);
        }
    }
    return r;
}

}  // namespace lumo
