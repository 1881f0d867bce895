// The exact results of the statistical tests, through their command handlers: the run record
// against R, and the detail block in the report file and the worksheet.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "stats/correlation.h"
#include "stats/paired_t.h"
#include "stats/rejection.h"
#include "stats/unpaired_t.h"
#include "tests/test_support.h"

namespace lumo {
namespace {

using test::AnalysisFixture;
using Json = nlohmann::ordered_json;

// R's data sets: sleep (extra, group 1 then group 2), the first twenty setosa and virginica
// sepal lengths of iris, and mtcars' wt and mpg.
constexpr char kSleepGroups[] =
    "0.7\n-1.6\n-0.2\n-1.2\n-0.1\n3.4\n3.7\n0.8\n0\n2\n//\n"
    "1.9\n0.8\n1.1\n0.1\n-0.1\n4.4\n5.5\n1.6\n4.6\n3.4\n";
constexpr char kSleepPairs[] =
    "0.7,1.9\n-1.6,0.8\n-0.2,1.1\n-1.2,0.1\n-0.1,-0.1\n3.4,4.4\n3.7,5.5\n0.8,1.6\n0,4.6\n2,3.4\n";
constexpr char kIrisGroups[] =
    "5.1\n4.9\n4.7\n4.6\n5\n5.4\n4.6\n5\n4.4\n4.9\n5.4\n4.8\n4.8\n4.3\n5.8\n5.7\n5.4\n5.1\n5.7\n"
    "5.1\n//\n"
    "6.3\n5.8\n7.1\n6.3\n6.5\n7.6\n4.9\n7.3\n6.7\n7.2\n6.5\n6.4\n6.8\n5.7\n5.8\n6.4\n6.5\n7.7\n7."
    "7\n"
    "6\n";
constexpr char kMtcarsWtMpg[] =
    "2.62,21\n2.875,21\n2.32,22.8\n3.215,21.4\n3.44,18.7\n3.46,18.1\n3.57,14.3\n3.19,24.4\n"
    "3.15,22.8\n3.44,19.2\n3.44,17.8\n4.07,16.4\n3.73,17.3\n3.78,15.2\n5.25,10.4\n5.424,10.4\n"
    "5.345,14.7\n2.2,32.4\n1.615,30.4\n1.835,33.9\n2.465,21.5\n3.52,15.5\n3.435,15.2\n3.84,13.3\n"
    "3.845,19.2\n1.935,27.3\n2.14,26\n1.513,30.4\n3.17,15.8\n2.77,19.7\n3.57,15\n2.78,21.4\n";
constexpr char kNearPerfectLine[] =
    "1,3.000006\n2,4.999991\n3,7.000003\n4,9.000008\n5,10.999995\n6,12.999993\n7,15.000009\n"
    "8,16.999998\n9,19.000001\n10,20.999996\n";
constexpr char kRejectionValues[] = "2.1\n2.3\n2.2\n2.4\n2.2\n2.3\n2.1\n2.2\n3.1X\n2.3\n";

struct RCase {
    const char* name;
    bool (*handler)(AnalysisContext&);
    const char* report;
    const char* worksheet;
    std::vector<std::pair<const char*, double>> expected;
};

// Reference values printed by R 4 with sprintf("%.17g"): t.test (var.equal = TRUE for
// Student's, the default for Welch's, paired = TRUE), var.test with the larger variance first,
// cor.test, and summary(lm(mpg ~ wt)) with confint. Cohen's d is the mean difference over
// sqrt(((n1-1) var1 + (n2-1) var2) / (n1 + n2 - 2)), dz the mean difference over its sd, and
// the Grubbs bound min(1, 2 n pt(t, n - 2, lower.tail = FALSE)), each evaluated in R.
const std::vector<RCase>& RCases() {
    static const std::vector<RCase> cases = {
        {"sleep, unpaired",
         OnUnpairedTTest,
         "TkenteiRes.txt",
         kSleepGroups,
         {{"/mean1", 0.75},
          {"/mean2", 2.3300000000000001},
          {"/sd1", 1.7890096577591625},
          {"/sd2", 2.002248735796829},
          {"/variance_ratio/f", 1.2525950355841},
          {"/variance_ratio/df1", 9},
          {"/variance_ratio/p", 0.74271993172604489},
          {"/student/t", -1.8608134674868528},
          {"/student/df", 18},
          {"/student/p", 0.079186714215938175},
          {"/student/mean_difference", -1.58},
          {"/student/ci95/0", -3.3638740322875984},
          {"/student/ci95/1", 0.20387403228759859},
          {"/welch/t", -1.8608134674868531},
          {"/welch/df", 17.776473516178498},
          {"/welch/p", 0.079394140187358173},
          {"/welch/ci95/0", -3.3654832307117104},
          {"/welch/ci95/1", 0.20548323071171018},
          {"/cohen_d", -0.83218108134953961}}},
        {"iris, unpaired with unequal variances",
         OnUnpairedTTest,
         "TkenteiRes.txt",
         kIrisGroups,
         {{"/variance_ratio/f", 2.9340643485788473},
          {"/variance_ratio/p", 0.023606471386581562},
          {"/student/t", -8.0511507924503558},
          {"/student/p", 9.7621976779682964e-10},
          {"/student/ci95/0", -1.9084484261381176},
          {"/student/ci95/1", -1.1415515738618813},
          {"/welch/t", -8.0511507924503576},
          {"/welch/df", 30.603448473939814},
          {"/welch/p", 4.7427541754198641e-09},
          {"/welch/ci95/0", -1.9115152175971255},
          {"/welch/ci95/1", -1.1384847824028737},
          {"/cohen_d", -2.5459974289612703},
          {"/classic_df", 30}}},
        {"sleep, paired",
         OnPairedTTest,
         "PairedTRes.txt",
         kSleepPairs,
         {{"/n", 10},
          {"/mean_difference", -1.5800000000000001},
          {"/sd_difference", 1.2299954832798732},
          {"/t", -4.0621276833820366},
          {"/df", 9},
          {"/p", 0.0028328901973842702},
          {"/ci95/0", -2.4598857632769824},
          {"/ci95/1", -0.70011423672301754},
          {"/cohen_dz", -1.2845575625910546},
          {"/pairing_r", 0.79517020583357778}}},
        {"mtcars, wt and mpg",
         OnCorrelation,
         "SokanRes.txt",
         kMtcarsWtMpg,
         {{"/n", 32},
          {"/mean_x", 3.2172499999999999},
          {"/mean_y", 20.090624999999999},
          {"/var_x", 0.95737896774193554},
          {"/var_y", 36.324102822580642},
          {"/sxy", -158.61722499999999},
          {"/cov", -5.1166846774193546},
          {"/r", -0.8676593765172278},
          {"/r_squared", 0.75283279365826439},
          {"/t", -9.559044146972111},
          {"/df", 30},
          {"/p", 1.2939587013505163e-10},
          {"/r_ci95/0", -0.93382641328499416},
          {"/r_ci95/1", -0.74408719646011279},
          {"/slope", -5.3444715727226786},
          {"/intercept", 37.285126167342028},
          {"/slope_se", 0.55910104509932346},
          {"/intercept_se", 1.8776273372558951},
          {"/slope_ci95/0", -6.486308237418263},
          {"/slope_ci95/1", -4.2026349080270942},
          {"/intercept_ci95/0", 33.450499573266079},
          {"/intercept_ci95/1", 41.119752761417978}}},
        // r = 1 − 5.5e-13: the errors are formed from the residuals, so they keep their figures.
        // y <- c(3.000006, 4.999991, 7.000003, 9.000008, 10.999995, 12.999993, 15.000009,
        // 16.999998, 19.000001, 20.999996); coef(summary(lm(y ~ x))) with x <- 1:10.
        {"near-perfect line",
         OnCorrelation,
         "SokanRes.txt",
         kNearPerfectLine,
         {{"/intercept_se", 4.5834242414925338e-06},
          {"/slope_se", 7.3868570153305883e-07},
          {"/t", 2707511.0959675531},
          {"/df", 8},
          {"/p", 3.8784309298999891e-49}}},
        {"one high value among ten",
         OnRejectionTest,
         "KikyakuRes.txt",
         kRejectionValues,
         {{"/n", 10},
          {"/mean", 2.31999999999999984013},
          {"/sd", 0.28982753492378876548},
          {"/x", 3.1},
          {"/g", 2.69125568143518245634},
          {"/critical_5", 2.294},
          {"/p", 0.00035842296300923188}}},
    };
    return cases;
}

TEST(ExactResults, RecordAgreesWithR) {
    for (const RCase& c : RCases()) {
        SCOPED_TRACE(c.name);
        AnalysisFixture f;
        const auto run = f.Run(c.handler, c.worksheet, c.report);
        ASSERT_TRUE(run.reported);
        for (const auto& [pointer, expected] : c.expected) {
            const Json::json_pointer at(pointer);
            ASSERT_TRUE(run.record.contains(at)) << pointer;
            ASSERT_TRUE(run.record.at(at).is_number()) << pointer;
            const double got = run.record.at(at).get<double>();
            EXPECT_NEAR(got, expected, 1e-9 * std::fabs(expected)) << pointer;
        }
    }
}

TEST(ExactResults, RecordKeepsWhatTheClassicReportDecided) {
    AnalysisFixture f;
    auto run = f.Run(OnUnpairedTTest, kSleepGroups, "TkenteiRes.txt");
    EXPECT_EQ(run.record["chosen"], "student");
    EXPECT_EQ(run.record["classic_df"], 18);
    EXPECT_EQ(run.record["classic_significant"], false);
    run = f.Run(OnUnpairedTTest, kIrisGroups, "TkenteiRes.txt");
    EXPECT_EQ(run.record["chosen"], "welch");
    EXPECT_EQ(run.record["classic_significant"], true);
    run = f.Run(OnPairedTTest, kSleepPairs, "PairedTRes.txt");
    EXPECT_EQ(run.record["classic_significant"], true);
    run = f.Run(OnRejectionTest, kRejectionValues, "KikyakuRes.txt");
    EXPECT_EQ(run.record["classic_significant"], true);
    EXPECT_EQ(run.record["critical_1"], 2.540);
    // The printed T has the SD of divisor N: G·sqrt(n / (n - 1)).
    EXPECT_NEAR(run.record["t_classic"].get<double>(), 2.69125568143518245634 * std::sqrt(10.0 / 9),
                1e-12);
}

TEST(ExactResults, DetailBlockFollowsTheClassicReportInFileAndWorksheet) {
    struct Case {
        bool (*handler)(AnalysisContext&);
        const char* report;
        const char* worksheet;
        std::vector<const char*> lines;  // lines the block must hold
    };
    const std::vector<Case> cases = {
        {OnCorrelation,
         "SokanRes.txt",
         kMtcarsWtMpg,
         {"データ数 n = 32\n", "無相関の検定： t = -9.55904,  自由度 = 30,  p（両側）= 1.294e-10\n",
          "r の95％信頼区間（Fisherのz変換）= [-0.933826, -0.744087]\n"}},
        {OnUnpairedTTest,
         "TkenteiRes.txt",
         kSleepGroups,
         {"Student検定： t = -1.86081,  自由度 = 18,  p（両側）= 0.07919,  平均の差 = "
          "-1.58000,  95％信頼区間 = [-3.36387, 0.203874]\n",
          "判定に使った検定： Student検定（t と平均の差は 第１群－第２群）\n"}},
        {OnPairedTTest,
         "PairedTRes.txt",
         kSleepPairs,
         {"t = -4.06213,  自由度 = 9,  p（両側）= 0.002833\n"}},
        {OnRejectionTest,
         "KikyakuRes.txt",
         kRejectionValues,
         {"Grubbs検定の p（両側、上限）= 3.584e-04\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.report);
        AnalysisFixture plain;
        const auto classic = plain.Run(c.handler, c.worksheet, c.report);
        AnalysisFixture f;
        f.details = true;
        const auto run = f.Run(c.handler, c.worksheet, c.report);
        ASSERT_TRUE(run.reported);
        // The classic report first, unchanged, then the block after an empty line.
        const std::string block = run.appended.substr(classic.appended.size());
        ASSERT_EQ(run.appended.substr(0, classic.appended.size()), classic.appended);
        EXPECT_EQ(block.rfind("\n【詳細】\n", 0), 0u) << block;
        EXPECT_EQ(run.reportBytes, classic.reportBytes + test::ReportBytes(block));
        for (const char* line : c.lines) EXPECT_NE(block.find(line), std::string::npos) << line;
    }
}

TEST(ExactResults, DegenerateDataGivesNonFiniteFieldsNotACrash) {
    struct Case {
        bool (*handler)(AnalysisContext&);
        const char* report;
        const char* worksheet;
        const char* field;
    };
    // Zero differences give t = 0/0; a single pair has no degrees of freedom; values without
    // spread have no outlier; equal groups have no variance ratio.
    const std::vector<Case> cases = {
        {OnPairedTTest, "PairedTRes.txt", "1,1\n2,2\n3,3\n", "/p"},
        {OnCorrelation, "SokanRes.txt", "1,2\n", "/p"},
        {OnCorrelation, "SokanRes.txt", "1,2\n1,3\n1,4\n1,5\n", "/slope_ci95/0"},
        {OnCorrelation, "SokanRes.txt", "--\n", "/mean_x"},
        {OnRejectionTest, "KikyakuRes.txt", "2\n2\n2X\n", "/g"},
        {OnUnpairedTTest, "TkenteiRes.txt", "1\n1\n//\n2\n2\n", "/variance_ratio/p"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.report) + " " + c.worksheet);
        AnalysisFixture f;
        f.details = true;
        const auto run = f.Run(c.handler, c.worksheet, c.report);
        ASSERT_TRUE(run.reported);
        const Json::json_pointer at(c.field);
        ASSERT_TRUE(run.record.contains(at));
        EXPECT_TRUE(std::isnan(run.record.at(at).get<double>()));
        EXPECT_NE(run.appended.find("【詳細】"), std::string::npos);
    }
}

}  // namespace
}  // namespace lumo
