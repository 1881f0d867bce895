// File, New, Open, Save, Save As, the recent files, Exit and printing from the main window.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

#include <filesystem>

#include "app/commands.h"
#include "app/lumo_app.h"
#include "app/lumo_view.h"
#include "app/my_view.h"
#include "tests/app/app_test_support.h"
#include "worksheet/cp932.h"

namespace lumo {
namespace {

using test::FrameFixture;
using test::Q;
using test::ReadFile;
using test::S;
using test::WriteFile;

// A worksheet as the program has always stored them: CP932 with CR LF.
const std::string kCp932File = ToCp932("データ\r\n1,2\r\n2,4\r\n3,6\r\n\r\nメモ：全角ｶﾀｶﾅと①\r\n");
const std::string kCp932FileText = "データ\n1,2\n2,4\n3,6\n\nメモ：全角ｶﾀｶﾅと①\n";

std::string Canonical(const std::string& path) {
    return S(QFileInfo(Q(path)).canonicalFilePath());
}

int PdfPageCount(const std::string& bytes) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
    return static_cast<int>(
        QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())).count(page));
}

TEST(FileCommands, OpenThenSaveAsGivesTheSameBytes) {
    FrameFixture f;
    const std::string path = f.dir.File("data.txt");
    WriteFile(path, kCp932File);
    f.dialogs.openFileNames.push_back(Q(path));
    f.Trigger(cmd::kFileOpen);
    EXPECT_EQ(f.View().GetText(), kCp932FileText);
    EXPECT_FALSE(f.Doc().IsModified());
    EXPECT_TRUE(f.frame->windowTitle().startsWith(QStringLiteral("data.txt[*] - ")));

    const std::string copy = f.dir.File("copy.txt");
    f.dialogs.saveFileNames.push_back(Q(copy));
    f.Trigger(cmd::kFileSaveAs);
    EXPECT_EQ(ReadFile(copy), kCp932File);
    EXPECT_EQ(ReadFile(path), kCp932File);
    EXPECT_TRUE(f.frame->windowTitle().startsWith(QStringLiteral("copy.txt[*] - ")));
}

TEST(FileCommands, EditedWorksheetIsSavedInItsOwnEncodingWithTheReport) {
    FrameFixture f;
    const std::string path = f.dir.File("data.txt");
    WriteFile(path, ToCp932("1,2\r\n2,4\r\n3,6\r\n"));
    f.dialogs.openFileNames.push_back(Q(path));
    f.Trigger(cmd::kFileOpen);
    f.View().moveCursor(QTextCursor::Start);
    f.Type(QStringLiteral("0,0\n"));
    f.Trigger(cmd::kCorrelation);
    f.Trigger(cmd::kFileSave);  // no dialog: the file has a name
    EXPECT_TRUE(f.dialogs.saveSuggestions.empty());
    const std::string saved = ReadFile(path);
    EXPECT_EQ(saved.rfind(ToCp932("0,0\r\n1,2\r\n2,4\r\n3,6\r\n\r\n----------"), 0), 0u);
    EXPECT_NE(saved.find(ToCp932("相関係数(r)=")), std::string::npos);
    EXPECT_EQ(saved.find("\n\n"), std::string::npos);  // every line ends in CR LF
    EXPECT_EQ(saved, ReadFile(f.dir.File("data.txt")));
}

// Characters pasted from web pages and PDFs that the text control takes for line breaks (the
// line and paragraph separators) or for its own marks (U+FDD0, U+FDD1) are saved back as they
// were, by a plain Save and beside an edit.
TEST(FileCommands, SeparatorsAndNoncharactersInAUtf8FileSurviveOpenAndSave) {
    const std::string bytes =
        "\xCE\xB1,1\xE2\x80\xA8note\n2,\xE2\x80\xA9"
        "3\n\xEF\xB7\x90x,y\xEF\xB7\x91\nend\n";
    for (const bool edit : {false, true}) {
        FrameFixture f;
        const std::string path = f.dir.File("data.txt");
        WriteFile(path, bytes);
        ASSERT_TRUE(f.frame->OpenDocumentFile(Q(path)));
        if (edit) {
            f.View().moveCursor(QTextCursor::End);
            f.Type(QStringLiteral("4,5"));
            f.View().moveCursor(QTextCursor::Start);
            f.Type(QStringLiteral("0,0\n"));
        } else {
            f.Doc().SetModifiedFlag(true);
        }
        f.Trigger(cmd::kFileSave);
        EXPECT_TRUE(f.dialogs.messages.empty());
        EXPECT_EQ(ReadFile(path), edit ? "0,0\n" + bytes + "4,5" : bytes) << edit;
    }
}

