// Royston (1995), Remark AS R94, Appl. Statist. 44, 547-551: approximate coefficients from the
// normal scores with polynomial corrections of the two outermost, and a normalizing
// transformation of W for its p-value.
#include "stats/shapiro_wilk.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include <boost/math/distributions/normal.hpp>

namespace lumo {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// c[0] + c[1] x + c[2] x^2 + ...
template <size_t N>
double Poly(const double (&c)[N], double x) {
    double sum = 0.0;
    for (size_t i = N; i-- > 0;) sum = sum * x + c[i];
    return sum;
}

constexpr double kC1[] = {0.0, 0.221157, -0.147981, -2.071190, 4.434685, -2.706056};
constexpr double kC2[] = {0.0, 0.042981, -0.293762, -1.752461, 5.682633, -3.582633};
constexpr double kC3[] = {0.5440, -0.39978, 0.025054, -6.714e-4};
constexpr double kC4[] = {1.3822, -0.77857, 0.062767, -0.0020322};
constexpr double kC5[] = {-1.5861, -0.31082, -0.083751, 0.0038915};
constexpr double kC6[] = {-0.4803, -0.082676, 0.0030302};
constexpr double kG[] = {-2.273, 0.459};

double NormalQuantile(double p) {
    return boost::math::quantile(boost::math::normal_distribution<double>(), p);
}

double NormalUpper(double z) {
    return 0.5 * std::erfc(z / std::sqrt(2.0));
}

}  // namespace

ShapiroWilk ShapiroWilkTest(std::span<const double> values) {
    const size_t n = values.size();
    if (n < 3 || n > 5000) return {kNaN, kNaN};
    std::vector<double> x(values.begin(), values.end());
    for (const double v : x) {
        if (!std::isfinite(v)) return {kNaN, kNaN};
    }
    std::sort(x.begin(), x.end());
    if (!(x.back() - x.front() > 0.0)) return {kNaN, kNaN};

    const double count = static_cast<double>(n);
    // Coefficients a[i] for the upper half; the lower half is their mirror with opposite sign.
    std::vector<double> a(n, 0.0);
    if (n == 3) {
        a[2] = std::sqrt(0.5);
    } else {
        std::vector<double> m(n);
        double summ2 = 0.0;
        for (size_t i = 0; i < n; ++i) {
            m[i] = NormalQuantile((static_cast<double>(i) + 1.0 - 0.375) / (count + 0.25));
            summ2 += m[i] * m[i];
        }
        const double rsn = 1.0 / std::sqrt(count);
        const double an = m[n - 1] / std::sqrt(summ2) + Poly(kC1, rsn);
        a[n - 1] = an;
        size_t inner;  // the first coefficient of the upper half taken from m directly
        double phi;
        if (n > 5) {
            const double an1 = m[n - 2] / std::sqrt(summ2) + Poly(kC2, rsn);
            a[n - 2] = an1;
            phi = (summ2 - 2.0 * m[n - 1] * m[n - 1] - 2.0 * m[n - 2] * m[n - 2]) /
                  (1.0 - 2.0 * an * an - 2.0 * an1 * an1);
            inner = n - 3;
        } else {
            phi = (summ2 - 2.0 * m[n - 1] * m[n - 1]) / (1.0 - 2.0 * an * an);
            inner = n - 2;
        }
        for (size_t i = n / 2; i <= inner; ++i) a[i] = m[i] / std::sqrt(phi);
    }
    for (size_t i = 0; i < n / 2; ++i) a[i] = -a[n - 1 - i];
    if (n % 2 == 1) a[n / 2] = 0.0;

    // W from deviations about the mean, so that large values with a small spread keep
    // their figures.
    double mean = 0.0;
    for (const double v : x) mean += v;
    mean /= count;
    double squares = 0.0;
    double linear = 0.0;
    for (size_t i = 0; i < n; ++i) {
        squares += (x[i] - mean) * (x[i] - mean);
        linear += a[i] * (x[i] - mean);
    }
    const double w = std::fmin(1.0, linear * linear / squares);

    double p;
    if (n == 3) {
        // The exact distribution for three values.
        p = std::fmax(0.0, 6.0 / M_PI * (std::asin(std::sqrt(w)) - std::asin(std::sqrt(0.75))));
    } else {
        const double y = std::log1p(-w);
        if (n <= 11) {
            const double gamma = Poly(kG, count);
            if (y >= gamma) return {w, 0.0};  // beyond the transformation's range
            const double mu = Poly(kC3, count);
            const double sigma = std::exp(Poly(kC4, count));
            p = NormalUpper((-std::log(gamma - y) - mu) / sigma);
        } else {
            const double ln = std::log(count);
            const double mu = Poly(kC5, ln);
            const double sigma = std::exp(Poly(kC6, ln));
            p = NormalUpper((y - mu) / sigma);
        }
    }
    return {w, std::fmin(1.0, p)};
}

}  // namespace lumo
