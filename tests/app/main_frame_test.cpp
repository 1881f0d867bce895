// The main window: its panes, its menus and keys, and every analysis run from its menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>

#include <algorithm>

#include "app/analysis_table.h"
#include "app/commands.h"
#include "app/lumo_app.h"
#include "app/lumo_view.h"
#include "app/my_view.h"
#include "tests/app/app_test_support.h"
#include "worksheet/cp932.h"
#include "worksheet/text_worksheet.h"

namespace lumo {
namespace {

using test::FrameFixture;
using test::Q;
using test::S;

// The visible items of a menu: the texts, "-" for a separator.
QStringList MenuItems(const QMenu* menu) {
    QStringList items;
    for (const QAction* action : menu->actions()) {
        if (!action->isVisible()) continue;
        items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return items;
}

TEST(MainFrame, WorksheetOnTopAndTheGraphBelowSplitByTheWindowsHeight) {
    FrameFixture f;
    QSplitter* splitter = f.frame->Splitter();
    ASSERT_EQ(f.frame->centralWidget(), splitter);
    EXPECT_EQ(splitter->orientation(), Qt::Vertical);
    ASSERT_EQ(splitter->count(), 2);
    EXPECT_EQ(splitter->widget(0), &f.View());
    EXPECT_EQ(splitter->widget(1), &f.Graph());
    // While the graph pane is blank the worksheet has at least half of the height.
    EXPECT_GE(f.View().height(), f.Graph().height());
    EXPECT_EQ(f.View().lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_TRUE(f.frame->findChildren<QToolBar*>().isEmpty());
    EXPECT_EQ(f.frame->findChild<QStatusBar*>(), nullptr);

    // A taller window shows more of the worksheet.
    const int before = f.View().height();
    f.frame->resize(700, 1000);
    QApplication::processEvents();
    EXPECT_GT(f.View().height(), before);
    EXPECT_GE(f.View().height(), f.Graph().height());
    // A plot gets the room of the whole picture, the worksheet what lies beyond.
    f.Type(QStringLiteral("1, 0.5\n2, 0.8\n4, 1.0\n"));
    f.Trigger(cmd::kLineweaverBurkPlots);
    QApplication::processEvents();
    EXPECT_GE(f.Graph().height(), 460);
    EXPECT_GT(f.View().height(), before / 2);
}

TEST(MainFrame, WindowHasItsIconAtEverySizeOnceShown) {
    FrameFixture f;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !f.frame->windowIcon().isNull(); }, 5000));
    EXPECT_EQ(f.frame->windowIcon().availableSizes().size(), 7);
}

TEST(MainFrame, MenusHoldEveryItemTextExactly) {
    FrameFixture f;
    const std::vector<std::pair<QString, QStringList>> expected = {
        {QStringLiteral("ﾌｧｲﾙ(&F)"),
         {QStringLiteral("開く(&O)...\tCtrl+O"), QStringLiteral("画面クリア&N)\tCtrl+N"),
          QStringLiteral("上書き保存(&S)\tCtrl+S"), QStringLiteral("名前を付けて保存(&A)..."),
          QStringLiteral("-"), QStringLiteral("印刷(&P)...\tCtrl+P"),
          QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰ(&V)"), QStringLiteral("ﾌﾟﾘﾝﾀの設定(&R)..."),
          QStringLiteral("画面をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ"), QStringLiteral("-"),
          QStringLiteral("最新のﾌｧｲﾙ"), QStringLiteral("-"),
          QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)")}},
        {QStringLiteral("編集(&E)"),
         {QStringLiteral("元に戻す(&U)\tCtrl+Z"), QStringLiteral("-"),
          QStringLiteral("切り取り(&T)\tCtrl+X"), QStringLiteral("ｺﾋﾟｰ(&C)\tCtrl+C"),
          QStringLiteral("貼り付け(&P)\tCtrl+V")}},
        {QStringLiteral("Statics"),
         {QStringLiteral("ｔ－検定（対応のない）"), QStringLiteral("ｔ-検定（対応のある）"),
          QStringLiteral("棄却検定"), QStringLiteral("相関係数"), QStringLiteral("-"),
          QStringLiteral("Mann-Whitney U検定"),
          QStringLiteral("Wilcoxon符号付順位検定（対応のある）"),
          QStringLiteral("一元配置分散分析（Tukeyの多重比較）"),
          QStringLiteral("Kruskal-Wallis検定（Dunnの多重比較）"),
          QStringLiteral("Grubbs検定（外れ値）"), QStringLiteral("-"),
          QStringLiteral("詳細な結果も表示")}},
        {QStringLiteral("Scatchard Plot"),
         {QStringLiteral("Scatchard Plots"), QStringLiteral("Lineweaver-Burk Plots"),
          QStringLiteral("Scatchard Plots (Simplex)"), QStringLiteral("-"),
          QStringLiteral("Michaelis-Menten（直接フィット）"),
          QStringLiteral("結合（直接フィット：１部位／２部位）"),
          QStringLiteral("用量反応曲線（４パラメータ）")}},
        {QStringLiteral("フォント変更"), {QStringLiteral("等幅フォントへ")}},
        {QStringLiteral("ﾍﾙﾌﾟ(&H)"),
         {QStringLiteral("Help"), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(Varnel-Win)")}},
    };
    const QList<QAction*> menus = f.frame->menuBar()->actions();
    ASSERT_EQ(menus.size(), static_cast<qsizetype>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        const QAction* menu = menus[static_cast<qsizetype>(i)];
        EXPECT_EQ(S(menu->text()), S(expected[i].first));
        ASSERT_NE(menu->menu(), nullptr);
        EXPECT_EQ(S(MenuItems(menu->menu()).join(QLatin1Char('|'))),
                  S(expected[i].second.join(QLatin1Char('|'))));
    }
    EXPECT_FALSE(f.frame->RecentFilePlaceholder()->isEnabled());
}

TEST(MainFrame, AcceleratorsAreTheCommandsShortcuts) {
    FrameFixture f;
    const std::vector<std::pair<int, QList<QKeySequence>>> expected = {
        {cmd::kFileNew, {QKeySequence(QStringLiteral("Ctrl+N"))}},
        {cmd::kFileOpen, {QKeySequence(QStringLiteral("Ctrl+O"))}},
        {cmd::kFileSave, {QKeySequence(QStringLiteral("Ctrl+S"))}},
        {cmd::kFilePrint, {QKeySequence(QStringLiteral("Ctrl+P"))}},
        {cmd::kEditUndo,
         {QKeySequence(QStringLiteral("Ctrl+Z")), QKeySequence(QStringLiteral("Alt+Backspace"))}},
        {cmd::kEditCut,
         {QKeySequence(QStringLiteral("Ctrl+X")), QKeySequence(QStringLiteral("Shift+Del"))}},
        {cmd::kEditCopy,
         {QKeySequence(QStringLiteral("Ctrl+C")), QKeySequence(QStringLiteral("Ctrl+Ins"))}},
        {cmd::kEditPaste,
         {QKeySequence(QStringLiteral("Ctrl+V")), QKeySequence(QStringLiteral("Shift+Ins"))}},
        {cmd::kNextPane, {QKeySequence(QStringLiteral("F6"))}},
        {cmd::kPrevPane, {QKeySequence(QStringLiteral("Shift+F6"))}},
    };
    for (const auto& [command, keys] : expected) {
        QAction* action = f.frame->CommandAction(command);
        ASSERT_NE(action, nullptr) << command;
        EXPECT_EQ(action->shortcuts(), keys) << command;
    }
}

TEST(MainFrame, F6AndShiftF6MoveTheFocusBetweenThePanes) {
    FrameFixture f;
    ASSERT_TRUE(f.View().hasFocus());
    EXPECT_FALSE(f.frame->IsGraphPaneActive());
    QTest::keyClick(&f.View(), Qt::Key_F6);
    EXPECT_TRUE(f.Graph().hasFocus());
    EXPECT_TRUE(f.frame->IsGraphPaneActive());
    QTest::keyClick(&f.Graph(), Qt::Key_F6);
    EXPECT_TRUE(f.View().hasFocus());
    QTest::keyClick(&f.View(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_TRUE(f.Graph().hasFocus());
    QTest::keyClick(&f.Graph(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_TRUE(f.View().hasFocus());
    EXPECT_FALSE(f.frame->IsGraphPaneActive());

    // A click in the graph pane makes it the active pane too.
    QTest::mouseClick(&f.Graph(), Qt::LeftButton);
    EXPECT_TRUE(f.frame->IsGraphPaneActive());
}

TEST(MainFrame, CaptionNamesTheDocumentAndShowsItsModifiedState) {
    FrameFixture f;
    EXPECT_EQ(S(f.frame->windowTitle()), S(QStringLiteral("VARNEL[*] - ") + FrameTitle()));
    EXPECT_TRUE(
        FrameTitle().startsWith(QString(31, QLatin1Char(' ')) + QStringLiteral("VARNEL System")));
    EXPECT_FALSE(f.frame->isWindowModified());
    f.Type(QStringLiteral("1"));
    EXPECT_TRUE(f.frame->isWindowModified());
}

TEST(MainFrame, TypingMarksModifiedAndAReportLeavesItSo) {
    FrameFixture f;
    EXPECT_FALSE(f.Doc().IsModified());
    f.Type(QStringLiteral("1,2\n2,4\n3,6"));
    EXPECT_TRUE(f.Doc().IsModified());
    f.Trigger(cmd::kCorrelation);
    EXPECT_TRUE(f.Doc().IsModified());
    f.dialogs.saveAnswers.push_back(SaveAnswer::kNo);
    f.Trigger(cmd::kFileNew);
    EXPECT_EQ(f.View().GetText(), "");
    EXPECT_EQ(f.dialogs.saveQuestions.size(), 1u);
}

TEST(MainFrame, AReportCannotBeUndoneButTypingCan) {
    FrameFixture f;
    QAction* undo = f.frame->CommandAction(cmd::kEditUndo);
    EXPECT_FALSE(undo->isEnabled());
    f.Type(QStringLiteral("1,2\n2,4\n3,6"));
    EXPECT_TRUE(undo->isEnabled());
    f.Trigger(cmd::kCorrelation);
    const std::string withReport = f.View().GetText();
    ASSERT_NE(withReport.find("相関係数(r)= 1.000000"), std::string::npos);
    EXPECT_FALSE(undo->isEnabled());
    QTest::keyClick(&f.View(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&f.View(), Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(f.View().GetText(), withReport);

    // What the user types after the report is theirs to undo, with either key.
    f.Type(QStringLiteral("x"));
    EXPECT_TRUE(undo->isEnabled());
    QTest::keyClick(&f.View(), Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(f.View().GetText(), withReport);
}

TEST(MainFrame, CutCopyAndPasteActOnTheWorksheetSelection) {
    FrameFixture f;
    f.Type(QStringLiteral("1,2\n3,4"));
    QAction* cut = f.frame->CommandAction(cmd::kEditCut);
    QAction* copy = f.frame->CommandAction(cmd::kEditCopy);
    EXPECT_FALSE(copy->isEnabled());
    f.View().selectAll();
    EXPECT_TRUE(copy->isEnabled());
    EXPECT_TRUE(cut->isEnabled());
    f.Trigger(cmd::kEditCopy);
    EXPECT_EQ(S(QApplication::clipboard()->text()), "1,2\n3,4");
    f.Doc().SetModifiedFlag(false);
    f.Trigger(cmd::kEditCut);
    EXPECT_EQ(f.View().GetText(), "");
    EXPECT_TRUE(f.Doc().IsModified());
    f.Trigger(cmd::kEditPaste);
    f.Trigger(cmd::kEditPaste);
    EXPECT_EQ(f.View().GetText(), "1,2\n3,41,2\n3,4");
}

TEST(MainFrame, ScreenCopyHintIsAMessageBox) {
    FrameFixture f;
    f.Trigger(cmd::kScreenCopyHint);
    ASSERT_EQ(f.dialogs.messages.size(), 1u);
    EXPECT_EQ(f.dialogs.messages[0],
              "Altキー＋Print Screenキーで、クリップボードにCopyされます。"
              "画像ソフトにPasteして下さい。");
    EXPECT_EQ(f.View().GetText(), "");
}

TEST(MainFrame, FontDialogStartsAtTheFixedFontThenAtTheChosenOne) {
    FrameFixture f;
    const QFont before = f.View().font();
    f.dialogs.fontAnswers.push_back(std::nullopt);  // cancelled
    f.Trigger(cmd::kMonospaceFont);
    ASSERT_EQ(f.dialogs.fontInitials.size(), 1u);
    EXPECT_EQ(f.dialogs.fontInitials[0], QFontDatabase::systemFont(QFontDatabase::FixedFont));
    EXPECT_EQ(f.View().font(), before);
    EXPECT_FALSE(f.View().ChosenFont().has_value());

    // A proportional font is taken as readily as a fixed one; the text stays unmodified.
    QFont chosen(QStringLiteral("DejaVu Sans"));
    chosen.setPointSize(15);
    f.dialogs.fontAnswers.push_back(chosen);
    f.Trigger(cmd::kMonospaceFont);
    EXPECT_EQ(f.View().font().pointSize(), 15);
    EXPECT_FALSE(f.Doc().IsModified());

    f.dialogs.fontAnswers.push_back(std::nullopt);
    f.Trigger(cmd::kMonospaceFont);
    ASSERT_EQ(f.dialogs.fontInitials.size(), 3u);
    EXPECT_EQ(f.dialogs.fontInitials[2], chosen);
    EXPECT_EQ(f.View().font().pointSize(), 15);
}

TEST(MainFrame, ChosenFontIsRememberedAcrossRestarts) {
    QFont chosen(QStringLiteral("DejaVu Sans"));
    chosen.setPointSize(15);
    {
        FrameFixture f;
        f.dialogs.fontAnswers.push_back(chosen);
        f.Trigger(cmd::kMonospaceFont);
    }
    FrameFixture again(false);
    ASSERT_TRUE(again.View().ChosenFont().has_value());
    EXPECT_EQ(again.View().ChosenFont()->family(), chosen.family());
    EXPECT_EQ(again.View().font().pointSize(), 15);
    // The font dialog starts at the remembered font.
    again.dialogs.fontAnswers.push_back(std::nullopt);
    again.Trigger(cmd::kMonospaceFont);
    EXPECT_EQ(again.dialogs.fontInitials.at(0).pointSize(), 15);
}

TEST(MainFrame, AboutBoxCarriesTheVersionTexts) {
    FrameFixture f;
    f.Trigger(cmd::kAppAbout);
    ASSERT_EQ(f.dialogs.dialogTitles.size(), 1u);
    EXPECT_TRUE(f.dialogs.dialogTitles[0].startsWith(QStringLiteral("Varnel-Win(1.4)")));
    const QStringList labels = f.dialogs.dialogLabels[0];
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](const QString& text) {
        return text.startsWith(QStringLiteral("Varnel-Win (1.6)"));
    }));
}

TEST(MainFrame, HelpShowsTheProgramsPageOrSaysItFailed) {
    FrameFixture f;
    test::TempDir empty;
    f.frame->SetHelpSearchPaths({Q(empty.File("help.html"))});
    f.Trigger(cmd::kHelpFinder);
    ASSERT_EQ(f.dialogs.messages.size(), 1u);
    EXPECT_EQ(f.dialogs.messages[0], "ﾍﾙﾌﾟの起動に失敗しました。");
    EXPECT_EQ(f.frame->HelpWindow(), nullptr);

    // The page the build puts beside the program.
    const QString page = QFileInfo(QStringLiteral(LUMO_BINARY)).absolutePath() +
                         QStringLiteral("/share/lumo/help.html");
    f.frame->SetHelpSearchPaths({Q(empty.File("help.html")), page});
    f.Trigger(cmd::kHelpFinder);
    EXPECT_EQ(f.dialogs.messages.size(), 1u);
    ASSERT_NE(f.frame->HelpWindow(), nullptr);
    EXPECT_TRUE(f.frame->HelpWindow()->isVisible());
    const QString text = f.frame->HelpWindow()->Browser()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("Lumo ヘルプ"))) << S(text.left(200));
    // Every item of the two analysis menus is described, the direct fits and the detail option
    // too.
    for (const QAction* menu : f.frame->menuBar()->actions()) {
        if (menu->text() != QStringLiteral("Statics") &&
            menu->text() != QStringLiteral("Scatchard Plot")) {
            continue;
        }
        for (const QAction* item : menu->menu()->actions()) {
            if (!item->isSeparator()) {
                EXPECT_TRUE(text.contains(item->text())) << S(item->text());
            }
        }
    }
}

// Each analysis in the menu runs the very handler that `lumo --run` runs: the worksheet gets
// what the handler appends to a plain-text worksheet, the report file lands in the current
// folder and the message boxes are the same.
struct MenuAnalysis {
    int command;
    const char* name;
    const char* reportName;
};

void PrintTo(const MenuAnalysis& analysis, std::ostream* os) {
    *os << analysis.name;
}

class MenuAnalysisTest : public ::testing::TestWithParam<MenuAnalysis> {};

TEST_P(MenuAnalysisTest, RunsTheHandlerOnTheTypedExample) {
    const MenuAnalysis param = GetParam();
    const AnalysisEntry* analysis = FindAnalysis(param.name);
    FrameFixture f;
    QAction* action = f.frame->CommandAction(param.command);
    ASSERT_NE(action, nullptr);
    if (analysis == nullptr) {
        EXPECT_FALSE(action->isEnabled());
        GTEST_SKIP() << param.name << " is not part of this build";
    }
    const std::string example = test::ReadFile(test::ExamplePath(std::string(param.name) + ".txt"));
    ASSERT_FALSE(example.empty());
    // Typed as a user would type it; the example's CR LF become Return presses.
    const std::string typed = Cp932ToWorksheetText(example);
    f.Type(Q(typed));
    ASSERT_EQ(f.View().GetText(), typed);

    test::AnalysisFixture reference;
    const std::string reportName = param.reportName;
    const test::AnalysisRun expected =
        reference.Run(analysis->run, typed, reportName, /*modifiedBefore=*/true);

    f.Trigger(param.command);
    EXPECT_EQ(f.View().GetText(), typed + expected.appended);
    EXPECT_EQ(test::ReadFile(f.dir.File(reportName)), expected.reportBytes);
    EXPECT_EQ(f.dialogs.messages, expected.messages);
    EXPECT_EQ(f.Doc().IsModified(), expected.modified);
    EXPECT_EQ(f.Doc().m_nScatchard, reference.doc.m_nScatchard);
    EXPECT_EQ(f.Doc().m_nLineweaver, reference.doc.m_nLineweaver);
    EXPECT_EQ(f.Doc().m_nCount, reference.doc.m_nCount);
    // The caret ends at the end of the report, in view.
    EXPECT_TRUE(f.View().textCursor().atEnd());
}

INSTANTIATE_TEST_SUITE_P(
    Menu, MenuAnalysisTest,
    ::testing::Values(MenuAnalysis{cmd::kUnpairedTTest, "unpaired-t", "TkenteiRes.txt"},
                      MenuAnalysis{cmd::kPairedTTest, "paired-t", "PairedTRes.txt"},
                      MenuAnalysis{cmd::kRejectionTest, "rejection", "KikyakuRes.txt"},
                      MenuAnalysis{cmd::kCorrelation, "correlation", "SokanRes.txt"},
                      MenuAnalysis{cmd::kScatchardPlots, "scatchard", "ScatRes.txt"},
                      MenuAnalysis{cmd::kLineweaverBurkPlots, "lineweaver-burk", "LinewRes.txt"},
                      MenuAnalysis{cmd::kScatchardSimplex, "scatchard-simplex", "ScatRes.txt"},
                      MenuAnalysis{cmd::kMannWhitney, "mann-whitney", "MannWhitneyRes.txt"},
                      MenuAnalysis{cmd::kWilcoxon, "wilcoxon", "WilcoxonRes.txt"},
                      MenuAnalysis{cmd::kAnova, "anova", "AnovaRes.txt"},
                      MenuAnalysis{cmd::kKruskalWallis, "kruskal-wallis", "KruskalRes.txt"},
                      MenuAnalysis{cmd::kGrubbs, "grubbs", "GrubbsRes.txt"},
                      MenuAnalysis{cmd::kDoseResponse, "dose-response", "DoseRespRes.txt"}),
    [](const ::testing::TestParamInfo<MenuAnalysis>& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            if (c == '-') c = '_';
        }
        return name;
    });

TEST(MainFrame, AnalysisOfAnEmptyWorksheetAppendsTheNoDataMessage) {
    FrameFixture f;
    f.Trigger(cmd::kCorrelation);
    EXPECT_EQ(f.View().GetText(),
              " 先ず、「ファイル」->「開く」からデータを選ぶか、直接データを入力して下さい。\n");
    EXPECT_FALSE(f.Doc().IsModified());
    EXPECT_TRUE(test::FileExists(f.dir.File("SokanRes.txt")));
}

TEST(MainFrame, DetailOptionIsOffAtFirstAddsTheBlockAndOutlivesARestart) {
    {
        FrameFixture f;
        QAction* option = f.frame->CommandAction(cmd::kShowDetails);
        ASSERT_NE(option, nullptr);
        EXPECT_TRUE(option->isCheckable());
        EXPECT_FALSE(option->isChecked());
        f.Type(QStringLiteral("1,2\n2,4\n3,7\n4,8"));
        f.Trigger(cmd::kCorrelation);
        EXPECT_EQ(f.View().GetText().find("【詳細】"), std::string::npos);

        f.Trigger(cmd::kShowDetails);
        EXPECT_TRUE(option->isChecked());
        f.Trigger(cmd::kCorrelation);
        const std::string text = f.View().GetText();
        const std::string report = test::ReadFile(f.dir.File("SokanRes.txt"));
        // In the worksheet after the last report's classic lines, and in the report file.
        const size_t block = text.rfind("\n\n【詳細】\nデータ数 n = 4\n");
        ASSERT_NE(block, std::string::npos) << text;
        EXPECT_GT(block, text.rfind("Y= "));
        EXPECT_NE(report.find(ToCp932("\r\n\r\n【詳細】\r\n")), std::string::npos);
        EXPECT_TRUE(f.dialogs.messages.empty());
    }
    FrameFixture again(false);
    EXPECT_TRUE(again.frame->CommandAction(cmd::kShowDetails)->isChecked());
    again.Type(QStringLiteral("1,2\n2,4\n3,7"));
    again.Trigger(cmd::kCorrelation);
    EXPECT_NE(again.View().GetText().find("【詳細】"), std::string::npos);
    // Turned off, it stays off after the next restart.
    again.Trigger(cmd::kShowDetails);
    FrameFixture third(false);
    EXPECT_FALSE(third.frame->CommandAction(cmd::kShowDetails)->isChecked());
}

TEST(LumoApp, DesktopArgumentsTakeOneFileAndLetQtOptionsThrough) {
    QString error;
    EXPECT_TRUE(CLumoApp::CheckArguments({QStringLiteral("lumo")}, &error));
    EXPECT_TRUE(CLumoApp::CheckArguments(
        {QStringLiteral("lumo"), QStringLiteral("-platform"), QStringLiteral("offscreen"),
         QStringLiteral("-style"), QStringLiteral("fusion"), QStringLiteral("data.txt")},
        &error));
    EXPECT_FALSE(
        CLumoApp::CheckArguments({QStringLiteral("lumo"), QStringLiteral("--bogus")}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("bogus")));
    EXPECT_FALSE(CLumoApp::CheckArguments(
        {QStringLiteral("lumo"), QStringLiteral("a.txt"), QStringLiteral("b.txt")}, &error));
}

}  // namespace
}  // namespace lumo