TEST(FileCommands, OpenAndSaveAsMakeTheFilesFolderCurrentForTheReports) {
    FrameFixture f;
    ASSERT_TRUE(QDir(Q(f.dir.path())).mkdir(QStringLiteral("lab")));
    const std::string path = f.dir.File("lab/data.txt");
    WriteFile(path, "1,2\r\n2,4\r\n3,6\r\n");
    f.dialogs.openFileNames.push_back(Q(path));
    f.Trigger(cmd::kFileOpen);
    EXPECT_EQ(S(QDir::currentPath()), Canonical(f.dir.File("lab")));
    f.Trigger(cmd::kCorrelation);
    EXPECT_TRUE(test::FileExists(f.dir.File("lab/SokanRes.txt")));
    EXPECT_FALSE(test::FileExists(f.dir.File("SokanRes.txt")));

    ASSERT_TRUE(QDir(Q(f.dir.path())).mkdir(QStringLiteral("out")));
    f.dialogs.saveFileNames.push_back(Q(f.dir.File("out/result.txt")));
    f.Trigger(cmd::kFileSaveAs);
    EXPECT_EQ(S(QDir::currentPath()), Canonical(f.dir.File("out")));
    EXPECT_TRUE(test::FileExists(f.dir.File("out/result.txt")));
}

TEST(FileCommands, NewAsksAboutChangesAndKeepsThePlot) {
    FrameFixture f;
    test::FillLineweaverExample(f.Doc());
    f.Doc().UpdateAllViews(nullptr);
    f.Type(QStringLiteral("1,2"));

    f.dialogs.saveAnswers.push_back(SaveAnswer::kCancel);
    f.Trigger(cmd::kFileNew);
    EXPECT_EQ(f.View().GetText(), "1,2");
    ASSERT_EQ(f.dialogs.saveQuestions.size(), 1u);
    EXPECT_EQ(S(f.dialogs.saveQuestions[0]), "VARNEL");

    f.dialogs.saveAnswers.push_back(SaveAnswer::kNo);
    f.Trigger(cmd::kFileNew);
    EXPECT_EQ(f.View().GetText(), "");
    EXPECT_FALSE(f.Doc().IsModified());
    EXPECT_EQ(f.Doc().m_nLineweaver, 1);
    EXPECT_EQ(f.Doc().m_nCount, 3);
    EXPECT_FALSE(test::IsBlank(f.GraphImage()));
}

TEST(FileCommands, AnsweringYesSavesAnUntitledWorksheetThroughSaveAs) {
    FrameFixture f;
    f.Type(QStringLiteral("1,2\n"));
    f.dialogs.saveAnswers.push_back(SaveAnswer::kYes);
    // The first Save As is cancelled: nothing is lost and the worksheet stays.
    f.dialogs.saveFileNames.push_back(QString());
    f.Trigger(cmd::kFileNew);
    EXPECT_EQ(f.View().GetText(), "1,2\n");
    ASSERT_EQ(f.dialogs.saveSuggestions.size(), 1u);
    EXPECT_EQ(S(QFileInfo(f.dialogs.saveSuggestions[0]).fileName()), "VARNEL");

    f.dialogs.saveAnswers.push_back(SaveAnswer::kYes);
    f.dialogs.saveFileNames.push_back(Q(f.dir.File("kept.txt")));
    f.Trigger(cmd::kFileNew);
    EXPECT_EQ(f.View().GetText(), "");
    EXPECT_EQ(ReadFile(f.dir.File("kept.txt")), "1,2\r\n");
}

