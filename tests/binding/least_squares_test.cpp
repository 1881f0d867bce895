// The Levenberg–Marquardt fit with its standard errors, against certified results.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "binding/least_squares.h"

namespace lumo {
namespace {

// NIST StRD nonlinear regression, Misra1d (lower difficulty): y = b1·b2·x / (1 + b2·x).
const std::vector<double> kMisraX = {77.6,  114.9, 141.1, 190.8, 239.9, 289.0, 332.8,
                                     378.4, 434.8, 477.3, 536.8, 593.1, 689.1, 760.0};
const std::vector<double> kMisraY = {10.07, 14.73, 17.94, 23.93, 29.61, 35.18, 40.02,
                                     44.82, 50.76, 55.05, 61.01, 66.40, 75.47, 81.78};
// Certified values (www.itl.nist.gov/div898/strd/nls/data/misra1d.shtml).
constexpr double kB1 = 4.3736970754E+02, kB1Sd = 3.6489174345E+00;
constexpr double kB2 = 3.0227324449E-04, kB2Sd = 2.9334354479E-06;
constexpr double kMisraSs = 5.6419295283E-02;

void Misra1d(const double* p, double x, double* value, double* gradient) {
    const double d = 1.0 + p[1] * x;
    *value = p[0] * p[1] * x / d;
    gradient[0] = p[1] * x / d;
    gradient[1] = p[0] * x / (d * d);
}

void Rel(double actual, double expected, double tolerance) {
    EXPECT_NEAR(actual / expected, 1.0, tolerance) << actual << " vs " << expected;
}

TEST(LeastSquares, ReproducesTheCertifiedMisra1dFromBothNistStarts) {
    const CurveModel model = {2, Misra1d};
    const std::vector<std::vector<double>> starts = {{500.0, 1e-4}, {450.0, 3e-4}};
    for (const auto& start : starts) {
        const CurveFit fit = FitCurve(model, kMisraX, kMisraY, start);
        ASSERT_TRUE(fit.Converged());
        ASSERT_TRUE(fit.HasErrors());
        Rel(fit.parameters[0], kB1, 1e-6);
        Rel(fit.parameters[1], kB2, 1e-6);
        Rel(fit.standardErrors[0], kB1Sd, 1e-4);
        Rel(fit.standardErrors[1], kB2Sd, 1e-4);
        Rel(fit.ss, kMisraSs, 1e-6);
        EXPECT_EQ(fit.df, 12);
        EXPECT_GT(fit.iterations, 0);
        // 95 % interval: estimate ± t(0.975, 12)·SE, t = 2.178812829667228 (R: qt(0.975, 12)).
        EXPECT_NEAR(fit.ciUpper[0] - fit.parameters[0], 2.178812829667228 * fit.standardErrors[0],
                    1e-9);
    }
}

void Flat(const double* p, double x, double* value, double* gradient) {
    // Two parameters that enter only through their sum: no data can tell them apart.
    *value = (p[0] + p[1]) * x;
    gradient[0] = x;
    gradient[1] = x;
}

TEST(LeastSquares, SaysWhenItHasNoResult) {
    const std::vector<double> x = {1, 2, 3, 4};
    const std::vector<double> y = {1.1, 1.9, 3.2, 3.9};
    const CurveFit flat = FitCurve({2, Flat}, x, y, std::vector<double>{0.5, 0.5});
    EXPECT_TRUE(flat.Converged());
    EXPECT_TRUE(flat.singular);
    EXPECT_FALSE(flat.HasErrors());

    // The evaluation cap ends a fit that has not settled, and says so.
    const CurveFit capped =
        FitCurve({2, Misra1d}, kMisraX, kMisraY, std::vector<double>{500.0, 1e-4}, 3);
    EXPECT_EQ(capped.outcome, FitOutcome::kIterationLimit);
    EXPECT_FALSE(capped.HasErrors());

    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(FitCurve({2, Flat}, x, y, std::vector<double>{inf, 0.0}).outcome,
              FitOutcome::kBadInput);
    EXPECT_EQ(FitCurve({2, Flat}, std::vector<double>{1.0}, std::vector<double>{1.0},
                       std::vector<double>{0.0, 0.0})
                  .outcome,
              FitOutcome::kBadInput);
}

TEST(LeastSquares, Quantiles) {
    // R: qt(0.975, 1) and pf(3, 2, 10, lower.tail = FALSE).
    EXPECT_NEAR(TQuantile975(1), 12.70620473617469, 1e-9);
    EXPECT_NEAR(FUpperTail(3.0, 2, 10), 0.09536743164062497, 1e-12);
    EXPECT_TRUE(std::isnan(TQuantile975(0)));
    EXPECT_EQ(FUpperTail(-1.0, 2, 10), 1.0);
}

}  // namespace
}  // namespace lumo
