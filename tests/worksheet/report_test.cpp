// Appending reports and messages to the worksheet, and the document's modified flag.
#include <gtest/gtest.h>

#include <string>

#include "tests/test_support.h"
#include "worksheet/cp932.h"
#include "worksheet/report.h"

namespace lumo {
namespace {

struct Context {
    test::TempDir dir;
    TextWorksheet sheet;
    CLumoDoc doc;
    test::RecordingMessageBox messages;
    AnalysisContext ctx{sheet, doc, messages};
    Context() {
        doc.AttachWorksheet(&sheet);
        ctx.SetReportDirectory(dir.path());
    }
};

TEST(ReportAppend, SeparatorThenReportWithCrLfAndTheModifiedFlagAsBefore) {
    // A report leaves an unedited worksheet clean and never makes unsaved typing count as saved.
    for (const bool modifiedBefore : {false, true}) {
        test::TempDir dir;
        TextWorksheet sheet("1,2");
        CLumoDoc doc;
        doc.AttachWorksheet(&sheet);
        doc.SetModifiedFlag(modifiedBefore);
        test::RecordingMessageBox messages;
        AnalysisContext ctx(sheet, doc, messages);
        ctx.SetReportDirectory(dir.path());
        // A report of three lines, one with a lone LF and one NUL that is dropped.
        test::WriteFile(dir.File("r.txt"), std::string("a\r\nb\nc\0d\r\n", 11));
        ASSERT_TRUE(ctx.AppendReportFile("r.txt"));
        EXPECT_EQ(sheet.GetText(), "1,2\n------------------------------------------\na\nb\ncd\n");
        EXPECT_EQ(doc.IsModified(), modifiedBefore);
        ctx.AppendNoDataMessage();
        EXPECT_EQ(doc.IsModified(), modifiedBefore);
    }
}

TEST(ReportAppend, MissingReportFileLeavesTheDocumentModified) {
    Context c;
    c.doc.SetModifiedFlag(false);
    EXPECT_FALSE(c.ctx.AppendReportFile("none.txt"));
    EXPECT_EQ(c.sheet.Appended(), "\n Can't find the File! \n");
    EXPECT_TRUE(c.doc.IsModified());
}

TEST(ReportAppend, ReportFileIsStoredInCp932WithCrLf) {
    Context c;
    ReportFile report;
    ASSERT_TRUE(c.ctx.OpenReport(report, "r.txt", "w"));
    report.Printf("\n%c:  %f ± %f\n", 'A', 1.5, 0.25);
    report.Printf("Y= %f X＋%f\n", 2.0, -1.0);
    ASSERT_TRUE(report.Close());
    EXPECT_EQ(test::ReadFile(c.dir.File("r.txt")),
              "\r\nA:  1.500000 \x81\x7d 0.250000\r\nY= 2.000000 X\x81\x7b-1.000000\r\n");
    // Appending opens the same file again and adds to it.
    ASSERT_TRUE(c.ctx.OpenReport(report, "r.txt", "a"));
    report.Write("more\n");
    ASSERT_TRUE(report.Close());
    EXPECT_TRUE(test::ReadFile(c.dir.File("r.txt")).ends_with("-1.000000\r\nmore\r\n"));
}

TEST(ReportAppend, MessagesStartOnALineOfTheirOwn) {
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"", " 先ず、「ファイル」->「開く」からデータを選ぶか、直接データを入力して下さい。\n"},
        {"\n1,2",
         "\n1,2\n 先ず、「ファイル」->「開く」からデータを選ぶか、直接データを入力して下さい。\n"},
        {"\n1,2\n",
         "\n1,2\n 先ず、「ファイル」->「開く」からデータを選ぶか、直接データを入力して下さい。\n"},
    };
    for (const Case& k : cases) {
        Context c;
        c.sheet.SetText(k.text);
        c.ctx.AppendNoDataMessage();
        EXPECT_EQ(c.sheet.GetText(), k.expected) << k.text;
    }
    // A text that begins with its own line break (every separator) gets no second one.
    Context c;
    c.sheet.SetText("1,2\n3,4");
    c.ctx.AppendPrompt("テスト\r\n");
    EXPECT_EQ(c.sheet.GetText(), "1,2\n3,4\n----------------------------------\nテスト\n");
}

TEST(ReportAppend, OnlyARegularFileIsAReport) {
    // A device accepts the open and would swallow or fail every write: it is not opened.
    ReportFile report;
    EXPECT_FALSE(report.Open("/dev/full", "w"));
    EXPECT_EQ(report.Refusal(), WriteRefusal::kNotRegular);
    EXPECT_FALSE(report.Close());
}

TEST(PlotDocument, StartsEmptyAndKeepsThePlotThroughNewAndOpen) {
    test::TempDir dir;
    TextWorksheet sheet;
    CLumoDoc doc;
    doc.AttachWorksheet(&sheet);
    EXPECT_EQ(doc.m_nCount, 0);
    EXPECT_EQ(doc.m_nScatchard, 0);
    EXPECT_EQ(doc.m_nLineweaver, 0);
    for (int i = 0; i < kMaxPoints; ++i) {
        EXPECT_EQ(doc.m_nMark[i], 0);
        EXPECT_EQ(doc.m_dX[i], 0.0);
        EXPECT_EQ(doc.m_dY[i], 0.0);
    }
    EXPECT_EQ(doc.m_dXMax + doc.m_dYMax + doc.m_dXMin + doc.m_dKa1 + doc.m_dKa2 + doc.m_dBmax1 +
                  doc.m_dBmax2 + doc.m_dLbSlope + doc.m_dLbIntercept,
              0.0);
    EXPECT_FALSE(doc.IsModified());

    doc.m_nScatchard = 1;
    doc.m_nCount = 3;
    doc.m_dX[2] = 7.5;
    sheet.SetText("1,2\n");
    doc.SetModifiedFlag(true);
    doc.OnNewDocument();
    EXPECT_EQ(sheet.GetText(), "");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.m_nScatchard, 1);
    EXPECT_EQ(doc.m_dX[2], 7.5);

    test::WriteFile(dir.File("a.txt"), "5,6\r\n");
    doc.SetModifiedFlag(true);
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("a.txt")).ok());
    EXPECT_EQ(sheet.GetText(), "5,6\n");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.m_nCount, 3);

    // Saving writes the worksheet only, reports included, and nothing of the plot.
    sheet.AppendText("\r\n------------------------------------------\r\nreport\r\n");
    ASSERT_TRUE(doc.OnSaveDocument(dir.File("a.txt")).ok());
    EXPECT_EQ(test::ReadFile(dir.File("a.txt")),
              "5,6\r\n\r\n------------------------------------------\r\nreport\r\n");
}

TEST(PlotDocument, UpdateAllViewsSkipsTheSender) {
    struct View : IDocumentView {
        int updates = 0;
        void OnUpdate(const void*) override { ++updates; }
    } worksheetView, graphPane;
    CLumoDoc doc;
    doc.AddView(&worksheetView);
    doc.AddView(&graphPane);
    doc.UpdateAllViews(&worksheetView);
    EXPECT_EQ(worksheetView.updates, 0);
    EXPECT_EQ(graphPane.updates, 1);
    int changes = 0;
    doc.SetModifiedListener([&] { ++changes; });
    doc.SetModifiedFlag(true);
    doc.SetModifiedFlag(true);
    doc.SetModifiedFlag(false);
    EXPECT_EQ(changes, 2);
}

}  // namespace
}  // namespace lumo
