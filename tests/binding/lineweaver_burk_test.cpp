// The Lineweaver-Burk analysis through its command handler and through lumo --run.
#include <gtest/gtest.h>

#include <cmath>

#include "binding/lineweaver_burk.h"
#include "tests/test_support.h"

namespace lumo {
namespace {

using test::AnalysisFixture;
using test::ReportBytes;

constexpr char kReportName[] = "LinewRes.txt";
const std::string kSeparator = "\n------------------------------------------\n";
const std::string kThreePointReport =
    "(1.000000, 0.500000)\n"
    "(2.000000, 0.800000)\n"
    "(4.000000, 1.000000)\n"
    "\n (1/[s], 1/[v])\n"
    "(1.000000, 2.000000)\n"
    "(0.500000, 1.250000)\n"
    "(0.250000, 1.000000)\n"
    "\nY= 1.357143 X＋0.625000\n"
    "r= 0.995871\n"
    "\nKm= 2.171429\n"
    "Vmax= 1.600000\n";
const std::string kNoNumbers =
    "\nY= nan X＋nan\n"
    "r= nan\n"
    "\nKm= nan\n"
    "Vmax= nan\n";

// What the graph pane sees when it is told to redraw.
class RecordingView : public IDocumentView {
  public:
    explicit RecordingView(const CLumoDoc& doc) : m_doc(doc) {}
    void OnUpdate(const void*) override {
        ++updates;
        countAtUpdate = m_doc.m_nCount;
        xMaxAtUpdate = m_doc.m_dXMax;
        yMaxAtUpdate = m_doc.m_dYMax;
    }
    int updates = 0;
    int countAtUpdate = -1;
    double xMaxAtUpdate = -1.0;
    double yMaxAtUpdate = -1.0;

