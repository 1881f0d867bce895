// The paired t-test through its command handler and through lumo --run.
#include <gtest/gtest.h>

#include <string>

#include "stats/paired_t.h"
#include "tests/stats/report_expect.h"
#include "tests/test_support.h"

namespace lumo {
namespace {

using test::AnalysisFixture;
using test::Has;
using test::kDifference;
using test::kNoDifference;
using test::kReportSeparator;
using test::kRule47;
using test::ReportBytes;
using test::TTableBlock;

constexpr char kReportName[] = "PairedTRes.txt";
class CountingView : public IDocumentView {
  public:
    void OnUpdate(const void*) override { ++updates; }
    int updates = 0;
};

std::string Repeat(const std::string& line, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += line;
    return text;
}

const std::string kExampleReport =
    "\n\n差のMean=2.333333; 　SD=0.577350;　 No.=3\n"
    "\n\n   Student's test\n" +
    kRule47 + " 計算値：Ts= 7.000000;   \t\t自由度(N-1)= 2\n" + kRule47 +
    TTableBlock({"0.816500", "1.603600", "2.920000", "4.302700", "6.205300", "9.924800",
                 "14.089000", "19.962000"}) +
    kDifference;

TEST(PairedTTest, ExampleGivesTheDocumentedReport) {
    AnalysisFixture f;
    CountingView view;
    f.doc.AddView(&view);
    f.doc.m_nLineweaver = 1;
    const auto run = f.Run(OnPairedTTest, "5,3\n6,4\n7,4\n", kReportName);
    EXPECT_TRUE(run.reported);
    EXPECT_EQ(run.reportBytes, ReportBytes(kExampleReport));
    EXPECT_EQ(run.appended, kReportSeparator + kExampleReport);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_FALSE(run.modified);
    // The pairs go to the plot record, which draws nothing for this analysis.
    EXPECT_EQ(f.doc.m_nCount, 3);
    EXPECT_EQ(f.doc.m_dX[2], 7.0);
    EXPECT_EQ(f.doc.m_dY[2], 4.0);
    EXPECT_EQ(f.doc.m_nScatchard, 0);
    EXPECT_EQ(f.doc.m_nLineweaver, 0);
    EXPECT_EQ(view.updates, 1);
    f.doc.RemoveView(&view);
}

TEST(PairedTTest, ReadingRules) {
    AnalysisFixture f;
    // Blanks anywhere are ignored, a tab separates like a comma, the middle of three fields is
    // skipped, "--" anywhere in a line ends the input, and an empty line ends it too.
    for (const char* text :
         {"5 , 3\n6\t4\n 7,9,4\n", "5,3\n6,4\n7,4\n8,1 --\n1,1\n", "5,3\n6,4\n7,4\n\n1,1\n"}) {
        const auto run = f.Run(OnPairedTTest, text, kReportName);
        EXPECT_EQ(run.reportBytes, ReportBytes(kExampleReport)) << text;
    }
    // The same pairs the other way round: negative differences, the same |Ts| and decision.
    auto run = f.Run(OnPairedTTest, "3,5\n4,6\n4,7\n", kReportName);
    EXPECT_TRUE(Has(run.appended, "差のMean=-2.333333;"));
    EXPECT_TRUE(Has(run.appended, "Ts= 7.000000;"));
    EXPECT_TRUE(Has(run.appended, kDifference));
    // A single hyphen is a minus sign.
    run = f.Run(OnPairedTTest, "-1,-3\n0,-2\n1,-2\n", kReportName);
    EXPECT_EQ(run.reportBytes, ReportBytes(kExampleReport));
    // A line with no separator has no second value: the run names it rather than taking 0.
    run = f.Run(OnPairedTTest, "5,3\n6\n7,4\n", kReportName);
    EXPECT_FALSE(run.reported);
    EXPECT_TRUE(Has(run.appended, "2行目に数値が２つありません"));
    // Running again on the worksheet with its report reads the same pairs.
    const auto first = f.Run(OnPairedTTest, "5,3\n6,4\n7,4\n", kReportName);
    const auto second = f.Run(OnPairedTTest, "5,3\n6,4\n7,4\n" + first.appended, kReportName);
    EXPECT_EQ(second.reportBytes, first.reportBytes);
}

TEST(PairedTTest, ThirtyDegreesOfFreedomUseTheTableAndThirtyOneTheProbability) {
    AnalysisFixture f;
    // Differences 1.32 and -0.68 around a mean of 0.32: |Ts| = 0.32 sqrt(31) = 1.781685.
    auto run =
        f.Run(OnPairedTTest, Repeat("11.32,10\n", 15) + Repeat("9.32,10\n", 15) + "10.32,10\n",
              kReportName);
    EXPECT_TRUE(
        Has(run.appended, "Ts= 1.781685;   \t\t自由度(N-1)= 30\n" + kRule47 +
                              TTableBlock({"0.682760", "1.173100", "1.697300", "2.042300",
                                           "2.359600", "2.750000", "3.029800", "3.300000"}) +
                              kNoDifference));
    EXPECT_FALSE(Has(run.appended, "確率"));

    // 32 pairs, df 31: the same |Ts| lies beyond the one-sided 5% point (1.696) but not the
    // two-sided one (2.040). Decided two-sided, as the table decides, it is no difference.
    run = f.Run(OnPairedTTest, Repeat("11.32,10\n", 16) + Repeat("9.32,10\n", 16), kReportName);
    const std::string tail = " 計算値：Ts= 1.781685;   \t\t自由度(N-1)= 31\n" + kRule47 +
                             "確率＝0.084600\n" + kNoDifference;
    EXPECT_TRUE(run.reported);
    EXPECT_EQ(run.appended.substr(run.appended.size() - tail.size()), tail);
    EXPECT_FALSE(Has(run.appended, "*****"));

    run = f.Run(OnPairedTTest, Repeat("12.32,10\n", 16) + Repeat("10.32,10\n", 16), kReportName);
    EXPECT_TRUE(Has(run.appended, "確率＝0.000000\n" + kDifference));
}

TEST(PairedTTest, DifferencesWithoutSpread) {
    AnalysisFixture f;
    // All differences zero: Ts is 0/0, never a difference, on either path.
    auto run = f.Run(OnPairedTTest, "1,1\n2,2\n3,3\n", kReportName);
    EXPECT_TRUE(Has(run.appended, "差のMean=0.000000; 　SD=0.000000;　 No.=3\n"));
    EXPECT_TRUE(Has(run.appended, "Ts= nan;"));
    EXPECT_TRUE(Has(run.appended, kNoDifference));
    run = f.Run(OnPairedTTest, Repeat("4,4\n", 32), kReportName);
    EXPECT_TRUE(Has(run.appended, "確率＝nan\n" + kNoDifference));
    EXPECT_FALSE(Has(run.appended, "-nan"));
    // All differences equal and not zero (0.1 up to rounding): no spread, so the SD is 0 and
    // the difference is certain.
    run = f.Run(OnPairedTTest, "1.1,1\n2.1,2\n3.1,3\n4.1,4\n", kReportName);
    EXPECT_TRUE(Has(run.appended, "差のMean=0.100000; 　SD=0.000000;　 No.=4\n"));
    EXPECT_TRUE(Has(run.appended, kDifference));
    EXPECT_FALSE(Has(run.appended, "nan"));
}

TEST(PairedTTestCommandLine, PrintsTheExampleReport) {
    test::TempDir cwd;
    const auto result =
        test::RunLumo({"--run", "paired-t", test::ExamplePath("paired-t.txt")}, cwd.path());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, kReportSeparator + kExampleReport);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(test::ReadFile(cwd.File(kReportName)), ReportBytes(kExampleReport));
}

}  // namespace
}  // namespace lumo
