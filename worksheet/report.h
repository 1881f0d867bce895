// What every analysis shares around its computation: the report file, the append of reports
// and messages to the worksheet, and the way it reaches the document and the user.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "worksheet/line_reader.h"
#include "worksheet/lumo_doc.h"
#include "worksheet/number_text.h"
#include "worksheet/safe_write.h"
#include "worksheet/worksheet.h"

namespace lumo {

// A report file in text mode as the reports have always been stored: the program's UTF-8
// texts are written in CP932 and every "\n" becomes CR LF. The text is kept as it is written
// and reaches the disk whole, through a temporary file and a rename, at Open and at Close: the
// file on disk is always one run's report, and the worksheet gets exactly the text this run
// wrote, whatever another run in the same folder does at the same time.
class ReportFile {
  public:
    ReportFile() = default;
    ~ReportFile();
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    // `mode` is "w" (create or empty) or "a" (append: to what this object wrote to the same
    // file before, or else to the file as it is on disk). A name that is not a regular file
    // (a link, a FIFO, a device) is refused, as is a write-protected file.
    bool Open(const std::string& path, const char* mode);
    bool IsOpen() const { return m_open; }

    template <typename... Args>
    void Printf(std::string_view format, const Args&... args) {
        Write(Format(format, args...));
    }
    void Write(std::string_view utf8);
    // Puts text in front of everything written so far.
    void Prepend(std::string_view utf8);

    // Writes the text to disk; false when that failed.
    bool Close();

    // The report as written so far: CP932 bytes with CR LF.
    const std::string& Bytes() const { return m_bytes; }
    // Why the last Open or Close failed.
    WriteRefusal Refusal() const { return m_refusal; }
    int Error() const { return m_error; }

  private:
    bool Store();

    std::string m_path;
    std::string m_bytes;
    bool m_open = false;
    WriteRefusal m_refusal = WriteRefusal::kNone;
    int m_error = 0;
};

// The context an analysis runs in: the worksheet it reads and extends, the plot document it
// publishes to, and the message box for its notices.
class AnalysisContext {
  public:
    AnalysisContext(IWorksheet& sheet, CLumoDoc& doc, IMessageBox& messages,
                    const void* sender = nullptr)
        : m_sheet(sheet),
          m_doc(doc),
          m_messages(messages),
          m_sender(sender),
          m_bModifiedBefore(doc.IsModified()) {
        // A run that stops, or an analysis that draws nothing new, must not leave the last
        // run's picture standing as if it were this run's.
        doc.m_plot = PlotDescription{};
    }

    IWorksheet& Sheet() const { return m_sheet; }
    CLumoDoc& Doc() const { return m_doc; }
    IMessageBox& Messages() const { return m_messages; }
    // The view that runs the analysis: UpdateAllViews skips it.
    const void* Sender() const { return m_sender; }

    // Every number of the run, by field name, for `lumo --run --json`. Analyses fill it as
    // they compute; a non-finite double is written as null.
    nlohmann::ordered_json& Record() { return m_record; }
    const nlohmann::ordered_json& Record() const { return m_record; }

    // When set, analyses append their detail block (exact p-values, intervals, effect sizes)
    // after the classic report lines, inside the same report file.
    bool Details() const { return m_details; }
    void SetDetails(bool details) { m_details = details; }

    // Report files go to this folder; empty means the current directory.
    void SetReportDirectory(std::string dir) { m_reportDir = std::move(dir); }
    std::string ReportPath(std::string_view name) const;

    // Appends CP932 text at the end of the worksheet, on a line of its own: when the last line
    // has no line break, one comes first, so a message never joins the user's last data line.
    // Like any change, it marks the document modified.
    void AppendText(std::string_view cp932);
    void AppendUtf8(std::string_view utf8);

    // Opens the named report file; when it cannot be created, tells the user in the
    // worksheet, naming the file and the folder, and returns false. A report name that is
    // the worksheet's own file is refused before anything is written to it.
    bool OpenReport(ReportFile& file, std::string_view name, const char* mode);

    // Closes the report and appends the text it holds behind the dashed separator; with titles
    // published, the report begins with the line "列: …" naming them. Returns false, with a
    // message in the worksheet, when the report could not be written.
    bool FinishReport(ReportFile& file, std::string_view name);

    // Reads a report file back and appends it behind the 42-hyphen separator; the modified flag
    // goes back to what it was before the run. Returns false when the file could not be read;
    // only a regular file of at most kMaxFileBytes is read.
    bool AppendReportFile(std::string_view name);
    // Appends report bytes, read-back style (CR LF or LF ends a line, NUL is dropped), behind
    // the separator; the modified flag goes back to what it was before the run.
    void AppendReportBytes(std::string_view bytes);

    // The no-data message; the modified flag goes back to what it was before the run.
    void AppendNoDataMessage();
    // A report or a closing message alone never makes the worksheet count as modified, and
    // never makes the user's unsaved typing count as saved: the flag is put back to what it was
    // when the run began.
    void RestoreModifiedFlag() { m_doc.SetModifiedFlag(m_bModifiedBefore); }
    // "\r\n" + 34 hyphens + "\r\n" followed by `utf8Text`, the form of every prompt.
    void AppendPrompt(std::string_view utf8Text);
    // The prompt for more data rows than an analysis can take.
    void AppendOverCapacityPrompt(int capacity = kMaxPoints);

    // The checks every analysis makes after reading, in this order: more rows than the reader
    // takes (the over-capacity prompt), a line that does not read (StopAtFault), no data (the
    // no-data message). The reading's titles are published either way. Returns true when the
    // analysis may go on; false when the run has stopped with its message.
    bool AcceptReading(const Reading& reading);
    // Stops the run at a line that does not read: its message behind the prompt separator, and
    // the line remembered for the desktop program's caret. Returns false.
    bool StopAtFault(const LineFault& fault);
    // The line a run stopped at, from 0, or -1.
    int FaultLine() const { return m_faultLine; }

    // The column or group titles of the data, for the report's "列: …" line and the "titles"
    // of `--json`; empty when the worksheet has no title line.
    void SetTitles(std::vector<std::string> titles) { m_titles = std::move(titles); }
    const std::vector<std::string>& Titles() const { return m_titles; }

  private:
    std::string RefusalText(const ReportFile& file, std::string_view name, bool opening) const;

    IWorksheet& m_sheet;
    CLumoDoc& m_doc;
    IMessageBox& m_messages;
    const void* m_sender;
    bool m_bModifiedBefore;
    std::string m_reportDir;
    nlohmann::ordered_json m_record = nlohmann::ordered_json::object();
    bool m_details = false;
    int m_faultLine = -1;
    std::vector<std::string> m_titles;
};

extern const char kNoDataMessage[];     // UTF-8
extern const char kOverCapacityText[];  // UTF-8

}  // namespace lumo
