// Correlation through its command handler and through lumo --run.
#include <gtest/gtest.h>

#include "stats/correlation.h"
#include "tests/test_support.h"
#include "worksheet/cp932.h"

namespace lumo {
namespace {

using test::AnalysisFixture;
using test::ReportBytes;

constexpr char kReportName[] = "SokanRes.txt";
const std::string kSeparator = "\n------------------------------------------\n";

TEST(Correlation, PerfectLineGivesTheDocumentedReport) {
    AnalysisFixture f;
    const std::string report =
        "\n平均： X= 2.000000, Y= 4.000000\n"
        "分散： 1.000000, 4.000000\n"
        "Sxy：4.000000\n"
        "共分散：2.000000\n"
        "相関係数(r)= 1.000000\n"
        "Y= 2.000000 X＋0.000000\n";
    const auto run = f.Run(OnCorrelation, "1,2\n2,4\n3,6", kReportName);
    EXPECT_TRUE(run.reported);
    EXPECT_EQ(run.reportBytes, ReportBytes(report));
    EXPECT_EQ(run.appended, kSeparator + report);
    EXPECT_FALSE(run.modified);
    EXPECT_EQ(f.doc.m_nCount, 3);
    EXPECT_EQ(f.doc.m_dX[2], 3.0);
    EXPECT_EQ(f.doc.m_dY[2], 6.0);
    EXPECT_EQ(f.doc.m_nScatchard, 0);
    EXPECT_EQ(f.doc.m_nLineweaver, 0);
}

TEST(Correlation, NegativeSlopeAndNegativeIntercept) {
    AnalysisFixture f;
    auto run = f.Run(OnCorrelation, "1,3\n2,2\n3,1\n", kReportName);
    EXPECT_NE(run.appended.find("相関係数(r)= -1.000000\n"), std::string::npos);
    EXPECT_NE(run.appended.find("Y= -1.000000 X＋4.000000\n"), std::string::npos);
    // A negative intercept stands right after the full-width plus sign.
    run = f.Run(OnCorrelation, "1,0\n2,1\n3,2\n", kReportName);
    EXPECT_NE(run.appended.find("Y= 1.000000 X＋-1.000000\n"), std::string::npos);
}

TEST(Correlation, UsesFirstAndLastFieldAndStopsBeforeEarlierReports) {
    AnalysisFixture f;
    const auto first = f.Run(OnCorrelation, "1,9,2\n2,9,4\n3,9,6\n", kReportName);
    // Running again on the worksheet with its report appended reads the same three rows.
    const std::string withReport = "1,9,2\n2,9,4\n3,9,6\n" + first.appended;
    const auto second = f.Run(OnCorrelation, withReport, kReportName);
    EXPECT_EQ(first.reportBytes, second.reportBytes);
    EXPECT_NE(second.appended.find("Y= 2.000000 X＋0.000000"), std::string::npos);
}

TEST(Correlation, NoDataLeavesOnlyTheMessageAndAnEmptyReport) {
    AnalysisFixture f;
    for (const char* text : {"", "\n1,2\n2,4\n"}) {
        const auto run = f.Run(OnCorrelation, text, kReportName);
        EXPECT_FALSE(run.reported);
        EXPECT_EQ(
            run.appended,
            " 先ず、「ファイル」->「開く」からデータを選ぶか、直接データを入力して下さい。\n");
        EXPECT_TRUE(run.reportExists);
        EXPECT_EQ(run.reportBytes, "");
        EXPECT_FALSE(run.modified);
    }
}

TEST(Correlation, DegenerateDataPrintsNonFiniteValuesPortably) {
    AnalysisFixture f;
    // A stop line first: zero rows, every figure 0/0.
    auto run = f.Run(OnCorrelation, "--\n1,2\n", kReportName);
    EXPECT_TRUE(run.reported);
    EXPECT_NE(run.appended.find("平均： X= nan, Y= nan\n"), std::string::npos);
    EXPECT_EQ(run.appended.find("-nan"), std::string::npos);
    EXPECT_EQ(f.doc.m_nCount, 0);
    // One row: the variances divide by zero.
    run = f.Run(OnCorrelation, "2,5\n", kReportName);
    EXPECT_NE(run.appended.find("分散： nan, nan\n"), std::string::npos);
    // All x equal: the slope is infinite or not a number, never "-nan".
    run = f.Run(OnCorrelation, "1,1\n1,2\n1,3\n", kReportName);
    EXPECT_EQ(run.appended.find("-nan"), std::string::npos);
}

TEST(Correlation, MoreThanOneHundredRowsComputesNothing) {
    AnalysisFixture f;
    std::string text;
    for (int i = 0; i < 101; ++i) text += std::to_string(i) + "," + std::to_string(2 * i) + "\n";
    f.doc.m_nCount = 7;
    const auto run = f.Run(OnCorrelation, text, kReportName);
    EXPECT_FALSE(run.reported);
    EXPECT_EQ(run.appended.rfind("\n----------------------------------\n", 0), 0u);
    EXPECT_NE(run.appended.find("１００行"), std::string::npos);
    EXPECT_EQ(run.reportBytes, "");
    EXPECT_EQ(f.doc.m_nCount, 7);
    // Exactly one hundred rows are fine.
    text.resize(text.rfind("100,"));
    EXPECT_TRUE(f.Run(OnCorrelation, text, kReportName).reported);
    EXPECT_EQ(f.doc.m_nCount, 100);
}

TEST(Correlation, ReportFileThatCannotBeCreatedIsNotASuccess) {
    AnalysisFixture f;
    TextWorksheet& sheet = f.sheet;
    sheet.SetText("1,2\n2,4\n");
    AnalysisContext ctx(sheet, f.doc, f.messages);
    ctx.SetReportDirectory(f.dir.File("no-such-folder"));
    EXPECT_FALSE(OnCorrelation(ctx));
    EXPECT_NE(sheet.Appended().find("SokanRes.txt"), std::string::npos);
    EXPECT_NE(sheet.Appended().find("no-such-folder"), std::string::npos);
    EXPECT_EQ(sheet.Appended().find("平均"), std::string::npos);
}

TEST(CorrelationCommandLine, PrintsTheAppendedTextAndWritesTheReport) {
    test::TempDir cwd;
    const auto result =
        test::RunLumo({"--run", "correlation", test::ExamplePath("correlation.txt")}, cwd.path());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::string report =
        "\n平均： X= 2.000000, Y= 4.000000\n"
        "分散： 1.000000, 4.000000\n"
        "Sxy：4.000000\n"
        "共分散：2.000000\n"
        "相関係数(r)= 1.000000\n"
        "Y= 2.000000 X＋0.000000\n";
    EXPECT_EQ(result.out, kSeparator + report);
    EXPECT_EQ(test::ReadFile(cwd.File(kReportName)), ReportBytes(report));
}

}  // namespace
}  // namespace lumo
