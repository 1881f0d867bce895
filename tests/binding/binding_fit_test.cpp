// One- versus two-site binding fitted directly, through its command handler and lumo --run.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include <nlohmann/json.hpp>

#include "binding/binding_fit.h"
#include "tests/test_support.h"

namespace lumo {
namespace {

using test::AnalysisFixture;

constexpr char kReportName[] = "BindFitRes.txt";
const std::string kRule = "\n----------------------------------\n";

// B, B/F from B = 5·F/(2 + F) at F = 0.1 … 40, each B off by up to 3 % (fixed offsets).
const char kOneSite[] =
    "0.2431, 2.431\n0.53889, 2.1556\n1.012, 2.024\n1.6533, 1.6533\n2.2007, 1.4671\n"
    "2.4525, 1.2263\n3.012, 1.004\n3.4821, 0.69643\n4.06, 0.5075\n4.3243, 0.36036\n"
    "4.4864, 0.22432\n4.8952, 0.12238\n";

// B = 2·F/(0.5 + F) + 100·F/(1000 + F) at F = 0.05 … 30, far below the second Kd, each B off by
// up to 0.5 % (fixed offsets).
const char kLooseSecondSite[] =
    "0.18775, 3.755\n0.34196, 3.4196\n0.5932, 2.966\n1.0447, 2.0895\n1.4361, 1.4361\n"
    "1.7942, 0.8971\n2.0224, 0.67415\n2.3122, 0.46244\n2.5708, 0.36725\n2.8818, 0.28818\n"
    "3.4167, 0.22778\n3.9022, 0.19511\n4.8994, 0.16331\n";

nlohmann::json RunJson(const std::string& file) {
    test::TempDir cwd;
    const auto r = test::RunLumo({"--run", "binding-fit", "--json", file}, cwd.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return nlohmann::json::parse(r.out);
}

// examples/binding-fit.txt: B = 2·F/(0.5 + F) + 8·F/(20 + F) at F = 0.05 … 1000, each B off by
// up to 3 %.
TEST(BindingFit, TwoSiteDataRecoverTheirParameters) {
    const auto json = RunJson(test::ExamplePath("binding-fit.txt"));
    EXPECT_EQ(json["n"], 14);
    const auto& two = json["two_site"];
    ASSERT_TRUE(two.is_object());
    EXPECT_NEAR(two["bmax1"].get<double>(), 2.0, 0.1);
    EXPECT_NEAR(two["kd1"].get<double>(), 0.5, 0.05);
    EXPECT_NEAR(two["bmax2"].get<double>(), 8.0, 0.4);
    EXPECT_NEAR(two["kd2"].get<double>(), 20.0, 2.0);
    EXPECT_EQ(two["df"], 10);
    EXPECT_EQ(two["kd2_ci95"].size(), 2u);
    const auto& cmp = json["comparison"];
    EXPECT_EQ(cmp["preferred"], "two_site");
    EXPECT_LT(cmp["p"].get<double>(), 0.05);
    EXPECT_EQ(cmp["df1"], 2);
    EXPECT_EQ(cmp["df2"], 10);
    // R 4: f1 <- nls(B ~ Bmax*F/(Kd + F)), f2 <- nls(B ~ B1*F/(K1 + F) + B2*F/(K2 + F)) on the
    // same points (nls.control(tol = 1e-6)); anova(f1, f2) gives F and p, and
    // AIC(f) + 2K(K+1)/(n-K-1) with K = 3 and 5 gives ΔAICc. F and p to 1e-5 relative, ΔAICc
    // to 1e-4.
    EXPECT_NEAR(cmp["f"].get<double>() / 126.07894506376641, 1.0, 1e-5);
    EXPECT_NEAR(cmp["p"].get<double>() / 8.0757958966094976e-08, 1.0, 1e-5);
    EXPECT_NEAR(cmp["delta_aicc"].get<double>(), 36.629066086628526, 1e-4);
    for (const char* model : {"one_site", "two_site"}) {
        for (const char* key : {"sy_x", "r_squared", "iterations", "converged"}) {
            EXPECT_TRUE(json[model].contains(key)) << model << " " << key;
        }
    }
    EXPECT_EQ(two["converged"], true);
    EXPECT_EQ(two["determined"], true);
    EXPECT_NEAR(two["sy_x"].get<double>(), std::sqrt(two["ss"].get<double>() / 10), 1e-12);
}

// The second site's Bmax and Kd run off together and neither is fixed, yet the F test rejects
// one site clearly. The comparison is
// shown with the loose parameters flagged, and two sites are preferred.
TEST(BindingFit, LooseSecondSiteStillGetsTheComparison) {
    const auto run = test::AnalysisFixture().Run(OnBindingFit, kLooseSecondSite, kReportName);
    EXPECT_TRUE(run.reported);
    EXPECT_NE(run.appended.find("パラメータが定まりません"), std::string::npos) << run.appended;
    EXPECT_NE(run.appended.find("p < 0.0001"), std::string::npos) << run.appended;
    EXPECT_NE(run.appended.find("採用するモデル: ２部位（p < 0.05）"), std::string::npos);
    EXPECT_EQ(run.record["two_site"]["determined"], false);
    EXPECT_LT(run.record["comparison"]["p"].get<double>(), 1e-4);
}

// The AICc of one site counts the residual variance: R's AIC(nls(B ~ Bmax*F/(Kd + F))) on
// these points, minus n·(log(2π) + 1), plus 2K(K+1)/(n-K-1) with K = 3, to 1e-6.
TEST(BindingFit, AiccCountsTheVarianceAsAParameter) {
    test::TempDir dir;
    test::WriteFile(dir.File("one.txt"), kOneSite);
    const auto json = RunJson(dir.File("one.txt"));
    EXPECT_NEAR(json["one_site"]["aicc"].get<double>(), -60.80584808021306, 1e-6);
    EXPECT_TRUE(std::isnan(Aicc(1.0, 6, 4)));  // n − K − 1 = 0
    EXPECT_TRUE(std::isfinite(Aicc(1.0, 7, 4)));
}

TEST(BindingFit, OneSiteDataPreferOneSite) {
    test::TempDir dir;
    test::WriteFile(dir.File("one.txt"), kOneSite);
    const auto json = RunJson(dir.File("one.txt"));
    EXPECT_NEAR(json["one_site"]["bmax"].get<double>(), 5.0, 0.25);
    EXPECT_NEAR(json["one_site"]["kd"].get<double>(), 2.0, 0.2);
    EXPECT_EQ(json["comparison"]["preferred"], "one_site");
}

TEST(BindingFit, PlotRecordHoldsThePreferredModel) {
    AnalysisFixture f;
    f.doc.m_nMark[3] = 1;
    const auto run = f.Run(OnBindingFit, kOneSite, kReportName);
    EXPECT_TRUE(run.reported);
    const CLumoDoc& d = f.doc;
    EXPECT_EQ(d.m_nScatchard, 1);
    EXPECT_EQ(d.m_nLineweaver, 0);
    EXPECT_EQ(d.m_nCount, 12);
    EXPECT_EQ(d.m_nMark[3], 0);
    EXPECT_EQ(d.m_dX[0], 0.2431);
    EXPECT_EQ(d.m_dY[0], 2.431);
    EXPECT_EQ(d.m_dXMax, 4.8952);
    EXPECT_EQ(d.m_dYMax, 2.431);
    EXPECT_EQ(d.m_dXMin, 0.2431);
    EXPECT_NEAR(d.m_dBmax1, 5.0, 0.25);
    EXPECT_NEAR(1.0 / d.m_dKa1, 2.0, 0.2);
    EXPECT_EQ(d.m_dKa2, 0.0);
    EXPECT_EQ(d.m_dBmax2, 0.0);
    EXPECT_NE(run.appended.find("採用するモデル: １部位"), std::string::npos);
}

TEST(BindingFit, FourPointsFitOneSiteOnly) {
    AnalysisFixture f;
    const auto run = f.Run(OnBindingFit, "1, 2\n2, 1.5\n3, 1\n3.5, 0.5\n", kReportName);
    EXPECT_TRUE(run.reported);
    EXPECT_NE(run.appended.find("２部位のフィットには５行以上のデータが必要です。"),
              std::string::npos);
    const BindingFit fit = FitBinding(std::vector<double>{0.5, 1.0 / 0.75, 3.0, 7.0},
                                      std::vector<double>{1, 2, 3, 3.5});
    EXPECT_TRUE(fit.oneSiteUsable);
    EXPECT_FALSE(fit.twoSiteTried);
    EXPECT_FALSE(fit.preferTwoSites);
}

TEST(BindingFit, BadInputGivesAPromptAndNoReport) {
    const std::string positive =
        "の B か B/F が０以下か、数ではありません。B と B/F は０より大きい数にして下さい。\n";
    std::string many;
    for (int i = 1; i <= 10001; ++i) many += std::to_string(i) + ", 1\n";
    const struct {
        const char* what;
        std::string text;
        std::string appended;
    } cases[] = {
        {"zero B/F", "1, 2\n2, 0\n3, 1\n", kRule + "2 行目" + positive},
        {"negative B", "-1, 2\n2, 1\n3, 1\n", kRule + "1 行目" + positive},
        {"free overflows", "1, 2\n1e300, 1e-300\n3, 1\n",
         kRule + "2 行目の遊離濃度 F（B ÷ B/F）が数として扱えません。\n"},
        {"two points", "1, 2\n2, 1\n", kRule + "直接フィットには３行以上のデータが必要です。\n"},
        {"all F equal", "1, 1\n2, 2\n3, 3\n",
         kRule + "遊離濃度 F（B ÷ B/F）がすべて同じ値です。Kd と Bmax を求めるには、異なる F が"
                 "２つ以上必要です。\n"},
        {"10,001 rows", many,
         kRule + "データが多すぎます。解析できるのは１００００行までです。１００００行以内に"
                 "して下さい。\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AnalysisFixture f;
        const auto run = f.Run(OnBindingFit, c.text, kReportName);
        EXPECT_FALSE(run.reported);
        EXPECT_EQ(run.appended, c.appended);
        EXPECT_EQ(run.reportBytes, "");
        EXPECT_EQ(f.sheet.GetText(), c.text + run.appended);
        EXPECT_EQ(f.doc.m_nScatchard, 0);
    }
    // B falling as F rises has no binding curve: said so, exit status 1, no estimate.
    test::TempDir cwd;
    test::WriteFile(cwd.File("falling.txt"), "4, 4\r\n3, 1\r\n2, 0.25\r\n1, 0.0625\r\n");
    const auto r = test::RunLumo({"--run", "binding-fit", cwd.File("falling.txt")}, cwd.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("Bmax と Kd は求められません。"), std::string::npos);
    EXPECT_EQ(r.out.find("±"), std::string::npos);
}

}  // namespace
}  // namespace lumo
