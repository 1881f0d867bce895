// The newer analyses through their command handlers: reports as the user sees them, the run
// record against R 4.x on R's data sets, and Shapiro-Wilk in the t-tests' records.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "stats/anova.h"
#include "stats/grubbs.h"
#include "stats/kruskal_wallis.h"
#include "stats/mann_whitney.h"
#include "stats/paired_t.h"
#include "stats/signed_rank.h"
#include "stats/unpaired_t.h"
#include "tests/stats/r_datasets.h"
#include "tests/stats/report_expect.h"
#include "tests/test_support.h"

namespace lumo {
namespace {

using test::AnalysisFixture;
using Json = nlohmann::ordered_json;

// Groups as the worksheet holds them: a title line each, "////" between them.
std::string GroupsText(const std::vector<std::vector<double>>& groups,
                       const std::vector<std::string>& titles) {
    std::string text;
    for (size_t g = 0; g < groups.size(); ++g) {
        if (g > 0) text += "////\n";
        if (g < titles.size()) text += titles[g] + "\n";
        for (const double v : groups[g]) text += Format("%f\n", v);
    }
    return text;
}

std::string PairsText(const std::vector<double>& x, const std::vector<double>& y) {
    std::string text;
    for (size_t i = 0; i < x.size(); ++i) text += Format("%f,%f\n", x[i], y[i]);
    return text;
}

double At(const Json& record, const char* pointer) {
    const Json::json_pointer at(pointer);
    EXPECT_TRUE(record.contains(at)) << pointer;
    return record.contains(at) && record.at(at).is_number() ? record.at(at).get<double>() : NAN;
}

void Near(const Json& record, const char* pointer, double expected) {
    EXPECT_NEAR(At(record, pointer), expected, 1e-6 * std::fabs(expected)) << pointer;
}

TEST(MannWhitneyAnalysis, ReportOfPlantGrowthWithTitles) {
    AnalysisFixture f;
    const auto run = f.Run(
        OnMannWhitney, GroupsText({test::kPlantGrowth[1], test::kPlantGrowth[2]}, {"trt1", "trt2"}),
        "MannWhitneyRes.txt");
    ASSERT_TRUE(run.reported);
    // wilcox.test(trt1, trt2): W = 16, p-value = 0.008931; median(outer(trt1, trt2, "-"))
    const std::string report =
        "列: trt1, trt2\n\n\nMann-Whitney U検定\n"
        "第1群（trt1）： n = 10,  中央値 = 4.550\n"
        "第2群（trt2）： n = 10,  中央値 = 5.435\n"
        "U = 16.00,  両側 p= 0.008931（正確な分布）\n"
        "Hodges-Lehmann推定値（第1群－第2群の差の中央値） = -0.9450\n" +
        test::kDifference;
    EXPECT_EQ(run.appended, test::kReportSeparator + report);
    EXPECT_EQ(run.reportBytes, test::ReportBytes(report));
    EXPECT_EQ(run.record["exact"], true);
    EXPECT_EQ(run.record["n1"], 10);
    Near(run.record, "/p", 0.0089306977851869498);
    Near(run.record, "/hodges_lehmann", -0.94499999999999984);
    EXPECT_EQ(f.doc.m_plot.kind, PlotKind::kGroups);
}

TEST(AnovaAnalysis, ReportOfPlantGrowthWithTukeyAndNormality) {
    AnalysisFixture f;
    f.details = true;
    const auto run =
        f.Run(OnAnova, GroupsText(test::kPlantGrowth, {"ctrl", "trt1", "trt2"}), "AnovaRes.txt");
    ASSERT_TRUE(run.reported);
    // summary(aov(weight ~ group, PlantGrowth)), oneway.test(..., var.equal = FALSE),
    // TukeyHSD(aov(...)) with its rows j - i turned into i - j, shapiro.test of each group.
    const std::string report =
        "列: ctrl, trt1, trt2\n\n\n一元配置分散分析\n"
        "第1群（ctrl）： n = 10,  平均 = 5.032,  SD = 0.5831\n"
        "第2群（trt1）： n = 10,  平均 = 4.661,  SD = 0.7937\n"
        "第3群（trt2）： n = 10,  平均 = 5.526,  SD = 0.4426\n"
        "群間： 平方和 = 3.766,  自由度 = 2,  平均平方 = 1.883\n"
        "群内： 平方和 = 10.49,  自由度 = 27,  平均平方 = 0.3886\n"
        "F = 4.846,  p= 0.01591\n"
        "Welchの分散分析（等分散を仮定しない）： F = 5.181,  自由度 = (2, 17.13),  p= 0.01739\n" +
        test::kDifference +
        "\nTukeyの多重比較（HSD）： 差は 前の群－後の群\n"
        "第1群－第2群： 差 = 0.3710,  95％信頼区間 = [-0.3202, 1.062],  p= 0.3909\n"
        "第1群－第3群： 差 = -0.4940,  95％信頼区間 = [-1.185, 0.1972],  p= 0.1980\n"
        "第2群－第3群： 差 = -0.8650,  95％信頼区間 = [-1.556, -0.1738],  p= 0.01201\n"
        "\n【詳細】\n"
        "正規性（Shapiro-Wilk）第1群（ctrl）： W = 0.956681,  p = 0.7475\n"
        "正規性（Shapiro-Wilk）第2群（trt1）： W = 0.930411,  p = 0.4519\n"
        "正規性（Shapiro-Wilk）第3群（trt2）： W = 0.941005,  p = 0.5643\n";
    EXPECT_EQ(run.appended, test::kReportSeparator + report);
    Near(run.record, "/welch/df2", 17.128418616644129457);
    Near(run.record, "/tukey/2/p", 0.012006423979452729);
    Near(run.record, "/tukey/2/ci95/0", -1.55621605141045860);
    EXPECT_EQ(run.record["tukey"][2]["i"], 2);
    EXPECT_EQ(run.record["tukey"][2]["j"], 3);
    // shapiro.test(PlantGrowth$weight[1:10])
    Near(run.record, "/normality/0/w", 0.95668149041173489);
    Near(run.record, "/normality/0/p", 0.74747344382962133);
    EXPECT_EQ(run.record["normality"][2]["group"], 3);
}

TEST(NewAnalyses, RecordsAgreeWithR) {
    AnalysisFixture f;
    // kruskal.test(count ~ spray, InsectSprays); Dunn's z by its formula in R
    auto run = f.Run(OnKruskalWallis, GroupsText(test::kInsectSprays, {}), "KruskalRes.txt");
    ASSERT_TRUE(run.reported);
    Near(run.record, "/h", 54.691344622371446);
    Near(run.record, "/p", 1.5108444394185103e-10);
    Near(run.record, "/dunn/1/z", 4.7740776066545942);
    Near(run.record, "/dunn/1/p_adjusted", 2.7079914008263331e-05);
    EXPECT_EQ(run.record["ns"], Json({12, 12, 12, 12, 12, 12}));
    EXPECT_TRUE(run.appended.find("H（同順位の補正あり） = 54.69,  自由度 = 5,  p < 0.0001") !=
                std::string::npos);

    // wilcox.test(extra ~ group, sleep, paired = TRUE): V = 0, p-value = 0.009091
    run = f.Run(OnWilcoxon, PairsText(test::kSleep1, test::kSleep2), "WilcoxonRes.txt");
    ASSERT_TRUE(run.reported);
    EXPECT_EQ(run.record["n"], 9);
    EXPECT_EQ(run.record["exact"], false);
    EXPECT_EQ(run.record["v"], 0.0);
    Near(run.record, "/p", 0.0090906980159250559);
    Near(run.record, "/median_difference", -1.3);

    // The Grubbs formula in R on rivers (see the Grubbs test of group_tests_test.cpp); the data
    // start on line 2, under a title.
    std::string rivers = "length\n";
    for (const double v : test::kRivers) rivers += Format("%f\n", v);
    run = f.Run(OnGrubbs, rivers, "GrubbsRes.txt");
    ASSERT_TRUE(run.reported);
    EXPECT_EQ(run.record["suspect"], 3710.0);
    EXPECT_EQ(run.record["line"], 69);
    Near(run.record, "/g", 6.3150429978582121);
    Near(run.record, "/p", 1.0890177778690860e-09);
    Near(run.record, "/g_critical", 3.4973809918012755);
    EXPECT_EQ(run.record["outliers"], Json({3710.0, 2533.0, 2348.0, 2315.0, 1885.0, 1770.0}));
    const PlotSeries* outliers = f.doc.m_plot.FindSeries("outliers");
    ASSERT_NE(outliers, nullptr);
    EXPECT_EQ(outliers->points.size(), 6u);

    // wilcox.test(Ozone[Month == 5], Ozone[Month == 8]): W = 127.5, p-value = 0.0001208
    run = f.Run(OnMannWhitney, GroupsText({test::kOzoneByMonth[0], test::kOzoneByMonth[3]}, {}),
                "MannWhitneyRes.txt");
    EXPECT_EQ(run.record["exact"], false);
    Near(run.record, "/p", 1.2080783076877442e-04);
    EXPECT_TRUE(run.appended.find("両側 p= 0.0001208（正規近似、同順位と連続性の補正）") !=
                std::string::npos);
}

TEST(Normality, AddedToTheTTestsRecordsAndDetailsOnly) {
    const std::string groups = GroupsText({test::kSleep1, test::kSleep2}, {});
    const std::string pairs = PairsText(test::kSleep1, test::kSleep2);
    AnalysisFixture f;
    // shapiro.test(sleep$extra[1:10]), shapiro.test(sleep$extra[11:20])
    auto run = f.Run(OnUnpairedTTest, groups, "TkenteiRes.txt");
    EXPECT_EQ(run.record["normality"][0]["group"], 1);
    Near(run.record, "/normality/0/w", 0.92580602893664055);
    Near(run.record, "/normality/1/p", 0.35113468540765047);
    EXPECT_EQ(run.appended.find("Shapiro"), std::string::npos);
    // shapiro.test(sleep$extra[1:10] - sleep$extra[11:20])
    run = f.Run(OnPairedTTest, pairs, "PairedTRes.txt");
    EXPECT_EQ(run.record["normality"][0]["group"], 0);
    Near(run.record, "/normality/0/w", 0.82987133192879481);
    Near(run.record, "/normality/0/p", 0.033341608630308141);
    f.details = true;
    run = f.Run(OnPairedTTest, pairs, "PairedTRes.txt");
    EXPECT_NE(run.appended.find("正規性（Shapiro-Wilk）差： W = 0.829871,  p = 0.03334\n"),
              std::string::npos);
    // Two values cannot be tested: not a number (null in --json), and a line that says why.
    run = f.Run(OnUnpairedTTest, "1\n2\n////\n3\n4\n5\n", "TkenteiRes.txt");
    EXPECT_TRUE(std::isnan(At(run.record, "/normality/0/w")));
    EXPECT_FALSE(std::isnan(At(run.record, "/normality/1/w")));
    EXPECT_NE(run.appended.find(
                  "正規性（Shapiro-Wilk）第１群： データ数３～５０００でばらつきのある群のみ"),
              std::string::npos);
}

}  // namespace
}  // namespace lumo
