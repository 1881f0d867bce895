// The distributions written here from their papers, against R 4.x on the same arguments and on
// R's own data sets. Each number carries the R call that gives it.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "stats/rank_distributions.h"
#include "stats/shapiro_wilk.h"
#include "stats/studentized_range.h"

namespace lumo {
namespace {

constexpr double kRelative = 1e-6;

void ExpectRelative(double actual, double expected, const char* call) {
    EXPECT_NEAR(actual, expected, kRelative * std::fabs(expected)) << call;
}

TEST(StudentizedRange, UpperTailAndQuantileMatchR) {
    const struct {
        double q;
        int k;
        double df;
        double p;
        const char* call;
    } cases[] = {
        {3.5, 3, 27, 0.05049068060028794, "ptukey(3.5, 3, 27, lower.tail=FALSE)"},
        {1.2, 2, 5, 0.43487462709606539, "ptukey(1.2, 2, 5, lower.tail=FALSE)"},
        {5.0, 6, 66, 0.0093707944062526582, "ptukey(5.0, 6, 66, lower.tail=FALSE)"},
        {6.0, 20, 3, 0.24594461136415491, "ptukey(6, 20, 3, lower.tail=FALSE)"},
        // Two means: Q / sqrt(2) is |t|, which R's ptukey misses by 7e-9 relative at df 9996
        // and gives as NaN at df 1.
        {3.0, 2, 9996, 0.033919394685598209, "2*pt(3/sqrt(2), 9996, lower.tail=FALSE)"},
        {18.0, 2, 1, 0.049915035803486697, "2*pt(18/sqrt(2), 1, lower.tail=FALSE)"},
        {4.0, 10, INFINITY, 0.12685213235091142, "ptukey(4.0, 10, Inf, lower.tail=FALSE)"},
        // R's ptukey gives 0.073444539369493245 here, 6.6e-5 too high for so few df: the reference
        // is the double integral in mpmath at 20 digits (quad over s, then over z).
        {8.0, 4, 2, 0.073439662459194520, "mpmath double integral, k = 4, df = 2, q = 8"},
        // R's qtukey(0.95, 20, 3) = 11.240475075936612 is where R's ptukey, not the integral, is
        // 0.05: mpmath puts the tail there at 0.0499939.
        {11.240475075936612, 20, 3, 0.04999388478131458785, "mpmath, k = 20, df = 3"},
    };
    for (const auto& c : cases) ExpectRelative(StudentizedRangeUpperP(c.q, c.k, c.df), c.p, c.call);
    const struct {
        int k;
        double df;
        double q;
        const char* call;
    } quantiles[] = {
        {3, 27, 3.5064261233926857, "qtukey(0.95, 3, 27)"},
        {6, 66, 4.1508507274692139, "qtukey(0.95, 6, 66)"},
        {10, 1000, 4.4843024456033715, "qtukey(0.95, 10, 1000)"},
        {2, 1, 17.969287064187508, "sqrt(2)*qt(0.975, 1)"},
    };
    for (const auto& c : quantiles) {
        ExpectRelative(StudentizedRangeUpperQuantile(0.05, c.k, c.df), c.q, c.call);
    }
    EXPECT_EQ(StudentizedRangeUpperP(0.0, 3, 10), 1.0);
    EXPECT_TRUE(std::isnan(StudentizedRangeUpperP(2.0, 1, 10)));
    EXPECT_TRUE(std::isnan(StudentizedRangeUpperP(2.0, 3, 0)));
}

TEST(ShapiroWilk, MatchesRAcrossItsThreeSizeRanges) {
    const std::vector<double> ctrl = {4.17, 5.58, 5.18, 6.11, 4.50, 4.61, 5.17, 4.53, 5.33, 5.14};
    const std::vector<double> sleep = {0.7, -1.6, -0.2, -1.2, -0.1, 3.4, 3.7, 0.8, 0.0, 2.0,
                                       1.9, 0.8,  1.1,  0.1,  -0.1, 4.4, 5.5, 1.6, 4.6, 3.4};
    const struct {
        std::vector<double> x;
        double w;
        double p;
        const char* call;
    } cases[] = {
        {ctrl, 0.95668149041173489, 0.74747344382962133,
         "shapiro.test(PlantGrowth$weight[PlantGrowth$group == 'ctrl'])"},
        {sleep, 0.94607276250996897, 0.31137541672322422, "shapiro.test(sleep$extra)"},
        {{1, 2, 4}, 0.96428571428571419, 0.6368868450289632, "shapiro.test(c(1,2,4))"},
        {{3.1, 2.2, 9.5, 4.4},
         0.85852913850558332,
         0.25499522381730144,
         "shapiro.test(c(3.1,2.2,9.5,4.4))"},
        {{3.1, 2.2, 9.5, 4.4, 5},
         0.8831543827315016,
         0.32385034582488292,
         "shapiro.test(c(3.1,2.2,9.5,4.4,5))"},
    };
    for (const auto& c : cases) {
        const ShapiroWilk sw = ShapiroWilkTest(c.x);
        ExpectRelative(sw.w, c.w, c.call);
        ExpectRelative(sw.p, c.p, c.call);
    }
    // Outside 3..5000 values, or without spread: no number.
    EXPECT_TRUE(std::isnan(ShapiroWilkTest(std::vector<double>{1, 2}).w));
    EXPECT_TRUE(std::isnan(ShapiroWilkTest(std::vector<double>(5001, 1.0)).p));
    EXPECT_TRUE(std::isnan(ShapiroWilkTest(std::vector<double>{2, 2, 2, 2}).w));
}

TEST(RankDistributions, ExactTailsMatchR) {
    // 2 * min(pwilcox(u, m, n), pwilcox(u - 1, m, n, lower.tail = FALSE))
    ExpectRelative(RankSumExactP(3, 5, 6), 2 * 0.015151515151515152, "2*pwilcox(3, 5, 6)");
    ExpectRelative(RankSumExactP(40, 7, 9), 2 * 0.20393356643356644,
                   "2*pwilcox(39, 7, 9, lower.tail=FALSE)");
    EXPECT_EQ(RankSumExactP(15, 5, 6), 1.0);  // the middle: both tails hold over half
    ExpectRelative(SignedRankExactP(5, 10), 2 * 0.009765625, "2*psignrank(5, 10)");
    ExpectRelative(SignedRankExactP(900, 49), 2 * 0.0018410160403714573,
                   "2*psignrank(899, 49, lower.tail=FALSE)");
}

}  // namespace
}  // namespace lumo