  private:
    const CLumoDoc& m_doc;
};

TEST(LineweaverBurk, ThreePointsGiveTheDocumentedReportAndPlot) {
    AnalysisFixture f;
    f.doc.m_nScatchard = 1;
    const auto run = f.Run(OnLineweaverBurkPlots, "1, 0.5\n2, 0.8\n4, 1.0\n", kReportName);
    EXPECT_TRUE(run.reported);
    EXPECT_EQ(run.reportBytes, ReportBytes(kThreePointReport));
    EXPECT_EQ(run.appended, kSeparator + kThreePointReport);
    EXPECT_FALSE(run.modified);
    EXPECT_TRUE(run.messages.empty());

    const CLumoDoc& d = f.doc;
    EXPECT_EQ(d.m_nScatchard, 0);
    EXPECT_EQ(d.m_nLineweaver, 1);
    EXPECT_EQ(d.m_nCount, 3);
    EXPECT_EQ(d.m_dXMax, 1.0);
    EXPECT_EQ(d.m_dYMax, 2.0);
    EXPECT_NEAR(d.m_dLbSlope, 1.357143, 5e-7);
    EXPECT_NEAR(d.m_dLbIntercept, 0.625, 1e-12);
    // The record holds the reciprocals, not the typed values.
    const double x[] = {1.0, 0.5, 0.25};
    const double y[] = {2.0, 1.25, 1.0};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(d.m_dX[i], x[i]) << i;
        EXPECT_EQ(d.m_dY[i], y[i]) << i;
    }
}

TEST(LineweaverBurk, AsksTheGraphPaneOnceToRedrawButNotTheWorksheet) {
    AnalysisFixture f;
    RecordingView worksheetView(f.doc);
    RecordingView graph(f.doc);
    f.doc.AddView(&worksheetView);
    f.doc.AddView(&graph);
    f.sheet.SetText("1, 0.5\n2, 0.8\n4, 1.0\n");
    AnalysisContext ctx(f.sheet, f.doc, f.messages, &worksheetView);
    ctx.SetReportDirectory(f.dir.path());
    EXPECT_TRUE(OnLineweaverBurkPlots(ctx));
    EXPECT_EQ(worksheetView.updates, 0);
    EXPECT_EQ(graph.updates, 1);
    // By then the scale is known.
    EXPECT_EQ(graph.countAtUpdate, 3);
    EXPECT_EQ(graph.xMaxAtUpdate, 1.0);
    EXPECT_EQ(graph.yMaxAtUpdate, 2.0);
}

TEST(LineweaverBurk, UsesTheFirstAndLastFieldAndIgnoresLetters) {
    AnalysisFixture f;
    const auto plain = f.Run(OnLineweaverBurkPlots, "1, 0.5\n2, 0.8\n4, 1.0\n", kReportName);
    const auto fields =
        f.Run(OnLineweaverBurkPlots, "1, 9, 0.5 X\n2\t9\t0.8\n4 , 1.0 mM\n", kReportName);
    EXPECT_TRUE(fields.reported);
    EXPECT_EQ(fields.reportBytes, plain.reportBytes);
}

TEST(LineweaverBurk, AStopLineFirstGivesAReportWithoutNumbers) {
    AnalysisFixture f;
    f.doc.m_nCount = 9;
    const auto run = f.Run(OnLineweaverBurkPlots, "--\n1, 0.5\n", kReportName);
    EXPECT_TRUE(run.reported);
    EXPECT_EQ(run.appended, kSeparator + "\n (1/[s], 1/[v])\n" + kNoNumbers);
    EXPECT_EQ(f.doc.m_nCount, 0);
    EXPECT_EQ(f.doc.m_dXMax, 1.0 / 999999.0);
    EXPECT_EQ(f.doc.m_dYMax, 1.0 / 999999.0);
}

TEST(LineweaverBurk, DegenerateDataPrintsNonFiniteValuesPortably) {
    AnalysisFixture f;
    // One point: no line can be fitted.
    auto run = f.Run(OnLineweaverBurkPlots, "2, 0.5\n", kReportName);
    EXPECT_TRUE(run.reported);
    EXPECT_NE(run.appended.find("(0.500000, 2.000000)\n" + kNoNumbers), std::string::npos);
    // A zero concentration has an infinite reciprocal.
    run = f.Run(OnLineweaverBurkPlots, "0, 0.5\n2, 0.8\n4, 1.0\n", kReportName);
    EXPECT_TRUE(run.reported);
    EXPECT_NE(run.appended.find("(inf, 2.000000)\n"), std::string::npos);
    EXPECT_EQ(run.appended.find("-nan"), std::string::npos);
    EXPECT_EQ(f.doc.m_dXMax, HUGE_VAL);
}

TEST(LineweaverBurk, TheScaleStopsAtTheReciprocalOf999999) {
    AnalysisFixture f;
    ASSERT_TRUE(
        f.Run(OnLineweaverBurkPlots, "2000000, 3000000\n4000000, 5000000\n", kReportName).reported);
    EXPECT_EQ(f.doc.m_dXMax, 1.0 / 999999.0);
    EXPECT_EQ(f.doc.m_dYMax, 1.0 / 999999.0);
    EXPECT_EQ(f.doc.m_dX[0], 1.0 / 2000000.0);
}

TEST(LineweaverBurk, NoDataGivesTheMessageAndKeepsThePlot) {
    AnalysisFixture f;
    f.doc.m_nCount = 5;
    f.doc.m_dLbSlope = 3.0;
    for (const char* text : {"", "\n1, 0.5\n"}) {
        const auto run = f.Run(OnLineweaverBurkPlots, text, kReportName);
        EXPECT_FALSE(run.reported);
        EXPECT_EQ(
            run.appended,
            " 先ず、「ファイル」->「開く」からデータを選ぶか、直接データを入力して下さい。\n");
        EXPECT_FALSE(run.modified);
        EXPECT_TRUE(run.reportExists);
        EXPECT_EQ(run.reportBytes, "");
        EXPECT_EQ(f.doc.m_nLineweaver, 1);
        EXPECT_EQ(f.doc.m_nCount, 5);
        EXPECT_EQ(f.doc.m_dLbSlope, 3.0);
    }
}

TEST(LineweaverBurk, MoreThanOneHundredLinesComputesNothing) {
    AnalysisFixture f;
    std::string text;
    for (int i = 1; i <= 101; ++i) text += std::to_string(i) + ", " + std::to_string(i + 1) + "\n";
    f.doc.m_nCount = 7;
    const auto run = f.Run(OnLineweaverBurkPlots, text, kReportName);
    EXPECT_FALSE(run.reported);
    EXPECT_EQ(run.appended.rfind("\n----------------------------------\n", 0), 0u);
    EXPECT_NE(run.appended.find("１００行"), std::string::npos);
    EXPECT_EQ(run.reportBytes, "");
    EXPECT_EQ(f.doc.m_nCount, 7);
    text.resize(text.rfind("101,"));
    EXPECT_TRUE(f.Run(OnLineweaverBurkPlots, text, kReportName).reported);
    EXPECT_EQ(f.doc.m_nCount, 100);
}

TEST(LineweaverBurkCommandLine, ReportsTheExample) {
    test::TempDir cwd;
    const auto result = test::RunLumo(
        {"--run", "lineweaver-burk", test::ExamplePath("lineweaver-burk.txt")}, cwd.path());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, kSeparator + kThreePointReport);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(test::ReadFile(cwd.File(kReportName)), ReportBytes(kThreePointReport));
}

TEST(LineweaverBurkCommandLine, AnEmptyWorksheetExitsWithOne) {
    test::TempDir cwd;
    test::WriteFile(cwd.File("empty.txt"), "");
    const auto result = test::RunLumo({"--run", "lineweaver-burk", "empty.txt"}, cwd.path());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(test::ReadFile(cwd.File(kReportName)), "");
}

}  // namespace
}  // namespace lumo
