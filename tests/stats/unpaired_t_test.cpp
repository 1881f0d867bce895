// The unpaired t-test through its command handler and through lumo --run.
#include <gtest/gtest.h>

#include <boost/math/distributions/fisher_f.hpp>
#include <cmath>
#include <cstdio>
#include <string>

#include "stats/unpaired_t.h"
#include "tests/stats/report_expect.h"
#include "tests/test_support.h"

namespace lumo {
namespace {

using test::AnalysisFixture;
using test::Has;
using test::kDifference;
using test::kNoDifference;
using test::kPromptRule;
using test::kReportSeparator;
using test::kRule47;
using test::ReportBytes;
using test::TTableBlock;

constexpr char kReportName[] = "TkenteiRes.txt";
const std::string kStudentHeading = "\n\n 母分散に有意差がないので、Student検定をします。\n";
const std::string kWelchHeading = "\n\n 母分散に有意差がありますので、Welch検定をします。\n";

// `count` lines of one value each: from, from + step, ...
std::string Lines(double from, double step, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "%.10g\n", from + step * i);
        text += line;
    }
    return text;
}

const std::string kExampleReport =
    "\n\nMean1= 2.000000; SD1= 1.000000; No.=3\n"
    "Mean2= 5.000000; SD2= 1.000000; No.=3\n" +
    kStudentHeading + kRule47 + " 計算値：Ts= 3.674235;   \t\t自由度(N-2)= 4\n" + kRule47 +
    TTableBlock({"0.740700", "1.344400", "2.131800", "2.776400", "3.495400", "4.604100", "5.597600",
                 "6.758200"}) +
    kDifference;

TEST(UnpairedTTest, StudentExampleGivesTheDocumentedReport) {
    AnalysisFixture f;
    f.doc.m_nCount = 42;
    f.doc.m_nScatchard = 1;
    g_nWelch = 1;
    const auto run = f.Run(OnUnpairedTTest, "1\n2\n3\n////\n4\n5\n6\n", kReportName);
    EXPECT_TRUE(run.reported);
    EXPECT_EQ(run.reportBytes, ReportBytes(kExampleReport));
    EXPECT_EQ(run.appended, kReportSeparator + kExampleReport);
    EXPECT_EQ(run.messages, std::vector<std::string>{"Go to Student's test"});
    EXPECT_EQ(g_nWelch, 0);
    EXPECT_FALSE(run.modified);
    // It draws nothing: the plot mode is cleared and the points are left alone.
    EXPECT_EQ(f.doc.m_nScatchard, 0);
    EXPECT_EQ(f.doc.m_nLineweaver, 0);
    EXPECT_EQ(f.doc.m_nCount, 42);
}

TEST(UnpairedTTest, WelchWithTruncatedDegreesOfFreedom) {
    // Variances 1.67 and 54: F = 32.4 on (7, 3) degrees of freedom, beyond its 2.5% point.
    // nu = 7.82 is truncated, not rounded, to 7.
    AnalysisFixture f;
    const auto run =
        f.Run(OnUnpairedTTest, Lines(1, 1, 4) + "////\n" + Lines(3, 3, 8), kReportName);
    const std::string report =
        "\n\nMean1= 2.500000; SD1= 1.290994; No.=4\n"
        "Mean2= 13.500000; SD2= 7.348469; No.=8\n" +
        kWelchHeading + kRule47 + " 計算値：Tw= 4.108981;   \t\t自由度= 7\n" + kRule47 +
        TTableBlock({"0.711140", "1.254300", "1.894600", "2.364600", "2.841200", "3.499500",
                     "4.029300", "4.594600"}) +
        kDifference;
    EXPECT_TRUE(run.reported);
    EXPECT_EQ(run.reportBytes, ReportBytes(report));
    EXPECT_EQ(run.messages, std::vector<std::string>{"Go Welch's test"});
    EXPECT_EQ(g_nWelch, 1);
}

