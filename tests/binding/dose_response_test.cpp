// The four-parameter dose–response curve, through its command handler and lumo --run.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "binding/dose_response.h"
#include "tests/test_support.h"

namespace lumo {
namespace {

using test::AnalysisFixture;

constexpr char kReportName[] = "DoseRespRes.txt";

void Rel(double actual, double expected, double tolerance) {
    EXPECT_NEAR(actual / expected, 1.0, tolerance) << actual << " vs " << expected;
}

// Reference values from R 4, nls with the analytic gradient:
//   m4 <- deriv(~ B + (T - B)/(1 + 10^((L - x)*H)), c("B", "T", "L", "H"),
//               function(B, T, L, H, x) {})
//   f <- nls(y ~ m4(B, T, L, H, log10(conc)), start = ..., control = nls.control(tol = 1e-8))
// estimates coef(f), errors coef(summary(f))[, 2]; unknowns by the inverse of the fitted curve
//   10^(L - log10((T - r)/(r - B))/H).
// Estimates and unknowns to 1e-6 relative, standard errors to 1e-4.
struct Reference {
    const char* what;
    std::string worksheet;
    int n;
    int controls;
    const char* direction;
    double estimate[4];  // Bottom, Top, LogEC50, HillSlope
    double se[4];
    std::vector<double> unknowns;  // NaN: outside (Bottom, Top)
};

const double kOutside = std::nan("");

const Reference kReferences[] = {
    // datasets::DNase, Run == 1, under a title line, with a control row (left out) and four
    // unknowns, one of them typed with a full-width question mark;
    // start = list(B = 0, T = 2, L = 0.5, H = 1).
    {"DNase run 1",
     "濃度, 吸光度\n0, 0.002\n0.04882812, 0.017\n0.04882812, 0.018\n0.1953125, 0.121\n0.1953125, "
     "0.124\n"
     "0.390625, 0.206\n0.390625, 0.215\n?, 0.5\n0.78125, 0.377\n0.78125, 0.374\n1.5625, 0.614\n"
     "1.5625, 0.609\n3.125, 1.019\n3.125, 1.001\n6.25, 1.334\n6.25, 1.364\n12.5, 1.73\n"
     "12.5, 1.71\n?, 1.0\n？, 1.5\n? , 2.5\n",
     16,
     1,
     "rising",
     {-0.0078971744183495111, 2.3772388669316178, 0.65465677240991427, 0.94110682008784052},
     {0.01719970587725575, 0.10951632142361108, 0.044332707548339671, 0.050480377682015014},
     {1.1256008271876088, 3.2402498726078974, 8.0284646604098082, kOutside}},
    // Molar concentrations, B = 2, T = 100, LogEC50 = log10(3e-7), HillSlope = 1.2, noise of
    // sd 3 (set.seed(24); rnorm), duplicates, rounded to 0.01;
    // start = list(B = 0, T = 100, L = -6.5, H = 1).
    {"rising, molar",
     "1e-9, 0.47\n1e-9, 3.71\n3e-9, 3.65\n3e-9, 0.64\n1e-8, 6.17\n1e-8, 4.43\n3e-8, 9.15\n"
     "3e-8, 6.42\n1e-7, 20.14\n1e-7, 22.69\n3e-7, 47.05\n3e-7, 52.79\n1e-6, 79.01\n1e-6, 77.01\n"
     "3e-6, 95.18\n3e-6, 92.78\n1e-5, 97.56\n1e-5, 103.17\n?, 20\n?, 50\n?, 80\n",
     18,
     0,
     "rising",
     {2.0203977369104007, 102.30367239221832, -6.4664190223783526, 1.1097222435455971},
     {0.97398897125406059, 1.7882638030278122, 0.026613604932360285, 0.067739273595975993},
     {8.6748429206908058e-08, 3.1609001707796025e-07, 1.0554495119086938e-06}},
    // B = 10, T = 1500, IC50 = 25, HillSlope = -0.8, noise of sd 30 (set.seed(7)), rounded to
    // 0.1; start = list(B = 0, T = 1500, L = 1.4, H = -1).
    {"falling",
     "0.1, 1550.8\n0.3, 1422.0\n1, 1373.7\n3, 1256.7\n10, 987.3\n30, 672.3\n100, 402.0\n"
     "300, 186.0\n1000, 88.6\n3000, 107.4\n10000, 33.0\n?, 300\n?, 1200\n?, 20\n",
     11,
     0,
     "falling",
     {30.034238078808702, 1530.2027497699701, 1.3185537933524001, -0.74651402515266763},
     {27.199939210337376, 32.214155218910292, 0.048855011040123394, 0.061975494321098806},
     {158.81035503980812, 3.8248099557822188, kOutside}},
};

TEST(DoseResponse, ReproducesRsNls) {
    const char* names[] = {"bottom", "top", "log_ec50", "hill_slope"};
    for (const Reference& r : kReferences) {
        SCOPED_TRACE(r.what);
        AnalysisFixture f;
        const auto run = f.Run(OnDoseResponse, r.worksheet, kReportName);
        ASSERT_TRUE(run.reported) << run.appended;
        const auto& rec = run.record;
        EXPECT_EQ(rec["n"], r.n);
        EXPECT_EQ(rec["df"], r.n - 4);
        EXPECT_EQ(rec["excluded_zero"], r.controls);
        EXPECT_EQ(rec["direction"], r.direction);
        EXPECT_EQ(rec["converged"], true);
        for (int j = 0; j < 4; ++j) {
            SCOPED_TRACE(names[j]);
            Rel(rec[names[j]].get<double>(), r.estimate[j], 1e-6);
            Rel(rec[std::string(names[j]) + "_se"].get<double>(), r.se[j], 1e-4);
        }
        // EC50 and its interval are 10^ of LogEC50's; t(0.975, df) from qt(0.975, df).
        const double l = r.estimate[2];
        Rel(rec["ec50"].get<double>(), std::pow(10.0, l), 1e-6);
        Rel(rec["ec50_ci95"][1].get<double>() / rec["ec50"].get<double>(),
            std::pow(10.0, rec["log_ec50_ci95"][1].get<double>() - l), 1e-6);
        ASSERT_EQ(rec["unknowns"].size(), r.unknowns.size());
        for (size_t k = 0; k < r.unknowns.size(); ++k) {
            const auto& u = rec["unknowns"][k];
            if (std::isnan(r.unknowns[k])) {
                // NaN in the record, written as null.
                EXPECT_TRUE(std::isnan(u["concentration"].get<double>())) << k;
            } else {
                Rel(u["concentration"].get<double>(), r.unknowns[k], 1e-6);
            }
        }
    }
    // The unknowns are named by the lines the user sees, the title line counted.
    AnalysisFixture f;
    const auto run = f.Run(OnDoseResponse, kReferences[0].worksheet, kReportName);
    EXPECT_EQ(run.record["unknowns"][0]["line"], 9);
    EXPECT_EQ(run.record["unknowns"][3]["line"], 22);
    EXPECT_EQ(run.record["unknowns"][3]["response"], 2.5);
}

TEST(DoseResponse, FallingCurveReportsIc50AndUnknowns) {
    AnalysisFixture f;
    const auto run = f.Run(OnDoseResponse, "0, 1600\n" + kReferences[2].worksheet, kReportName);
    // The numbers are those of the R reference above, rounded by SigText; the intervals use
    // qt(0.975, 7) = 2.364624.
    const std::string report =
        "用量反応曲線（４パラメータ）  Y = Bottom + (Top - Bottom) / (1 + 10^((LogEC50 - "
        "X)・HillSlope))  X = log10(濃度)\n"
        "(濃度, 反応)\n"
        "(0.1000, 1551)\n"
        "(0.3000, 1422)\n"
        "(1.000, 1374)\n"
        "(3.000, 1257)\n"
        "(10.00, 987.3)\n"
        "(30.00, 672.3)\n"
        "(100.0, 402.0)\n"
        "(300.0, 186.0)\n"
        "(1000, 88.60)\n"
        "(3000, 107.4)\n"
        "(10000, 33.00)\n"
        "濃度が０の行（対照） 1 行はフィットから除きました。\n"
        "\n"
        "初期値: Bottom= 33.00  Top= 1551  LogEC50= 1.296  HillSlope= -1.000\n"
        "反復回数= 7  収束しました\n"
        "\n"
        "Bottom= 30.03 ± 27.20   95%信頼区間 [-34.28, 94.35]\n"
        "Top= 1530 ± 32.21   95%信頼区間 [1454, 1606]\n"
        "LogEC50= 1.319 ± 0.04886   95%信頼区間 [1.203, 1.434]\n"
        "HillSlope= -0.7465 ± 0.06198   95%信頼区間 [-0.8931, -0.6000]\n"
        "IC50= 20.82   95%信頼区間 [15.96, 27.17]\n"
        "SS= 8190  df= 7  Sy.x= 34.21  R^2= 0.9977\n"
        "\n"
        "未知試料（標準曲線から読んだ濃度）\n"
        "13 行目  反応= 300.0  濃度= 158.8\n"
        "14 行目  反応= 1200  濃度= 3.825\n"
        "15 行目  反応= 20.00  曲線の範囲 (Bottom, Top) の外にあり、濃度は読めません。\n";
    EXPECT_TRUE(run.reported);
    EXPECT_EQ(run.reportBytes, test::ReportBytes(report));
    EXPECT_EQ(run.appended, "\n------------------------------------------\n" + report);
    EXPECT_EQ(f.doc.m_nCount, 11);
    EXPECT_EQ(f.doc.m_dX[0], -1.0);
    EXPECT_EQ(f.doc.m_dY[0], 1550.8);
}

// Data that give no curve stop with a message naming the fault, and lumo --run exits 1.
TEST(DoseResponse, BadInputStopsWithAMessage) {
    const struct {
        const char* what;
        const char* worksheet;
        const char* message;
    } cases[] = {
        {"all one concentration", "2, 1\n2, 2\n2, 3\n2, 4\n2, 5\n", "濃度がすべて同じ値です。"},
        {"three points", "1, 1\n10, 5\n100, 9\n", "５行以上必要です（いまは 3 行）。"},
        {"only zeros", "0, 1\n0, 2\n0, 3\n0, 4\n0, 5\n0, 6\n", "（いまは 0 行）"},
        {"unknowns only", "?, 1\n?, 2\n?, 3\n?, 4\n?, 5\n", "（いまは 0 行）"},
        {"no plateau", "1, 0\n2, 3\n4, 6\n8, 9\n16, 12\n32, 15\n64, 18\n128, 21\n",
         "EC50 は求められません。"},
        {"negative concentration", "1, 1\n2, 2\n-4, 3\n8, 4\n16, 5\n32, 6\n",
         "3 行目の濃度が負の値です。"},
        {"a word", "1, 1\n2, 2\n4, 3\nabc, 4\n16, 5\n32, 6\n", "4行目を数値として読めません"},
        {"unknown without response", "1, 1\n?\n4, 3\n8, 4\n16, 5\n32, 6\n",
         "2行目に数値が２つありません"},
        {"overflow", "1, 1\n2, 2\n4, 3\n8, 1e999\n16, 5\n32, 6\n",
         "4 行目の値が大きすぎて、数として扱えません。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir cwd;
        test::WriteFile(cwd.File("d.txt"), c.worksheet);
        const auto r = test::RunLumo({"--run", "dose-response", cwd.File("d.txt")}, cwd.path());
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.out.find(c.message), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("±"), std::string::npos) << r.out;
    }
}

// The fit on its own, as the fuzzer calls it: a value that is not finite gives no fit, and
// no hang (a NaN never equals itself when replicates are grouped).
TEST(DoseResponse, NonFiniteValuesGiveNoFit) {
    const double nan = std::nan("");
    const double inf = INFINITY;
    const std::vector<double> good = {-2, -1, 0, 1, 2, 3};
    for (const double bad : {nan, inf, -inf}) {
        std::vector<double> x = good, y = {1, 2, 5, 8, 9, 9.5};
        x[2] = bad;
        EXPECT_FALSE(FitDoseResponse(x, y).usable);
        EXPECT_FALSE(FitDoseResponse(good, x).usable);
    }
}

TEST(DoseResponse, CommandLineJson) {
    test::TempDir cwd;
    test::WriteFile(cwd.File("d.txt"), kReferences[2].worksheet);
    const auto r =
        test::RunLumo({"--run", "dose-response", "--json", cwd.File("d.txt")}, cwd.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["status"], "reported");
    for (const char* key : {"n",
                            "excluded_zero",
                            "bottom",
                            "top",
                            "log_ec50",
                            "hill_slope",
                            "bottom_se",
                            "top_se",
                            "log_ec50_se",
                            "hill_slope_se",
                            "bottom_ci95",
                            "top_ci95",
                            "log_ec50_ci95",
                            "hill_slope_ci95",
                            "ec50",
                            "ec50_ci95",
                            "ss",
                            "df",
                            "sy_x",
                            "r_squared",
                            "iterations",
                            "converged",
                            "direction",
                            "unknowns"}) {
        EXPECT_TRUE(json.contains(key)) << key;
    }
    EXPECT_EQ(json["unknowns"][2]["line"], 14);
    EXPECT_TRUE(json["unknowns"][2]["concentration"].is_null());
    // The picture: response against concentration on a log axis, the curve, the IC50 mark on
    // it and the two unknowns that lie on the curve.
    const auto& plot = json["plot"];
    EXPECT_EQ(plot["kind"], "curve");
    EXPECT_EQ(plot["x_axis"]["log"], true);
    ASSERT_EQ(plot["marks"].size(), 1u);
    EXPECT_DOUBLE_EQ(plot["marks"][0]["x"].get<double>(), json["ec50"].get<double>());
    bool unknownSeries = false;
    for (const auto& series : plot["series"]) {
        if (series["name"] == "unknowns") {
            unknownSeries = true;
            EXPECT_EQ(series["points"].size(), 2u);
        }
    }
    EXPECT_TRUE(unknownSeries);
}

}  // namespace
}  // namespace lumo
