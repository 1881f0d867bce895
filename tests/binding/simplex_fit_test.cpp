// The simplex fit of the Scatchard conic: its objective, its moves and its stopping rules.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "binding/simplex_fit.h"
#include "tests/test_support.h"
#include "worksheet/report.h"

namespace lumo {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// x² + 2.5·x·y + y² − 5·x − 4·y = 0 and points on its upper branch, exact in binary.
constexpr Conic kTwoSites = {1.0, 2.5, -5.0, -4.0};
const std::vector<double> kExactX = {-5.0, -2.0, 0.0, 2.0, 5.0, 10.5};
const std::vector<double> kExactY = {12.5, 7.0, 4.0, 2.0, 0.0, -3.0};

double UpperBranch(const Conic& c, double x) {
    const double u = c[1] * x + c[3];
    return (std::sqrt(u * u - 4.0 * (c[0] * x + c[2]) * x) - u) * 0.5;
}

double Distance(const Conic& a, const Conic& b, const Conic& scale) {
    double sum = 0.0;
    for (std::size_t j = 0; j < kConicParams; ++j) {
        const double d = (a[j] - b[j]) / scale[j];
        sum += d * d;
    }
    return std::sqrt(sum);
}

TEST(ConicResidualSum, MeasuresVerticalDistanceFromTheUpperBranch) {
    EXPECT_EQ(ConicResidualSum(kTwoSites, kExactX, kExactY), 0.0);
    // Each point counts once, unweighted: 0.5 too high at one point and 1 too low at another.
    const std::vector<double> x = {2.0, 5.0};
    const std::vector<double> y = {2.5, -1.0};
    EXPECT_DOUBLE_EQ(ConicResidualSum(kTwoSites, x, y), 0.25 + 1.0);
    // A point on the lower branch counts with its distance from the upper one: at x = 0 the
    // branches are y = 4 and y = 0.
    EXPECT_DOUBLE_EQ(
        ConicResidualSum(kTwoSites, std::vector<double>{0.0}, std::vector<double>{0.0}), 16.0);
    // No point, no residual.
    EXPECT_EQ(ConicResidualSum(kTwoSites, {}, {}), 0.0);
}

TEST(ConicResidualSum, IsNotANumberWhereTheConicHasNoUpperBranch) {
    // The ellipse x² + y² − 2·x = 0 has no y at x = 3.
    EXPECT_TRUE(std::isnan(ConicResidualSum({1.0, 0.0, -2.0, 0.0}, std::vector<double>{1.0, 3.0},
                                            std::vector<double>{1.0, 0.0})));
}

TEST(SimplexOrder, ANumberIsAlwaysBetterThanNotANumber) {
    EXPECT_TRUE(IsBetterObjective(1.0, 2.0));
    EXPECT_FALSE(IsBetterObjective(2.0, 2.0));
    EXPECT_TRUE(IsBetterObjective(1e300, kNaN));
    EXPECT_TRUE(IsBetterObjective(std::numeric_limits<double>::infinity(), kNaN));
    EXPECT_FALSE(IsBetterObjective(kNaN, 1e300));
    EXPECT_FALSE(IsBetterObjective(kNaN, kNaN));
}

TEST(SimplexStart, IsARegularSimplexOfOneStepAroundTheStart) {
    const Conic start = {2.0, -4.0, 8.0, 0.5};
    const Conic steps = {0.2, -0.4, 0.8, 0.05};
    const SimplexState s = StartSimplex(start, [](const Conic&) { return 1.0; });
    EXPECT_EQ(s.vertex[0], start);
    EXPECT_EQ(s.evaluations, 5);
    for (std::size_t a = 0; a < kSimplexVertices; ++a) {
        for (std::size_t b = a + 1; b < kSimplexVertices; ++b) {
            EXPECT_NEAR(Distance(s.vertex[a], s.vertex[b], steps), 1.0, 1e-12) << a << "," << b;
        }
    }
    for (std::size_t j = 0; j < kConicParams; ++j)
        EXPECT_DOUBLE_EQ(s.tolerance[j], std::fabs(start[j]) / 100);
}

TEST(SimplexPass, RanksWorstAndBestWithTiesToTheLowestIndexAndNotANumberLast) {
    SimplexState s = StartSimplex({1, 1, 1, 1}, [](const Conic&) { return 3.0; });
    EXPECT_FALSE(BeginSimplexPass(s));
    EXPECT_EQ(s.hi, 0u);
    EXPECT_EQ(s.lo, 0u);
    EXPECT_EQ(s.passes, 1);

    s.value = {2.0, kNaN, 0.5, kNaN, 0.5};
    BeginSimplexPass(s);
    EXPECT_EQ(s.hi, 1u);
    EXPECT_EQ(s.lo, 2u);
    s.value = {kNaN, kNaN, kNaN, kNaN, 7.0};
    BeginSimplexPass(s);
    EXPECT_EQ(s.hi, 0u);
    EXPECT_EQ(s.lo, 4u);
}

// An objective that knows only the five starting vertices: every other point is not a number.
struct OnlyTheStart {
    std::vector<Conic> known;
    std::vector<double> values;
    double operator()(const Conic& c) const {
        for (std::size_t i = 0; i < known.size(); ++i) {
            if (known[i] == c) return values[i];
        }
        return kNaN;
    }
};

TEST(SimplexPass, AShrinkKeepsTheBestVertexAndHalvesTheOthersDistances) {
    const Conic start = {1.0, 2.0, -3.0, -4.0};
    OnlyTheStart f;
    f.values = {4.0, 1.0, 3.0, 5.0, 2.0};
    const auto initial = StartSimplex(start, [](const Conic&) { return 0.0; }).vertex;
    f.known.assign(initial.begin(), initial.end());
    SimplexState s = StartSimplex(start, f);
    const SimplexState before = s;
    ASSERT_FALSE(BeginSimplexPass(s));
    EXPECT_EQ(s.lo, 1u);
    EXPECT_EQ(s.hi, 3u);
    FinishSimplexPass(s, f);
    // Neither the reflection nor the contraction (both not a number) may replace vertex hi.
    EXPECT_EQ(s.lastMove, SimplexMove::kShrink);
    EXPECT_EQ(s.evaluations, before.evaluations + 6);
    EXPECT_EQ(s.vertex[1], before.vertex[1]);
    EXPECT_EQ(s.value[1], 1.0);
    for (std::size_t k = 0; k < kSimplexVertices; ++k) {
        if (k == 1) continue;
        for (std::size_t j = 0; j < kConicParams; ++j) {
            EXPECT_DOUBLE_EQ(s.vertex[k][j], (before.vertex[k][j] + before.vertex[1][j]) / 2);
        }
        EXPECT_TRUE(std::isnan(s.value[k]));  // the moved vertices are new points
    }
}

TEST(SimplexPass, AFiniteReflectionDisplacesAWorstVertexThatIsNotANumber) {
    const Conic start = {1.0, 2.0, -3.0, -4.0};
    const auto vertices = StartSimplex(start, [](const Conic&) { return 0.0; }).vertex;
    // Vertex 2 has no value; every other point, the reflection of vertex 2 included, is worse
    // than all the finite vertices.
    const auto f = [&](const Conic& c) {
        if (c == vertices[2]) return kNaN;
        for (std::size_t k = 0; k < kSimplexVertices; ++k) {
            if (c == vertices[k]) return static_cast<double>(k);
        }
        return 100.0;
    };
    SimplexState s = StartSimplex(start, f);
    ASSERT_FALSE(BeginSimplexPass(s));
    EXPECT_EQ(s.hi, 2u);
    EXPECT_EQ(s.lo, 0u);
    FinishSimplexPass(s, f);
    EXPECT_EQ(s.lastMove, SimplexMove::kReflection);
    EXPECT_EQ(s.value[2], 100.0);
    EXPECT_NE(s.vertex[2], vertices[2]);
}

TEST(SimplexPass, ExpandsWhenTheReflectionBeatsTheBestVertex) {
    // A linear objective falling along the diagonal: the start is the worst vertex and the
    // other four tie for the best.
    const auto f = [](const Conic& c) { return -(c[0] + c[1] + c[2] + c[3]); };
    SimplexState s = StartSimplex({1.0, 1.0, 1.0, 1.0}, f);
    ASSERT_FALSE(BeginSimplexPass(s));
    EXPECT_EQ(s.hi, 0u);
    EXPECT_EQ(s.lo, 1u);
    const Conic worst = s.vertex[s.hi];
    FinishSimplexPass(s, f);
    EXPECT_EQ(s.lastMove, SimplexMove::kExpansion);
    EXPECT_LT(s.value[s.hi], -1.0);
    EXPECT_NE(s.vertex[s.hi], worst);
}

TEST(MinimizeSimplex, AStartWithObjectiveZeroIsReturnedUnchanged) {
    const ConicFit fit = FitConicSimplex(kExactX, kExactY, kTwoSites, nullptr);
    EXPECT_TRUE(fit.converged);
    EXPECT_EQ(fit.conic, kTwoSites);
    EXPECT_EQ(fit.residual, 0.0);
    EXPECT_GT(fit.passes, 1);  // the others had to shrink onto it
}

TEST(MinimizeSimplex, ZeroCoefficientsConvergeAtOnceAndTheFirstPassCounts) {
    const ConicFit fit = FitConicSimplex(kExactX, kExactY, {0.0, 0.0, 0.0, 0.0}, nullptr);
    EXPECT_TRUE(fit.converged);
    EXPECT_EQ(fit.passes, 1);
    EXPECT_EQ(fit.evaluations, 5);
    EXPECT_EQ(fit.tolerance, (Conic{0.0, 0.0, 0.0, 0.0}));
}

TEST(MinimizeSimplex, ConvergesFromAFourPointConicToTheConicOfNoiseFreeData) {
    // Forty points of the two-site curve between x = 0.1 and x = 4.78, exact to double
    // precision. The start is the conic through the points at x = 1, 2, 3 and 4 with their y
    // rounded: to three decimals it is a few per cent off, to one decimal it is not even the
    // same kind of curve (A < 0). Both fits end within tolerance of the generating conic.
    std::vector<double> x, y;
    for (int i = 1; i <= 40; ++i) {
        x.push_back(0.12 * i - 0.02);
        y.push_back(UpperBranch(kTwoSites, x.back()));
    }
    for (const double scale : {1e3, 1e1}) {
        SCOPED_TRACE(scale);
        const auto marked = [&](double xi) {
            return ConicPoint{xi, std::round(UpperBranch(kTwoSites, xi) * scale) / scale};
        };
        const Conic start = SolveConicThroughPoints(marked(1), marked(2), marked(3), marked(4));
        const ConicFit fit = FitConicSimplex(x, y, start, nullptr);
        EXPECT_TRUE(fit.converged);
        EXPECT_LT(fit.residual, ConicResidualSum(start, x, y) / 5);
        // A, B and C start outside the tolerance; D happens to start close.
        for (std::size_t j = 0; j < 3; ++j)
            EXPECT_GT(std::fabs(start[j] - kTwoSites[j]), fit.tolerance[j]);
        for (std::size_t j = 0; j < kConicParams; ++j) {
            EXPECT_NEAR(fit.conic[j], kTwoSites[j], fit.tolerance[j]) << j;
        }
    }
}

TEST(MinimizeSimplex, ThePassLimitEndsAFitThatCannotConverge) {
    // Unbounded below: the simplex runs off for ever (and overflows on the way).
    const auto f = [](const Conic& c) { return -c[0] - c[1]; };
    const ConicFit capped = MinimizeSimplex({1, 1, 1, 1}, f, 50);
    EXPECT_FALSE(capped.converged);
    EXPECT_EQ(capped.passes, 50);
    const ConicFit full = MinimizeSimplex({1, 1, 1, 1}, f);
    EXPECT_FALSE(full.converged);
    EXPECT_EQ(full.passes, kMaxFitPasses);
    // A start that is not a number gives nothing to converge on either.
    const ConicFit nan = FitConicSimplex(kExactX, kExactY, {kNaN, 1, 1, 1}, nullptr);
    EXPECT_FALSE(nan.converged);
    EXPECT_EQ(nan.passes, kMaxFitPasses);
}

TEST(FitConicSimplex, WritesPassesCoefficientsAndTolerances) {
    // Data on the start's own conic, so that the start is the best vertex of the first pass.
    const Conic start = {0.0, 2.0, -4.0, 0.0};
    const std::vector<double> x = {1.0, 2.0, 3.0};
    std::vector<double> y;
    for (const double xi : x) y.push_back(UpperBranch(start, xi));
    test::TempDir dir;
    const std::string path = dir.File("fit.txt");
    ReportFile report;
    ASSERT_TRUE(report.Open(path, "w"));
    FitConicSimplex(x, y, start, &report, 1);
    ASSERT_TRUE(report.Close());
    EXPECT_EQ(test::ReadFile(path),
              test::ReportBytes("iteration: 1\n"
                                "parameters for: AX^2+BXY+Y^2+CX+DY=0 \n"
                                "A:  0.000000 ± 0.000000\n"
                                "B:  2.000000 ± 0.020000\n"
                                "C:  -4.000000 ± 0.040000\n"
                                "D:  0.000000 ± 0.000000\n"
                                "注意：1回の反復では収束しなかったため、計算を打ち切りました。"
                                "上の値はその時点で最も良い値です。\n"));
}

}  // namespace
}  // namespace lumo
