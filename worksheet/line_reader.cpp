#include "worksheet/line_reader.h"

#include "worksheet/number_text.h"

namespace lumo {
namespace {

// True when the field is one number and nothing else, as far as the reader is concerned: with
// marks, letters after the number are the mark.
bool ReadsCleanly(const char* field, bool detectMarks) {
    const std::string_view text(field);
    size_t used = 0;
    AtoF(text, &used);
    if (used == 0) return false;
    for (size_t k = used; k < text.size(); ++k) {
        if (!(detectMarks && IsMarkByte(text[k]))) return false;
    }
    return true;
}

std::string Number(double v) {
    std::string text = Format("%f", v);
    // Six decimals are the reports' form; the warning shows the value without trailing zeros.
    if (text.find('.') != std::string::npos) {
        while (!text.empty() && text.back() == '0') text.pop_back();
        if (!text.empty() && text.back() == '.') text.pop_back();
    }
    return text;
}

bool StartsWithTwo(const char* buffer, int count, char c) {
    return count >= 2 && buffer[0] == c && buffer[1] == c;
}

}  // namespace

PairRows ReadPairRows(const IWorksheet& sheet, bool detectMarks) {
    return ReadPairRows(sheet, detectMarks, nullptr);
}

PairRows ReadPairRows(const IWorksheet& sheet, bool detectMarks,
                      std::vector<LineWarning>* warnings) {
    PairRows rows;
    char buffer[kLineCapacity + 1];
    for (int i = 0;; ++i) {
        const int count = sheet.GetLine(i, buffer);
        if (count <= 0) {
            rows.end = ReadEnd::kEmptyLine;
            return rows;
        }
        // Remove blanks and look for "--" in one pass; the hyphens are judged on the line as
        // received, so "- -" does not stop but "-1,-2" is data.
        int kept = 0;
        bool marked = false;
        for (int k = 0; k < count; ++k) {
            if (buffer[k] == '-' && k + 1 < count && buffer[k + 1] == '-') {
                rows.end = ReadEnd::kStopLine;
                return rows;
            }
            if (buffer[k] == ' ') continue;
            if (detectMarks && IsMarkByte(buffer[k])) marked = true;
            buffer[kept++] = buffer[k];
        }
        buffer[kept] = '\0';
        if (i == kMaxPoints) {
            rows.end = ReadEnd::kOverCapacity;
            return rows;
        }
        // Every ',' and tab ends a field; x is the first field and y the last. A line with no
        // separator has no second number, so y is 0 as for an empty last field.
        const char* last = nullptr;
        for (int k = 0; k < kept; ++k) {
            if (buffer[k] == ',' || buffer[k] == '\t') {
                buffer[k] = '\0';
                last = buffer + k + 1;
            }
        }
        rows.x[i] = AtoF(buffer);
        rows.y[i] = last != nullptr ? AtoF(last) : 0.0;
        if (warnings != nullptr) {
            const bool clean =
                ReadsCleanly(buffer, detectMarks) &&
                (last == nullptr || *last == '\0' || ReadsCleanly(last, detectMarks));
            const std::string reading =
                "(" + Number(rows.x[i]) + ", " + Number(rows.y[i]) + ") として読まれます";
            if (!clean) {
                warnings->push_back({i, "数値として読めません：" + reading});
            } else if (last == nullptr) {
                warnings->push_back({i, "区切り（, かタブ）がありません：" + reading});
            }
        }
        rows.marked[i] = marked;
        rows.count = i + 1;
    }
}

MarkedValues ReadMarkedValues(const IWorksheet& sheet) {
    MarkedValues values;
    char buffer[kLineCapacity + 1];
    for (int i = 0;; ++i) {
        const int count = sheet.GetLine(i, buffer);
        if (count <= 0) {
            values.end = ReadEnd::kEmptyLine;
            return values;
        }
        if (StartsWithTwo(buffer, count, '-')) {
            values.end = ReadEnd::kStopLine;
            return values;
        }
        if (i == kMaxPoints) {
            values.end = ReadEnd::kOverCapacity;
            return values;
        }
        int kept = 0;
        for (int k = 0; k < count; ++k) {
            if (buffer[k] == ' ') continue;
            buffer[kept++] = buffer[k];
            if (IsMarkByte(buffer[k])) {
                // The number before the mark is the marked value; the rest of the line is
                // ignored, further letters included.
                buffer[kept] = '\0';
                values.markedValue = AtoF(buffer);
                ++values.marks;
                break;
            }
        }
        buffer[kept] = '\0';
        for (int k = 0; k < kept; ++k) {
            if (buffer[k] == ',' || buffer[k] == '\t') {
                buffer[k] = '\0';
                break;
            }
        }
        values.value[i] = AtoF(buffer);
        values.count = i + 1;
    }
}

GroupValues ReadGroupValues(const IWorksheet& sheet) {
    GroupValues groups;
    char buffer[kLineCapacity + 1];
    int group = 0;
    for (int i = 0;; ++i) {
        const int count = sheet.GetLine(i, buffer);
        if (count <= 0) {
            groups.end = ReadEnd::kEmptyLine;
            return groups;
        }
        if (StartsWithTwo(buffer, count, '-')) {
            groups.end = ReadEnd::kStopLine;
            return groups;
        }
        ++groups.linesRead;
        if (StartsWithTwo(buffer, count, '/')) {
            ++groups.separators;
            group = 1;
            continue;
        }
        if (group == 1 && buffer[0] == '/') continue;
        int& n = groups.count[group];
        if (n == kMaxPoints) {
            groups.end = ReadEnd::kOverCapacity;
            return groups;
        }
        buffer[count] = '\0';
        groups.value[group][n++] = AtoF(buffer);
    }
}

}  // namespace lumo