TEST(UnpairedTTest, ThirtyDegreesOfFreedomUseTheTableAndThirtyOneTheProbability) {
    AnalysisFixture f;
    // 16 + 16 values: df 30, the last row of the table.
    auto run = f.Run(OnUnpairedTTest, Lines(1, 1, 16) + "////\n" + Lines(3.5, 1, 16), kReportName);
    EXPECT_TRUE(Has(run.appended, "自由度(N-2)= 30\n" + kRule47 + "\n****"));
    EXPECT_TRUE(Has(run.appended, "\t  *0.05  \t\t2.042300\n"));
    EXPECT_FALSE(Has(run.appended, "確率"));

    // 16 + 17 values: df 31. |Ts| = 1.753391 lies between the one-sided (1.696) and the
    // two-sided (2.040) 5% points: decided two-sided, as the table would, it is no difference.
    run = f.Run(OnUnpairedTTest, Lines(1, 1, 16) + "////\n" + Lines(3.5, 1, 17), kReportName);
    const std::string tail =
        " 計算値：Ts= 1.753391;   \t\t自由度(N-2)= 31\n確率＝0.089419\n" + kNoDifference;
    EXPECT_TRUE(run.reported);
    EXPECT_EQ(run.appended.substr(run.appended.size() - tail.size()), tail);
    EXPECT_FALSE(Has(run.appended, "*****"));

    // Far enough apart, the probability path finds the difference.
    run = f.Run(OnUnpairedTTest, Lines(1, 1, 16) + "////\n" + Lines(9, 1, 17), kReportName);
    EXPECT_TRUE(Has(run.appended, "確率＝0.000"));
    EXPECT_TRUE(Has(run.appended, kDifference));
}

TEST(UnpairedTTest, WelchAboveThirtyDegreesOfFreedomPrintsNoProbability) {
    AnalysisFixture f;
    const auto run =
        f.Run(OnUnpairedTTest, Lines(10, 10, 40) + "////\n" + Lines(1, 1, 40), kReportName);
    EXPECT_EQ(run.messages, std::vector<std::string>{"Go Welch's test"});
    const std::string tail = " 計算値：Tw= 9.931947;   \t\t自由度= 39\n" + kDifference;
    EXPECT_EQ(run.appended.substr(run.appended.size() - tail.size()), tail);
    EXPECT_FALSE(Has(run.appended, "確率"));
}

// The variance ratio puts the larger variance on top, with its own degrees of freedom, and
// compares the sample variances themselves.
TEST(TestVarianceRatio, DecidesAtTheUpperTwoAndAHalfPercentPoint) {
    for (const int nTop : {2, 3, 5, 11, 31, 60}) {
        for (const int nOther : {2, 4, 9, 31, 100}) {
            const boost::math::fisher_f dist(nTop - 1, nOther - 1);
            const double critical = quantile(complement(dist, 0.025));
            for (const double factor : {0.999, 1.001}) {
                const double sdTop = std::sqrt(critical * factor);
                const int expected = factor > 1.0 ? 1 : 0;
                g_nWelch = 1 - expected;
                TestVarianceRatio(nTop, sdTop, nOther, 1.0);
                EXPECT_EQ(g_nWelch, expected) << nTop << " " << nOther << " " << factor;
                // The same two groups in the other order give the same outcome.
                g_nWelch = 1 - expected;
                TestVarianceRatio(nOther, 1.0, nTop, sdTop);
                EXPECT_EQ(g_nWelch, expected) << nOther << " " << nTop << " " << factor;
            }
        }
    }
}

TEST(TestVarianceRatio, SpreadlessGroups) {
    // One group without spread: the ratio is infinite and the variances differ.
    TestVarianceRatio(3, 0.0, 4, 2.0);
    EXPECT_EQ(g_nWelch, 1);
    TestVarianceRatio(3, 2.0, 4, 0.0);
    EXPECT_EQ(g_nWelch, 1);
    // Neither has spread: 0/0 gives no evidence of a difference.
    TestVarianceRatio(3, 0.0, 4, 0.0);
    EXPECT_EQ(g_nWelch, 0);
}

