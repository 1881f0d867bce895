// Welch (1951), Biometrika 38, 330-336, for the test without equal variances; Tukey-Kramer
// intervals for unequal group sizes.
#include <cmath>

#include "stats/anova.h"
#include "stats/exact_distributions.h"
#include "stats/studentized_range.h"

namespace lumo {
namespace {

// Mean and sum of squared deviations in two passes.
void Moments(const std::vector<double>& v, double* mean, double* squares) {
    double sum = 0.0;
    for (const double x : v) sum += x;
    double m = sum / static_cast<double>(v.size());
    double residual = 0.0;
    for (const double x : v) residual += x - m;
    if (std::isfinite(residual)) m += residual / static_cast<double>(v.size());
    double s = 0.0;
    for (const double x : v) s += (x - m) * (x - m);
    *mean = m;
    *squares = s;
}

}  // namespace

Anova OneWayAnova(std::span<const std::vector<double>> groups) {
    Anova r;
    const size_t k = groups.size();
    double total = 0.0;
    double grandSum = 0.0;
    std::vector<double> squares(k);
    for (size_t g = 0; g < k; ++g) {
        double mean;
        Moments(groups[g], &mean, &squares[g]);
        const double n = static_cast<double>(groups[g].size());
        r.ns.push_back(static_cast<int>(groups[g].size()));
        r.means.push_back(mean);
        r.sds.push_back(std::sqrt(squares[g] / (n - 1.0)));
        r.ssWithin += squares[g];
        total += n;
        grandSum += mean * n;
    }
    const double grand = grandSum / total;
    for (size_t g = 0; g < k; ++g) {
        r.ssBetween += r.ns[g] * (r.means[g] - grand) * (r.means[g] - grand);
    }
    const double kk = static_cast<double>(k);
    r.dfBetween = kk - 1.0;
    r.dfWithin = total - kk;
    const double msWithin = r.ssWithin / r.dfWithin;
    r.f = (r.ssBetween / r.dfBetween) / msWithin;
    r.p = FUpperP(r.dfBetween, r.dfWithin, r.f);

    // Welch: weights n / s^2 and the weighted mean.
    double weightSum = 0.0;
    double weightedMean = 0.0;
    std::vector<double> weight(k);
    for (size_t g = 0; g < k; ++g) {
        weight[g] = r.ns[g] / (r.sds[g] * r.sds[g]);
        weightSum += weight[g];
        weightedMean += weight[g] * r.means[g];
    }
    weightedMean /= weightSum;
    double between = 0.0;
    double spread = 0.0;
    for (size_t g = 0; g < k; ++g) {
        between += weight[g] * (r.means[g] - weightedMean) * (r.means[g] - weightedMean);
        const double share = 1.0 - weight[g] / weightSum;
        spread += share * share / (r.ns[g] - 1.0);
    }
    r.welchF = (between / (kk - 1.0)) / (1.0 + 2.0 * (kk - 2.0) / (kk * kk - 1.0) * spread);
    r.welchDf1 = kk - 1.0;
    r.welchDf2 = (kk * kk - 1.0) / (3.0 * spread);
    r.welchP = FUpperP(r.welchDf1, r.welchDf2, r.welchF);

    const int groupsCount = static_cast<int>(k);
    const double qCritical = StudentizedRangeUpperQuantile(0.05, groupsCount, r.dfWithin);
    for (int i = 0; i < groupsCount; ++i) {
        for (int j = i + 1; j < groupsCount; ++j) {
            TukeyPair t;
            t.i = i + 1;
            t.j = j + 1;
            t.difference = r.means[static_cast<size_t>(i)] - r.means[static_cast<size_t>(j)];
            const double se = std::sqrt(
                msWithin / 2.0 *
                (1.0 / r.ns[static_cast<size_t>(i)] + 1.0 / r.ns[static_cast<size_t>(j)]));
            t.lo = t.difference - qCritical * se;
            t.hi = t.difference + qCritical * se;
            t.p = StudentizedRangeUpperP(std::fabs(t.difference) / se, groupsCount, r.dfWithin);
            r.tukey.push_back(t);
        }
    }
    return r;
}

}  // namespace lumo
