// The worksheet view as the analyses see it: logical lines in CP932, appends at the end.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include "app/commands.h"
#include "app/lumo_view.h"
#include "app/worksheet_highlighter.h"
#include "tests/app/app_test_support.h"
#include "worksheet/cp932.h"

namespace lumo {
namespace {

using test::FrameFixture;
using test::Q;

std::string Line(const CLumoView& view, int index) {
    char buffer[kLineCapacity + 1] = {};
    const int n = view.GetLine(index, buffer);
    EXPECT_GE(n, 0);
    EXPECT_LE(n, kLineCapacity);
    return std::string(buffer, static_cast<size_t>(n));
}

TEST(WorksheetView, LinesAreLogicalLinesEvenWhenTheyWrap) {
    FrameFixture f;
    std::string longLine;
    for (int i = 0; longLine.size() < 150; ++i) longLine += std::to_string(i) + ",";
    f.View().SetText(longLine + "\n3,4");
    // A narrow window wraps the long line over several rows on screen.
    f.frame->resize(200, 860);
    QApplication::processEvents();
    const QTextBlock first = f.View().document()->firstBlock();
    ASSERT_GT(first.layout()->lineCount(), 1);

    EXPECT_EQ(Line(f.View(), 0), longLine.substr(0, 100));
    EXPECT_EQ(Line(f.View(), 1), "3,4");
    EXPECT_EQ(Line(f.View(), 2), "");
    EXPECT_EQ(Line(f.View(), -1), "");
}

TEST(WorksheetView, LinesComeInShiftJisAndCutAtOneHundredBytes) {
    FrameFixture f;
    std::string kana;
    for (int i = 0; i < 60; ++i) kana += "あ";
    f.View().SetText("データ,1\n" + kana +
                     "\n\xF0\x9F\x98\x80"
                     "1,2\n\n5,6");
    EXPECT_EQ(Line(f.View(), 0), ToCp932("データ,1"));
    const std::string cut = Line(f.View(), 1);
    EXPECT_EQ(cut.size(), 100u);
    EXPECT_EQ(cut, ToCp932(kana).substr(0, 100));
    // The whole line, for the readers' fields, is never cut.
    EXPECT_EQ(f.View().GetFullLine(1), ToCp932(kana));
    EXPECT_EQ(f.View().GetFullLine(2), "?1,2");
    EXPECT_EQ(f.View().GetFullLine(3), "");
    EXPECT_EQ(f.View().GetFullLine(9), "");
    // A character Shift_JIS cannot hold reads as '?', as the worksheet control read it.
    EXPECT_EQ(Line(f.View(), 2), "?1,2");
    EXPECT_EQ(Line(f.View(), 3), "");
    EXPECT_EQ(Line(f.View(), 4), "5,6");
}

TEST(WorksheetView, AppendGoesToTheEndWhereverTheCaretIs) {
    FrameFixture f;
    f.Type(QStringLiteral("1,2\n3,4"));
    // Caret at the top with a selection: neither moves the append nor is replaced by it.
    QTextCursor cursor = f.View().textCursor();
    cursor.setPosition(0);
    cursor.setPosition(2, QTextCursor::KeepAnchor);
    f.View().setTextCursor(cursor);
    f.Doc().SetModifiedFlag(false);

    f.View().AppendText(ToCp932("\r\n--\r\n結果：１\r\n"));
    EXPECT_EQ(f.View().GetText(), "1,2\n3,4\n--\n結果：１\n");
    EXPECT_TRUE(f.View().textCursor().atEnd());
    EXPECT_FALSE(f.View().textCursor().hasSelection());
    // The view only appends; marking the document is the report mechanism's business.
    EXPECT_FALSE(f.Doc().IsModified());
    EXPECT_FALSE(f.View().document()->isUndoAvailable());
    f.View().undo();
    EXPECT_EQ(f.View().GetText(), "1,2\n3,4\n--\n結果：１\n");
}

TEST(WorksheetView, AppendScrollsTheEndIntoView) {
    FrameFixture f;
    std::string many;
    for (int i = 0; i < 200; ++i) many += std::to_string(i) + "\n";
    f.View().SetText(many);
    f.View().moveCursor(QTextCursor::Start);
    QScrollBar* bar = f.View().verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), 0);
    f.View().AppendText("end\r\n");
    QApplication::processEvents();
    EXPECT_GT(bar->value(), bar->maximum() / 2);
    EXPECT_TRUE(f.View().viewport()->rect().contains(f.View().cursorRect()));
}

