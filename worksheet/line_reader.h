// The line reader that every analysis uses, in the three layouts the analyses need: rows of two
// numbers, one marked value per line, and groups of values separated by "////". Each reads the
// worksheet from line 0 and stops at the first empty line, at a stop line holding "--" (the
// dashed separator in front of every earlier report), or when more rows follow than the
// analysis has room for.
//
// All three share one way of reading a line: the whole logical line is taken (never the
// 100-byte cut), full-width digits, signs, point, comma and space become their ASCII forms, a
// row holding a tab is split on tabs only and a comma between digits there is a decimal comma,
// and empty fields at the end of a row are ignored. The first line of the data, or of a group,
// none of whose fields starts with a number is a title line rather than data. Any other line
// that does not give the numbers the layout needs is a fault: the reader keeps it out of the
// rows and records its line, its text and a message that names it, and the analysis stops
// before any result (AnalysisContext::AcceptReading).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "worksheet/lumo_doc.h"
#include "worksheet/worksheet.h"

namespace lumo {

// Room for the direct fits and for every analysis added from now on: a 384-well plate fits. The
// classic analyses keep kMaxPoints.
constexpr int kMaxDataRows = 10000;

enum class ReadEnd {
    kEmptyLine,     // an empty line, or the end of the text
    kStopLine,      // a line holding "--"
    kOverCapacity,  // a data row beyond the capacity; nothing should be computed
};

// A line that did not read. `message` is ready for the worksheet, e.g.
// "4行目を数値として読めません：「abc」" (UTF-8, no line end); `text` is the line as UTF-8.
struct LineFault {
    int line = -1;  // from 0; the message says line + 1
    std::string text;
    std::string message;
};

// What every reading tells besides its values.
struct Reading {
    ReadEnd end = ReadEnd::kEmptyLine;
    int endLine = 0;  // the line at which the reading ended (empty, stop or first line too many)
    int capacity = kMaxPoints;
    // The fields of the title line (row layouts) or one title per group, "" for a group without
    // one; empty when the worksheet has no title line.
    std::vector<std::string> titles;
    std::vector<LineFault> faults;  // in line order
    bool noData = false;            // the first line is empty: the no-data case

    bool NoData() const { return noData; }
    const LineFault* FirstFault() const { return faults.empty() ? nullptr : &faults.front(); }
};

struct ReadOptions {
    int capacity = kMaxPoints;  // data rows (per group for groups) before kOverCapacity
    // Letters mark a row: any byte from 'A' to 'z' anywhere in the line (the Scatchard readers).
    bool marks = false;
    // A first field "?" is an unknown row (a sample to be read off a standard curve): it is kept
    // with x = NaN, `unknown` set and its y, not taken for a fault.
    bool unknownX = false;
};

// Two numbers per line: x is the first field and y the last non-empty one, after the ASCII
// blanks are removed; fields between them are not read. "--" anywhere in the line stops.
struct PairRows : Reading {
    std::vector<double> x;
    std::vector<double> y;
    std::vector<int> line;  // each row's worksheet line, from 0
    std::vector<bool> marked;
    std::vector<bool> unknown;
    int titleLine = -1;  // the title line, or -1

    int Count() const { return static_cast<int>(x.size()); }
};
PairRows ReadPairRows(const IWorksheet& sheet, const ReadOptions& options);
// The classic two-column reading: capacity kMaxPoints, with or without marks.
PairRows ReadPairRows(const IWorksheet& sheet, bool detectMarks);

// One value per line, as the rejection test reads it: blanks removed, "--" stops only as the
// first two characters, the value ends at the first field separator. The first mark letter of a
// line ends the text there and makes the number before it the marked value; a line counts as
// one mark however many letters it holds.
constexpr double kNoMarkedValue = 123456.654321;
struct MarkedValues : Reading {
    std::vector<double> value;
    std::vector<int> line;
    int marks = 0;                        // lines that carried a mark
    double markedValue = kNoMarkedValue;  // the last marked line's number

    int Count() const { return static_cast<int>(value.size()); }
};
MarkedValues ReadMarkedValues(const IWorksheet& sheet, int capacity = kMaxPoints);

// Groups of one value per line, as the unpaired t-test reads them: a line beginning with "//"
// starts the next group, "--" stops only as the first two characters, and after the first
// separator other lines beginning with '/' are skipped. A value is the number at the start of
// its line; text after it (a unit) is not read.
struct ValueGroup {
    std::string title;  // "" without a title line
    std::vector<double> values;
    std::vector<int> lines;  // each value's worksheet line, from 0
};
struct GroupValues : Reading {
    std::vector<ValueGroup> groups;  // one more than the separators once a line was read
    int separators = 0;
    int linesRead = 0;  // lines consumed, separators, titles and skipped lines included
};
GroupValues ReadGroupValues(const IWorksheet& sheet, int capacity = kMaxPoints);

// True when `c` counts as a mark: any byte from 'A' (0x41) to 'z' (0x7A), the six signs
// between 'Z' and 'a' included. Bytes of two-byte characters are tested one by one.
inline bool IsMarkByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x41 && b <= 0x7A;
}

// CP932 text with full-width digits, signs, point, comma, question mark and the ideographic
// space turned into their ASCII forms; everything else is kept.
std::string AsciiNumberForms(std::string_view cp932);

// The "データが多すぎます。" prompt for a reader of `capacity` rows, UTF-8 with "\r\n".
std::string OverCapacityText(int capacity);

}  // namespace lumo
