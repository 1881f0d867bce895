#include "stats/exact_distributions.h"

#include <cmath>
#include <limits>

#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/students_t.hpp>

namespace lumo {
namespace {

// Whatever the arguments, an answer rather than an exception: bad input from the worksheet
// becomes a not-a-number that the record writes as null.
using Policy = boost::math::policies::policy<
    boost::math::policies::domain_error<boost::math::policies::ignore_error>,
    boost::math::policies::pole_error<boost::math::policies::ignore_error>,
    boost::math::policies::overflow_error<boost::math::policies::ignore_error>,
    boost::math::policies::underflow_error<boost::math::policies::ignore_error>,
    boost::math::policies::evaluation_error<boost::math::policies::ignore_error>,
    boost::math::policies::rounding_error<boost::math::policies::ignore_error>,
    boost::math::policies::indeterminate_result_error<boost::math::policies::ignore_error>>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool IsDf(double df) {
    return df > 0.0;  // false for a not-a-number too
}

}  // namespace

double TUpperP(double df, double t) {
    if (!IsDf(df) || std::isnan(t)) return kNaN;
    if (std::isinf(t)) return t > 0 ? 0.0 : 1.0;
    if (std::isinf(df)) {
        return boost::math::cdf(
            boost::math::complement(boost::math::normal_distribution<double, Policy>(), t));
    }
    return boost::math::cdf(
        boost::math::complement(boost::math::students_t_distribution<double, Policy>(df), t));
}

double TTwoSidedP(double df, double t) {
    const double upper = TUpperP(df, std::fabs(t));
    // The two tails of a symmetric distribution cannot hold more than everything.
    return std::isnan(upper) ? kNaN : std::fmin(1.0, 2.0 * upper);
}

double TUpperQuantile(double df, double alpha) {
    if (!IsDf(df) || !(alpha > 0.0 && alpha < 1.0)) return kNaN;
    if (std::isinf(df)) {
        return boost::math::quantile(
            boost::math::complement(boost::math::normal_distribution<double, Policy>(), alpha));
    }
    return boost::math::quantile(
        boost::math::complement(boost::math::students_t_distribution<double, Policy>(df), alpha));
}

double FUpperP(double df1, double df2, double f) {
    if (!IsDf(df1) || !IsDf(df2) || std::isnan(f) || std::isinf(df1) || std::isinf(df2)) {
        return kNaN;
    }
    if (f <= 0.0) return 1.0;
    if (std::isinf(f)) return 0.0;
    return boost::math::cdf(
        boost::math::complement(boost::math::fisher_f_distribution<double, Policy>(df1, df2), f));
}

Interval TInterval95(double estimate, double se, double df) {
    const double half = TUpperQuantile(df, 0.025) * se;
    return {estimate - half, estimate + half};
}

Interval FisherZInterval95(double r, int n) {
    if (n < 4) return {kNaN, kNaN};
    const double z = std::atanh(r);
    const double half = TUpperQuantile(std::numeric_limits<double>::infinity(), 0.025) /
                        std::sqrt(static_cast<double>(n) - 3.0);
    return {std::tanh(z - half), std::tanh(z + half)};
}

}  // namespace lumo
