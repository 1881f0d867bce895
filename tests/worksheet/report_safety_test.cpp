// Report files and saves that a data folder received from someone else cannot turn against the
// user's files: links, FIFOs and devices at a report's name, the worksheet named like its own
// report, runs side by side in one folder, protected and linked files, signals during a save.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/test_support.h"
#include "worksheet/lumo_doc.h"
#include "worksheet/text_worksheet.h"

namespace lumo {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::RunLumo;
using test::TempDir;
using test::WriteFile;

const std::string kData = "1,2\r\n2,4\r\n3,7\r\n";
const std::string kVictim = "someone's notes\r\n";

// The names in a folder other than `keep`: what a run or a save left behind.
std::vector<std::string> Leftovers(const std::string& dir, const std::vector<std::string>& keep) {
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        bool kept = false;
        for (const std::string& k : keep) kept = kept || k == name;
        if (!kept) left.push_back(name);
    }
    return left;
}

TEST(ReportSafety, AReportNameThatIsNotARegularFileIsRefusedAndNothingIsFollowed) {
    struct Case {
        const char* what;
        void (*make)(const std::string& report, const std::string& victim);
    };
    const Case cases[] = {
        {"link to a file",
         [](const std::string& r, const std::string& v) { fs::create_symlink(v, r); }},
        {"dangling link",
         [](const std::string& r, const std::string& v) { fs::create_symlink(v + ".new", r); }},
        {"hard link",
         [](const std::string& r, const std::string& v) { fs::create_hard_link(v, r); }},
        {"FIFO", [](const std::string& r, const std::string&) { ::mkfifo(r.c_str(), 0644); }},
        {"link to /dev/zero",
         [](const std::string& r, const std::string&) { fs::create_symlink("/dev/zero", r); }},
        {"link to /dev/urandom",
         [](const std::string& r, const std::string&) { fs::create_symlink("/dev/urandom", r); }},
        {"folder", [](const std::string& r, const std::string&) { fs::create_directory(r); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string data = dir.File("data.txt");
        const std::string victim = dir.File("victim.txt");
        WriteFile(data, kData);
        WriteFile(victim, kVictim);
        c.make(dir.File("SokanRes.txt"), victim);
        const auto r = RunLumo({"--run", "correlation", data, "--save"}, dir.path());
        EXPECT_EQ(ReadFile(victim), kVictim);
        EXPECT_FALSE(fs::exists(victim + ".new"));
        if (std::string(c.what) == "hard link") {
            // A link to another file is no reason to refuse: the report gets a file of its own.
            EXPECT_EQ(r.exitCode, 0) << r.err;
            EXPECT_NE(ReadFile(dir.File("SokanRes.txt")).find("(r)="), std::string::npos);
            continue;
        }
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.out.find("SokanRes.txt"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("通常のファイルではない"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("(r)="), std::string::npos);
        // The refusal was saved into the worksheet, behind the user's data.
        EXPECT_EQ(ReadFile(data).rfind(kData, 0), 0u);
        EXPECT_EQ(Leftovers(dir.path(), {"data.txt", "victim.txt", "SokanRes.txt"}),
                  std::vector<std::string>{});
    }
}

TEST(ReportSafety, TheWorksheetNamedLikeItsReportIsNeverOverwritten) {
    struct Case {
        const char* analysis;
        const char* report;
        bool hardLink;  // the data reaches the report's name through another name
    };
    for (const Case c :
         {Case{"rejection", "KikyakuRes.txt", false}, Case{"correlation", "SokanRes.txt", false},
          Case{"correlation", "SokanRes.txt", true}}) {
        SCOPED_TRACE(std::string(c.analysis) + (c.hardLink ? " through a hard link" : ""));
        TempDir dir;
        const std::string bytes = "1,2\r\n2,4a\r\n3,7\r\n4,4\r\n";
        std::string file = c.report;
        WriteFile(dir.File(c.report), bytes);
        if (c.hardLink) {
            file = "data.txt";
            fs::create_hard_link(dir.File(c.report), dir.File(file));
        }
        const auto r = RunLumo({"--run", c.analysis, file}, dir.path());
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.out.find("開いているワークシートのファイルそのもの"), std::string::npos)
            << r.out;
        EXPECT_EQ(ReadFile(dir.File(c.report)), bytes);
        // Saved, the worksheet keeps its data and gains the message.
        EXPECT_EQ(RunLumo({"--run", c.analysis, file, "--save"}, dir.path()).exitCode, 1);
        EXPECT_EQ(ReadFile(dir.File(c.report)).rfind(bytes, 0), 0u);
        EXPECT_EQ(Leftovers(dir.path(), {c.report, "data.txt"}), std::vector<std::string>{});
    }
}

// Runs lumo in `cwd` without waiting for it.
pid_t StartLumo(const std::vector<std::string>& args, const std::string& cwd) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(cwd.c_str()) != 0) ::_exit(127);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        std::vector<std::string> copies(args);
        std::string binary = LUMO_BINARY;
        std::vector<char*> argv = {binary.data()};
        for (std::string& a : copies) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(binary.c_str(), argv.data());
        ::_exit(127);
    }
    return pid;
}

