#include "worksheet/report.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "worksheet/cp932.h"
#include "worksheet/system_error.h"

namespace lumo {

const char kNoDataMessage[] =
    " 先ず、「ファイル」->「開く」からデータを選ぶか、直接データを入力して下さい。\r\n";
const char kOverCapacityText[] =
    "データが多すぎます。解析できるのは１００行までです。１００行以内にして下さい。\r\n";

namespace {

constexpr std::string_view kReportSeparator =
    "\r\n------------------------------------------\r\n";  // 42 hyphens
constexpr std::string_view kPromptSeparator =
    "\r\n----------------------------------\r\n";  // 34 hyphens

std::string FolderOf(const std::string& path) {
    std::error_code ec;
    std::filesystem::path abs = std::filesystem::absolute(path, ec);
    if (ec) return ".";
    return abs.parent_path().string();
}

}  // namespace

ReportFile::~ReportFile() {
    if (m_file != nullptr) std::fclose(m_file);
}

bool ReportFile::Open(const std::string& path, const char* mode) {
    if (m_file != nullptr) Close();
    m_failed = false;
    // Binary mode: the CR LF line ends are written here, the same on every platform.
    const std::string binaryMode = std::string(mode) + "b";
    m_file = std::fopen(path.c_str(), binaryMode.c_str());
    return m_file != nullptr;
}

void ReportFile::Write(std::string_view utf8) {
    if (m_file == nullptr) return;
    std::string text;
    text.reserve(utf8.size() + 8);
    for (const char c : utf8) {
        if (c == '\n') text += '\r';
        text += c;
    }
    const std::string bytes = ToCp932(text);
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) m_failed = true;
}

bool ReportFile::Close() {
    if (m_file == nullptr) return !m_failed;
    if (std::fflush(m_file) != 0) m_failed = true;
    if (std::fclose(m_file) != 0) m_failed = true;
    m_file = nullptr;
    return !m_failed;
}

std::string AnalysisContext::ReportPath(std::string_view name) const {
    if (m_reportDir.empty()) return std::string(name);
    return (std::filesystem::path(m_reportDir) / name).string();
}

void AnalysisContext::AppendText(std::string_view cp932) {
    m_sheet.AppendText(cp932);
    m_doc.SetModifiedFlag(true);
}

void AnalysisContext::AppendUtf8(std::string_view utf8) {
    AppendText(ToCp932(utf8));
}

bool AnalysisContext::OpenReport(ReportFile& file, std::string_view name, const char* mode) {
    const std::string path = ReportPath(name);
    if (file.Open(path, mode)) return true;
    const std::string reason = SystemErrorUtf8(errno);
    AppendPrompt("レポートファイル「" + std::string(name) + "」をフォルダ「" + FolderOf(path) +
                 "」に作成できませんでした（" + reason +
                 "）。書き込みのできるフォルダで実行して下さい。\r\n");
    return false;
}

bool AnalysisContext::FinishReport(ReportFile& file, std::string_view name) {
    if (!file.Close()) {
        const std::string path = ReportPath(name);
        AppendPrompt("レポートファイル「" + std::string(name) + "」をフォルダ「" + FolderOf(path) +
                     "」に書き込めませんでした。ディスクの空きを確かめて下さい。\r\n");
        return false;
    }
    return AppendReportFile(name);
}

bool AnalysisContext::AppendReportFile(std::string_view name) {
    std::FILE* file = std::fopen(ReportPath(name).c_str(), "rb");
    if (file == nullptr) {
        AppendText("\r\n Can't find the File! \r\n");
        return false;
    }
    // Read back as a text-mode stream would: CR LF becomes LF, which is stored as CR LF again,
    // and NUL characters are dropped. A lone CR stays as it is.
    std::string report;
    int c = std::fgetc(file);
    while (c != EOF) {
        int next = std::fgetc(file);
        if (c == '\r' && next == '\n') {
            c = next;
            next = std::fgetc(file);
        }
        if (c == '\n') {
            report += "\r\n";
        } else if (c != '\0') {
            report += static_cast<char>(c);
        }
        c = next;
    }
    std::fclose(file);
    AppendText(kReportSeparator);
    AppendText(report);
    m_doc.SetModifiedFlag(false);
    return true;
}

void AnalysisContext::AppendNoDataMessage() {
    AppendUtf8(kNoDataMessage);
    m_doc.SetModifiedFlag(false);
}

void AnalysisContext::AppendPrompt(std::string_view utf8Text) {
    AppendText(kPromptSeparator);
    AppendUtf8(utf8Text);
}

void AnalysisContext::AppendOverCapacityPrompt() {
    AppendPrompt(kOverCapacityText);
}

}  // namespace lumo
