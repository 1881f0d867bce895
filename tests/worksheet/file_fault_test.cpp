// Saving and reporting onto a file system that is full: the user's file stays as it was, the
// worksheet keeps its text, and nothing is reported as a success.
#include <gtest/gtest.h>

#include <sys/mount.h>

#include <filesystem>
#include <string>

#include "stats/correlation.h"
#include "tests/test_support.h"
#include "worksheet/lumo_doc.h"
#include "worksheet/text_worksheet.h"

namespace lumo {
namespace {

// A 64 KiB tmpfs filled to the last byte, or a skip where mounting is not allowed.
class FullFileSystem {
  public:
    FullFileSystem() : m_mount(m_dir.File("fs")) {
        std::filesystem::create_directory(m_mount);
        m_mounted = ::mount("tmpfs", m_mount.c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    ~FullFileSystem() {
        if (m_mounted) ::umount2(m_mount.c_str(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    std::string File(const std::string& name) const { return m_mount + "/" + name; }
    // Takes every free block.
    void Fill() const {
        std::FILE* filler = std::fopen(File("filler").c_str(), "wb");
        const std::string block(4096, 'x');
        while (std::fwrite(block.data(), 1, block.size(), filler) == block.size()) {
        }
        std::fclose(filler);
    }

  private:
    test::TempDir m_dir;
    std::string m_mount;
    bool m_mounted = false;
};

TEST(FileFault, SaveOntoAFullFileSystemKeepsTheOldFile) {
    FullFileSystem fs;
    if (!fs.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    const std::string path = fs.File("data.txt");
    const std::string bytes = "1,2\r\n2,4\r\n";
    test::WriteFile(path, bytes);
    TextWorksheet sheet;
    CLumoDoc doc;
    doc.AttachWorksheet(&sheet);
    ASSERT_TRUE(doc.OnOpenDocument(path).ok());
    fs.Fill();
    const std::string edited = "1,2\n2,4\n" + std::string(20000, '3') + "\n";
    sheet.SetText(edited);
    doc.SetModifiedFlag(true);

    const SaveResult result = doc.OnSaveDocument(path);
    EXPECT_EQ(result.error, FileError::kCannotWrite);
    EXPECT_NE(result.message.find(path), std::string::npos);
    EXPECT_EQ(test::ReadFile(path), bytes);
    EXPECT_EQ(sheet.GetText(), edited);
    EXPECT_TRUE(doc.IsModified());
    // No half-written temporary file is left behind.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(fs.File(""))) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 2);  // data.txt and the filler
}

TEST(FileFault, ReportOntoAFullFileSystemIsNotASuccess) {
    FullFileSystem fs;
    if (!fs.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    fs.Fill();
    TextWorksheet sheet("1,2\n2,4\n3,6\n");
    CLumoDoc doc;
    doc.AttachWorksheet(&sheet);
    test::RecordingMessageBox messages;
    AnalysisContext ctx(sheet, doc, messages);
    ctx.SetReportDirectory(fs.File(""));
    EXPECT_FALSE(OnCorrelation(ctx));
    EXPECT_NE(sheet.Appended().find("SokanRes.txt"), std::string::npos);
    EXPECT_EQ(sheet.Appended().find("平均"), std::string::npos);
    EXPECT_EQ(sheet.GetText().rfind("1,2\n2,4\n3,6\n", 0), 0u);
}

}  // namespace
}  // namespace lumo
