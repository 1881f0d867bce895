#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "stats/mann_whitney.h"
#include "stats/rank_distributions.h"
#include "stats/ranks.h"
#include "stats/signed_rank.h"

namespace lumo {
namespace {

constexpr int kExactBelow = 50;

// Doubles in their order as unsigned integers: bisection over these reaches any double.
uint64_t OrderedBits(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return (bits >> 63) != 0 ? ~bits : bits | (uint64_t{1} << 63);
}

double FromOrderedBits(uint64_t key) {
    const uint64_t bits = (key >> 63) != 0 ? key & ~(uint64_t{1} << 63) : ~key;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// How many of the differences x[i] - y[j] (as doubles) are at most d, x and y ascending. For a
// larger x[i] the differences at most d end at a later j, so one pass counts them all.
uint64_t CountAtMost(const std::vector<double>& x, const std::vector<double>& y, double d) {
    uint64_t count = 0;
    size_t first = y.size();  // the first j with x[i] - y[j] <= d
    for (const double xi : x) {
        while (first > 0 && xi - y[first - 1] <= d) --first;
        while (first < y.size() && !(xi - y[first] <= d)) ++first;
        count += y.size() - first;
    }
    return count;
}

// The k-th smallest (from 1) of all differences x[i] - y[j], without forming the n1 n2 of them:
// the smallest double d with at least k differences at most d is one of them.
double KthDifference(const std::vector<double>& x, const std::vector<double>& y, uint64_t k) {
    uint64_t lo = OrderedBits(x.front() - y.back());
    uint64_t hi = OrderedBits(x.back() - y.front());
    while (lo < hi) {
        const uint64_t mid = lo + (hi - lo) / 2;
        if (CountAtMost(x, y, FromOrderedBits(mid)) >= k) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    return FromOrderedBits(lo);
}

double NormalUpper(double z) {
    return 0.5 * std::erfc(z / std::sqrt(2.0));
}

// Two-sided p of a statistic with its mean and SD, shifted half a unit towards the mean.
double NormalTwoSided(double statistic, double mean, double sd, double* z) {
    const double deviation = statistic - mean;
    const double correction = deviation > 0.0 ? 0.5 : (deviation < 0.0 ? -0.5 : 0.0);
    *z = (deviation - correction) / sd;
    return std::fmin(1.0, 2.0 * NormalUpper(std::fabs(*z)));
}

}  // namespace

MannWhitney MannWhitneyTest(std::span<const double> x, std::span<const double> y) {
    MannWhitney r;
    r.n1 = static_cast<int>(x.size());
    r.n2 = static_cast<int>(y.size());
    r.median1 = Median(x);
    r.median2 = Median(y);
    std::vector<double> all(x.begin(), x.end());
    all.insert(all.end(), y.begin(), y.end());
    const Ranking ranking = MidRanks(all);
    double sum1 = 0.0;
    for (size_t i = 0; i < x.size(); ++i) sum1 += ranking.rank[i];
    const double m = r.n1;
    const double n = r.n2;
    r.u = sum1 - m * (m + 1.0) / 2.0;
    r.exact = r.n1 < kExactBelow && r.n2 < kExactBelow && !ranking.ties;
    if (r.exact) {
        r.p = RankSumExactP(r.u, r.n1, r.n2);
        r.z = std::nan("");
    } else {
        const double total = m + n;
        const double variance =
            m * n / 12.0 * ((total + 1.0) - ranking.tieSum / (total * (total - 1.0)));
        r.p = NormalTwoSided(r.u, m * n / 2.0, std::sqrt(variance), &r.z);
    }
    if (!x.empty() && !y.empty()) {
        std::vector<double> sx(x.begin(), x.end());
        std::vector<double> sy(y.begin(), y.end());
        std::sort(sx.begin(), sx.end());
        std::sort(sy.begin(), sy.end());
        const uint64_t count = static_cast<uint64_t>(sx.size()) * sy.size();
        const double lower = KthDifference(sx, sy, (count + 1) / 2);
        const double upper = count % 2 == 1 ? lower : KthDifference(sx, sy, count / 2 + 1);
        r.hodgesLehmann = lower + (upper - lower) / 2.0;
    } else {
        r.hodgesLehmann = std::nan("");
    }
    return r;
}

SignedRank SignedRankTest(std::span<const double> first, std::span<const double> second) {
    SignedRank r;
    const size_t pairs = std::min(first.size(), second.size());
    std::vector<double> all(pairs);
    std::vector<double> nonZero;
    for (size_t i = 0; i < pairs; ++i) {
        all[i] = first[i] - second[i];
        if (all[i] != 0.0) nonZero.push_back(all[i]);
    }
    r.medianDifference = Median(all);
    r.n = static_cast<int>(nonZero.size());
    std::vector<double> magnitude(nonZero.size());
    for (size_t i = 0; i < nonZero.size(); ++i) magnitude[i] = std::fabs(nonZero[i]);
    const Ranking ranking = MidRanks(magnitude);
    for (size_t i = 0; i < nonZero.size(); ++i) {
        if (nonZero[i] > 0.0) r.v += ranking.rank[i];
    }
    const bool zeros = nonZero.size() != pairs;
    r.exact = r.n < kExactBelow && !ranking.ties && !zeros;
    if (r.n == 0) {
        r.p = std::nan("");
        r.z = std::nan("");
        r.exact = false;
    } else if (r.exact) {
        r.p = SignedRankExactP(r.v, r.n);
        r.z = std::nan("");
    } else {
        const double n = r.n;
        const double variance = n * (n + 1.0) * (2.0 * n + 1.0) / 24.0 - ranking.tieSum / 48.0;
        r.p = NormalTwoSided(r.v, n * (n + 1.0) / 4.0, std::sqrt(variance), &r.z);
    }
    return r;
}

}  // namespace lumo