TEST(WorksheetView, SetTextIsNotAnEditButTypingAndPastingAre) {
    FrameFixture f;
    f.View().SetText("1,2\n");
    EXPECT_FALSE(f.Doc().IsModified());
    f.View().moveCursor(QTextCursor::End);
    f.Type(QStringLiteral("3"));
    EXPECT_TRUE(f.Doc().IsModified());
    f.Doc().SetModifiedFlag(false);
    QApplication::clipboard()->setText(QStringLiteral(",4"));
    f.View().paste();
    EXPECT_TRUE(f.Doc().IsModified());
    EXPECT_EQ(f.View().GetText(), "1,2\n3,4");
}

TEST(WorksheetView, ShiftEnterAndPastedSeparatorsMakeRealLines) {
    FrameFixture f;
    f.Type(QStringLiteral("1,2"));
    QTest::keyClick(&f.View(), Qt::Key_Return, Qt::ShiftModifier);
    f.Type(QStringLiteral("3,4"));
    EXPECT_EQ(Line(f.View(), 1), "3,4");

    auto* data = new QMimeData;
    data->setText(QStringLiteral("\n5,6") + QChar(QChar::LineSeparator) + QStringLiteral("7,8") +
                  QChar(QChar::ParagraphSeparator) + QStringLiteral("9,10"));
    QApplication::clipboard()->setMimeData(data);
    f.View().moveCursor(QTextCursor::End);
    f.View().paste();
    EXPECT_EQ(f.View().GetText(), "1,2\n3,4\n5,6\n7,8\n9,10");
    EXPECT_EQ(Line(f.View(), 3), "7,8");
}

TEST(WorksheetView, TextKeepsEveryCharacterAsTyped) {
    FrameFixture f;
    // No-break spaces and tabs are the user's and stay, in the text that is saved.
    f.View().insertPlainText(QStringLiteral("1\t2") + QChar(0x00A0) + QStringLiteral("x\n"));
    EXPECT_EQ(f.View().GetText(), "1\t2\xC2\xA0x\n");
}

// The menu reads as `lumo --run` does: a line that does not read stops the analysis with the
// message at the end of the worksheet and the caret on that line; a title line is shown as a
// title and named in the report.
TEST(WorksheetView, MenuStopsAtALineThatDoesNotReadAndPutsTheCaretThere) {
    const struct {
        int command;
        const char* text;
        int line;
        const char* message;
    } cases[] = {
        {cmd::kCorrelation, "Conc\tSignal\n1\t2\nabc\t4\n3\t7\n", 2,
         "3行目を数値として読めません：「abc\t4」"},
        {cmd::kUnpairedTTest, "1\n2\n////\n4\n５，５\n", 4,
         "5行目を数値として読めません：「５，５」"},
        {cmd::kScatchardPlots, "1,2 X\n2 X\n", 1,
         "2行目に数値が２つありません（２つの数をカンマかタブで区切って下さい）：「2 X」"},
        {cmd::kMichaelisMentenFit, "1,1\n2,1.5\n?,2\n", 2, "3行目を数値として読めません：「?,2」"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        FrameFixture f;
        f.View().SetText(c.text);  // typing cannot reach full-width digits
        f.Trigger(c.command);
        EXPECT_EQ(
            f.View().GetText(),
            std::string(c.text) + "\n----------------------------------\n" + c.message + "\n");
        EXPECT_EQ(f.View().textCursor().blockNumber(), c.line);
    }
}

TEST(WorksheetView, TitleLineIsShownAsATitleAndNamedInTheReport) {
    FrameFixture f;
    f.Type(QStringLiteral("Conc\tSignal\n1\t2\n2\t4\n3\t7\n"));
    f.Trigger(cmd::kCorrelation);
    QApplication::processEvents();
    const std::string text = f.View().GetText();
    EXPECT_NE(text.find("\n------------------------------------------\n列: Conc, Signal\n\n平均："),
              std::string::npos)
        << text;
    bool italic = false;
    const QTextBlock title = f.View().document()->findBlockByNumber(0);
    for (const QTextLayout::FormatRange& range : title.layout()->formats()) {
        italic = italic || range.format.fontItalic();
    }
    EXPECT_TRUE(italic);
}

}  // namespace
}  // namespace lumo
