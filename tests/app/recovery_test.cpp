// Recovery copies: what the user typed survives a killed program, exactly, and nothing is
// restored, overwritten or left behind without the user's say.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "app/commands.h"
#include "app/lumo_app.h"
#include "app/lumo_view.h"
#include "app/recovery.h"
#include "tests/app/app_test_support.h"
#include "tests/app/type_text.h"
#include "worksheet/cp932.h"

namespace lumo {
namespace {

using test::FrameFixture;
using test::Q;
using test::ReadFile;
using test::S;
using test::WriteFile;

// Generous: a copy is due every 50 ms here.
constexpr int kWaitMs = 20000;

// Copies every 50 ms, in an empty recovery folder, for the windows made while it lives.
class QuickCopies {
  public:
    QuickCopies() {
        qputenv("LUMO_RECOVERY_INTERVAL_MS", "50");
        QDir(CRecovery::Folder()).removeRecursively();
    }
    ~QuickCopies() {
        qunsetenv("LUMO_RECOVERY_INTERVAL_MS");
        QDir(CRecovery::Folder()).removeRecursively();
    }
};

QStringList Copies() {
    return QDir(CRecovery::Folder()).entryList({QStringLiteral("*.recovery")}, QDir::Files);
}

// Waits for the window's copy to hold its worksheet's text.
std::optional<RecoveryCopy> WaitForCopy(const CMainFrame& frame) {
    std::optional<RecoveryCopy> copy;
    const std::string text = frame.Worksheet()->GetText();
    const bool written = QTest::qWaitFor(
        [&] {
            if (frame.Recovery().CopyPath().isEmpty()) return false;
            copy = ReadRecoveryCopy(frame.Recovery().CopyPath());
            return copy && copy->text == text;
        },
        kWaitMs);
    if (!written) copy.reset();
    return copy;
}

// The copy as an instance that is gone leaves it: under a name no running window holds.
QString LeaveBehind(const QString& copyPath,
                    const QString& id = QStringLiteral("0badc0de0badc0de")) {
    const QString name = QFileInfo(copyPath).fileName();
    const QString left =
        CRecovery::Folder() + QLatin1Char('/') + id + name.mid(name.indexOf(QLatin1Char('.')));
    EXPECT_TRUE(QFile::copy(copyPath, left));
    return left;
}

struct EncodingCase {
    const char* name;
    std::string fileBytes;  // "" for a new worksheet
    const char* typed;      // UTF-8
    const char* stored;     // the encoding line of the copy
};

TEST(Recovery, ACopyGivesBackExactlyWhatWasTypedInTheWorksheetsEncodingWhereItCan) {
    const QuickCopies quick;
    const EncodingCase cases[] = {
        {"new worksheet", "", "濃度,反応\n1,2\n", "stored cp932 crlf"},
        {"CP932 file", ToCp932("ｘ,ｙ\r\n1,2\r\n"), "3,4 ﾃｽﾄ\n", "stored cp932 crlf"},
        // CP932 would read these back as other characters: a full-width tilde, a backslash.
        {"wave dash", ToCp932("x,y\r\n"), "1〜2,¥3\n", "stored utf-8 lf"},
        {"not in CP932", "", "😀,1\n", "stored utf-8 lf"},
        {"UTF-8 file", "\xCE\xB1,1\n", "2,β\n", "stored utf-8 lf"},
        {"CR file", "1,2\r3,4\r", "5,6\n", "stored cp932 cr"},
        // A byte that could not be read shows as U+FFFD, which CP932 cannot hold.
        {"unreadable byte", "1,\x80\r\n", "2,3\n", "stored utf-8 lf"},
    };
    for (const EncodingCase& c : cases) {
        SCOPED_TRACE(c.name);
        const test::TempDir dir;
        QString left;
        std::string text;
        std::string file;
        FileFormat format;
        {
            FrameFixture f;
            if (!c.fileBytes.empty()) {
                file = dir.File("data.txt");
                WriteFile(file, c.fileBytes);
                ASSERT_TRUE(f.frame->OpenDocumentFile(Q(file)));
            }
            format = f.Doc().Format();
            QTextCursor end = f.View().textCursor();
            end.movePosition(QTextCursor::End);
            f.View().setTextCursor(end);
            test::TypeText(&f.View(), QString::fromUtf8(c.typed));
            text = f.View().GetText();
            const std::optional<RecoveryCopy> copy = WaitForCopy(*f.frame);
            ASSERT_TRUE(copy);
            EXPECT_EQ(copy->text, text);
            EXPECT_NE(ReadFile(S(copy->copyPath)).find(c.stored), std::string::npos);
            // Its name says which file it belongs to.
            EXPECT_TRUE(QFileInfo(copy->copyPath)
                            .fileName()
                            .contains(file.empty() ? QStringLiteral("VARNEL")
                                                   : QStringLiteral("data.txt")));
            left = LeaveBehind(copy->copyPath);
        }
        // A window that closes cleanly takes its own copy with it; the one left behind stays.
        EXPECT_EQ(Copies(), QStringList{QFileInfo(left).fileName()});

        FrameFixture again;
        again.dialogs.yesNoAnswers = {true};
        again.frame->OfferRecovery(QString());
        ASSERT_EQ(again.dialogs.yesNoQuestions.size(), 1u);
        EXPECT_TRUE(
            again.dialogs.yesNoQuestions[0].startsWith(QString::fromUtf8(kRestoreQuestion)));
        EXPECT_EQ(again.View().GetText(), text);
        EXPECT_TRUE(again.Doc().IsModified());
        EXPECT_EQ(again.Doc().PathName(), file);
        EXPECT_EQ(again.Doc().Format().encoding, format.encoding);
        EXPECT_EQ(again.Doc().Format().lineEnd, format.lineEnd);
        // The restored text is in this window's copy; the old one is gone.
        EXPECT_FALSE(QFile::exists(left));
        const std::optional<RecoveryCopy> own =
            ReadRecoveryCopy(again.frame->Recovery().CopyPath());
        ASSERT_TRUE(own);
        EXPECT_EQ(own->text, text);
        EXPECT_EQ(ReadFile(file.empty() ? std::string() : file), c.fileBytes);
    }
}

TEST(Recovery, SavingOrReplacingTheWorksheetTakesTheCopyAway) {
    const QuickCopies quick;
    FrameFixture f;
    const std::string file = f.dir.File("other.txt");
    WriteFile(file, "9,9\r\n");
    struct Step {
        const char* name;
        std::function<void()> act;
    };
    const Step steps[] = {
        {"save",
         [&] {
             f.dialogs.saveFileNames = {Q(f.dir.File("saved.txt"))};
             f.Trigger(cmd::kFileSave);
         }},
        {"new, not saving",
         [&] {
             f.dialogs.saveAnswers = {SaveAnswer::kNo};
             f.Trigger(cmd::kFileNew);
         }},
        {"open, not saving",
         [&] {
             f.dialogs.saveAnswers = {SaveAnswer::kNo};
             f.dialogs.openFileNames = {Q(file)};
             f.Trigger(cmd::kFileOpen);
         }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        test::TypeText(&f.View(), QStringLiteral("1,2\n"));
        ASSERT_TRUE(WaitForCopy(*f.frame));
        step.act();
        EXPECT_FALSE(f.Doc().IsModified());
        EXPECT_TRUE(f.frame->Recovery().CopyPath().isEmpty());
        EXPECT_TRUE(Copies().isEmpty());
        // And no copy comes while nothing is unsaved.
        QTest::qWait(200);
        EXPECT_TRUE(Copies().isEmpty());
    }
}

TEST(Recovery, CopiesOlderThanTheirFileAreOfferedSayingSoAndOnlyNoDiscardsThem) {
    const QuickCopies quick;
    test::TempDir dir;
    const std::string older = dir.File("older.txt");
    const std::string newer = dir.File("newer.txt");
    WriteFile(older, "1,2\r\n");
    WriteFile(newer, "1,2\r\n");
    QString leftOlder, leftNewer;
    for (const std::string& file : {older, newer}) {
        FrameFixture f;
        ASSERT_TRUE(f.frame->OpenDocumentFile(Q(file)));
        test::TypeText(&f.View(), QStringLiteral("3,4\n"));
        const std::optional<RecoveryCopy> copy = WaitForCopy(*f.frame);
        ASSERT_TRUE(copy);
        (file == older ? leftOlder : leftNewer) =
            LeaveBehind(copy->copyPath, file == older ? QStringLiteral("1111111111111111")
                                                      : QStringLiteral("2222222222222222"));
    }
    // The file was saved again after its copy was written (by another program, say).
    QFile touched(Q(newer));
    ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
    ASSERT_TRUE(touched.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                    QFileDevice::FileModificationTime));
    touched.close();
    // A damaged copy is neither offered nor thrown away.
    const QString damaged = CRecovery::Folder() + QStringLiteral("/3333333333333333.x.recovery");
    WriteFile(S(damaged), "Lumo recovery copy 1\nfile -\nsize 99\n\nshort");

    FrameFixture f;
    // Started with the newer file: only its copy is asked about, saying that the file changed
    // after it; the user's no is what takes it away.
    const QString note = QString::fromUtf8(kFileChangedNote);
    f.dialogs.yesNoAnswers = {false};
    f.frame->OfferRecovery(Q(newer));
    ASSERT_EQ(f.dialogs.yesNoQuestions.size(), 1u);
    EXPECT_TRUE(f.dialogs.yesNoQuestions[0].contains(Q(newer)));
    EXPECT_TRUE(f.dialogs.yesNoQuestions[0].endsWith(note));
    EXPECT_TRUE(QFile::exists(leftOlder));
    EXPECT_FALSE(QFile::exists(leftNewer));
    EXPECT_TRUE(QFile::exists(damaged));

    f.dialogs.yesNoAnswers = {false};
    f.frame->OfferRecovery(QString());
    ASSERT_EQ(f.dialogs.yesNoQuestions.size(), 2u);
    EXPECT_TRUE(f.dialogs.yesNoQuestions[1].contains(Q(older)));
    EXPECT_FALSE(f.dialogs.yesNoQuestions[1].contains(note));
    EXPECT_EQ(f.View().GetText(), "");
    EXPECT_FALSE(f.Doc().IsModified());
    EXPECT_FALSE(QFile::exists(leftOlder));
    EXPECT_TRUE(QFile::exists(damaged));
    EXPECT_EQ(ReadFile(older), "1,2\r\n");
}

mode_t ModeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// The copies are the user's alone: a private folder and private copies, and nothing used or
// offered from a folder, or a copy, that someone else owns or can write.
TEST(Recovery, CopiesArePrivateAndAFolderOrCopyOfSomeoneElsesIsNeverUsed) {
    const QuickCopies quick;
    test::TempDir dir;
    const std::string file = dir.File("data.txt");
    WriteFile(file, "1,2\r\n");
    QString own;
    {
        FrameFixture f;
        ASSERT_TRUE(f.frame->OpenDocumentFile(Q(file)));
        test::TypeText(&f.View(), QStringLiteral("3,4\n"));
        const std::optional<RecoveryCopy> copy = WaitForCopy(*f.frame);
        ASSERT_TRUE(copy);
        EXPECT_EQ(ModeOf(CRecovery::Folder()), 0700u);
        EXPECT_EQ(ModeOf(copy->copyPath), 0600u);
        own = LeaveBehind(copy->copyPath);
    }
    const std::string ownBytes = ReadFile(S(own));
    const test::UnprivilegedUser other;
    const QString planted = CRecovery::Folder() + QStringLiteral("/4444444444444444.p.recovery");
    const QString linked = CRecovery::Folder() + QStringLiteral("/5555555555555555.l.recovery");
    ASSERT_TRUE(QFile::copy(own, planted));
    ASSERT_TRUE(QFile::link(own, linked));
    if (other.ok()) {
        ASSERT_EQ(::chown(QFile::encodeName(planted).constData(), other.uid(), other.gid()), 0);
    }
    {
        // Only the user's own copy is offered; the others are left where they are.
        FrameFixture f;
        f.dialogs.yesNoAnswers = {false, false};
        f.frame->OfferRecovery(QString());
        EXPECT_EQ(f.dialogs.yesNoQuestions.size(), other.ok() ? 1u : 2u);
        EXPECT_NE(ModeOf(linked), 0u);  // the link, whose target the no took away
        if (other.ok()) {
            EXPECT_TRUE(QFile::exists(planted));
        }
    }
    if (!other.ok()) std::printf("a copy of another user's: skipped, %s\n", other.why().c_str());

    // A folder that others may write in, or that another user owns.
    struct FolderCase {
        const char* name;
        mode_t mode;
        bool otherOwns;
    } folders[] = {{"writable by others", 0777, false},
                   {"writable by the group", 0770, false},
                   {"another user's", 0700, true}};
    for (const FolderCase& c : folders) {
        if (c.otherOwns && !other.ok()) {
            std::printf("%s: skipped, %s\n", c.name, other.why().c_str());
            continue;
        }
        SCOPED_TRACE(c.name);
        QDir(CRecovery::Folder()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(CRecovery::Folder()));
        WriteFile(S(CRecovery::Folder()) + "/6666666666666666.o.recovery", ownBytes);
        const QByteArray folder = QFile::encodeName(CRecovery::Folder());
        ASSERT_EQ(::chmod(folder.constData(), c.mode), 0);
        if (c.otherOwns) {
            ASSERT_EQ(::chown(folder.constData(), other.uid(), other.gid()), 0);
        }
        FrameFixture f;
        f.frame->OfferRecovery(QString());
        EXPECT_TRUE(f.dialogs.yesNoQuestions.empty());
        EXPECT_FALSE(f.frame->Recovery().TakeLock());
        test::TypeText(&f.View(), QStringLiteral("5,6\n"));
        QTest::qWait(200);
        EXPECT_EQ(Copies().size(), 1);
        EXPECT_EQ(ModeOf(CRecovery::Folder()), c.mode);
    }
}

// The desktop program in a process of its own, typing `text`.
class TypingProgram {
  public:
    explicit TypingProgram(const QString& text) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("LUMO_RECOVERY_INTERVAL_MS"), QStringLiteral("50"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(LUMO_RECOVERY_CHILD), {text});
    }
    ~TypingProgram() {
        if (m_process.state() != QProcess::NotRunning) Kill();
    }
    // Waits for the text to be typed and written to the program's copy; returns the copy.
    QString WaitForCopy(const std::string& text) {
        EXPECT_TRUE(m_process.waitForStarted(kWaitMs));
        EXPECT_TRUE(
            QTest::qWaitFor([this] { return m_process.canReadLine() || !Running(); }, kWaitMs));
        EXPECT_EQ(m_process.readLine().trimmed(), "typed");
        QString found;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                for (const QString& name : Copies()) {
                    const QString path = CRecovery::Folder() + QLatin1Char('/') + name;
                    const std::optional<RecoveryCopy> copy = ReadRecoveryCopy(path);
                    if (copy && copy->text == text && !m_seen.contains(path)) found = path;
                }
                return !found.isEmpty() || !Running();
            },
            kWaitMs));
        m_seen << found;
        return found;
    }
    void Kill() {
        ::kill(static_cast<pid_t>(m_process.processId()), SIGKILL);
        EXPECT_TRUE(m_process.waitForFinished(kWaitMs));
        EXPECT_EQ(m_process.exitStatus(), QProcess::CrashExit);
    }
    bool Running() const { return m_process.state() == QProcess::Running; }

  private:
    QProcess m_process;
    QStringList m_seen;
};