TEST(ReportSafety, RunsSideBySideInOneFolderEachAppendTheirOwnReport) {
    const std::string inputs[2] = {"1,2\r\n2,4\r\n3,7\r\n", "10,1\r\n20,5\r\n30,2\r\n40,9\r\n"};
    // What each input gives when it runs alone.
    std::string alone[2];
    for (int k = 0; k < 2; ++k) {
        TempDir own;
        WriteFile(own.File("d.txt"), inputs[k]);
        ASSERT_EQ(RunLumo({"--run", "correlation", "d.txt", "--save"}, own.path()).exitCode, 0);
        alone[k] = ReadFile(own.File("d.txt"));
    }
    ASSERT_NE(alone[0], alone[1]);
    TempDir dir;
    constexpr int kRuns = 24;
    std::vector<pid_t> pids;
    for (int i = 0; i < kRuns; ++i) {
        const std::string name = "d" + std::to_string(i) + ".txt";
        WriteFile(dir.File(name), inputs[i % 2]);
    }
    for (int i = 0; i < kRuns; ++i) {
        pids.push_back(StartLumo(
            {"--run", "correlation", "d" + std::to_string(i) + ".txt", "--save"}, dir.path()));
    }
    for (const pid_t pid : pids) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int i = 0; i < kRuns; ++i) {
        EXPECT_EQ(ReadFile(dir.File("d" + std::to_string(i) + ".txt")), alone[i % 2]) << i;
    }
    // The report on disk is one run's whole report.
    const std::string report = ReadFile(dir.File("SokanRes.txt"));
    const std::string separator = "------------------------------------------\r\n";
    bool whole = false;
    for (const std::string& a : alone) whole = whole || a.substr(a.find(separator) + 44) == report;
    EXPECT_TRUE(whole) << report;
}

TEST(ReportSafety, AFileArgumentThatIsAFifoIsRefusedWithoutBlocking) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0644), 0);
    const auto r = RunLumo({"--run", "correlation", "pipe"}, dir.path());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("pipe"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir.File("SokanRes.txt")));
}

TEST(ReportSafety, APictureThatCannotBeWrittenStopsTheRunBeforeAnythingIsWritten) {
    TempDir dir;
    WriteFile(dir.File("d.txt"), kData);
    ASSERT_TRUE(fs::create_directory(dir.File("ro")));
    for (const std::string& out :
         {dir.File("no-such-folder/p.png"), dir.File("ro/p.png"), dir.File("folder.png")}) {
        SCOPED_TRACE(out);
        fs::create_directory(dir.File("folder.png"));
        if (!test::LockFolder(dir.File("ro"), true)) GTEST_SKIP() << "cannot lock a folder here";
        const auto r =
            RunLumo({"--run", "correlation", "d.txt", "--save", "--plot", out}, dir.path());
        test::LockFolder(dir.File("ro"), false);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(ReadFile(dir.File("d.txt")), kData);
        EXPECT_FALSE(fs::exists(dir.File("SokanRes.txt")));
        EXPECT_EQ(Leftovers(dir.File("ro"), {}), std::vector<std::string>{});
    }
}

