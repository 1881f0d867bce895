// Worksheet files through the document's open and save: encodings, line ends, limits and the
// guarantee that nothing of the user's file is lost.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::string Utf16(std::string_view utf8, bool bigEndian) {
    std::string bytes;
    Utf8ToUtf16(utf8, bigEndian, bytes);
    return (bigEndian ? "\xFE\xFF" : "\xFF\xFE") + bytes;
}

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
        {Utf16("1,2\r\n平均😀\r\n", false), TextEncoding::kUtf16Le, LineEnd::kCrLf, "1,2\n平均😀\n"},
        {Utf16("1,2\n3", true), TextEncoding::kUtf16Be, LineEnd::kLf, "1,2\n3"},
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

TEST(WorksheetFile, SaveKeepsTheBytesOfEveryLineThatDidNotChange) {
    TempDir dir;
    // ≒ (0x8790) and 纊 (0xED40) decode to characters that CP932 encodes otherwise (0x81E0,
    // 0xFA5C), and the line ends are mixed: none of that may change where the user did not edit.
    const std::string cp932 = "a\x87\x90\r\nb\nc\xED\x40\rd";
    const std::string utf16 = Utf16("a\r\nb\nc\rd", false);
    const std::string utf16Be = Utf16("a\r\nb\nc\rd", true);
    const struct {
        std::string bytes;
        std::string edited;  // the worksheet's text when it is saved
        std::string saved;
    } cases[] = {
        // Appended text follows the original bytes.
        {cp932, "a≒\nb\nc纊\nd\n---\n≒\n", cp932 + "\r\n---\r\n\x81\xE0\r\n"},
        {cp932, "a≒\nb\nc纊\nd 纊", cp932 + " \xFA\x5C"},
        // Edited, inserted and removed lines are written anew, the others kept.
        {cp932, "a≒\nB\nc纊\nd", "a\x87\x90\r\nB\r\nc\xED\x40\rd"},
        {cp932, "new\na≒\nc纊\nd", "new\r\na\x87\x90\r\nc\xED\x40\rd"},
        {cp932, "a≒\nb\nc纊", "a\x87\x90\r\nb\nc\xED\x40"},
        {cp932, "c纊\nd\na≒", "c\xED\x40\rd\r\na\x81\xE0"},
        // A lone CR before an appended LF stays a line break of its own.
        {"1\n2\r", "1\n2\n\nx", "1\n2\r\r\nx"},
        {"x\na\r", "X\na\n\ny", "X\na\r\r\ny"},
        // UTF-16 keeps its lines in units of two bytes.
        {utf16, "a\nb\nc\nd\n相関\n", utf16 + Utf16("\r\n相関\r\n", false).substr(2)},
        {utf16, "a\nB\nc\nd", Utf16("a\r\nB\r\nc\rd", false)},
        {utf16Be, "a\nb\nX\nd", Utf16("a\r\nb\nX\r\nd", true)},
    };
    for (const auto& c : cases) {
        const std::string path = dir.File("data.txt");
        WriteFile(path, c.bytes);
        Opened o;
        ASSERT_TRUE(o.doc.OnOpenDocument(path).ok());
        o.sheet.SetText(c.edited);
        ASSERT_TRUE(o.doc.OnSaveDocument(path).ok()) << c.edited;
        EXPECT_EQ(ReadFile(path), c.saved) << c.edited;
        // What is saved reads back as the worksheet was, and saves again as it is.
        Opened again;
        ASSERT_TRUE(again.doc.OnOpenDocument(path).ok());
        EXPECT_EQ(again.sheet.GetText(), c.edited);
        ASSERT_TRUE(o.doc.OnSaveDocument(path).ok());
        EXPECT_EQ(ReadFile(path), c.saved) << c.edited;
    }
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

// A save over the document's own file first looks whether someone else wrote it since it was
// opened: only a change of its contents stops the save, which leaves the other text alone.
TEST(WorksheetFile, SaveRefusesToOverwriteAFileChangedOnDisk) {
    struct Case {
        const char* name;
        void (*change)(const std::string& path);
        bool refused;
    } cases[] = {
        {"rewritten", [](const std::string& p) { WriteFile(p, "9,9\r\n"); }, true},
        {"same size, other bytes", [](const std::string& p) { WriteFile(p, "1,3\r\n"); }, true},
        {"replaced by a new file",
         [](const std::string& p) {
             WriteFile(p + ".new", "5,6\r\n");
             ::rename((p + ".new").c_str(), p.c_str());
         },
         true},
        {"touched only",
         [](const std::string& p) {
             const struct timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
             ::utimensat(AT_FDCWD, p.c_str(), later, 0);
         },
         false},
        {"same bytes put back", [](const std::string& p) { WriteFile(p, "1,2\r\n"); }, false},
        {"removed", [](const std::string& p) { ::unlink(p.c_str()); }, false},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = dir.File("d.txt");
        WriteFile(path, "1,2\r\n");
        Opened o;
        ASSERT_TRUE(o.doc.OnOpenDocument(path).ok());
        o.sheet.AppendText("3,4\r\n");
        c.change(path);
        const std::string onDisk = ReadFile(path);
        const SaveResult saved = o.doc.OnSaveDocument(path);
        if (c.refused) {
            EXPECT_EQ(saved.error, FileError::kChangedOnDisk) << c.name;
            EXPECT_NE(saved.message.find(path), std::string::npos);
            EXPECT_EQ(ReadFile(path), onDisk) << c.name;
            // The user's word overwrites; after that the document's own save is no conflict.
            EXPECT_TRUE(o.doc.OnSaveDocument(path, o.doc.Format(), true).ok());
            o.sheet.AppendText("5,6\r\n");
        }
        EXPECT_TRUE(o.doc.OnSaveDocument(path).ok()) << c.name;
        EXPECT_EQ(ReadFile(path), o.sheet.GetText() == "1,2\n3,4\n5,6\n" ? "1,2\r\n3,4\r\n5,6\r\n"
                                                                         : "1,2\r\n3,4\r\n")
            << c.name;
    }
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
    // The copy keeps the bytes of the unchanged lines, undecodable ones too.
    EXPECT_EQ(ReadFile(dir.File("copy.txt")), "1,2\r\n\x81\x20 broken\r\n?3,4\r\n");

    // Invalid UTF-8 after a byte-order mark counts the same, and so do a lone surrogate and an
    // odd last byte in UTF-16.
    EXPECT_TRUE(DecodeWorksheet("\xEF\xBB\xBF"
                                "a\xC3\x28")
                    .format.hadInvalidBytes);
    EXPECT_TRUE(DecodeWorksheet(std::string("\xFF\xFE\x00\xD8\n\0", 6)).format.hadInvalidBytes);
    EXPECT_EQ(DecodeWorksheet(std::string("\xFF\xFE\x00\xD8\n\0", 6)).text, "\xEF\xBF\xBD\n");
    EXPECT_TRUE(DecodeWorksheet(std::string("\xFE\xFF\0a\0", 5)).format.hadInvalidBytes);
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
    EXPECT_EQ(refused.message, "ﾌｧｲﾙが大きすぎて開けません。\n" + path +
                                   "（1,048,576 バイト、開けるのは 1,048,575 バイトまで）");
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
    // The file itself could be written; the folder is what refuses.
    EXPECT_NE(result.message.find("\nフォルダ「" + sub + "」にファイルを作れません。"),
              std::string::npos)
        << result.message;
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