TEST(Recovery, TypedTextComesBackAfterTheProgramIsKilledAndACleanExitLeavesNoCopy) {
    const QuickCopies quick;
    auto* app = qobject_cast<CLumoApp*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    const QString typed = QStringLiteral("濃度〜反応,ﾃﾞｰﾀ\n1.5,２\n");
    const std::string text = S(typed);
    {
        TypingProgram program(typed);
        const QString copy = program.WaitForCopy(text);
        ASSERT_FALSE(copy.isEmpty());
        program.Kill();
        EXPECT_TRUE(QFile::exists(copy));
    }

    test::ScriptedDialogs dialogs;
    dialogs.yesNoAnswers = {true};
    ASSERT_TRUE(app->InitInstance({QStringLiteral("lumo")}, &dialogs));
    CMainFrame* frame = app->MainFrame();
    ASSERT_EQ(dialogs.yesNoQuestions.size(), 1u);
    EXPECT_TRUE(dialogs.yesNoQuestions[0].startsWith(QString::fromUtf8(kRestoreQuestion)));
    EXPECT_EQ(frame->Worksheet()->GetText(), text);
    EXPECT_TRUE(frame->GetDocument().IsModified());
    EXPECT_EQ(Copies().size(), 1);

    // Exit, not saving: the user has answered for the text, and no copy is left.
    dialogs.saveAnswers = {SaveAnswer::kNo};
    EXPECT_TRUE(frame->close());
    EXPECT_TRUE(Copies().isEmpty());
}

TEST(Recovery, ARunningProgramsCopyIsNeverOfferedAndTwoWindowsKeepCopiesOfTheirOwn) {
    const QuickCopies quick;
    TypingProgram program(QStringLiteral("1,2\n"));
    const QString running = program.WaitForCopy("1,2\n");
    ASSERT_FALSE(running.isEmpty());

    FrameFixture f;
    f.frame->OfferRecovery(QString());  // any question here fails the test
    EXPECT_TRUE(f.dialogs.yesNoQuestions.empty());
    test::TypeText(&f.View(), QStringLiteral("3,4\n"));
    const std::optional<RecoveryCopy> own = WaitForCopy(*f.frame);
    ASSERT_TRUE(own);
    EXPECT_NE(own->copyPath, running);
    const std::optional<RecoveryCopy> still = ReadRecoveryCopy(running);
    ASSERT_TRUE(still);
    EXPECT_EQ(still->text, "1,2\n");
    EXPECT_EQ(Copies().size(), 2);
}

}  // namespace
}  // namespace lumo
