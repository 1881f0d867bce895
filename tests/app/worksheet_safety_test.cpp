// The worksheet never loses what the user typed: the save question after an analysis, files
// dropped on the window, the edit keys in the graph pane and very long lines.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "app/commands.h"
#include "app/lumo_view.h"
#include "app/my_view.h"
#include "tests/app/app_test_support.h"

namespace lumo {
namespace {

using test::FrameFixture;
using test::Q;
using test::S;

// Typed data stays unsaved through any analysis, so New still asks; a report appended to a
// worksheet just opened leaves it clean.
TEST(WorksheetSafety, AnalysisNeverMakesTypedDataCountAsSaved) {
    struct Case {
        const char* what;
        bool typed;
        int command;
        bool asks;
    } cases[] = {
        {"typed, correlation", true, cmd::kCorrelation, true},
        {"typed, no data", true, cmd::kPairedTTest, true},
        {"typed, rejection with two marks", true, cmd::kRejectionTest, true},
        {"opened, correlation", false, cmd::kCorrelation, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FrameFixture f;
        const std::string path = f.dir.File("data.txt");
        test::WriteFile(path, "1,2\r\n2,4\r\n3,7\r\n");
        ASSERT_TRUE(f.frame->OpenDocumentFile(Q(path)));
        if (c.typed) {
            f.View().moveCursor(QTextCursor::Start);
            const QString text = c.command == cmd::kPairedTTest     ? QStringLiteral("\n")
                                 : c.command == cmd::kRejectionTest ? QStringLiteral("5X\n6Y\n")
                                                                    : QStringLiteral("4,9\n");
            f.Type(text);
        }
        f.Trigger(c.command);
        f.dialogs.saveAnswers.push_back(SaveAnswer::kNo);
        f.Trigger(cmd::kFileNew);
        EXPECT_EQ(f.dialogs.saveQuestions.size(), c.asks ? 1u : 0u);
        if (!c.asks) f.dialogs.saveAnswers.clear();
        EXPECT_EQ(f.View().GetText(), "");
    }
}

// A file dropped on the worksheet or the graph pane opens as File, Open opens it: after the
// save question, and without its name ever reaching the data.
TEST(WorksheetSafety, DroppedFileOpensAfterTheSaveQuestion) {
    for (const bool onGraph : {false, true}) {
        SCOPED_TRACE(onGraph ? "graph pane" : "worksheet");
        FrameFixture f;
        const std::string path = f.dir.File("dropped.txt");
        test::WriteFile(path, "7,8\r\n");
        f.Type(QStringLiteral("4, 0.6056 X"));

        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(Q(path))});
        data.setText(QUrl::fromLocalFile(Q(path)).toString());
        QWidget* target = onGraph ? static_cast<QWidget*>(&f.Graph()) : f.View().viewport();
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(onGraph ? static_cast<QWidget*>(f.frame.get()) : target, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        f.dialogs.saveAnswers.push_back(SaveAnswer::kNo);
        QApplication::sendEvent(onGraph ? static_cast<QWidget*>(f.frame.get()) : target, &drop);
        QApplication::processEvents();

        EXPECT_EQ(f.dialogs.saveQuestions.size(), 1u);
        EXPECT_EQ(f.View().GetText(), "7,8\n");
        EXPECT_EQ(S(Q(f.Doc().PathName())), path);
    }
}

// With the focus in the graph pane, Ctrl+C copies the graph and the keys that change text
// leave the worksheet behind it alone.
TEST(WorksheetSafety, EditKeysInTheGraphPaneNeverReachTheWorksheet) {
    FrameFixture f;
    f.Type(QStringLiteral("1,2\n3,4"));
    f.View().selectAll();
    QTest::keyClick(&f.View(), Qt::Key_F6);
    ASSERT_TRUE(f.Graph().hasFocus());
    QApplication::clipboard()->setText(QStringLiteral("9,9"));
    for (const Qt::Key key : {Qt::Key_V, Qt::Key_X, Qt::Key_Z}) {
        QTest::keyClick(&f.Graph(), key, Qt::ControlModifier);
        EXPECT_EQ(f.View().GetText(), "1,2\n3,4") << key;
    }
    QTest::keyClick(&f.Graph(), Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(f.View().GetText(), "1,2\n3,4");
    QTest::keyClick(&f.Graph(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_FALSE(QApplication::clipboard()->image().isNull());

    // Back in the worksheet the keys work on the text again.
    QTest::keyClick(&f.Graph(), Qt::Key_F6);
    ASSERT_TRUE(f.View().hasFocus());
    f.View().moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText(QStringLiteral("\n5,6"));
    QTest::keyClick(&f.View(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(f.View().GetText(), "1,2\n3,4\n5,6");
}

TEST(WorksheetSafety, GraphPaneShowsWhenItHasTheFocus) {
    FrameFixture f;
    const QImage unfocused = f.GraphImage();
    QTest::keyClick(&f.View(), Qt::Key_F6);
    ASSERT_TRUE(f.Graph().hasFocus());
    const QImage focused = f.GraphImage();
    EXPECT_TRUE(test::IsBlank(unfocused));
    EXPECT_NE(focused, unfocused);
    // The frame lies on the border; the plot area inside is untouched.
    EXPECT_EQ(focused.copy(focused.rect().adjusted(4, 4, -4, -4)),
              unfocused.copy(unfocused.rect().adjusted(4, 4, -4, -4)));
    QTest::keyClick(&f.Graph(), Qt::Key_F6);
    EXPECT_EQ(f.GraphImage(), unfocused);
}

TEST(WorksheetSafety, VeryLongSingleLineOpensQuickly) {
    FrameFixture f;
    std::string line;
    while (line.size() < 1048000 - 8) line += "1234567,";
    line.resize(1048000, '9');
    const std::string path = f.dir.File("long.txt");
    test::WriteFile(path, line);
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(f.frame->OpenDocumentFile(Q(path)));
    f.frame->repaint();
    QApplication::processEvents();
    // Generous: on a loaded machine too, far from the minutes it once took.
    EXPECT_LT(timer.elapsed(), 20000);
    EXPECT_EQ(f.View().GetText(), line);
}

}  // namespace
}  // namespace lumo