TEST(UnpairedTTest, EqualValuesHaveNoSpreadNotANotANumber) {
    AnalysisFixture f;
    // 0.1 three times: rounding makes the sum of squares slightly negative.
    auto run = f.Run(OnUnpairedTTest, "0.1\n0.1\n0.1\n////\n0.2\n0.2\n0.2\n", kReportName);
    EXPECT_TRUE(Has(run.appended, "Mean1= 0.100000; SD1= 0.000000; No.=3\n"));
    EXPECT_TRUE(Has(run.appended, "Mean2= 0.200000; SD2= 0.000000; No.=3\n"));
    EXPECT_EQ(run.messages, std::vector<std::string>{"Go to Student's test"});
    // Different means and no spread at all: an infinite statistic, a difference.
    EXPECT_TRUE(Has(run.appended, "Ts= inf;"));
    EXPECT_TRUE(Has(run.appended, kDifference));
    EXPECT_FALSE(Has(run.appended, "nan"));

    // One group without spread, the other with some: Welch, on the degrees of freedom of the
    // other group, even where rounding leaves nu at 1.9999999999999998 or 4.999999999999999.
    run = f.Run(OnUnpairedTTest, "5\n5\n5\n////\n1\n2\n3\n", kReportName);
    EXPECT_EQ(run.messages, std::vector<std::string>{"Go Welch's test"});
    EXPECT_TRUE(Has(run.appended, "自由度= 2\n"));
    run = f.Run(OnUnpairedTTest, "5\n5\n////\n6.29\n9\n7.43\n", kReportName);
    EXPECT_TRUE(Has(run.appended, "自由度= 2\n"));
    run = f.Run(OnUnpairedTTest, "5\n5\n5\n////\n8\n2.6\n7.6\n7\n1\n8.9\n", kReportName);
    EXPECT_TRUE(Has(run.appended, "自由度= 5\n"));
}

TEST(UnpairedTTest, NotANumberStatisticIsNeverADifference) {
    AnalysisFixture f;
    // Both groups equal and without spread: Ts is 0/0, on the table path and above it.
    auto run = f.Run(OnUnpairedTTest, "5\n5\n5\n////\n5\n5\n5\n", kReportName);
    EXPECT_TRUE(Has(run.appended, "Ts= nan;"));
    EXPECT_TRUE(Has(run.appended, kNoDifference));
    run = f.Run(OnUnpairedTTest, Lines(5, 0, 16) + "////\n" + Lines(5, 0, 17), kReportName);
    EXPECT_TRUE(Has(run.appended, "自由度(N-2)= 31\n"));
    EXPECT_TRUE(Has(run.appended, "確率＝nan\n" + kNoDifference));
    EXPECT_FALSE(Has(run.appended, "-nan"));
}

TEST(UnpairedTTest, ReadingRules) {
    AnalysisFixture f;
    // "//" alone separates; a line beginning with "--" ends the input inside group 2; lines
    // beginning with '/' inside group 2 are skipped.
    auto run = f.Run(OnUnpairedTTest, "1\n2\n3\n//\n/ note\n4\n5\n6\n--\n100\n", kReportName);
    EXPECT_EQ(run.reportBytes, ReportBytes(kExampleReport));
    // An empty line ends the input: what follows is not read.
    run = f.Run(OnUnpairedTTest, "1\n2\n3\n////\n4\n5\n6\n\n100\n", kReportName);
    EXPECT_EQ(run.reportBytes, ReportBytes(kExampleReport));
    // Leading blanks and a unit after the number are not read; a line of blanks, or a comma
    // that would cut a number, is no value to guess.
    run = f.Run(OnUnpairedTTest, " 0\n 2 mg\n4\n////\n4\n5\n6\n", kReportName);
    EXPECT_TRUE(Has(run.appended, "Mean1= 2.000000; SD1= 2.000000; No.=3\n"));
    run = f.Run(OnUnpairedTTest, "   \n 2,9\n4\n////\n4\n5\n6\n", kReportName);
    EXPECT_EQ(run.appended, kPromptRule + "1行目を数値として読めません：「   」\n");
    // Running again on the worksheet with its report reads the same data.
    const std::string text = "1\n2\n3\n////\n4\n5\n6\n";
    const auto first = f.Run(OnUnpairedTTest, text, kReportName);
    const auto second = f.Run(OnUnpairedTTest, text + first.appended, kReportName);
    EXPECT_EQ(second.reportBytes, first.reportBytes);
}

TEST(UnpairedTTestCommandLine, PrintsTheExampleReport) {
    test::TempDir cwd;
    auto result =
        test::RunLumo({"--run", "unpaired-t", test::ExamplePath("unpaired-t.txt")}, cwd.path());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, kReportSeparator + kExampleReport);
    EXPECT_EQ(result.err, "Go to Student's test\n");
    EXPECT_EQ(test::ReadFile(cwd.File(kReportName)), ReportBytes(kExampleReport));
}

}  // namespace
}  // namespace lumo
