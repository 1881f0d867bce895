// The worksheet shows how the analyses will read each line.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <cstring>

#include "app/lumo_view.h"
#include "app/worksheet_highlighter.h"
#include "tests/app/app_test_support.h"

namespace lumo {
namespace {

using test::FrameFixture;

struct Look {
    bool wave = false;
    bool grey = false;
    bool bold = false;
    bool italic = false;
};

Look LookOf(const CLumoView& view, int line) {
    Look look;
    const QTextBlock block = view.document()->findBlockByNumber(line);
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        if (range.format.underlineStyle() == QTextCharFormat::WaveUnderline) look.wave = true;
        if (range.format.foreground().color() == QColor(0x80, 0x80, 0x80)) look.grey = true;
        if (range.format.fontWeight() == QFont::Bold) look.bold = true;
        if (range.format.fontItalic()) look.italic = true;
    }
    return look;
}

TEST(WorksheetHighlighter, ShowsHowEachLineIsRead) {
    FrameFixture f;
    f.View().SetText("conc\tresp\n1,2\nabc,4\n3,4 A\n?,0.5\n-----\n5,6\n");
    QApplication::processEvents();
    struct Row {
        int line;
        bool title, wave, grey;
    };
    const Row rows[] = {{0, true, false, false},  {1, false, false, false}, {2, false, true, false},
                        {3, false, false, false}, {4, false, false, false}, {5, false, false, true},
                        {6, false, false, true}};
    for (const Row& r : rows) {
        const Look look = LookOf(f.View(), r.line);
        EXPECT_EQ(look.italic, r.title) << r.line;
        EXPECT_EQ(look.wave, r.wave) << r.line;
        EXPECT_EQ(look.grey, r.grey) << r.line;
    }
    EXPECT_EQ(f.View().Highlighter().WarningAt(2).toStdString(),
              "3行目を数値として読めません：「abc,4」");
    EXPECT_TRUE(f.View().Highlighter().WarningAt(1).isEmpty());

    // The marks reader reads the letter as a mark and emphasises it; typing a stop line greys what
    // follows.
    f.View().Highlighter().SetReadMarks(true);
    EXPECT_TRUE(LookOf(f.View(), 3).bold);
    EXPECT_FALSE(LookOf(f.View(), 3).wave);
    QTextCursor cursor(f.View().document()->findBlockByNumber(1));
    cursor.insertText("--\n");
    QApplication::processEvents();
    EXPECT_TRUE(LookOf(f.View(), 2).grey);
    EXPECT_TRUE(LookOf(f.View(), 3).grey);
}

TEST(WorksheetHighlighter, MarksRowsPastTheLineLimit) {
    FrameFixture f;
    std::string text;
    for (int i = 0; i < 103; ++i) text += std::to_string(i) + ",1\n";
    f.View().SetText(text);
    QApplication::processEvents();
    EXPECT_FALSE(LookOf(f.View(), 99).grey);
    EXPECT_TRUE(LookOf(f.View(), 100).grey);
    EXPECT_TRUE(LookOf(f.View(), 102).grey);
}

// The worksheet's line reader over a plain document, counting the lines it is asked for.
class CountingSheet : public IWorksheet {
  public:
    explicit CountingSheet(const QTextDocument& doc) : m_doc(doc) {}
    int GetLine(int index, char* buffer) const override {
        ++reads;
        const QByteArray line = m_doc.findBlockByNumber(index).text().toLatin1();
        const int n = std::min<int>(static_cast<int>(line.size()), kLineCapacity);
        std::memcpy(buffer, line.constData(), static_cast<size_t>(n));
        return n;
    }
    void AppendText(std::string_view) override {}
    std::string GetText() const override { return m_doc.toPlainText().toStdString(); }
    void SetText(std::string_view) override {}
    mutable int reads = 0;

  private:
    const QTextDocument& m_doc;
};

QString Formats(const QTextBlock& block) {
    QString out;
    for (const QTextLayout::FormatRange& r : block.layout()->formats()) {
        out += QStringLiteral("%1+%2:%3/%4/%5;")
                   .arg(r.start)
                   .arg(r.length)
                   .arg(r.format.foreground().color().name())
                   .arg(r.format.background().color().name())
                   .arg(int(r.format.underlineStyle()));
    }
    return out;
}

// A keystroke reads a bounded number of lines however long the worksheet is, and after every
// kind of edit each line looks exactly as a highlighter reading the text afresh shows it.
TEST(WorksheetHighlighter, AnEditReadsOnlyWhatItCanChangeAndColoursAsAFreshReading) {
    QString text;
    for (int i = 0; i < 20000; ++i) text += QStringLiteral("%1,%2\n").arg(i).arg(i % 7);
    // Laid out as the worksheet lays it out: without a layout a document reports no changes.
    QTextDocument doc;
    doc.setDocumentLayout(new QPlainTextDocumentLayout(&doc));
    doc.setPlainText(text);
    CountingSheet sheet(doc);
    WorksheetHighlighter highlighter(&doc, sheet);
    struct Edit {
        const char* name;
        int line;
        int column;  // -1: the end of the line
        const char* insert;
        int remove;
        bool keystroke;  // a key typed inside the rows: its cost must not grow with the length
    } edits[] = {
        {"digit in the middle", 12000, 1, "7", 0, true},
        {"Return in the middle", 12000, -1, "\n3,3", 0, true},
        {"digit at the end", 20000, -1, "5", 0, true},
        {"Return at the end", 20000, -1, "\n", 0, true},
        {"row after the end", 20001, 0, "8,8", 0, true},
        {"row in the first hundred", 40, 0, "1,1\n", 0, true},
        {"empty line ends the rows", 5000, 0, "\n", 0, false},
        {"stop line further down", 9000, 0, "--", 0, true},
        {"empty line taken away", 5000, 0, "", 1, false},
        {"stop line taken away", 8999, 0, "", 2, false},
    };
    for (const Edit& e : edits) {
        QTextCursor cursor(doc.findBlockByNumber(e.line));
        if (e.column < 0) {
            cursor.movePosition(QTextCursor::EndOfBlock);
        } else {
            cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, e.column);
        }
        sheet.reads = 0;
        if (e.remove > 0) {
            cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, e.remove);
            cursor.removeSelectedText();
        }
        cursor.insertText(QString::fromLatin1(e.insert));
        QApplication::processEvents();
        if (e.keystroke) {
            EXPECT_LT(sheet.reads, 400) << e.name;
        }

        QTextDocument fresh;
        fresh.setDocumentLayout(new QPlainTextDocumentLayout(&fresh));
        fresh.setPlainText(doc.toPlainText());
        CountingSheet freshSheet(fresh);
        WorksheetHighlighter freshHighlighter(&fresh, freshSheet);
        QApplication::processEvents();
        int differing = 0;
        for (QTextBlock a = doc.begin(), b = fresh.begin(); a.isValid() && b.isValid();
             a = a.next(), b = b.next()) {
            if (Formats(a) != Formats(b) && differing++ < 3) {
                ADD_FAILURE() << e.name << ": line " << a.blockNumber() << " "
                              << Formats(a).toStdString() << " vs " << Formats(b).toStdString();
            }
        }
        EXPECT_EQ(differing, 0) << e.name;
    }
}

}  // namespace
}  // namespace lumo
