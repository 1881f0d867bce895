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

bool ReportFile::Open(const std::string& path, const char* mode) {
    if (mode[0] == 'a') {
        // Appending continues this run's own text; only a report this object has not written
        // is taken from the disk.
        if (path != m_path) {
            m_bytes.clear();
            if (!ReadRegularFile(path, false, kMaxFileBytes, m_bytes)) m_bytes.clear();
        }
    } else {
        m_bytes.clear();
    }
    m_path = path;
    // Written at once, as opening in "w" always did: a run that stops early leaves its empty
    // report behind, and a name that cannot be written is known before the worksheet is read.
    m_open = Store();
    return m_open;
}

void ReportFile::Write(std::string_view utf8) {
    if (!m_open) return;
    std::string text;
    text.reserve(utf8.size() + 8);
    for (const char c : utf8) {
        if (c == '\n') text += '\r';
        text += c;
    }
    m_bytes += ToCp932(text);
}

void ReportFile::Prepend(std::string_view utf8) {
    if (!m_open) return;
    std::string tail = std::move(m_bytes);
    m_bytes.clear();
    Write(utf8);
    m_bytes += tail;
}

bool ReportFile::Close() {
    if (!m_open) return m_refusal == WriteRefusal::kNone;
    m_open = false;
    return Store();
}

bool ReportFile::Store() {
    const SafeWriteResult result = SafeWriteFile(m_path, m_bytes, LinkPolicy::kReplace);
    m_refusal = result.refusal;
    m_error = result.err;
    return result.ok();
}

ReportFile::~ReportFile() {
    // A run that returns without closing leaves what it wrote, as a closed stream would.
    if (m_open) Store();
}

std::string AnalysisContext::ReportPath(std::string_view name) const {
    if (m_reportDir.empty()) return std::string(name);
    return (std::filesystem::path(m_reportDir) / name).string();
}

void AnalysisContext::AppendText(std::string_view cp932) {
    if (cp932.empty()) return;
    if (cp932.front() != '\r' && cp932.front() != '\n' && !m_sheet.EndsAtLineStart()) {
        m_sheet.AppendText("\r\n");
    }
    m_sheet.AppendText(cp932);
    m_doc.SetModifiedFlag(true);
}

void AnalysisContext::AppendUtf8(std::string_view utf8) {
    AppendText(ToCp932(utf8));
}

std::string AnalysisContext::RefusalText(const ReportFile& file, std::string_view name,
                                         bool opening) const {
    const std::string path = ReportPath(name);
    const std::string where =
        "レポートファイル「" + std::string(name) + "」（フォルダ「" + FolderOf(path) + "」）";
    switch (file.Refusal()) {
        case WriteRefusal::kNotRegular:
            return where +
                   "は通常のファイルではない（リンク、FIFO、装置などの）ため、書き込みませんでした"
                   "。"
                   "その名前のものを別の場所に移してから実行して下さい。\r\n";
        case WriteRefusal::kReadOnly:
            return where +
                   "は書き込み禁止のため、書き込みませんでした。書き込みを許可するか、"
                   "別のフォルダで実行して下さい。\r\n";
        case WriteRefusal::kNone:
        case WriteRefusal::kFailed:
            break;
    }
    if (opening) {
        return "レポートファイル「" + std::string(name) + "」をフォルダ「" + FolderOf(path) +
               "」に作成できませんでした（" + SystemErrorUtf8(file.Error()) +
               "）。書き込みのできるフォルダで実行して下さい。\r\n";
    }
    return "レポートファイル「" + std::string(name) + "」をフォルダ「" + FolderOf(path) +
           "」に書き込めませんでした。ディスクの空きを確かめて下さい。\r\n";
}

bool AnalysisContext::OpenReport(ReportFile& file, std::string_view name, const char* mode) {
    const std::string path = ReportPath(name);
    // Writing the report over the worksheet's own file would leave only the report on disk.
    if (!m_doc.PathName().empty() && IsSameFile(path, m_doc.PathName())) {
        AppendPrompt("レポートファイル「" + std::string(name) +
                     "」は、開いているワークシートのファイルそのものです。レポートを書くとデータが"
                     "消えるため、解析を中止しました。ワークシートを別の名前で保存してから実行して"
                     "下さい。\r\n");
        return false;
    }
    if (file.Open(path, mode)) return true;
    AppendPrompt(RefusalText(file, name, true));
    return false;
}

bool AnalysisContext::FinishReport(ReportFile& file, std::string_view name) {
    if (!m_titles.empty() && file.IsOpen() && !file.Bytes().empty()) {
        std::string line = "列: ";
        for (size_t k = 0; k < m_titles.size(); ++k) {
            if (k > 0) line += ", ";
            line += m_titles[k];
        }
        file.Prepend(line + "\n");
    }
    if (!file.Close()) {
        AppendPrompt(RefusalText(file, name, false));
        return false;
    }
    AppendReportBytes(file.Bytes());
    return true;
}

bool AnalysisContext::AppendReportFile(std::string_view name) {
    std::string bytes;
    if (!ReadRegularFile(ReportPath(name), false, kMaxFileBytes, bytes)) {
        AppendText("\r\n Can't find the File! \r\n");
        return false;
    }
    AppendReportBytes(bytes);
    return true;
}

void AnalysisContext::AppendReportBytes(std::string_view bytes) {
    // As a text-mode stream reads: CR LF becomes LF, which is stored as CR LF again, and NUL
    // characters are dropped. A lone CR stays as it is.
    std::string report;
    report.reserve(bytes.size() + bytes.size() / 16);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') c = bytes[++i];
        if (c == '\n') {
            report += "\r\n";
        } else if (c != '\0') {
            report += c;
        }
    }
    AppendText(kReportSeparator);
    AppendText(report);
    RestoreModifiedFlag();
}

void AnalysisContext::AppendNoDataMessage() {
    AppendUtf8(kNoDataMessage);
    RestoreModifiedFlag();
}

void AnalysisContext::AppendPrompt(std::string_view utf8Text) {
    AppendText(kPromptSeparator);
    AppendUtf8(utf8Text);
}

void AnalysisContext::AppendOverCapacityPrompt(int capacity) {
    AppendPrompt(OverCapacityText(capacity));
}

bool AnalysisContext::AcceptReading(const Reading& reading) {
    // What this reading found, never what an earlier run in the same context left behind.
    SetTitles(reading.titles);
    m_faultLine = -1;
    if (reading.end == ReadEnd::kOverCapacity) {
        AppendOverCapacityPrompt(reading.capacity);
        return false;
    }
    if (const LineFault* fault = reading.FirstFault()) return StopAtFault(*fault);
    if (reading.NoData()) {
        AppendNoDataMessage();
        return false;
    }
    return true;
}

bool AnalysisContext::StopAtFault(const LineFault& fault) {
    m_faultLine = fault.line;
    AppendPrompt(fault.message + "\r\n");
    return false;
}

}  // namespace lumo
