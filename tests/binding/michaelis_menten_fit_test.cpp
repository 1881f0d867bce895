// Michaelis–Menten fitted directly, through its command handler and through lumo --run.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "binding/michaelis_menten_fit.h"
#include "tests/test_support.h"

namespace lumo {
namespace {

using test::AnalysisFixture;

constexpr char kReportName[] = "MMFitRes.txt";
const std::string kRule = "\n----------------------------------\n";

void Rel(double actual, double expected, double tolerance) {
    EXPECT_NEAR(actual / expected, 1.0, tolerance) << actual << " vs " << expected;
}

// R 4.2.2, datasets::Puromycin, nls(rate ~ Vm*conc/(K+conc), start = list(Vm = 200, K = 0.1),
// control = nls.control(tol = 1e-7)); estimates and standard errors from summary().
struct Reference {
    const char* state;
    std::vector<double> conc, rate;
    double vm, k, vmSe, kSe;
};
const Reference kPuromycin[] = {
    {"treated",
     {0.02, 0.02, 0.06, 0.06, 0.11, 0.11, 0.22, 0.22, 0.56, 0.56, 1.10, 1.10},
     {76, 47, 97, 107, 123, 139, 159, 152, 191, 201, 207, 200},
     212.6837421098125,
     0.0641212801035149,
     6.94715500295948,
     0.00828094933887277},
    {"untreated",
     {0.02, 0.02, 0.06, 0.06, 0.11, 0.11, 0.22, 0.22, 0.56, 0.56, 1.10},
     {67, 51, 84, 86, 98, 115, 131, 124, 144, 158, 160},
     160.2800454576929,
     0.0477081834140043,
     6.48024561176807,
     0.00778187524151193},
};

TEST(MichaelisMentenFit, ReproducesRsNlsOnPuromycin) {
    for (const Reference& r : kPuromycin) {
        SCOPED_TRACE(r.state);
        const MichaelisMentenFit mm = FitMichaelisMenten(r.conc, r.rate);
        EXPECT_TRUE(mm.startFromLineweaver);
        ASSERT_TRUE(mm.fit.Converged());
        ASSERT_TRUE(mm.fit.HasErrors());
        Rel(mm.fit.parameters[0], r.vm, 1e-6);
        Rel(mm.fit.parameters[1], r.k, 1e-6);
        Rel(mm.fit.standardErrors[0], r.vmSe, 1e-4);
        Rel(mm.fit.standardErrors[1], r.kSe, 1e-4);
    }
}

// NIST StRD Misra1d is this model written as b1·b2·x/(1 + b2·x): Vmax = b1, Km = 1/b2, and the
// error of Km follows from that of b2 as SE(b2)/b2² (the Jacobians differ by that factor).
TEST(MichaelisMentenFit, ReproducesTheCertifiedMisra1d) {
    const std::vector<double> x = {77.6,  114.9, 141.1, 190.8, 239.9, 289.0, 332.8,
                                   378.4, 434.8, 477.3, 536.8, 593.1, 689.1, 760.0};
    const std::vector<double> y = {10.07, 14.73, 17.94, 23.93, 29.61, 35.18, 40.02,
                                   44.82, 50.76, 55.05, 61.01, 66.40, 75.47, 81.78};
    const double b1 = 4.3736970754E+02, b1Sd = 3.6489174345E+00;
    const double b2 = 3.0227324449E-04, b2Sd = 2.9334354479E-06;
    const MichaelisMentenFit mm = FitMichaelisMenten(x, y);
    ASSERT_TRUE(mm.fit.HasErrors());
    Rel(mm.fit.parameters[0], b1, 1e-6);
    Rel(mm.fit.parameters[1], 1.0 / b2, 1e-6);
    Rel(mm.fit.standardErrors[0], b1Sd, 1e-4);
    Rel(mm.fit.standardErrors[1], b2Sd / (b2 * b2), 1e-4);
}

TEST(MichaelisMentenFit, ReportAndPlotRecord) {
    AnalysisFixture f;
    const auto run = f.Run(OnMichaelisMentenFit,
                           "0.02, 76\n0.02, 47\n0.06, 97\n0.06, 107\n0.11, 123\n0.11, 139\n"
                           "0.22, 159\n0.22, 152\n0.56, 191\n0.56, 201\n1.10, 207\n1.10, 200\n",
                           kReportName);
    const std::string report =
        "Michaelis-Menten（直接フィット）  v = Vmax・[s] / (Km + [s])\n"
        "([s], [v])\n"
        "(0.02000, 76.00)\n(0.02000, 47.00)\n(0.06000, 97.00)\n(0.06000, 107.0)\n"
        "(0.1100, 123.0)\n(0.1100, 139.0)\n(0.2200, 159.0)\n(0.2200, 152.0)\n"
        "(0.5600, 191.0)\n(0.5600, 201.0)\n(1.100, 207.0)\n(1.100, 200.0)\n"
        "\n初期値（Lineweaver-Burk から）: Vmax= 195.8  Km= 0.04841\n"
        "反復回数= 8  収束しました\n"
        "\nVmax= 212.7 ± 6.947   95%信頼区間 [197.2, 228.2]\n"
        "Km= 0.06412 ± 0.008281   95%信頼区間 [0.04567, 0.08257]\n"
        "SS= 1195  df= 10  Sy.x= 10.93  R^2= 0.9613\n";
    EXPECT_TRUE(run.reported);
    EXPECT_EQ(run.reportBytes, test::ReportBytes(report));
    EXPECT_EQ(run.appended, "\n------------------------------------------\n" + report);
    const CLumoDoc& d = f.doc;
    EXPECT_EQ(d.m_nLineweaver, 1);
    EXPECT_EQ(d.m_nScatchard, 0);
    EXPECT_EQ(d.m_nCount, 12);
    EXPECT_EQ(d.m_dX[0], 1.0 / 0.02);
    EXPECT_EQ(d.m_dY[0], 1.0 / 76);
    EXPECT_EQ(d.m_dXMax, 1.0 / 0.02);
    EXPECT_EQ(d.m_dYMax, 1.0 / 47);
    Rel(d.m_dLbIntercept, 1.0 / 212.6837421098125, 1e-6);
    Rel(d.m_dLbSlope, 0.0641212801035149 / 212.6837421098125, 1e-6);
}

// Molar concentrations and rates (Puromycin in M and M/s) print with their figures, not as
// "0.000000".
TEST(MichaelisMentenFit, MolarDataPrintReadableNumbers) {
    AnalysisFixture f;
    const auto run = f.Run(OnMichaelisMentenFit,
                           "2e-8, 7.6e-8\n2e-8, 4.7e-8\n6e-8, 9.7e-8\n6e-8, 1.07e-7\n"
                           "1.1e-7, 1.23e-7\n1.1e-7, 1.39e-7\n2.2e-7, 1.59e-7\n2.2e-7, 1.52e-7\n"
                           "5.6e-7, 1.91e-7\n5.6e-7, 2.01e-7\n1.1e-6, 2.07e-7\n1.1e-6, 2e-7\n",
                           kReportName);
    EXPECT_TRUE(run.reported);
    EXPECT_NE(run.appended.find("Vmax= 2.127e-07 ± 6.947e-09"), std::string::npos) << run.appended;
    EXPECT_NE(run.appended.find("Km= 6.412e-08 ± 8.281e-09"), std::string::npos);
}

const std::string kPositive =
    "の [s] か [v] が０以下か、数ではありません。[s] と [v] は０より大きい数にして下さい。\n";

std::string Rows(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) text += std::to_string(i) + ", " + std::to_string(i) + "\n";
    return text;
}

TEST(MichaelisMentenFit, BadInputGivesAPromptAndNoReport) {
    const struct {
        const char* what;
        std::string text;
        std::string appended;
    } cases[] = {
        {"empty", "",
         " 先ず、「ファイル」->「開く」からデータを選ぶか、直接データを入力して下さい。\n"},
        {"zero [s]", "1, 2\n0, 3\n2, 4\n", kRule + "2 行目" + kPositive},
        {"negative [v]", "1, 2\n2, 3\n3, -4\n", kRule + "3 行目" + kPositive},
        // The line as the user sees it, the title line counted.
        {"zero [s] under a title", "[s], [v]\n1, 2\n0, 3\n2, 4\n", kRule + "3 行目" + kPositive},
        {"a title line alone", "[s], [v]\n",
         " 先ず、「ファイル」->「開く」からデータを選ぶか、直接データを入力して下さい。\n"},
        {"a title line not first", "1, 2\n[s], [v]\n2, 3\n3, 4\n",
         kRule + "2行目を数値として読めません：「[s], [v]」\n"},
        {"overflow", "1, 2\n1e999, 3\n2, 4\n",
         kRule + "2 行目の値が大きすぎて、数として扱えません。\n"},
        {"one point", "1, 2\n", kRule + "直接フィットには３行以上のデータが必要です。\n"},
        {"two points", "1, 2\n2, 3\n", kRule + "直接フィットには３行以上のデータが必要です。\n"},
        {"stop line first", "--\n1, 2\n", kRule + "直接フィットには３行以上のデータが必要です。\n"},
        {"all [s] equal", "2, 1\n2, 3\n2, 5\n",
         kRule +
             "[s] がすべて同じ値です。Km と Vmax を求めるには、異なる [s] が２つ以上必要です。\n"},
        {"10,001 rows", Rows(10001),
         kRule + "データが多すぎます。解析できるのは１００００行までです。１００００行以内に"
                 "して下さい。\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AnalysisFixture f;
        f.doc.m_nLineweaver = 1;
        const auto run = f.Run(OnMichaelisMentenFit, c.text, kReportName);
        EXPECT_FALSE(run.reported);
        EXPECT_EQ(run.appended, c.appended);
        EXPECT_EQ(run.reportBytes, "");
        EXPECT_EQ(f.sheet.GetText(), c.text + run.appended);
        // The pane shows nothing rather than an older plot.
        EXPECT_EQ(f.doc.m_nLineweaver, 0);
    }
}

// Data that fall as [s] rises, or do not rise at all, have no Michaelis–Menten curve: the
// report says why and shows no estimate.
TEST(MichaelisMentenFit, AFitWithoutAResultSaysSo) {
    for (const char* text : {"1, 4\n2, 3\n3, 2\n4, 1\n", "1, 5\n2, 5\n3, 5\n4, 5\n",
                             "1, 1\n2, 2\n3, 3\n4, 4\n5, 5\n"}) {
        SCOPED_TRACE(text);
        AnalysisFixture f;
        const auto run = f.Run(OnMichaelisMentenFit, text, kReportName);
        EXPECT_FALSE(run.reported);
        EXPECT_NE(run.appended.find("Vmax と Km は求められません。"), std::string::npos);
        EXPECT_EQ(run.appended.find("±"), std::string::npos);
        EXPECT_EQ(f.doc.m_nLineweaver, 1);
        EXPECT_TRUE(std::isnan(f.doc.m_dLbSlope));
    }
}

TEST(MichaelisMentenFit, CommandLineJsonAndExitStatus) {
    test::TempDir cwd;
    auto r = test::RunLumo(
        {"--run", "michaelis-menten", "--json", test::ExamplePath("michaelis-menten.txt")},
        cwd.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["status"], "reported");
    EXPECT_EQ(json["n"], 12);
    Rel(json["vmax"].get<double>(), 212.6837421098125, 1e-6);
    Rel(json["km_se"].get<double>(), 0.00828094933887277, 1e-4);
    EXPECT_EQ(json["km_ci95"].size(), 2u);
    EXPECT_EQ(json["df"], 10);
    EXPECT_EQ(json["converged"], true);
    for (const char* key :
         {"km", "vmax_se", "vmax_ci95", "ss", "sy_x", "r_squared", "iterations"}) {
        EXPECT_TRUE(json.contains(key)) << key;
    }

    const std::string bad = cwd.File("bad.txt");
    test::WriteFile(bad, "1, 4\r\n2, 3\r\n3, 2\r\n4, 1\r\n");
    r = test::RunLumo({"--run", "michaelis-menten", bad}, cwd.path());
    EXPECT_EQ(r.exitCode, 1);
    test::WriteFile(bad, "1, 4\r\n");
    r = test::RunLumo({"--run", "michaelis-menten", bad}, cwd.path());
    EXPECT_EQ(r.exitCode, 1);
}

}  // namespace
}  // namespace lumo
