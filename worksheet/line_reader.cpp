#include "worksheet/line_reader.h"

#include <algorithm>
#include <limits>

#include "worksheet/cp932.h"
#include "worksheet/number_text.h"

namespace lumo {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// A quoted line longer than this many characters is shortened with "…": the message must stay
// one readable line even for a pasted megabyte.
constexpr size_t kQuotedCharacters = 40;

// The full-width signs that read as their ASCII forms, by their second byte after 0x81.
struct FullWidthSign {
    unsigned char trail;
    char ascii;
};
constexpr FullWidthSign kFullWidthSigns[] = {
    {0x40, ' '},  // the ideographic space
    {0x43, ','}, {0x44, '.'}, {0x48, '?'}, {0x7B, '+'}, {0x7C, '-'},
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool HoldsStop(std::string_view line) {
    return line.find("--") != std::string_view::npos;
}

void RemoveBlanks(std::string& text) {
    std::erase(text, ' ');
}

// In a row separated by tabs a comma between two digits is a decimal comma, as a European
// spreadsheet writes it.
void ConvertDecimalCommas(std::string& text) {
    for (size_t k = 1; k + 1 < text.size(); ++k) {
        if (text[k] == ',' && IsDigit(text[k - 1]) && IsDigit(text[k + 1])) text[k] = '.';
    }
}

bool IsTabRow(std::string_view text) {
    return text.find('\t') != std::string_view::npos;
}

// The fields of a row: a row holding a tab is split on tabs only (its decimal commas already
// made points), any other row on commas. Empty fields at the end, as a trailing separator
// leaves them, are dropped.
std::vector<std::string_view> SplitFields(std::string_view text) {
    const char separator = IsTabRow(text) ? '\t' : ',';
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        fields.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    auto blank = [](std::string_view f) { return f.find_first_not_of(" \t") == f.npos; };
    while (!fields.empty() && blank(fields.back())) fields.pop_back();
    return fields;
}

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A title line holds some text and none of its fields starts with what begins a number.
bool IsTitleLine(std::string_view text) {
    bool anyText = false;
    for (const std::string_view field : SplitFields(text)) {
        const std::string_view t = Trim(field);
        if (t.empty()) continue;
        anyText = true;
        const char c = t.front();
        if (IsDigit(c) || c == '+' || c == '-' || c == '.') return false;
    }
    return anyText;
}

std::vector<std::string> TitleFields(std::string_view text) {
    std::vector<std::string> titles;
    for (const std::string_view field : SplitFields(text)) titles.push_back(ToUtf8(Trim(field)));
    return titles;
}

// The number at the start of `field`; false when there is none, or when what follows it would
// continue a number in another notation ("1.2.3", "1,5" where the comma is not a field
// separator, "3/4", "12:30"): a part of such a number would be a silent wrong value. Other
// text after the number, a unit or a mark, is not read.
bool ReadNumber(std::string_view field, double& value) {
    size_t used = 0;
    value = AtoF(field, &used);
    if (used == 0) return false;
    if (used + 1 < field.size() && IsDigit(field[used + 1])) {
        const char c = field[used];
        if (c == '.' || c == ',' || c == '+' || c == '-' || c == '/' || c == ':') return false;
    }
    return true;
}

std::string Quoted(std::string_view cp932) {
    std::string utf8 = ToUtf8(cp932);
    size_t characters = 0;
    for (size_t k = 0; k < utf8.size(); ++k) {
        if ((static_cast<unsigned char>(utf8[k]) & 0xC0) == 0x80) continue;
        if (characters++ == kQuotedCharacters) {
            utf8.resize(k);
            utf8 += "…";
            break;
        }
    }
    return utf8;
}

enum class FaultKind { kNotANumber, kMissingField };

LineFault MakeFault(int line, std::string_view cp932, FaultKind kind) {
    LineFault fault;
    fault.line = line;
    fault.text = ToUtf8(cp932);
    const std::string quoted = Quoted(cp932);
    fault.message =
        kind == FaultKind::kNotANumber
            ? Format("%d行目を数値として読めません：「%s」", line + 1, quoted)
            : Format(
                  "%d行目に数値が２つありません（２つの数をカンマかタブで区切って下さい）：「%s」",
                  line + 1, quoted);
    return fault;
}

void Finish(Reading& reading, ReadEnd end, int line) {
    reading.end = end;
    reading.endLine = line;
}

}  // namespace

std::string AsciiNumberForms(std::string_view cp932) {
    std::string out;
    out.reserve(cp932.size());
    for (size_t k = 0; k < cp932.size(); ++k) {
        const auto lead = static_cast<unsigned char>(cp932[k]);
        if (!IsLeadByte(lead) || k + 1 == cp932.size()) {
            out += cp932[k];
            continue;
        }
        const auto trail = static_cast<unsigned char>(cp932[k + 1]);
        char ascii = '\0';
        if (lead == 0x82 && trail >= 0x4F && trail <= 0x58) {
            ascii = static_cast<char>('0' + (trail - 0x4F));
        } else if (lead == 0x81) {
            for (const FullWidthSign& sign : kFullWidthSigns) {
                if (sign.trail == trail) ascii = sign.ascii;
            }
        }
        if (ascii != '\0') {
            out += ascii;
        } else {
            out += cp932[k];
            out += cp932[k + 1];
        }
        ++k;
    }
    return out;
}

std::string OverCapacityText(int capacity) {
    // Full-width digits, as the prompt has always written its 100.
    static constexpr std::string_view kFullWidthDigits = "０１２３４５６７８９";
    std::string number;
    for (const char c : std::to_string(capacity)) {
        number += kFullWidthDigits.substr(3 * static_cast<size_t>(c - '0'), 3);
    }
    return "データが多すぎます。解析できるのは" + number + "行までです。" + number +
           "行以内にして下さい。\r\n";
}

PairRows ReadPairRows(const IWorksheet& sheet, bool detectMarks) {
    ReadOptions options;
    options.marks = detectMarks;
    return ReadPairRows(sheet, options);
}

PairRows ReadPairRows(const IWorksheet& sheet, const ReadOptions& options) {
    PairRows rows;
    rows.capacity = options.capacity;
    int dataLines = 0;
    for (int i = 0;; ++i) {
        const std::string raw = sheet.GetFullLine(i);
        if (raw.empty()) {
            Finish(rows, ReadEnd::kEmptyLine, i);
            break;
        }
        // The hyphens are judged on the line as typed, so "- -" does not stop but "-1,-2" is
        // data.
        if (HoldsStop(raw)) {
            Finish(rows, ReadEnd::kStopLine, i);
            break;
        }
        std::string text = AsciiNumberForms(raw);
        if (i == 0 && IsTitleLine(text)) {
            rows.titles = TitleFields(text);
            rows.titleLine = i;
            continue;
        }
        if (dataLines == options.capacity) {
            Finish(rows, ReadEnd::kOverCapacity, i);
            break;
        }
        ++dataLines;
        const bool marked = options.marks && std::any_of(text.begin(), text.end(),
                                                         [](char c) { return IsMarkByte(c); });
        RemoveBlanks(text);
        if (IsTabRow(text)) ConvertDecimalCommas(text);
        const std::vector<std::string_view> fields = SplitFields(text);
        double x = 0.0;
        double y = 0.0;
        const bool unknown = options.unknownX && !fields.empty() && fields.front() == "?";
        if (unknown) {
            x = kNaN;
        } else if (fields.empty() || !ReadNumber(fields.front(), x)) {
            rows.faults.push_back(MakeFault(i, raw, FaultKind::kNotANumber));
            continue;
        }
        if (fields.size() < 2) {
            rows.faults.push_back(MakeFault(i, raw, FaultKind::kMissingField));
            continue;
        }
        if (!ReadNumber(fields.back(), y)) {
            rows.faults.push_back(MakeFault(i, raw, FaultKind::kNotANumber));
            continue;
        }
        rows.x.push_back(x);
        rows.y.push_back(y);
        rows.line.push_back(i);
        rows.marked.push_back(marked);
        rows.unknown.push_back(unknown);
    }
    rows.noData = rows.Count() == 0 && rows.faults.empty() && rows.end == ReadEnd::kEmptyLine;
    return rows;
}

MarkedValues ReadMarkedValues(const IWorksheet& sheet, int capacity) {
    MarkedValues values;
    values.capacity = capacity;
    int dataLines = 0;
    for (int i = 0;; ++i) {
        const std::string raw = sheet.GetFullLine(i);
        if (raw.empty()) {
            Finish(values, ReadEnd::kEmptyLine, i);
            break;
        }
        if (raw.starts_with("--")) {
            Finish(values, ReadEnd::kStopLine, i);
            break;
        }
        std::string text = AsciiNumberForms(raw);
        if (i == 0 && IsTitleLine(text)) {
            values.titles = TitleFields(text);
            continue;
        }
        if (dataLines == capacity) {
            Finish(values, ReadEnd::kOverCapacity, i);
            break;
        }
        ++dataLines;
        RemoveBlanks(text);
        if (IsTabRow(text)) ConvertDecimalCommas(text);
        // The first mark ends the text: the number before it is the marked value, and the rest
        // of the line, further letters included, is not read.
        const auto mark = std::find_if(text.begin(), text.end(), IsMarkByte);
        const bool marked = mark != text.end();
        text.erase(mark, text.end());
        text.resize(std::min(text.find_first_of(",\t"), text.size()));
        double v = 0.0;
        if (!ReadNumber(text, v)) {
            values.faults.push_back(MakeFault(i, raw, FaultKind::kNotANumber));
            continue;
        }
        values.value.push_back(v);
        values.line.push_back(i);
        if (marked) {
            ++values.marks;
            values.markedValue = v;
        }
    }
    values.noData =
        values.Count() == 0 && values.faults.empty() && values.end == ReadEnd::kEmptyLine;
    return values;
}

GroupValues ReadGroupValues(const IWorksheet& sheet, int capacity) {
    GroupValues groups;
    groups.capacity = capacity;
    groups.groups.emplace_back();
    bool groupStarted = false;  // a line of the current group was read: no title from now on
    int groupLines = 0;         // data lines of the current group
    for (int i = 0;; ++i) {
        const std::string raw = sheet.GetFullLine(i);
        if (raw.empty()) {
            Finish(groups, ReadEnd::kEmptyLine, i);
            break;
        }
        if (raw.starts_with("--")) {
            Finish(groups, ReadEnd::kStopLine, i);
            break;
        }
        ++groups.linesRead;
        if (raw.starts_with("//")) {
            ++groups.separators;
            groups.groups.emplace_back();
            groupStarted = false;
            groupLines = 0;
            continue;
        }
        if (groups.separators > 0 && raw.front() == '/') continue;
        std::string text = AsciiNumberForms(raw);
        ValueGroup& group = groups.groups.back();
        if (!groupStarted && IsTitleLine(text)) {
            groupStarted = true;
            group.title = ToUtf8(Trim(text));
            continue;
        }
        groupStarted = true;
        if (groupLines == capacity) {
            Finish(groups, ReadEnd::kOverCapacity, i);
            break;
        }
        ++groupLines;
        if (IsTabRow(text)) ConvertDecimalCommas(text);
        double v = 0.0;
        if (!ReadNumber(text, v)) {
            groups.faults.push_back(MakeFault(i, raw, FaultKind::kNotANumber));
            continue;
        }
        group.values.push_back(v);
        group.lines.push_back(i);
    }
    const bool anyTitle = std::any_of(groups.groups.begin(), groups.groups.end(),
                                      [](const ValueGroup& g) { return !g.title.empty(); });
    if (anyTitle) {
        for (const ValueGroup& g : groups.groups) groups.titles.push_back(g.title);
    }
    groups.noData = groups.linesRead == 0 && groups.end == ReadEnd::kEmptyLine;
    return groups;
}

}  // namespace lumo