// The worksheet of a file opened into a document, edited.
struct Edited {
    explicit Edited(const std::string& path, std::string text = "9,9\n1,2\n") {
        doc.AttachWorksheet(&sheet);
        loaded = doc.OnOpenDocument(path).ok();
        sheet.SetText(text);
        doc.SetModifiedFlag(true);
    }
    TextWorksheet sheet;
    CLumoDoc doc;
    bool loaded = false;
};

TEST(SaveSafety, AWriteProtectedFileIsRefusedAndStaysAsItWas) {
    TempDir dir;
    const std::string path = dir.File("data.txt");
    WriteFile(path, kData);
    Edited e(path);
    ASSERT_TRUE(e.loaded);
    if (!test::LockFile(path, true)) GTEST_SKIP() << "cannot write-protect a file here";
    const SaveResult saved = e.doc.OnSaveDocument(path);
    test::LockFile(path, false);
    EXPECT_EQ(saved.error, FileError::kReadOnly);
    EXPECT_NE(saved.message.find(path), std::string::npos);
    EXPECT_NE(saved.message.find("書き込み禁止"), std::string::npos);
    EXPECT_EQ(ReadFile(path), kData);
    EXPECT_TRUE(e.doc.IsModified());
    EXPECT_EQ(Leftovers(dir.path(), {"data.txt"}), std::vector<std::string>{});
}

TEST(SaveSafety, AFileWithOtherNamesIsWrittenInPlaceAndKeepsThem) {
    TempDir dir;
    const std::string path = dir.File("data.txt");
    WriteFile(path, kData);
    fs::create_hard_link(path, dir.File("other.txt"));
    ::chmod(path.c_str(), 0640);
    struct stat before {};
    ::stat(path.c_str(), &before);
    Edited e(path);
    ASSERT_TRUE(e.doc.OnSaveDocument(path).ok());
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(ReadFile(path), "9,9\r\n1,2\r\n");
    EXPECT_EQ(ReadFile(dir.File("other.txt")), "9,9\r\n1,2\r\n");
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_nlink, 2u);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    // Shorter contents leave no tail of the old ones.
    Edited shorter(path, "1\n");
    ASSERT_TRUE(shorter.doc.OnSaveDocument(path).ok());
    EXPECT_EQ(ReadFile(dir.File("other.txt")), "1\r\n");
    EXPECT_EQ(Leftovers(dir.path(), {"data.txt", "other.txt"}), std::vector<std::string>{});
}

TEST(SaveSafety, TheOwnerOfTheFileStays) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make files of other owners";
    constexpr uid_t kNobody = 65534;
    TempDir dir;
    ::chmod(dir.path().c_str(), 0777);
    struct Case {
        const char* what;
        uid_t owner;  // the file's owner
        uid_t saver;  // who saves it
    };
    for (const Case c : {Case{"root saves another's file", kNobody, 0},
                         Case{"a user saves root's shared file", 0, kNobody}}) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.File("data.txt");
        WriteFile(path, kData);
        ASSERT_EQ(::chown(path.c_str(), c.owner, c.owner), 0);
        ::chmod(path.c_str(), 0666);
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::setgid(c.saver) != 0 || ::setuid(c.saver) != 0) ::_exit(3);
            Edited e(path);
            ::_exit(e.doc.OnSaveDocument(path).ok() ? 0 : 1);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        struct stat st {};
        ::stat(path.c_str(), &st);
        EXPECT_EQ(st.st_uid, c.owner);
        EXPECT_EQ(st.st_gid, c.owner);
        EXPECT_EQ(st.st_mode & 07777, 0666u);
        EXPECT_EQ(ReadFile(path), "9,9\r\n1,2\r\n");
        EXPECT_EQ(Leftovers(dir.path(), {"data.txt"}), std::vector<std::string>{});
    }
}