TEST(FileCommands, CtrlNClearsTheScreenAfterAskingAboutTheOpenFile) {
    FrameFixture f;
    const std::string path = f.dir.File("data.txt");
    WriteFile(path, "1,2\r\n");
    ASSERT_TRUE(f.frame->OpenDocumentFile(Q(path)));
    f.View().moveCursor(QTextCursor::End);
    f.Type(QStringLiteral("3,4"));
    f.dialogs.saveAnswers.push_back(SaveAnswer::kYes);
    QTest::keyClick(&f.View(), Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(f.dialogs.saveQuestions.size(), 1u);
    EXPECT_EQ(S(f.dialogs.saveQuestions[0]), "data.txt");
    EXPECT_EQ(ReadFile(path), "1,2\r\n3,4");
    EXPECT_EQ(f.View().GetText(), "");
}

TEST(FileCommands, ExitAsksAboutChangesAndCancelKeepsTheWindow) {
    FrameFixture f;
    f.Type(QStringLiteral("1,2"));
    f.dialogs.saveAnswers.push_back(SaveAnswer::kCancel);
    f.Trigger(cmd::kAppExit);
    EXPECT_TRUE(f.frame->isVisible());
    f.dialogs.saveAnswers.push_back(SaveAnswer::kNo);
    f.Trigger(cmd::kAppExit);
    EXPECT_FALSE(f.frame->isVisible());
    EXPECT_EQ(f.dialogs.saveQuestions.size(), 2u);
}

TEST(FileCommands, ExitAfterAReportAsksOnlyAboutTyping) {
    FrameFixture f;
    const std::string path = f.dir.File("data.txt");
    test::WriteFile(path, "1,2\r\n2,4\r\n3,6\r\n");
    ASSERT_TRUE(f.frame->OpenDocumentFile(Q(path)));
    f.Trigger(cmd::kCorrelation);
    f.Trigger(cmd::kAppExit);
    EXPECT_FALSE(f.frame->isVisible());
    EXPECT_TRUE(f.dialogs.saveQuestions.empty());

    FrameFixture typed;
    typed.Type(QStringLiteral("1,2\n2,4\n3,6"));
    typed.Trigger(cmd::kCorrelation);
    typed.dialogs.saveAnswers.push_back(SaveAnswer::kCancel);
    typed.Trigger(cmd::kAppExit);
    EXPECT_TRUE(typed.frame->isVisible());
    EXPECT_EQ(typed.dialogs.saveQuestions.size(), 1u);
}

TEST(FileCommands, ACharacterShiftJisCannotHoldIsSavedAsUtf8WhenTheUserAgrees) {
    FrameFixture f;
    f.View().insertPlainText(QStringLiteral("1,2 \U0001F600\n"));
    const std::string path = f.dir.File("smile.txt");

    f.dialogs.saveFileNames.push_back(Q(path));
    f.dialogs.yesNoAnswers.push_back(false);
    f.Trigger(cmd::kFileSaveAs);
    EXPECT_FALSE(test::FileExists(path));
    ASSERT_EQ(f.dialogs.yesNoQuestions.size(), 1u);
    EXPECT_TRUE(f.dialogs.yesNoQuestions[0].contains(QStringLiteral("UTF-8で保存しますか？")));
    EXPECT_TRUE(f.Doc().IsModified());

    f.dialogs.saveFileNames.push_back(Q(path));
    f.dialogs.yesNoAnswers.push_back(true);
    f.Trigger(cmd::kFileSaveAs);
    EXPECT_EQ(ReadFile(path), "1,2 \xF0\x9F\x98\x80\r\n");
    EXPECT_FALSE(f.Doc().IsModified());
}

TEST(FileCommands, OverwritingAFileWithUnreadableBytesNeedsConsent) {
    FrameFixture f;
    const std::string path = f.dir.File("broken.txt");
    const std::string bytes = "1,2\r\n\x81\x20 broken\r\n";
    WriteFile(path, bytes);
    ASSERT_TRUE(f.frame->OpenDocumentFile(Q(path)));
    f.View().moveCursor(QTextCursor::End);
    f.Type(QStringLiteral("3,4"));

    f.dialogs.yesNoAnswers.push_back(false);
    f.Trigger(cmd::kFileSave);
    EXPECT_EQ(ReadFile(path), bytes);
    ASSERT_EQ(f.dialogs.yesNoQuestions.size(), 1u);
    EXPECT_TRUE(f.dialogs.yesNoQuestions[0].contains(QStringLiteral("上書き保存しますか？")));

    f.dialogs.yesNoAnswers.push_back(true);
    f.Trigger(cmd::kFileSave);
    // The unreadable bytes were consented to lose, but their line did not change and keeps them.
    EXPECT_EQ(ReadFile(path), bytes + "3,4");
    EXPECT_FALSE(f.Doc().IsModified());
}

TEST(FileCommands, ReasonsOfSystemErrorsReadInAJapaneseUtf8Locale) {
    const test::ScopedLocale locale("ja_JP.UTF-8");
    if (!locale.ok()) GTEST_SKIP() << "ja_JP.UTF-8 cannot be had here (install locales)";
    FrameFixture f;
    const std::string file = f.dir.File("data.txt");
    WriteFile(file, "1,2\r\n");
    f.dialogs.openFileNames.push_back(Q(file + "/inner.txt"));  // a file is not a folder
    f.Trigger(cmd::kFileOpen);
    ASSERT_EQ(f.dialogs.messages.size(), 1u);
    EXPECT_NE(f.dialogs.messages[0].find("(ディレクトリではありません)"), std::string::npos)
        << f.dialogs.messages[0];
}

TEST(FileCommands, AnAnalysisWhoseReportIsTheOpenFileLeavesTheFileAlone) {
    FrameFixture f;
    // The window's current folder is the temporary folder, so the report lands beside it.
    const std::string path = f.dir.File("SokanRes.txt");
    const std::string bytes = "1,2\r\n2,4\r\n3,7\r\n";
    WriteFile(path, bytes);
    f.dialogs.openFileNames.push_back(Q(path));
    f.Trigger(cmd::kFileOpen);
    f.Trigger(cmd::kCorrelation);
    EXPECT_EQ(ReadFile(path), bytes);
    EXPECT_NE(f.View().GetText().find("開いているワークシートのファイルそのもの"),
              std::string::npos);
    EXPECT_EQ(f.View().GetText().rfind("1,2\n2,4\n3,7\n", 0), 0u);
}

TEST(FileCommands, AWriteProtectedFileIsNotReplacedAndSaveAsIsOffered) {
    FrameFixture f;
    const std::string path = f.dir.File("data.txt");
    WriteFile(path, "1,2\r\n");
    ASSERT_TRUE(f.frame->OpenDocumentFile(Q(path)));
    f.View().moveCursor(QTextCursor::End);
    f.Type(QStringLiteral("3,4"));
    if (!test::LockFile(path, true)) GTEST_SKIP() << "cannot write-protect a file here";
    f.dialogs.yesNoAnswers.push_back(true);
    const std::string copy = f.dir.File("copy.txt");
    f.dialogs.saveFileNames.push_back(Q(copy));
    f.Trigger(cmd::kFileSave);
    test::LockFile(path, false);
    EXPECT_EQ(ReadFile(path), "1,2\r\n");
    ASSERT_EQ(f.dialogs.yesNoQuestions.size(), 1u);
    EXPECT_TRUE(f.dialogs.yesNoQuestions[0].contains(QStringLiteral("書き込み禁止")));
    EXPECT_EQ(ReadFile(copy), "1,2\r\n3,4");
    EXPECT_FALSE(f.Doc().IsModified());
}

// Save over a file that another program wrote since it was opened asks first; each answer
// does what it says, and neither text is lost without the user's word.
TEST(FileCommands, SavingOverAFileChangedOnDiskAsksOverwriteSaveAsOrCancel) {
    for (const ChangedFileAnswer answer :
         {ChangedFileAnswer::kCancel, ChangedFileAnswer::kSaveAs, ChangedFileAnswer::kOverwrite}) {
        FrameFixture f;
        const std::string path = f.dir.File("data.txt");
        WriteFile(path, "1,2\r\n");
        ASSERT_TRUE(f.frame->OpenDocumentFile(Q(path)));
        f.View().moveCursor(QTextCursor::End);
        f.Type(QStringLiteral("3,4"));
        WriteFile(path, "written elsewhere\r\n");
        f.dialogs.changedAnswers.push_back(answer);
        const std::string copy = f.dir.File("copy.txt");
        if (answer == ChangedFileAnswer::kSaveAs) f.dialogs.saveFileNames.push_back(Q(copy));
        f.Trigger(cmd::kFileSave);
        ASSERT_EQ(f.dialogs.changedQuestions.size(), 1u);
        EXPECT_EQ(f.dialogs.changedQuestions[0], Q(path));
        EXPECT_EQ(ReadFile(path),
                  answer == ChangedFileAnswer::kOverwrite ? "1,2\r\n3,4" : "written elsewhere\r\n");
        EXPECT_EQ(ReadFile(copy), answer == ChangedFileAnswer::kSaveAs ? "1,2\r\n3,4" : "");
        EXPECT_EQ(f.Doc().IsModified(), answer == ChangedFileAnswer::kCancel);
    }
}

TEST(FileCommands, AFileThatCannotBeOpenedLeavesTheWorksheetAsItWas) {
    FrameFixture f;
    f.Type(QStringLiteral("mine"));
    const std::string big = f.dir.File("big.txt");
    WriteFile(big, std::string(kMaxFileBytes + 1, '1'));
    f.dialogs.openFileNames.push_back(Q(big));
    f.dialogs.saveAnswers.push_back(SaveAnswer::kNo);
    f.Trigger(cmd::kFileOpen);
    ASSERT_EQ(f.dialogs.messages.size(), 1u);
    EXPECT_EQ(f.dialogs.messages[0], "ﾌｧｲﾙが大きすぎて開けません。\n" + big +
                                         "（1,048,576 バイト、開けるのは 1,048,575 バイトまで）");
    EXPECT_EQ(f.View().GetText(), "mine");

    f.dialogs.openFileNames.push_back(Q(f.dir.File("missing.txt")));
    f.dialogs.saveAnswers.push_back(SaveAnswer::kNo);
    f.Trigger(cmd::kFileOpen);
    ASSERT_EQ(f.dialogs.messages.size(), 2u);
    EXPECT_NE(f.dialogs.messages[1].find("このﾌｧｲﾙが見つかりません。"), std::string::npos);
    EXPECT_EQ(f.View().GetText(), "mine");
}

TEST(FileCommands, RecentFilesKeepTheLastFourNewestFirstAndOutliveTheWindow) {
    QStringList paths;
    {
        FrameFixture f;
        EXPECT_TRUE(f.frame->RecentFilePlaceholder()->isVisible());
        for (int i = 0; i < 5; ++i) {
            const std::string path = f.dir.File("d" + std::to_string(i) + ".txt");
            WriteFile(path, "1,2\r\n");
            ASSERT_TRUE(f.frame->OpenDocumentFile(Q(path)));
            paths.prepend(QFileInfo(Q(path)).absoluteFilePath());
        }
        paths.removeLast();
        EXPECT_EQ(f.frame->RecentFiles(), paths);
        EXPECT_FALSE(f.frame->RecentFilePlaceholder()->isVisible());
        for (int i = 0; i < 4; ++i) {
            QAction* recent = f.frame->CommandAction(cmd::kFileMruFile1 + i);
            EXPECT_TRUE(recent->isVisible());
            EXPECT_EQ(S(recent->text()), S(QStringLiteral("&%1 %2").arg(i + 1).arg(paths[i])));
        }

        // Choosing one opens it; one that has gone away leaves the list with a message.
        f.Trigger(cmd::kFileMruFile1 + 2);
        EXPECT_EQ(f.frame->RecentFiles().front(), paths[2]);
        ASSERT_TRUE(QFile::remove(paths[3]));
        f.Trigger(cmd::kFileMruFile1 + 3);
        EXPECT_EQ(f.frame->RecentFiles().size(), 3);
        EXPECT_FALSE(f.frame->RecentFiles().contains(paths[3]));
        EXPECT_EQ(f.dialogs.messages.size(), 1u);
        paths = f.frame->RecentFiles();
    }
    const QSettings settings(QStringLiteral("lumo"), QStringLiteral("lumo"));
    EXPECT_TRUE(QFileInfo(settings.fileName()).fileName().startsWith(QStringLiteral("lumo")));
    FrameFixture again(false);
    EXPECT_EQ(again.frame->RecentFiles(), paths);
}

TEST(FileCommands, CommandLineFileOpensAtStartAndAMissingOneEndsTheProgram) {
    auto* app = qobject_cast<CLumoApp*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    test::TempDir dir;
    const std::string path = dir.File("start.txt");
    WriteFile(path, kCp932File);
    test::ScriptedDialogs dialogs;
    ASSERT_TRUE(app->InitInstance({QStringLiteral("lumo"), Q(path)}, &dialogs));
    ASSERT_NE(app->MainFrame(), nullptr);
    EXPECT_TRUE(app->MainFrame()->isVisible());
    EXPECT_EQ(app->MainFrame()->Worksheet()->GetText(), kCp932FileText);

    test::ScriptedDialogs others;
    EXPECT_FALSE(app->InitInstance({QStringLiteral("lumo"), Q(dir.File("nothing.txt"))}, &others));
    ASSERT_EQ(others.messages.size(), 1u);
    EXPECT_NE(others.messages[0].find("このﾌｧｲﾙが見つかりません。"), std::string::npos);
}

// A file named in Shift_JIS bytes on the desktop program's command line opens, and saves back
// to that very file.
TEST(FileCommands, ACommandLineFileNameThatIsNoTextKeepsItsBytes) {
    auto* app = qobject_cast<CLumoApp*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    test::TempDir dir;
    const std::string path = dir.File("\x83\x66\x81\x5B\x83\x5E.txt");  // データ.txt
    WriteFile(path, "1,2\r\n");
    const QString shown = QString::fromLocal8Bit(path);
    test::ScriptedDialogs dialogs;
    ASSERT_TRUE(app->InitInstance({QStringLiteral("lumo"), shown}, &dialogs, {"lumo", path}));
    CMainFrame& frame = *app->MainFrame();
    EXPECT_EQ(frame.GetDocument().PathName(), path);
    frame.Worksheet()->moveCursor(QTextCursor::End);
    QTest::keyClicks(frame.Worksheet(), QStringLiteral("3,4"));
    EXPECT_TRUE(frame.OnFileSave());
    EXPECT_EQ(ReadFile(path), "1,2\r\n3,4");
    EXPECT_TRUE(dialogs.messages.empty());
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);  // no second file under a name read as text
}

