// Arbitrary bytes opened as a worksheet, then every analysis run on it, one after the other on
// the same document as a user would. Nothing may crash, write out of bounds, hang, or lose a
// byte of the worksheet's text.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/analysis_table.h"
#include "worksheet/line_reader.h"
#include "worksheet/lumo_doc.h"
#include "worksheet/report.h"
#include "worksheet/text_worksheet.h"
#include "worksheet/worksheet_file.h"

namespace {

class SilentMessageBox : public lumo::IMessageBox {
  public:
    void MessageBox(std::string_view) override {}
};

// Each layout of the reader, with every option: rows in line order within the capacity, each
// row or fault on a line of its own that the reading reached, the title line before them.
void CheckReaders(const lumo::IWorksheet& sheet) {
    for (const bool options : {false, true}) {
        lumo::ReadOptions read;
        read.marks = options;
        read.unknownX = options;
        read.capacity = options ? lumo::kMaxDataRows : lumo::kMaxPoints;
        const lumo::PairRows rows = lumo::ReadPairRows(sheet, read);
        const size_t n = rows.x.size();
        if (rows.y.size() != n || rows.line.size() != n || rows.marked.size() != n ||
            rows.unknown.size() != n || rows.Count() > read.capacity) {
            std::abort();
        }
        int previous = rows.titleLine;
        for (size_t i = 0; i < n; ++i) {
            if (rows.line[i] <= previous || rows.line[i] >= rows.endLine) std::abort();
            if (rows.unknown[i] != (options && std::isnan(rows.x[i]))) std::abort();
            previous = rows.line[i];
        }
        for (const lumo::LineFault& fault : rows.faults) {
            if (fault.line <= rows.titleLine || fault.line >= rows.endLine) std::abort();
            if (fault.message.empty()) std::abort();
        }
    }
    const lumo::MarkedValues values = lumo::ReadMarkedValues(sheet);
    if (values.value.size() != values.line.size() || values.Count() > lumo::kMaxPoints ||
        values.marks > values.Count()) {
        std::abort();
    }
    const lumo::GroupValues groups = lumo::ReadGroupValues(sheet);
    if (groups.groups.size() != static_cast<size_t>(groups.separators) + 1) std::abort();
    if (!groups.titles.empty() && groups.titles.size() != groups.groups.size()) std::abort();
    for (const lumo::ValueGroup& g : groups.groups) {
        if (g.values.size() != g.lines.size() || g.values.size() > lumo::kMaxPoints) std::abort();
    }
}

const std::string& ReportFolder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/lumo-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        return pattern;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > lumo::kMaxFileBytes) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const lumo::DecodedText decoded = lumo::DecodeWorksheet(bytes);

    // Whatever was decoded encodes again without loss in UTF-8.
    lumo::FileFormat utf8 = decoded.format;
    utf8.encoding = lumo::TextEncoding::kUtf8;
    std::string encoded;
    if (!lumo::EncodeWorksheet(decoded.text, utf8, encoded)) std::abort();
    // (A text that itself begins with U+FEFF would be read back as a byte-order mark.)
    if (!decoded.text.starts_with("\xEF\xBB\xBF") &&
        lumo::DecodeWorksheet(encoded).text != decoded.text) {
        std::abort();
    }

    lumo::TextWorksheet sheet(decoded.text);
    CheckReaders(sheet);
    lumo::CLumoDoc doc;
    doc.AttachWorksheet(&sheet);
    SilentMessageBox messages;
    lumo::AnalysisContext ctx(sheet, doc, messages);
    ctx.SetReportDirectory(ReportFolder());
    for (const lumo::AnalysisEntry& analysis : lumo::Analyses()) {
        const std::string before = sheet.GetText();
        analysis.run(ctx);
        // An analysis only ever appends.
        if (sheet.GetText().compare(0, before.size(), before) != 0) std::abort();
        if (doc.m_nCount < 0 || doc.m_nCount > lumo::kMaxPoints) std::abort();
    }
    return 0;
}
