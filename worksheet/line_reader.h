// The line reader that every analysis uses, in the four variants the analyses need. Each
// reads the worksheet from line 0 and stops at the first empty line, at a stop line holding
// "--" (the dashed separator in front of every earlier report), or when more rows follow than
// the analyses have room for.
#pragma once

#include <string>
#include <vector>

#include "worksheet/lumo_doc.h"
#include "worksheet/worksheet.h"

namespace lumo {

enum class ReadEnd {
    kEmptyLine,     // an empty line, or the end of the text
    kStopLine,      // a line holding "--"
    kOverCapacity,  // a data row beyond kMaxPoints; nothing should be computed
};

// Two numbers per line: x is the first comma- or tab-separated field and y the last, after all
// blanks are removed; "--" anywhere in the line stops. With `detectMarks`, a line holding any
// byte from 'A' to 'z' is marked.
struct PairRows {
    int count = 0;
    ReadEnd end = ReadEnd::kEmptyLine;
    double x[kMaxPoints] = {};
    double y[kMaxPoints] = {};
    bool marked[kMaxPoints] = {};
    // The worksheet's first line is empty: the no-data case.
    bool NoData() const { return count == 0 && end == ReadEnd::kEmptyLine; }
};
PairRows ReadPairRows(const IWorksheet& sheet, bool detectMarks);

// A data row whose first or last field holds text that is not a number: the line number (from
// 0) and a sentence, in UTF-8, saying what the row is read as.
struct LineWarning {
    int line;
    std::string message;
};
// Reads as ReadPairRows does and also collects a warning for every row that does not read
// cleanly. A mark letter after the last number is a mark, not a fault.
PairRows ReadPairRows(const IWorksheet& sheet, bool detectMarks,
                      std::vector<LineWarning>* warnings);

// One value per line, as the rejection test reads it: blanks removed, "--" stops only as the
// first two characters, the value ends at the first ',' or tab. The first mark letter of a
// line ends the text there and makes the number before it the marked value; a line counts as
// one mark however many letters it holds.
constexpr double kNoMarkedValue = 123456.654321;
struct MarkedValues {
    int count = 0;
    ReadEnd end = ReadEnd::kEmptyLine;
    double value[kMaxPoints] = {};
    int marks = 0;                        // lines that carried a mark
    double markedValue = kNoMarkedValue;  // the last marked line's number
    bool NoData() const { return count == 0 && end == ReadEnd::kEmptyLine; }
};
MarkedValues ReadMarkedValues(const IWorksheet& sheet);

// Two groups of one value per line, as the unpaired t-test reads them: each line is converted
// whole (blanks and commas are not special), "--" stops only as the first two characters, and
// a line beginning with "//" separates the groups. After the separator, other lines beginning
// with '/' are skipped.
struct GroupValues {
    int count[2] = {0, 0};
    ReadEnd end = ReadEnd::kEmptyLine;
    double value[2][kMaxPoints] = {};
    int separators = 0;  // separator lines seen; the groups need exactly one
    int linesRead = 0;   // lines consumed, separators and skipped lines included
    bool NoData() const { return linesRead == 0 && end == ReadEnd::kEmptyLine; }
};
GroupValues ReadGroupValues(const IWorksheet& sheet);

// True when `c` counts as a mark: any byte from 'A' (0x41) to 'z' (0x7A), the six signs
// between 'Z' and 'a' included. Bytes of two-byte characters are tested one by one.
inline bool IsMarkByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x41 && b <= 0x7A;
}

}  // namespace lumo
