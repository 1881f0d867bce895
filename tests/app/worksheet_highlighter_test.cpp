// The worksheet shows how the analyses will read each line.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

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
    f.View().SetText("conc\tresp\n1,2\nabc,4\n3,4 A\n-----\n5,6\n");
    QApplication::processEvents();
    struct Row {
        int line;
        bool title, wave, grey;
    };
    const Row rows[] = {{0, true, false, false}, {1, false, false, false},
                        {2, false, true, false}, {3, false, false, false},
                        {4, false, false, true}, {5, false, false, true}};
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

}  // namespace
}  // namespace lumo
