// lumo --run as a script uses it: exit codes, output, --save and file errors.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>

#include "tests/test_support.h"
#include "worksheet/cp932.h"
#include "worksheet/worksheet_file.h"

namespace lumo {
namespace {

using test::ReadFile;
using test::RunLumo;
using test::TempDir;
using test::WriteFile;

TEST(CommandLine, UsageAndFileErrorsExitWithTwoAndOneLine) {
    TempDir dir;
    WriteFile(dir.File("d.txt"), "1,2\r\n");
    const std::vector<std::vector<std::string>> bad = {
        {"--run", "nonsense", dir.File("d.txt")},
        {"--run", "correlation"},
        {"--run", "correlation", dir.File("missing.txt")},
        {"--run", "correlation", dir.path()},
        {"--bogus"},
    };
    for (const auto& args : bad) {
        const auto r = RunLumo(args, dir.path());
        EXPECT_EQ(r.exitCode, 2) << args[0] << " " << args.back();
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(r.err.empty());
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
}

TEST(CommandLine, DesktopProgramWithoutADisplaySaysWhatToDo) {
    TempDir dir;
    const std::string command =
        std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ") + LUMO_BINARY + " >" +
        dir.File("out") + " 2>" + dir.File("err");
    const int status = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_NE(ReadFile(dir.File("err")).find("lumo --run"), std::string::npos);
}

TEST(CommandLine, HelpListsTheAnalyses) {
    TempDir dir;
    const auto r = RunLumo({"--help"}, dir.path());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("--run"), std::string::npos);
    EXPECT_NE(r.out.find("correlation"), std::string::npos);
}

TEST(CommandLine, StoppedAnalysisExitsWithOneAndLeavesTheFileAlone) {
    TempDir dir;
    WriteFile(dir.File("d.txt"), "\r\n1,2\r\n");
    const auto r = RunLumo({"--run", "correlation", dir.File("d.txt"), "--save"}, dir.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("先ず、"), std::string::npos);
    EXPECT_EQ(ReadFile(dir.File("d.txt")),
              "\r\n1,2\r\n" + ToCp932(" 先ず、「ファイル」->「開く」からデータを選ぶか、"
                                      "直接データを入力して下さい。\r\n"));
    EXPECT_TRUE(test::FileExists(dir.File("SokanRes.txt")));
}

TEST(CommandLine, SaveWritesTheReportIntoTheFileInItsOwnFormat) {
    TempDir dir;
    WriteFile(dir.File("d.txt"), "1,2\n2,4\n3,6\n");  // LF line ends
    const auto r = RunLumo({"--run", "correlation", dir.File("d.txt"), "--save"}, dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string saved = ReadFile(dir.File("d.txt"));
    EXPECT_EQ(saved.rfind("1,2\n2,4\n3,6\n\n------------------------------------------\n\n", 0),
              0u);
    EXPECT_EQ(saved.find('\r'), std::string::npos);
    EXPECT_NE(saved.find(ToCp932("相関係数(r)= 1.000000")), std::string::npos);
    // Running again reads the same data and stops before the first report.
    const auto again = RunLumo({"--run", "correlation", dir.File("d.txt")}, dir.path());
    EXPECT_EQ(again.out, r.out);
}

TEST(CommandLine, UnreadableBytesWarnAndRefuseToOverwrite) {
    TempDir dir;
    const std::string bytes = "1,2\r\n2,4\r\n\x85";
    WriteFile(dir.File("d.txt"), bytes);
    const auto r = RunLumo({"--run", "correlation", dir.File("d.txt"), "--save"}, dir.path());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("warning"), std::string::npos);
    EXPECT_EQ(ReadFile(dir.File("d.txt")), bytes);
}

TEST(CommandLine, Utf8WorksheetIsReadAndSavedAsUtf8) {
    TempDir dir;
    WriteFile(dir.File("d.txt"), "1,2 データ\n2,4\n");
    const auto r = RunLumo({"--run", "correlation", dir.File("d.txt"), "--save"}, dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string saved = ReadFile(dir.File("d.txt"));
    EXPECT_EQ(saved.rfind("1,2 データ\n2,4\n", 0), 0u);
    EXPECT_NE(saved.find("相関係数(r)="), std::string::npos);
}

TEST(CommandLine, AnalysedAndSavedWorksheetKeepsItsBytesAsPrefix) {
    std::string utf16;
    Utf8ToUtf16("1,2\r\n2,4\r\n3,6\r\n\r\nメモ\r\n", false, utf16);
    std::string utf16Be;
    Utf8ToUtf16("1,2\n2,4\n3,6\n", true, utf16Be);
    const std::string files[] = {
        // ≒ and 纊, which CP932 would encode otherwise, and mixed line ends.
        "1,2\r\n2,4\n3,6\r\n\r\n\x87\x90\xED\x40 memo\rend",
        "1,2\n2,4\n3,6\n\nmemo\r",
        "\xFF\xFE" + utf16,
        "\xFE\xFF" + utf16Be,
    };
    for (const std::string& bytes : files) {
        TempDir dir;
        WriteFile(dir.File("d.txt"), bytes);
        const auto r = RunLumo({"--run", "correlation", dir.File("d.txt"), "--save"}, dir.path());
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.out.find("相関係数(r)= 1.000000"), std::string::npos) << r.out;
        const std::string saved = ReadFile(dir.File("d.txt"));
        EXPECT_EQ(saved.rfind(bytes, 0), 0u);
        // It reads back as the worksheet was with the report behind it, in its encoding.
        const DecodedText before = DecodeWorksheet(bytes);
        const DecodedText after = DecodeWorksheet(saved);
        EXPECT_EQ(after.text, before.text + r.out);
        EXPECT_EQ(after.format.encoding, before.format.encoding);
        EXPECT_FALSE(after.format.hadInvalidBytes);
    }
}

TEST(CommandLine, StandardOutputThatCannotBeWrittenFailsAfterTheSave) {
    for (const auto to : {test::StdoutTo::kClosedPipe, test::StdoutTo::kFullDevice}) {
        for (const bool json : {false, true}) {
            TempDir dir;
            WriteFile(dir.File("d.txt"), "1,2\r\n2,4\r\n3,6\r\n");
            std::vector<std::string> args = {"--run", "correlation", dir.File("d.txt"), "--save"};
            if (json) args.push_back("--json");
            const auto r = RunLumo(args, dir.path(), to);
            EXPECT_EQ(r.exitCode, 2) << r.err;
            EXPECT_NE(r.err.find("standard output"), std::string::npos) << r.err;
            EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
            EXPECT_NE(ReadFile(dir.File("d.txt")).find(ToCp932("相関係数(r)=")), std::string::npos);
        }
    }
    TempDir dir;
    EXPECT_EQ(RunLumo({"--help"}, dir.path(), test::StdoutTo::kFullDevice).exitCode, 2);
}

TEST(CommandLine, ReportFolderThatCannotBeWrittenIsAFailure) {
    TempDir dir;
    WriteFile(dir.File("d.txt"), "1,2\r\n2,4\r\n");
    const std::string cwd = dir.File("ro");
    ASSERT_EQ(::mkdir(cwd.c_str(), 0755), 0);
    if (!test::LockFolder(cwd, true)) GTEST_SKIP() << "cannot make a folder read-only here";
    const auto r = RunLumo({"--run", "correlation", dir.File("d.txt")}, cwd);
    test::LockFolder(cwd, false);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("SokanRes.txt"), std::string::npos);
    EXPECT_NE(r.out.find(cwd), std::string::npos);
}

TEST(CommandLine, JsonPrintsTheRecordOrTheStopAndKeepsTheExitStatus) {
    const struct {
        const char* analysis;
        const char* file;  // CP932 bytes
        int exitCode;
        std::vector<std::string> parts;  // pieces of the one line printed
    } cases[] = {
        {"correlation",
         "1,2\r\n2,4\r\n3,6\r\n",
         0,
         {"{\"analysis\":\"correlation\",\"status\":\"reported\",\"titles\":[],\"n\":3,",
          "\"r\":1.0,", "\"r_ci95\":null,",
          ",\"plot\":{\"kind\":\"xy\",\"x_axis\":{\"title\":\"X\",",
          "\"series\":[{\"name\":\"data\",\"points\":[[1.0,2.0],[2.0,4.0],[3.0,6.0]]}]"}},
        // A single pair: 0/0 everywhere, written as null.
        {"correlation",
         "1,2\r\n",
         0,
         {"\"var_x\":null,", "\"p\":null,", "\"slope_ci95\":[null,null]"}},
        {"paired-t", "1,1\r\n2,2\r\n3,3\r\n", 0, {"\"t\":null,", "\"p\":null,"}},
        {"correlation",
         "\r\n1,2\r\n",
         1,
         {"{\"analysis\":\"correlation\",\"status\":\"stopped\",\"titles\":[],\"message\":\" "
          "先ず、「ファイル」->「開く」からデータを選ぶか、直接データを入力して下さい。\\n\","
          "\"plot\":null}"}},
        {"unpaired-t",
         "1\r\n2\r\n",
         1,
         {"\"status\":\"stopped\"", "２群の間を////で区切って下さい。"}},
        {"rejection", "1\r\n2\r\n3\r\n", 1, {"\"status\":\"stopped\"", "X をつけて下さい。"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.analysis) + " " + c.file);
        TempDir dir;
        WriteFile(dir.File("d.txt"), c.file);
        const auto r = RunLumo({"--run", c.analysis, dir.File("d.txt"), "--json"}, dir.path());
        EXPECT_EQ(r.exitCode, c.exitCode);
        ASSERT_FALSE(r.out.empty());
        EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << r.out;
        for (const std::string& part : c.parts) {
            EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n" << r.out;
        }
    }
}

TEST(CommandLine, DetailsGoIntoTheReportFileAndTheOutput) {
    TempDir dir;
    WriteFile(dir.File("d.txt"), "1,2\r\n2,4\r\n3,7\r\n4,8\r\n");
    const auto plain = RunLumo({"--run", "correlation", dir.File("d.txt")}, dir.path());
    const std::string classicReport = ReadFile(dir.File("SokanRes.txt"));
    const auto r = RunLumo({"--run", "correlation", dir.File("d.txt"), "--details"}, dir.path());
    EXPECT_EQ(r.exitCode, 0);
    ASSERT_EQ(r.out.rfind(plain.out, 0), 0u);
    const std::string block = r.out.substr(plain.out.size());
    EXPECT_EQ(block.rfind("\n【詳細】\n", 0), 0u) << block;
    EXPECT_EQ(ReadFile(dir.File("SokanRes.txt")), classicReport + test::ReportBytes(block));
}

}  // namespace
}  // namespace lumo
