// Worksheet files through the document's open and save: encodings, line ends, limits and the
// guarantee that nothing of the user's file is lost.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "tests/test_support.h"
#include "worksheet/cp932.h"
#include "worksheet/lumo_doc.h"
#include "worksheet/text_worksheet.h"
#include "worksheet/worksheet_file.h"

namespace lumo {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

struct Opened {
    TextWorksheet sheet;
    CLumoDoc doc;
    Opened() { doc.AttachWorksheet(&sheet); }
};

TEST(WorksheetFile, DetectsEncodingAndLineEnds) {
    struct Case {
        std::string bytes;
        TextEncoding encoding;
        LineEnd lineEnd;
        std::string text;
    } cases[] = {
        {"1,2\r\n3,4\r\n", TextEncoding::kCp932, LineEnd::kCrLf, "1,2\n3,4\n"},
        {"1,2\n3,4", TextEncoding::kCp932, LineEnd::kLf, "1,2\n3,4"},
        {"1,2\r3,4\r", TextEncoding::kCp932, LineEnd::kCr, "1,2\n3,4\n"},
        {"\x83\x41,1\r\n", TextEncoding::kCp932, LineEnd::kCrLf, "ア,1\n"},
        {"ア,1\n", TextEncoding::kUtf8, LineEnd::kLf, "ア,1\n"},
        {"\xEF\xBB\xBF"
         "1,2\r\n",
         TextEncoding::kUtf8Bom, LineEnd::kCrLf, "1,2\n"},
        {"a\r\nb\nc\rd", TextEncoding::kCp932, LineEnd::kCrLf, "a\nb\nc\nd"},
        {"", TextEncoding::kCp932, LineEnd::kCrLf, ""},
    };
    for (const Case& c : cases) {
        const DecodedText d = DecodeWorksheet(c.bytes);
        EXPECT_EQ(d.format.encoding, c.encoding) << c.bytes;
        EXPECT_EQ(d.format.lineEnd, c.lineEnd) << c.bytes;
        EXPECT_EQ(d.text, c.text) << c.bytes;
        EXPECT_FALSE(d.format.hadInvalidBytes) << c.bytes;
    }
}

TEST(WorksheetFile, OpenAndSaveWithoutEditsGivesTheSameBytes) {
    TempDir dir;
    const std::string samples[] = {
        "1,2\r\n3,4\r\n",
        "\x95\xbd\x8b\xcf\x81\x46 X= 1\r\n\x81\x60\r\n",  // 平均： and ～ in CP932
        "mixed\r\nline\nends\rhere",
        "\xEF\xBB\xBF"
        "平均\n",
        "\xed\x40 NEC-selected IBM extension, which decodes like \xfa\x5c\r\n",
        "",
    };
    for (const std::string& bytes : samples) {
        const std::string path = dir.File("data.txt");
        WriteFile(path, bytes);
        Opened o;
        ASSERT_TRUE(o.doc.OnOpenDocument(path).ok());
        ASSERT_TRUE(o.doc.OnSaveDocument(path).ok());
        EXPECT_EQ(ReadFile(path), bytes);
    }
}

TEST(WorksheetFile, SaveAfterAnEditKeepsEncodingAndLineEnds) {
    TempDir dir;
    const std::string path = dir.File("data.txt");
    WriteFile(path, "平均\n1,2\n");  // UTF-8 with LF
    Opened o;
    ASSERT_TRUE(o.doc.OnOpenDocument(path).ok());
    o.sheet.AppendText(ToCp932("\r\n相関\r\n"));
    ASSERT_TRUE(o.doc.OnSaveDocument(path).ok());
    EXPECT_EQ(ReadFile(path), "平均\n1,2\n\n相関\n");

    WriteFile(path, ToCp932("平均\r\n"));
    ASSERT_TRUE(o.doc.OnOpenDocument(path).ok());
    o.sheet.AppendText("x\r\n");
    ASSERT_TRUE(o.doc.OnSaveDocument(path).ok());
    EXPECT_EQ(ReadFile(path), ToCp932("平均\r\nx\r\n"));
}

TEST(WorksheetFile, NewWorksheetSavesAsCp932WithCrLf) {
    TempDir dir;
    Opened o;
    o.doc.OnNewDocument();
    o.sheet.SetText("平均： 1\n２\n");
    ASSERT_TRUE(o.doc.OnSaveDocument(dir.File("new.txt")).ok());
    EXPECT_EQ(ReadFile(dir.File("new.txt")), ToCp932("平均： 1\r\n２\r\n"));
}

TEST(WorksheetFile, CharacterThatCp932CannotHoldIsNeverDroppedSilently) {
    TempDir dir;
    const std::string path = dir.File("data.txt");
    WriteFile(path, "1,2\r\n");
    Opened o;
    ASSERT_TRUE(o.doc.OnOpenDocument(path).ok());
    o.sheet.SetText("1,2\n😀 Ω\n");
    const SaveResult refused = o.doc.OnSaveDocument(path);
    EXPECT_EQ(refused.error, FileError::kNotRepresentable);
    EXPECT_NE(refused.message.find("UTF-8"), std::string::npos);
    EXPECT_EQ(ReadFile(path), "1,2\r\n");  // untouched
    FileFormat utf8 = o.doc.Format();
    utf8.encoding = TextEncoding::kUtf8;
    ASSERT_TRUE(o.doc.OnSaveDocument(path, utf8).ok());
    EXPECT_EQ(ReadFile(path), "1,2\r\n😀 Ω\r\n");
}

TEST(WorksheetFile, InvalidBytesOpenWithAWarningAndNeedConfirmationToOverwrite) {
    TempDir dir;
    const std::string path = dir.File("data.txt");
    const std::string bytes = "1,2\r\n\x81\x20 broken\r\n\x85";  // bad trail byte, lone lead
    WriteFile(path, bytes);
    Opened o;
    const LoadResult loaded = o.doc.OnOpenDocument(path);
    ASSERT_TRUE(loaded.ok());
    EXPECT_TRUE(loaded.decoded.format.hadInvalidBytes);
    EXPECT_NE(o.sheet.GetText().find("\xEF\xBF\xBD"), std::string::npos);
    o.sheet.AppendText("3,4\r\n");
    EXPECT_EQ(o.doc.OnSaveDocument(path).error, FileError::kInvalidBytes);
    EXPECT_EQ(ReadFile(path), bytes);
    // Saving elsewhere is no risk to the original.
    EXPECT_TRUE(o.doc.OnSaveDocument(dir.File("copy.txt")).ok());
    EXPECT_EQ(ReadFile(path), bytes);
    EXPECT_EQ(ReadFile(dir.File("copy.txt")), "1,2\r\n?  broken\r\n?3,4\r\n");

    // Invalid UTF-8 after a byte-order mark counts the same.
    EXPECT_TRUE(DecodeWorksheet("\xEF\xBB\xBF"
                                "a\xC3\x28")
                    .format.hadInvalidBytes);
}

TEST(WorksheetFile, SizeLimitIsOneMegabyteLessOneByte) {
    TempDir dir;
    const std::string path = dir.File("big.txt");
    std::string bytes(kMaxFileBytes, '1');
    WriteFile(path, bytes);
    Opened o;
    o.sheet.SetText("kept");
    EXPECT_TRUE(o.doc.OnOpenDocument(path).ok());
    EXPECT_EQ(o.sheet.GetText().size(), kMaxFileBytes);

    bytes += '1';
    WriteFile(path, bytes);
    o.sheet.SetText("kept");
    const LoadResult refused = o.doc.OnOpenDocument(path);
    EXPECT_EQ(refused.error, FileError::kTooLarge);
    EXPECT_EQ(refused.message, "ﾌｧｲﾙが大きすぎて開けません。");
    EXPECT_EQ(o.sheet.GetText(), "kept");
}

TEST(WorksheetFile, MissingFileOrFolderIsReportedAndTheWorksheetKept) {
    TempDir dir;
    Opened o;
    o.sheet.SetText("kept");
    const LoadResult missing = o.doc.OnOpenDocument(dir.File("none.txt"));
    EXPECT_EQ(missing.error, FileError::kNotFound);
    EXPECT_NE(missing.message.find("このﾌｧｲﾙが見つかりません。"), std::string::npos);
    EXPECT_EQ(o.doc.OnOpenDocument(dir.path()).error, FileError::kCannotRead);
    EXPECT_EQ(o.sheet.GetText(), "kept");
}

TEST(WorksheetFile, FailedSaveLeavesTheOldFileAndNoTemporaryFile) {
    TempDir dir;
    const std::string sub = dir.File("ro");
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    const std::string path = sub + "/data.txt";
    WriteFile(path, "old\r\n");
    Opened o;
    ASSERT_TRUE(o.doc.OnOpenDocument(path).ok());
    o.sheet.SetText("new\n");
    o.doc.SetModifiedFlag(true);
    if (!test::LockFolder(sub, true)) GTEST_SKIP() << "cannot make a folder read-only here";
    const SaveResult result = o.doc.OnSaveDocument(path);
    test::LockFolder(sub, false);
    EXPECT_EQ(result.error, FileError::kCannotWrite);
    EXPECT_NE(result.message.find(path), std::string::npos);
    EXPECT_EQ(ReadFile(path), "old\r\n");
    EXPECT_TRUE(o.doc.IsModified());
    EXPECT_EQ(o.sheet.GetText(), "new\n");
}

TEST(WorksheetFile, SaveKeepsPermissionsAndWritesThroughLinks) {
    TempDir dir;
    const std::string path = dir.File("data.txt");
    WriteFile(path, "1\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const std::string link = dir.File("link.txt");
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    Opened o;
    ASSERT_TRUE(o.doc.OnOpenDocument(link).ok());
    o.sheet.SetText("2\n");
    ASSERT_TRUE(o.doc.OnSaveDocument(link).ok());
    EXPECT_EQ(ReadFile(path), "2\r\n");
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

}  // namespace
}  // namespace lumo