TEST(SaveSafety, ALongNameCanBeSavedAgain) {
    TempDir dir;
    for (const std::size_t length : {std::size_t{240}, std::size_t{251}, std::size_t{255}}) {
        const std::string path = dir.File(std::string(length - 4, 'n') + ".txt");
        WriteFile(path, kData);
        Edited e(path);
        ASSERT_TRUE(e.loaded) << length;
        const SaveResult saved = e.doc.OnSaveDocument(path);
        EXPECT_TRUE(saved.ok()) << length << " " << saved.message;
        EXPECT_EQ(ReadFile(path), "9,9\r\n1,2\r\n");
        fs::remove(path);
    }
    EXPECT_EQ(Leftovers(dir.path(), {}), std::vector<std::string>{});
}

TEST(SaveSafety, NothingIsSavedThatOpenWouldRefuse) {
    TempDir dir;
    const std::string path = dir.File("data.txt");
    // Data that fits, padded after an empty line to just under the limit: the report that a
    // run appends would push the file past what Open takes.
    const std::string padding(kMaxFileBytes - kData.size() - 2 - 100, 'x');
    const std::string bytes = kData + "\r\n" + padding;
    WriteFile(path, bytes);
    const auto r = RunLumo({"--run", "correlation", "data.txt", "--save"}, dir.path());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("保存しませんでした"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(path), bytes);
    // Up to the limit a save goes through, and Open takes the file back.
    Edited e(path, std::string(kMaxFileBytes, '1'));
    EXPECT_TRUE(e.doc.OnSaveDocument(path).ok());
    Edited back(path);
    EXPECT_TRUE(back.loaded);
}

// A process that saves one of two texts over and over until a signal ends it.
TEST(SaveSafety, ASignalDuringASaveLeavesOneWholeFileAndNoCopy) {
    const std::string texts[2] = {std::string(400000, 'a'), std::string(300000, 'b')};
    for (const bool linked : {false, true}) {
        for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
            SCOPED_TRACE(std::string(linked ? "linked " : "") + std::to_string(signal));
            TempDir dir;
            const std::string path = dir.File("data.txt");
            WriteFile(path, texts[0]);
            if (linked) fs::create_hard_link(path, dir.File("other.txt"));
            int ready[2];
            ASSERT_EQ(::pipe(ready), 0);
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::close(ready[0]);
                ::signal(signal, SIG_DFL);
                Edited e(path);
                for (int i = 0;; ++i) {
                    e.sheet.SetText(texts[i % 2]);
                    if (!e.doc.OnSaveDocument(path).ok()) ::_exit(1);
                    if (i == 0) {
                        (void)::write(ready[1], "r", 1);
                        ::close(ready[1]);
                    }
                }
            }
            ::close(ready[1]);
            char c = 0;
            ASSERT_EQ(::read(ready[0], &c, 1), 1);
            ::close(ready[0]);
            ::usleep(20000);
            ::kill(pid, signal);
            int status = 0;
            ::waitpid(pid, &status, 0);
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal);
            const std::string now = ReadFile(path);
            EXPECT_TRUE(now == texts[0] || now == texts[1]) << now.size();
            if (linked) {
                EXPECT_EQ(ReadFile(dir.File("other.txt")), now);
            }
            EXPECT_EQ(Leftovers(dir.path(), {"data.txt", "other.txt"}), std::vector<std::string>{});
        }
    }
}

TEST(TestFolders, ALockedFolderIsUnlockedAndRemovedWhateverTheTestDid) {
    std::string kept;
    {
        TempDir dir;
        kept = dir.path();
        const std::string ro = dir.File("ro");
        ASSERT_TRUE(fs::create_directory(ro));
        WriteFile(ro + "/f.txt", "x");
        if (!test::LockFolder(ro, true)) GTEST_SKIP() << "cannot lock a folder here";
        EXPECT_TRUE(test::LockFolder(ro, false));
        EXPECT_EQ(::mkdir((ro + "/sub").c_str(), 0755), 0);
        // Left locked, as a test that stops half-way leaves it.
        ASSERT_TRUE(test::LockFile(ro + "/f.txt", true));
        ASSERT_TRUE(test::LockFolder(ro + "/sub", true));
        ASSERT_TRUE(test::LockFolder(ro, true));
    }
    EXPECT_FALSE(fs::exists(kept));
}

}  // namespace
}  // namespace lumo
