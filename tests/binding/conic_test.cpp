// The conic through four points and its asymptotes.
#include <gtest/gtest.h>

#include <cmath>

#include "binding/conic.h"

namespace lumo {
namespace {

// x² + 2.5·x·y + y² − 5·x − 4·y = 0, whose asymptotes are y = −2·x + 2 and y = −0.5·x + 2.
// These points lie on its upper branch and every step of the arithmetic on them is exact.
constexpr Conic kTwoSites = {1.0, 2.5, -5.0, -4.0};
constexpr ConicPoint kOnTwoSites[] = {{-5.0, 12.5}, {-2.0, 7.0}, {2.0, 2.0}, {10.5, -3.0}};

bool AllFinite(const Conic& c) {
    for (const double v : c) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

TEST(SolveConicThroughPoints, RecoversTheConicTheFourPointsLieOn) {
    const Conic c =
        SolveConicThroughPoints(kOnTwoSites[0], kOnTwoSites[1], kOnTwoSites[2], kOnTwoSites[3]);
    for (std::size_t j = 0; j < kConicParams; ++j) EXPECT_NEAR(c[j], kTwoSites[j], 1e-12) << j;
    // The order of the points does not matter beyond rounding.
    const Conic reversed =
        SolveConicThroughPoints(kOnTwoSites[3], kOnTwoSites[2], kOnTwoSites[1], kOnTwoSites[0]);
    for (std::size_t j = 0; j < kConicParams; ++j)
        EXPECT_NEAR(reversed[j], kTwoSites[j], 1e-12) << j;
}

TEST(SolveConicThroughPoints, RoundedScatchardPointsGiveANearbyConic) {
    const Conic c = SolveConicThroughPoints({1, 2.886}, {2, 2}, {3, 1.2604}, {4, 0.6056});
    EXPECT_NEAR(c[0], 0.998880, 5e-7);
    EXPECT_NEAR(c[1], 2.498343, 5e-7);
    EXPECT_NEAR(c[2], -4.994634, 5e-7);
    EXPECT_NEAR(c[3], -3.999813, 5e-7);
}

TEST(SolveConicThroughPoints, ZeroPivotGivesNonFiniteCoefficientsNotACrash) {
    // A first point at x = 0 makes the first pivot x² zero.
    EXPECT_FALSE(AllFinite(SolveConicThroughPoints({0, 4}, {2, 2}, {-2, 7}, {10.5, -3})));
    // Four points on one line through the origin leave the system singular.
    EXPECT_FALSE(AllFinite(SolveConicThroughPoints({1, 1}, {2, 2}, {3, 3}, {4, 4})));
}

TEST(ConicAsymptotes, GivesTheTwoSiteLines) {
    const ConicLines lines = ConicAsymptotes(kTwoSites);
    EXPECT_EQ(lines.m1, 2.0);  // the steeper line comes first
    EXPECT_EQ(lines.b1, 1.0);
    EXPECT_EQ(lines.m2, 0.5);
    EXPECT_EQ(lines.b2, 4.0);
}

TEST(ConicAsymptotes, UndefinedCasesAreNotFinite) {
    // An ellipse has no real asymptotes.
    const ConicLines ellipse = ConicAsymptotes({1.0, 1.0, -1.0, -1.0});
    EXPECT_TRUE(std::isnan(ellipse.m1));
    EXPECT_TRUE(std::isnan(ellipse.b2));
    // Two parallel asymptotes (B·B = 4·A).
    const ConicLines parallel = ConicAsymptotes({1.0, 2.0, -1.0, -1.0});
    EXPECT_FALSE(std::isfinite(parallel.b1));
    // A = 0.
    const ConicLines noSquare = ConicAsymptotes({0.0, 2.0, -1.0, -1.0});
    EXPECT_FALSE(std::isfinite(noSquare.b1));
}

}  // namespace
}  // namespace lumo
