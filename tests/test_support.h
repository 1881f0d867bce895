// Helpers shared by the tests: temporary folders, files, running an analysis through its
// command handler on a worksheet text, and running the real program.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "worksheet/lumo_doc.h"
#include "worksheet/report.h"
#include "worksheet/text_worksheet.h"

namespace lumo::test {

// A fresh folder under the system's temporary folder, removed with everything in it, whatever
// a test left in it (locked folders and files included).
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    std::string File(std::string_view name) const { return m_path + "/" + std::string(name); }

  private:
    std::string m_path;
};

std::string ReadFile(const std::string& path);  // "" when missing
void WriteFile(const std::string& path, std::string_view bytes);
bool FileExists(const std::string& path);

// Makes a folder refuse new files, also for root (through the immutable attribute), or gives
// it back. Returns false when this machine does not allow it.
bool LockFolder(const std::string& path, bool locked);
// The same for a file: write-protected (mode 0444, and immutable for root), or given back.
bool LockFile(const std::string& path, bool locked);

// Switches the C library to a locale such as "ja_JP.UTF-8" or "ja_JP.eucJP" while it lives,
// generating the locale with localedef into a folder of the test's own when the system has not
// installed it. ok() is false when it cannot be had here.
class ScopedLocale {
  public:
    explicit ScopedLocale(const std::string& name);
    ~ScopedLocale();
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;
    bool ok() const { return m_ok; }

  private:
    std::string m_previous;
    bool m_ok = false;
};

// Message boxes collected instead of shown.
class RecordingMessageBox : public IMessageBox {
  public:
    void MessageBox(std::string_view utf8Text) override { messages.emplace_back(utf8Text); }
    std::vector<std::string> messages;
};

// One analysis run through its command handler, the report file going to a temporary folder.
// The worksheet text is UTF-8 with "\n" line breaks; a test that wants CP932 bytes for a line
// can write them through the ToUtf8 conversion.
struct AnalysisRun {
    bool reported = false;
    std::string appended;     // what the run appended to the worksheet, UTF-8 with "\n"
    std::string reportBytes;  // the report file as stored (CP932, CR LF); "" when missing
    bool reportExists = false;
    bool modified = false;  // the document's modified flag afterwards
    std::vector<std::string> messages;
    nlohmann::ordered_json record;  // every number the run recorded
};

class AnalysisFixture {
  public:
    AnalysisFixture() { doc.AttachWorksheet(&sheet); }
    // Runs `handler` on `worksheetText`; the document keeps what earlier runs left in it.
    // `modifiedBefore` is the modified flag at the start: true as if the user had typed the
    // data and not saved it, false as if it had just been opened.
    AnalysisRun Run(bool (*handler)(AnalysisContext&), std::string_view worksheetText,
                    std::string_view reportName, bool modifiedBefore = false);

    TempDir dir;
    bool details = false;  // runs append the detail block
    TextWorksheet sheet;
    CLumoDoc doc;
    RecordingMessageBox messages;
};

// The report text as the worksheet shows it after the 42-hyphen separator: a golden report
// written with "\n" line ends becomes the expected CP932 bytes with CR LF.
std::string ReportBytes(std::string_view utf8WithLf);

// Runs build/lumo with `args` in folder `cwd` and collects its output.
struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};
// Where the program's standard output goes: a file the result collects, a pipe whose reader has
// already gone, or a device that is always full.
enum class StdoutTo { kFile, kClosedPipe, kFullDevice };
ProcessResult RunLumo(const std::vector<std::string>& args, const std::string& cwd,
                      StdoutTo stdoutTo = StdoutTo::kFile);

// A user with no privileges, for the cases where another user is the one who plants a link or
// owns a folder: made with useradd when the tests run as root and removed again, so ok() is
// false (with the reason in why()) when the tests are not root or the system has no useradd.
class UnprivilegedUser {
  public:
    UnprivilegedUser();
    ~UnprivilegedUser();
    UnprivilegedUser(const UnprivilegedUser&) = delete;
    UnprivilegedUser& operator=(const UnprivilegedUser&) = delete;
    bool ok() const { return m_ok; }
    const std::string& why() const { return m_why; }
    unsigned uid() const { return m_uid; }
    unsigned gid() const { return m_gid; }
    // `program` with `args` as this user in `cwd` (which that user must be able to enter);
    // `env` entries ("NAME=value") are added to the environment.
    ProcessResult Run(const std::string& program, const std::vector<std::string>& args,
                      const std::string& cwd, const std::vector<std::string>& env = {}) const;

  private:
    std::string m_name;
    unsigned m_uid = 0;
    unsigned m_gid = 0;
    bool m_ok = false;
    std::string m_why;
};

// Where the checkout's examples/ are.
std::string ExamplePath(std::string_view name);

}  // namespace lumo::test