TEST(Printing, TheWorksheetPrintsItsTextAndTheGraphPaneOnePage) {
    FrameFixture f;
    for (int i = 0; i < 120; ++i) f.Type(QStringLiteral("%1,%2\n").arg(i).arg(2 * i));
    f.Trigger(cmd::kFilePrint);
    ASSERT_EQ(f.dialogs.printPageCounts, std::vector<int>{0});
    const std::string worksheetPdf = ReadFile(f.dir.File("print.pdf"));
    ASSERT_EQ(worksheetPdf.rfind("%PDF", 0), 0u);
    EXPECT_GT(PdfPageCount(worksheetPdf), 1);

    test::FillScatchardExample(f.Doc());
    QTest::keyClick(&f.View(), Qt::Key_F6);
    ASSERT_TRUE(f.frame->IsGraphPaneActive());
    QFile::remove(Q(f.dir.File("print.pdf")));
    f.Trigger(cmd::kFilePrint);
    EXPECT_EQ(f.dialogs.printPageCounts.back(), 1);
    EXPECT_EQ(PdfPageCount(ReadFile(f.dir.File("print.pdf"))), 1);

    f.Trigger(cmd::kFilePrintPreview);
    EXPECT_EQ(PdfPageCount(ReadFile(f.dir.File("preview.pdf"))), 1);

    f.Trigger(cmd::kFilePrintSetup);
    EXPECT_EQ(f.dialogs.pageSetups, 1);
}

TEST(Printing, CancelledPrintDialogPrintsNothing) {
    FrameFixture f;
    f.dialogs.acceptPrint = false;
    f.Type(QStringLiteral("1,2"));
    QTest::keyClick(&f.View(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(f.dialogs.printPageCounts.size(), 1u);
    EXPECT_FALSE(test::FileExists(f.dir.File("print.pdf")));
}

}  // namespace
}  // namespace lumo
