// The two Scatchard analyses through their command handlers and through lumo --run.
#include <gtest/gtest.h>

#include <filesystem>

#include "binding/scatchard.h"
#include "tests/test_support.h"

namespace lumo {
namespace {

using test::AnalysisFixture;
using test::ReportBytes;

using Handler = bool (*)(AnalysisContext&);

constexpr char kReportName[] = "ScatRes.txt";
const std::string kSeparator = "\n------------------------------------------\n";
const std::string kMarkFourPrompt =
    "\n----------------------------------\n４つのデータに X を付けて下さい。\n";
const std::string kNoData =
    " 先ず、「ファイル」->「開く」からデータを選ぶか、直接データを入力して下さい。\n";
constexpr char kGraphHint[] = "下部のウインドウを大きく";

// Points of x² + 2.5·x·y + y² − 5·x − 4·y = 0 rounded to four decimals, the four marked.
constexpr char kFourMarked[] = "1, 2.886 X\n2, 2 X\n3, 1.2604 X\n4, 0.6056 X\n";
const std::string kFourPointReport =
    "\n計算に使用しするためにチェックした４つの座標（グラフの○印）：\n"
    "(1.000000, 2.886000), (2.000000, 2.000000), (3.000000, 1.260400), (4.000000, 0.605600), \n"
    "\n漸近線\n"
    "Y = -1.998538 X +  2.001121\n"
    "Y = -0.499806 X + 1.998693\n"
    "   Kd = 0.500366;    Bmax= 1.001292 \n"
    "   Kd = 2.000778;    Bmax= 3.998940 \n";

// examples/scatchard-simplex.txt: ten noisy points of the same curve, four of them marked.
constexpr char kTenPoints[] =
    "0.25, 3.71\n0.5, 3.39\n1, 2.90 X\n1.5, 2.40\n2, 2.02 X\n2.5, 1.60\n3, 1.27 X\n"
    "3.5, 0.93\n4, 0.60 X\n4.5, 0.30\n";
const std::string kSimplexReport =
    "\n初期値を求めるための４つの座標（グラフの○印）：\n"
    "(1.000000, 2.900000), (2.000000, 2.020000), (3.000000, 1.270000), (4.000000, 0.600000), \n"
    "iteration: 27\n"
    "parameters for: AX^2+BXY+Y^2+CX+DY=0 \n"
    "A:  0.963803 ± 0.009457\n"
    "B:  2.453234 ± 0.023631\n"
    "C:  -4.824322 ± 0.046953\n"
    "D:  -4.004070 ± 0.039702\n"
    "\n\n漸近線\n"
    "Y = -1.961998 X +  2.061282\n"
    "Y = -0.491236 X + 1.942788\n"
    "   Kd = 0.509684;    Bmax= 1.050603 \n"
    "   Kd = 2.035683;    Bmax= 3.954901 \n";

// Counts the redraw requests the graph pane would get.
class CountingView : public IDocumentView {
  public:
    void OnUpdate(const void*) override { ++updates; }
    int updates = 0;
};

int MarkedCount(const CLumoDoc& doc) {
    int n = 0;
    for (const int mark : doc.m_nMark) n += mark;
    return n;
}

TEST(ScatchardPlots, FourMarkedPointsGiveTheDocumentedReportAndPlot) {
    AnalysisFixture f;
    CountingView graph;
    f.doc.AddView(&graph);
    const auto run = f.Run(OnScatchardPlots, kFourMarked, kReportName);
    EXPECT_TRUE(run.reported);
    EXPECT_EQ(run.reportBytes, ReportBytes(kFourPointReport));
    EXPECT_EQ(run.appended, kSeparator + kFourPointReport);
    EXPECT_FALSE(run.modified);
    EXPECT_EQ(run.messages, std::vector<std::string>{kGraphHint});
    EXPECT_EQ(graph.updates, 1);

    const CLumoDoc& d = f.doc;
    EXPECT_EQ(d.m_nScatchard, 1);
    EXPECT_EQ(d.m_nLineweaver, 0);
    EXPECT_EQ(d.m_nCount, 4);
    EXPECT_EQ(d.m_dX[2], 3.0);
    EXPECT_EQ(d.m_dY[2], 1.2604);
    EXPECT_EQ(d.m_dXMin, 1.0);
    EXPECT_EQ(d.m_dXMax, 4.0);
    EXPECT_EQ(d.m_dYMax, 2.886);
    EXPECT_NEAR(d.m_dKa1, 1.998538, 5e-7);
    EXPECT_NEAR(d.m_dBmax1, 1.001292, 5e-7);
    EXPECT_NEAR(d.m_dKa2, 0.499806, 5e-7);
    EXPECT_NEAR(d.m_dBmax2, 3.998940, 5e-7);
    for (int i = 0; i < kMaxPoints; ++i) EXPECT_EQ(d.m_nMark[i], i < 4 ? 1 : 0) << i;
}

TEST(ScatchardPlots, EveryByteFromCapitalAToSmallZMarksALine) {
    AnalysisFixture f;
    // An exponent letter, a small letter, a full-width X (its second CP932 byte is 'w') and the
    // underscore between 'Z' and 'a' all mark; a circle and a hiragana (no byte in range) and
    // unmarked lines take no part in the four-point conic.
    const auto run = f.Run(OnScatchardPlots,
                           "0.5, 3.4099 ○\n1e0, 2.886\n2, 2 x\n2.5, 1.6165 あ\n3, 1.2604 Ｘ\n"
                           "4, 0.6056 _\n",
                           kReportName);
    EXPECT_EQ(run.appended, kSeparator + kFourPointReport);
    const int expected[] = {0, 1, 1, 0, 1, 1};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(f.doc.m_nMark[i], expected[i]) << i;
    // The unmarked points are stored for the graph all the same.
    EXPECT_EQ(f.doc.m_nCount, 6);
    EXPECT_EQ(f.doc.m_dX[0], 0.5);
    EXPECT_EQ(f.doc.m_dXMin, 0.5);
    EXPECT_EQ(f.doc.m_dYMax, 3.4099);
}

TEST(ScatchardPlots, AMarkBeforeTheNumbersLeavesTheLineWithoutItsX) {
    AnalysisFixture f;
    const auto run =
        f.Run(OnScatchardPlots, "X1, 2.886\n2, 2 X\n3, 1.2604 X\n4, 0.6056 X\n", kReportName);
    EXPECT_FALSE(run.reported);
    EXPECT_EQ(run.appended,
              "\n----------------------------------\n1行目を数値として読めません：「X1, 2.886」\n");
}

TEST(ScatchardPlots, MarksOfAnEarlierLongerRunAreAllCleared) {
    AnalysisFixture f;
    std::string hundred;
    for (int i = 0; i < 100; ++i) {
        hundred += std::to_string(1 + i * 0.03) + ", " + std::to_string(3 - i * 0.025);
        hundred += (i < 3 || i == 99) ? " X\n" : "\n";
    }
    ASSERT_TRUE(f.Run(OnScatchardPlots, hundred, kReportName).reported);
    EXPECT_EQ(f.doc.m_nMark[99], 1);
    EXPECT_EQ(f.doc.m_nCount, 100);
    for (const Handler handler : {OnScatchardPlots, OnScatchardSimplex}) {
        f.doc.m_nMark[99] = 1;
        ASSERT_TRUE(f.Run(handler, kFourMarked, kReportName).reported);
        EXPECT_EQ(f.doc.m_nMark[99], 0);
        EXPECT_EQ(MarkedCount(f.doc), 4);
    }
}

TEST(ScatchardPrompts, NotExactlyFourMarksAsksForFourAndLeavesTheSheetModified) {
    for (const Handler handler : {OnScatchardPlots, OnScatchardSimplex}) {
        AnalysisFixture f;
        CountingView graph;
        f.doc.AddView(&graph);
        f.doc.m_nCount = 77;
        f.doc.m_dKa1 = 5.0;
        f.doc.m_nLineweaver = 1;
        for (const char* text :
             {"1, 2.886 X\n2, 2 X\n3, 1.2604 X\n",                         // three
              "1, 2.886 X\n2, 2 X\n3, 1.2604 X\n4, 0.6056 X\n5, 0.1 X\n",  // five
              "--\n1, 2.886 X\n2, 2 X\n3, 1.2604 X\n4, 0.6056 X\n"}) {
            SCOPED_TRACE(text);
            const auto run = f.Run(handler, text, kReportName, /*modifiedBefore=*/false);
            EXPECT_FALSE(run.reported);
            EXPECT_EQ(run.appended, kMarkFourPrompt);
            EXPECT_TRUE(run.modified);
            EXPECT_TRUE(run.reportExists);
            EXPECT_EQ(run.reportBytes, "");
            EXPECT_TRUE(run.messages.empty());
            // Mode, marks and points are in the record; the count, extents and lines are not.
            EXPECT_EQ(f.doc.m_nScatchard, 1);
            EXPECT_EQ(f.doc.m_nLineweaver, 0);
            EXPECT_EQ(f.doc.m_nCount, 77);
            EXPECT_EQ(f.doc.m_dKa1, 5.0);
        }
        EXPECT_EQ(graph.updates, 0);
        // A title line is not a marked row: the first row is the first data line.
        f.Run(handler, "B, B/F\n1, 2.886 X\n", kReportName);
        EXPECT_EQ(f.doc.m_nMark[0], 1);
        EXPECT_EQ(f.doc.m_nMark[1], 0);
        EXPECT_EQ(f.doc.m_dX[0], 1.0);
    }
}

TEST(ScatchardPrompts, NoDataGivesTheNoDataMessageAndACleanSheet) {
    for (const Handler handler : {OnScatchardPlots, OnScatchardSimplex}) {
        AnalysisFixture f;
        for (const char* text : {"", "\n1, 2.886 X\n2, 2 X\n3, 1.2604 X\n4, 0.6056 X\n"}) {
            const auto run = f.Run(handler, text, kReportName);
            EXPECT_FALSE(run.reported);
            EXPECT_EQ(run.appended, kNoData);
            EXPECT_FALSE(run.modified);
            EXPECT_EQ(run.reportBytes, "");
            EXPECT_TRUE(run.messages.empty());
            EXPECT_EQ(f.doc.m_nScatchard, 1);
        }
    }
}

TEST(ScatchardPrompts, MoreThanOneHundredLinesComputesNothing) {
    for (const Handler handler : {OnScatchardPlots, OnScatchardSimplex}) {
        AnalysisFixture f;
        std::string text = kFourMarked;
        for (int i = 0; i < 97; ++i) text += "5, 0.1\n";
        f.doc.m_nCount = 7;
        f.doc.m_nMark[50] = 1;
        const auto run = f.Run(handler, text, kReportName);
        EXPECT_FALSE(run.reported);
        EXPECT_EQ(run.appended.rfind("\n----------------------------------\n", 0), 0u);
        EXPECT_NE(run.appended.find("１００行"), std::string::npos);
        EXPECT_EQ(run.reportBytes, "");
        EXPECT_TRUE(run.messages.empty());
        EXPECT_EQ(f.doc.m_nCount, 7);
        EXPECT_EQ(MarkedCount(f.doc), 0);
        // One line fewer is within capacity.
        text.resize(text.size() - 7);
        EXPECT_TRUE(f.Run(handler, text, kReportName).reported);
        EXPECT_EQ(f.doc.m_nCount, 100);
    }
}

TEST(ScatchardSimplex, ReportsStartPointsFitAndLines) {
    AnalysisFixture f;
    CountingView graph;
    f.doc.AddView(&graph);
    const auto run = f.Run(OnScatchardSimplex, kTenPoints, kReportName);
    EXPECT_TRUE(run.reported);
    EXPECT_EQ(run.reportBytes, ReportBytes(kSimplexReport));
    EXPECT_EQ(run.appended, kSeparator + kSimplexReport);
    EXPECT_FALSE(run.modified);
    EXPECT_EQ(run.messages, std::vector<std::string>{kGraphHint});
    EXPECT_EQ(graph.updates, 1);

    const CLumoDoc& d = f.doc;
    EXPECT_EQ(d.m_nScatchard, 1);
    EXPECT_EQ(d.m_nLineweaver, 0);
    EXPECT_EQ(d.m_nCount, 10);
    EXPECT_EQ(d.m_dXMin, 0.25);
    EXPECT_EQ(d.m_dXMax, 4.5);
    EXPECT_EQ(d.m_dYMax, 3.71);
    EXPECT_NEAR(d.m_dKa1, 1.961998, 5e-7);
    EXPECT_NEAR(d.m_dBmax1, 1.050603, 5e-7);
    EXPECT_NEAR(d.m_dKa2, 0.491236, 5e-7);
    EXPECT_NEAR(d.m_dBmax2, 3.954901, 5e-7);
    EXPECT_EQ(MarkedCount(d), 4);
    EXPECT_EQ(d.m_nMark[2], 1);
}

TEST(ScatchardSimplex, UnmarkedLinesEnterTheFitButNotTheFourPointConic) {
    AnalysisFixture f;
    const std::string marked = "1, 2.90 X\n2, 2.02 X\n3, 1.27 X\n4, 0.60 X\n";
    const auto lines = [](const std::string& appended) {
        return appended.substr(appended.find("漸近線"));
    };
    const auto fourOnly = f.Run(OnScatchardPlots, marked, kReportName);
    const auto fourWithOthers = f.Run(OnScatchardPlots, kTenPoints, kReportName);
    EXPECT_EQ(lines(fourOnly.appended), lines(fourWithOthers.appended));
    const auto fitFour = f.Run(OnScatchardSimplex, marked, kReportName);
    const auto fitTen = f.Run(OnScatchardSimplex, kTenPoints, kReportName);
    EXPECT_TRUE(fitFour.reported);
    EXPECT_NE(lines(fitFour.appended), lines(fitTen.appended));
}

TEST(ScatchardSimplex, AFitThatDoesNotConvergeSaysSoAfterItsResults) {
    AnalysisFixture f;
    // The first marked point at x = 0 leaves the four-point conic without a pivot: no number
    // to start from, so the fit runs to its limit.
    const auto run =
        f.Run(OnScatchardSimplex, "0, 4 X\n1, 2.886 X\n2, 2 X\n3, 1.2604 X\n", kReportName);
    EXPECT_TRUE(run.reported);
    const std::string note =
        "D:  nan ± nan\n"
        "注意：10000回の反復では収束しなかったため、計算を打ち切りました。"
        "上の値はその時点で最も良い値です。\n"
        "\n\n漸近線\n";
    EXPECT_NE(run.appended.find("iteration: 10000\n"), std::string::npos);
    EXPECT_NE(run.appended.find(note), std::string::npos) << run.appended;
    EXPECT_EQ(run.appended.find("-nan"), std::string::npos);
    EXPECT_EQ(run.messages, std::vector<std::string>{kGraphHint});
    // A fit that converges has no such line.
    EXPECT_EQ(f.Run(OnScatchardSimplex, kTenPoints, kReportName).appended.find("注意"),
              std::string::npos);
}

TEST(ScatchardReportFile, ThatCannotBeCreatedIsToldAndNothingIsReported) {
    for (const Handler handler : {OnScatchardPlots, OnScatchardSimplex}) {
        AnalysisFixture f;
        f.sheet.SetText(kFourMarked);
        AnalysisContext ctx(f.sheet, f.doc, f.messages);
        ctx.SetReportDirectory(f.dir.File("no-such-folder"));
        EXPECT_FALSE(handler(ctx));
        EXPECT_NE(f.sheet.Appended().find("ScatRes.txt"), std::string::npos);
        EXPECT_NE(f.sheet.Appended().find("no-such-folder"), std::string::npos);
        EXPECT_EQ(f.sheet.Appended().find("漸近線"), std::string::npos);
        EXPECT_TRUE(f.messages.messages.empty());
    }
}

TEST(ScatchardReportFile, ALinkAtTheReportNameStopsTheRunBeforeTheFit) {
    AnalysisFixture f;
    std::error_code ec;
    std::filesystem::create_symlink("/dev/full", f.dir.File(kReportName), ec);
    if (ec) GTEST_SKIP() << "cannot make a link here";
    f.sheet.SetText(kTenPoints);
    AnalysisContext ctx(f.sheet, f.doc, f.messages);
    ctx.SetReportDirectory(f.dir.path());
    EXPECT_FALSE(OnScatchardSimplex(ctx));
    EXPECT_NE(f.sheet.Appended().find("通常のファイルではない"), std::string::npos);
    EXPECT_EQ(f.sheet.Appended().find("iteration"), std::string::npos);
}

TEST(ScatchardCommandLine, RunsBothAnalysesOnTheExamples) {
    struct Case {
        const char* name;
        const char* file;
        const std::string& report;
    };
    for (const Case& c : {Case{"scatchard", "scatchard.txt", kFourPointReport},
                          Case{"scatchard-simplex", "scatchard-simplex.txt", kSimplexReport}}) {
        SCOPED_TRACE(c.name);
        test::TempDir cwd;
        const auto result = test::RunLumo({"--run", c.name, test::ExamplePath(c.file)}, cwd.path());
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out, kSeparator + c.report);
        EXPECT_EQ(result.err, std::string(kGraphHint) + "\n");
        EXPECT_EQ(test::ReadFile(cwd.File(kReportName)), ReportBytes(c.report));
    }
}

TEST(ScatchardCommandLine, APromptExitsWithOne) {
    test::TempDir cwd;
    test::WriteFile(cwd.File("three.txt"), "1, 2.886 X\r\n2, 2 X\r\n3, 1.2604 X\r\n");
    for (const char* name : {"scatchard", "scatchard-simplex"}) {
        const auto result = test::RunLumo({"--run", name, "three.txt"}, cwd.path());
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, kMarkFourPrompt);
        EXPECT_EQ(result.err, "");
    }
}

}  // namespace
}  // namespace lumo
