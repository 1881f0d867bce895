// The rank tests, the one-way analyses and Grubbs' test against R 4.x on R's own data sets,
// to 1e-6 relative. Each number names the R call that gives it.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "stats/anova.h"
#include "stats/grubbs.h"
#include "stats/kruskal_wallis.h"
#include "stats/mann_whitney.h"
#include "stats/signed_rank.h"
#include "tests/stats/r_datasets.h"

namespace lumo {
namespace {

using test::kInsectSprays;
using test::kOzoneByMonth;
using test::kPlantGrowth;

void Near(double actual, double expected, const char* what) {
    EXPECT_NEAR(actual, expected, 1e-6 * std::fabs(expected)) << what;
}

TEST(MannWhitney, ExactWithoutTiesNormalWithTies) {
    const struct {
        std::vector<double> x, y;
        bool exact;
        double u, p, hl;
        const char* call;
    } cases[] = {
        // wilcox.test(trt1, trt2); median(outer(trt1, trt2, "-"))
        {kPlantGrowth[1], kPlantGrowth[2], true, 16, 0.0089306977851869498, -0.94499999999999984,
         "PlantGrowth trt1 vs trt2"},
        // wilcox.test(ctrl, trt1): 4.17 is in both groups
        {kPlantGrowth[0], kPlantGrowth[1], false, 67.5, 0.19859575863321524, 0.40500000000000025,
         "PlantGrowth ctrl vs trt1"},
        // wilcox.test(Ozone[Month == 5], Ozone[Month == 8]), NA removed
        {kOzoneByMonth[0], kOzoneByMonth[3], false, 127.5, 1.2080783076877442e-04, -32,
         "airquality Ozone May vs August"},
    };
    for (const auto& c : cases) {
        const MannWhitney r = MannWhitneyTest(c.x, c.y);
        EXPECT_EQ(r.exact, c.exact) << c.call;
        Near(r.u, c.u, c.call);
        Near(r.p, c.p, c.call);
        Near(r.hodgesLehmann, c.hl, c.call);
    }
}

TEST(SignedRank, ZerosAndTiesTakeTheNormalApproximation) {
    // wilcox.test(sleep$extra[1:10], sleep$extra[11:20], paired = TRUE): one zero, ties
    const SignedRank sleep = SignedRankTest(test::kSleep1, test::kSleep2);
    EXPECT_FALSE(sleep.exact);
    EXPECT_EQ(sleep.n, 9);
    EXPECT_EQ(sleep.v, 0.0);
    Near(sleep.p, 0.0090906980159250559, "sleep p");
    Near(sleep.medianDifference, -1.3, "median(sleep$extra[1:10] - sleep$extra[11:20])");
    // wilcox.test(anscombe$y1, anscombe$y2, paired = TRUE): exact, because -1.16 and 1.16 differ
    // in their last bits once subtracted, as R sees them
    const SignedRank a = SignedRankTest(test::kAnscombeY1, test::kAnscombeY2);
    EXPECT_TRUE(a.exact);
    Near(a.v, 34, "anscombe V");
    Near(a.p, 0.96582031250000022, "anscombe p");
    Near(a.medianDifference, 0.040000000000000924, "median(anscombe$y1 - anscombe$y2)");
}

TEST(OneWayAnova, PlantGrowthMatchesAovOnewayTestAndTukeyHSD) {
    const Anova r = OneWayAnova(kPlantGrowth);
    // anova(lm(weight ~ group, PlantGrowth))
    Near(r.ssBetween, 3.7663399999999987, "SS group");
    Near(r.ssWithin, 10.4920899999999975, "SS residual");
    EXPECT_EQ(r.dfBetween, 2);
    EXPECT_EQ(r.dfWithin, 27);
    Near(r.f, 4.8460878623801351, "F");
    Near(r.p, 0.015909958325622937, "Pr(>F)");
    // oneway.test(weight ~ group, PlantGrowth, var.equal = FALSE)
    Near(r.welchF, 5.180972408113189154, "Welch F");
    Near(r.welchDf2, 17.128418616644129457, "Welch denom df");
    Near(r.welchP, 0.017392821490170001, "Welch p");
    // TukeyHSD(aov(weight ~ group, PlantGrowth)): its rows are j - i, ours i - j.
    const double expected[3][4] = {
        {-0.37100000000000044, -1.06221605141045883, 0.32021605141045795, 0.390871144202124654},
        {0.49399999999999977, -0.19721605141045861, 1.18521605141045816, 0.197995991299708241},
        {0.86500000000000021, 0.17378394858954183, 1.55621605141045860, 0.012006423979452729}};
    ASSERT_EQ(r.tukey.size(), 3u);
    for (size_t n = 0; n < 3; ++n) {
        Near(r.tukey[n].difference, -expected[n][0], "Tukey diff");
        Near(r.tukey[n].lo, -expected[n][2], "Tukey lwr");
        Near(r.tukey[n].hi, -expected[n][1], "Tukey upr");
        Near(r.tukey[n].p, expected[n][3], "Tukey p adj");
    }
}

TEST(OneWayAnova, UnequalGroupsOfAirqualityMatchTukeyKramer) {
    const Anova r = OneWayAnova(kOzoneByMonth);
    // anova(lm(Ozone ~ factor(Month), airquality))
    Near(r.f, 8.5356065886138541, "F");
    Near(r.p, 4.827064534114669e-06, "Pr(>F)");
    // oneway.test(Ozone ~ Month, airquality, var.equal = FALSE)
    Near(r.welchF, 8.0266761837480960, "Welch F");
    Near(r.welchDf2, 42.668201053387996, "Welch denom df");
    Near(r.welchP, 6.4390842025272748e-05, "Welch p");
    // TukeyHSD(aov(Ozone ~ factor(Month), airquality)), rows 7-5, 8-5, 9-8, 9-6 (j - i)
    const struct {
        size_t row;
        double diff, lwr, upr, p;
    } rows[] = {
        {1, 35.50000000000004263, 12.91580677175061709, 58.0841932282494682,
         0.00027953523346446740},
        {2, 36.34615384615383959, 13.76196061790441405, 58.9303470744032651,
         0.00018685758716596723},
        {9, -28.51326259946949904, -50.50562730406637257, -6.5208978948726255,
         0.00433868050719321552},
        {6, 2.00383141762453576, -29.06663707248265638, 33.0742999077317279,
         0.99976763680292912717},
    };
    for (const auto& row : rows) {
        const TukeyPair& t = r.tukey[row.row];
        Near(t.difference, -row.diff, "Tukey diff");
        Near(t.lo, -row.upr, "Tukey lwr");
        Near(t.hi, -row.lwr, "Tukey upr");
        Near(t.p, row.p, "Tukey p adj");
    }
}

TEST(KruskalWallis, MatchesKruskalTestAndDunnsFormula) {
    // kruskal.test(count ~ spray, InsectSprays); Dunn's z by hand in R with
    // (mean rank i - mean rank j) / sqrt((N(N+1)/12 - sum(t^3-t)/(12(N-1))) (1/ni + 1/nj))
    const KruskalWallis s = KruskalWallisTest(kInsectSprays);
    Near(s.h, 54.691344622371446, "InsectSprays H");
    EXPECT_EQ(s.df, 5);
    Near(s.p, 1.5108444394185103e-10, "InsectSprays p");
    Near(s.medians[2], 1.5, "median spray C");
    ASSERT_EQ(s.dunn.size(), 15u);
    Near(s.dunn[1].z, 4.7740776066545942, "Dunn A-C z");
    Near(s.dunn[1].p, 1.8053276005508887e-06, "Dunn A-C p");
    Near(s.dunn[1].pAdjusted, 2.7079914008263331e-05, "Dunn A-C Bonferroni");
    Near(s.dunn[13].z, -3.5231422255864513, "Dunn D-F z");
    EXPECT_EQ(s.dunn[0].pAdjusted, 1.0);  // 0.754 x 15 is capped
    // kruskal.test(Ozone ~ Month, airquality)
    const KruskalWallis o = KruskalWallisTest(kOzoneByMonth);
    Near(o.h, 29.266576306116939, "Ozone H");
    Near(o.p, 6.9007141185467839e-06, "Ozone p");
    Near(o.dunn[9].z, 2.9228277777795233, "Dunn 8-9 z");
    Near(o.dunn[9].pAdjusted, 0.034686831611493843, "Dunn 8-9 Bonferroni");
}

TEST(Grubbs, RepeatsWhileItFindsOne) {
    // R: n <- length(x); G <- max(abs(x - mean(x))) / sd(x);
    // t <- sqrt(n (n-2) G^2 / ((n-1)^2 - n G^2)); p <- min(1, 2 n pt(t, n-2, lower = FALSE));
    // Gc from tc <- qt(0.05 / (2n), n-2, lower = FALSE), repeated without the value found.
    const Grubbs rivers = GrubbsTest(test::kRivers);
    Near(rivers.first.g, 6.3150429978582121, "rivers G");
    Near(rivers.first.p, 1.0890177778690860e-09, "rivers p");
    Near(rivers.first.gCritical, 3.4973809918012755, "rivers Gc");
    Near(rivers.first.mean, 591.18439716312059, "rivers mean");
    Near(rivers.first.sd, 493.87084203459045, "rivers sd");
    std::vector<double> found;
    for (const size_t i : rivers.outliers) found.push_back(test::kRivers[i]);
    EXPECT_EQ(found, (std::vector<double>{3710, 2533, 2348, 2315, 1885, 1770}));
    // Ozone in June: one outlier at 5%, then none
    const Grubbs june = GrubbsTest(kOzoneByMonth[1]);
    Near(june.first.g, 2.282281087781624418, "June G");
    Near(june.first.p, 0.029180221242822952, "June p");
    Near(june.first.gCritical, 2.215004223325532706, "June Gc");
    EXPECT_EQ(june.outliers, std::vector<size_t>{1});
    // PlantGrowth ctrl: none
    const Grubbs ctrl = GrubbsTest(kPlantGrowth[0]);
    Near(ctrl.first.p, 0.42071292269937949, "ctrl p");
    EXPECT_TRUE(ctrl.outliers.empty());
    // The first of two equally extreme values is the suspect.
    EXPECT_EQ(GrubbsTest(std::vector<double>{1, 5, 5, 5, 9}).first.index, 0u);
}

}  // namespace
}  // namespace lumo
