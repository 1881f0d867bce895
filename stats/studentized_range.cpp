// The double integral of Copenhaver & Holland (1988), J. Statist. Comput. Simul. 30, 1-15:
// Gauss-Legendre panels over the SD estimate outside and over the smallest normal inside, the
// inner one the range of normals of Lund & Lund (1983), Algorithm AS 190, Appl. Statist. 32.
#include "stats/studentized_range.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include <boost/math/quadrature/gauss.hpp>
#include <boost/math/tools/toms748_solve.hpp>

namespace lumo {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kInnerPanels = 8;  // over z in [-12, 12]; the density is below 1e-31 beyond
// Over the SD estimate: few df spread it widely and need more panels than the narrow peak of
// many df (each choice checked against 20-digit integrals, to 1e-8 relative).
constexpr int kOuterPanelsFewDf = 16;
constexpr int kOuterPanelsManyDf = 6;
constexpr double kManyDf = 30.0;
using Gauss = boost::math::quadrature::gauss<double, 16>;

double UpperNormal(double z) {
    return 0.5 * std::erfc(z / std::sqrt(2.0));
}

// The nodes and weights of Gauss-Legendre on `panels` equal panels of [lo, hi].
void Panels(double lo, double hi, int panels, std::vector<double>* x, std::vector<double>* w) {
    const auto& abscissa = Gauss::abscissa();
    const auto& weight = Gauss::weights();
    const double width = (hi - lo) / panels;
    for (int p = 0; p < panels; ++p) {
        const double mid = lo + (p + 0.5) * width;
        const double half = width / 2.0;
        for (size_t i = 0; i < abscissa.size(); ++i) {
            const int signs = abscissa[i] == 0.0 ? 1 : 2;
            for (int s = 0; s < signs; ++s) {
                x->push_back(mid + (s == 0 ? 1.0 : -1.0) * half * abscissa[i]);
                w->push_back(half * weight[i]);
            }
        }
    }
}

// P(range of k standard normals > w), as the integral over the smallest value z of
// k phi(z) [Q(z)^(k-1) - (Q(z) - Q(z+w))^(k-1)], Q the upper normal tail: a tiny tail comes
// out directly instead of as 1 minus a number close to 1. The parts that do not depend on w
// are computed once for all the w the outer integral asks for.
class RangeTail {
  public:
    explicit RangeTail(int k) : m_power(k - 1.0) {
        std::vector<double> z;
        std::vector<double> w;
        Panels(-12.0, 12.0, kInnerPanels, &z, &w);
        for (size_t i = 0; i < z.size(); ++i) {
            const double a = UpperNormal(z[i]);
            const double logFactor = std::log(k * w[i]) - 0.5 * z[i] * z[i] -
                                     0.5 * std::log(2.0 * M_PI) + m_power * std::log(a);
            // Nodes that cannot add to a double's sum are left out.
            if (a > 0.0 && logFactor > -745.0) m_nodes.push_back({z[i], a, std::exp(logFactor)});
        }
    }

    double operator()(double w) const {
        if (!(w > 0.0)) return 1.0;
        double sum = 0.0;
        for (const Node& node : m_nodes) {
            const double c = UpperNormal(node.z + w);
            // a^m - (a - c)^m = a^m (1 - (1 - c/a)^m)
            sum += node.factor * -std::expm1(m_power * std::log1p(-c / node.a));
        }
        return std::fmin(1.0, std::fmax(0.0, sum));
    }

  private:
    struct Node {
        double z;
        double a;
        double factor;
    };
    double m_power;
    std::vector<Node> m_nodes;
};

// P(Q > q) for finite df: the SD estimate s = sqrt(chi2_df / df) has density
// 2 (df/2)^(df/2) s^(df-1) exp(-df s^2 / 2) / Gamma(df/2), and P(Q > q) = E[P(range > q s)].
class RangeOverSd {
  public:
    RangeOverSd(int k, double df) : m_range(k), m_df(df) {
        if (std::isinf(df) || df > 1e7) return;
        const double half = df / 2.0;
        const double logConstant = std::log(2.0) + half * std::log(half) - std::lgamma(half);
        // s lies within 12 of its spreads 1/sqrt(2 df) of 1; for small df its upper tail is
        // longer, which the two extra units cover.
        const double spread = 12.0 / std::sqrt(2.0 * df);
        const double lo = std::fmax(0.0, 1.0 - spread);
        const double hi = 1.0 + spread + (df < 30.0 ? 2.0 : 0.0);
        std::vector<double> s;
        std::vector<double> w;
        Panels(lo, hi, df > kManyDf ? kOuterPanelsManyDf : kOuterPanelsFewDf, &s, &w);
        for (size_t i = 0; i < s.size(); ++i) {
            const double logDensity =
                logConstant + (df - 1.0) * std::log(s[i]) - half * s[i] * s[i];
            const double weight = w[i] * std::exp(logDensity);
            if (weight > 0.0) m_nodes.push_back({s[i], weight});
        }
    }

    double operator()(double q) const {
        if (!(q > 0.0)) return 1.0;
        if (std::isinf(q)) return 0.0;
        if (m_nodes.empty()) return m_range(q);
        double sum = 0.0;
        for (const Node& node : m_nodes) sum += node.weight * m_range(q * node.s);
        return std::fmin(1.0, std::fmax(0.0, sum));
    }

    // The range distribution alone, as for infinite df.
    double Infinite(double q) const { return m_range(q); }

  private:
    struct Node {
        double s;
        double weight;
    };
    RangeTail m_range;
    double m_df;
    std::vector<Node> m_nodes;
};

bool Valid(int k, double df) {
    return k >= 2 && df > 0.0;
}

}  // namespace

double StudentizedRangeUpperP(double q, int k, double df) {
    if (!Valid(k, df) || std::isnan(q)) return kNaN;
    return RangeOverSd(k, df)(q);
}

double StudentizedRangeUpperQuantile(double alpha, int k, double df) {
    if (!Valid(k, df) || !(alpha > 0.0 && alpha < 1.0)) return kNaN;
    const RangeOverSd tail(k, df);
    // The finite-df quantile lies above the infinite-df one, which is cheap: bracket from there
    // so that the full integral is needed only a few times.
    auto excessInfinite = [&](double q) { return tail.Infinite(q) - alpha; };
    std::uintmax_t iterations = 100;
    double lo = 0.0;
    double hi = 8.0;
    while (excessInfinite(hi) > 0.0) hi *= 2.0;
    auto root = boost::math::tools::toms748_solve(
        excessInfinite, lo, hi, boost::math::tools::eps_tolerance<double>(50), iterations);
    lo = (root.first + root.second) / 2.0;
    auto excess = [&](double q) { return tail(q) - alpha; };
    double excessLo = excess(lo);
    if (excessLo <= 0.0) return lo;
    hi = lo * (1.0 + 4.0 / df);
    double excessHi = excess(hi);
    while (excessHi > 0.0) {
        lo = hi;
        excessLo = excessHi;
        hi *= 2.0;
        if (hi > 1e7) return kNaN;
        excessHi = excess(hi);
    }
    iterations = 100;
    root = boost::math::tools::toms748_solve(excess, lo, hi, excessLo, excessHi,
                                             boost::math::tools::eps_tolerance<double>(44),
                                             iterations);
    return (root.first + root.second) / 2.0;
}

}  // namespace lumo
