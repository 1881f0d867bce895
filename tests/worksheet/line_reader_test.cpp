// The shared line reader, in each of its layouts, on worksheet texts.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/test_support.h"
#include "worksheet/cp932.h"
#include "worksheet/line_reader.h"
#include "worksheet/text_worksheet.h"

namespace lumo {
namespace {

PairRows Pairs(std::string_view text, bool marks = false) {
    TextWorksheet sheet(text);
    return ReadPairRows(sheet, marks);
}

TEST(PairReader, FieldsAreFirstAndLastNonEmpty) {
    const std::string longRow = "2," + std::string(100, ' ') + "4";
    struct Case {
        std::string line;
        double x, y;
    } cases[] = {
        {"1,2,3", 1, 3},
        {"1\t2", 1, 2},
        {" 1 . 5 , 2 ", 1.5, 2},
        {"-1,-2", -1, -2},
        {"- 3,4", -3, 4},
        {"12abc,7xyz", 12, 7},  // text after a leading number, as a unit, is not read
        {"12.5 mg, 3 ml", 12.5, 3},
        {"1e3,2E-1", 1000, 0.2},
        {"+4,.5", 4, 0.5},
        {"1e,2e+", 1, 2},
        {"1,2,", 1, 2},  // a trailing separator, as many exports write
        {"1,2,,  ,", 1, 2},
        {"1\t2\t", 1, 2},
        {"１２．５，－３", 12.5, -3},  // full-width digits, point, comma and sign
        {"１\u3000２,４", 12, 4},      // the ideographic space is a blank
        {"0,12\t0,21", 0.12, 0.21},    // decimal commas in a tab-separated row
        {"1,2\t\t9", 1.2, 9},
        {longRow, 2, 4},  // split on the whole line, not on its first 100 bytes
    };
    for (const Case& c : cases) {
        const PairRows rows = Pairs(c.line);
        ASSERT_EQ(rows.Count(), 1) << c.line;
        EXPECT_TRUE(rows.faults.empty()) << c.line;
        EXPECT_EQ(rows.x[0], c.x) << c.line;
        EXPECT_EQ(rows.y[0], c.y) << c.line;
    }
}

TEST(PairReader, ALineThatDoesNotReadIsAFaultNamingIt) {
    struct Case {
        const char* line;
        const char* message;  // for the line as the second of three
    } cases[] = {
        {"abc,def", "2行目を数値として読めません：「abc,def」"},
        {",5", "2行目を数値として読めません：「,5」"},
        {"   ", "2行目を数値として読めません：「   」"},
        {"inf,nan", "2行目を数値として読めません：「inf,nan」"},
        {"1,2.3.4", "2行目を数値として読めません：「1,2.3.4」"},
        {"3/4,1", "2行目を数値として読めません：「3/4,1」"},
        {"1.234,5\t2", "2行目を数値として読めません：「1.234,5\t2」"},
        {"5", "2行目に数値が２つありません（２つの数をカンマかタブで区切って下さい）：「5」"},
        {"1,", "2行目に数値が２つありません（２つの数をカンマかタブで区切って下さい）：「1,」"},
    };
    for (const Case& c : cases) {
        const PairRows rows = Pairs(std::string("1,2\n") + c.line + "\n3,4");
        ASSERT_EQ(rows.faults.size(), 1u) << c.line;
        EXPECT_EQ(rows.faults[0].line, 1);
        EXPECT_EQ(rows.faults[0].text, c.line);
        EXPECT_EQ(rows.faults[0].message, c.message);
        // The reading goes on past the fault; the fault is not a row.
        ASSERT_EQ(rows.Count(), 2) << c.line;
        EXPECT_EQ(rows.line[1], 2);
        EXPECT_FALSE(rows.NoData());
    }
    // A long line is quoted shortened.
    const PairRows longLine = Pairs("x" + std::string(60, 'y') + ",1");
    EXPECT_EQ(longLine.faults[0].message,
              "1行目を数値として読めません：「x" + std::string(39, 'y') + "…」");
}

TEST(PairReader, TitleLineIsOnlyTheFirstLineWithoutAnyNumber) {
    struct Case {
        const char* text;
        std::vector<std::string> titles;
    } cases[] = {
        {"Conc\tSignal\n1\t2\n", {"Conc", "Signal"}},
        {"[S] (mM), v\n1,2\n", {"[S] (mM)", "v"}},
        {"Drug 10 mg\n1,2\n", {"Drug 10 mg"}},
        {"濃度，吸光度,\n1,2\n", {"濃度", "吸光度"}},
    };
    for (const Case& c : cases) {
        const PairRows rows = Pairs(c.text);
        EXPECT_EQ(rows.titles, c.titles) << c.text;
        EXPECT_EQ(rows.titleLine, 0);
        ASSERT_EQ(rows.Count(), 1) << c.text;
        EXPECT_EQ(rows.line[0], 1);
        EXPECT_EQ(rows.y[0], 2);
        EXPECT_TRUE(rows.faults.empty());
    }
    // Not on a later line, and not a line with a number in a field.
    EXPECT_EQ(Pairs("1,2\nConc,Signal\n").faults.size(), 1u);
    EXPECT_EQ(Pairs("Conc,5\n1,2\n").faults.size(), 1u);
    EXPECT_EQ(Pairs("-x,y\n1,2\n").faults.size(), 1u);  // a sign begins a number
    // A title alone is no data.
    EXPECT_TRUE(Pairs("Conc,Signal\n\n1,2").NoData());
    EXPECT_TRUE(Pairs("1,2").titles.empty());
}

TEST(PairReader, StopsAtEmptyLineOrTwoAdjacentHyphens) {
    PairRows rows = Pairs("1,2\n3,4\n\n5,6");
    EXPECT_EQ(rows.Count(), 2);
    EXPECT_EQ(rows.end, ReadEnd::kEmptyLine);
    EXPECT_EQ(rows.endLine, 2);

    rows = Pairs("1,2\n3,4\n------\nold report");
    EXPECT_EQ(rows.Count(), 2);
    EXPECT_EQ(rows.end, ReadEnd::kStopLine);

    rows = Pairs("1,2\n3,--\n5,6");  // "--" after the numbers still stops
    EXPECT_EQ(rows.Count(), 1);
    EXPECT_EQ(rows.end, ReadEnd::kStopLine);

    rows = Pairs("1,2\n- -3,4\n");  // hyphens judged before blanks are removed
    EXPECT_EQ(rows.end, ReadEnd::kEmptyLine);
    EXPECT_EQ(rows.faults.size(), 1u);  // and "--3" is no number
}

TEST(PairReader, NoDataOnlyWhenTheFirstLineIsEmpty) {
    EXPECT_TRUE(Pairs("").NoData());
    EXPECT_TRUE(Pairs("\n1,2\n").NoData());
    const PairRows stop = Pairs("--\n1,2");
    EXPECT_FALSE(stop.NoData());
    EXPECT_EQ(stop.Count(), 0);
}

TEST(PairReader, MarksAreAnyByteFromCapitalAToSmallZ) {
    const PairRows rows = Pairs(
        "1,2 X\n"   // the usual mark
        "3,4\n"     // none
        "1e2,5\n"   // an exponent letter marks
        "6,7 ^\n"   // a sign between 'Z' and 'a'
        "8,9 ｘ\n"  // full-width x: 0x82 0x98, no byte in range
        "8,9 Ｘ\n"  // full-width X: 0x82 0x77, its second byte marks
        "1,1 {\n"   // just past 'z'
        "１,２\n",  // full-width digits are digits, though their second bytes are letters
        true);
    ASSERT_EQ(rows.Count(), 8);
    const bool expected[] = {true, false, true, true, false, true, false, false};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(rows.marked[i], expected[i]) << i;
    EXPECT_EQ(rows.x[2], 100);
    EXPECT_EQ(rows.y[0], 2);
    EXPECT_FALSE(Pairs("1,2 X", false).marked[0]);
    // A mark before the first number leaves no number to read.
    EXPECT_EQ(Pairs("X1,2", true).faults.size(), 1u);
}

TEST(PairReader, UnknownRowsOnlyWhenAsked) {
    TextWorksheet sheet("1,0.5\n?,0.7\n？, 0.8\n");
    ReadOptions options;
    options.unknownX = true;
    const PairRows rows = ReadPairRows(sheet, options);
    ASSERT_EQ(rows.Count(), 3);
    EXPECT_TRUE(rows.faults.empty());
    EXPECT_FALSE(rows.unknown[0]);
    EXPECT_TRUE(rows.unknown[1] && rows.unknown[2]);
    EXPECT_TRUE(std::isnan(rows.x[1]));
    EXPECT_EQ(rows.y[2], 0.8);
    EXPECT_EQ(ReadPairRows(sheet, false).faults.size(), 2u);
}

TEST(PairReader, StopsReadingAtCapacity) {
    struct Case {
        int capacity;
        int rows;
        bool title;
        ReadEnd end;
    } cases[] = {
        {kMaxPoints, 100, false, ReadEnd::kEmptyLine},
        {kMaxPoints, 100, true, ReadEnd::kEmptyLine},  // the title line is not a row
        {kMaxPoints, 101, false, ReadEnd::kOverCapacity},
        {kMaxDataRows, 10000, true, ReadEnd::kEmptyLine},
        {kMaxDataRows, 10001, false, ReadEnd::kOverCapacity},
    };
    for (const Case& c : cases) {
        std::string text = c.title ? "x,y\n" : "";
        for (int i = 0; i < c.rows; ++i) text += "1,1\n";
        TextWorksheet sheet(text);
        ReadOptions options;
        options.capacity = c.capacity;
        const PairRows rows = ReadPairRows(sheet, options);
        EXPECT_EQ(rows.end, c.end) << c.rows;
        EXPECT_EQ(rows.Count(), std::min(c.rows, c.capacity));
        EXPECT_EQ(rows.capacity, c.capacity);
    }
}

TEST(MarkedValueReader, TheFirstLetterEndsTheValueAndMarksIt) {
    TextWorksheet sheet("10\n11\n12 , 99\n30 X\n1e2\n１２Ｘ\n");
    const MarkedValues v = ReadMarkedValues(sheet);
    ASSERT_EQ(v.Count(), 6);
    EXPECT_TRUE(v.faults.empty());
    EXPECT_EQ(v.value[2], 12);
    EXPECT_EQ(v.value[3], 30);
    EXPECT_EQ(v.value[4], 1);  // the exponent letter is a mark
    EXPECT_EQ(v.value[5], 12);
    EXPECT_EQ(v.marks, 3);
    EXPECT_EQ(v.markedValue, 12);
    // A mark before its number leaves the line without one.
    TextWorksheet before("10\nX 5\n");
    const MarkedValues f = ReadMarkedValues(before);
    ASSERT_EQ(f.faults.size(), 1u);
    EXPECT_EQ(f.faults[0].message, "2行目を数値として読めません：「X 5」");
}

TEST(MarkedValueReader, ALineCountsAsOneMarkHoweverManyLetters) {
    TextWorksheet sheet("Weight\n1\n2\n30 XXX abc\n");
    const MarkedValues v = ReadMarkedValues(sheet);
    EXPECT_EQ(v.titles, std::vector<std::string>{"Weight"});
    EXPECT_EQ(v.Count(), 3);
    EXPECT_EQ(v.marks, 1);
    EXPECT_EQ(v.markedValue, 30);
}

TEST(MarkedValueReader, HyphensStopOnlyAtTheStartOfALine) {
    TextWorksheet sheet("1\n2 --\n--\n4");
    const MarkedValues v = ReadMarkedValues(sheet);
    EXPECT_EQ(v.Count(), 2);
    EXPECT_EQ(v.end, ReadEnd::kStopLine);
    EXPECT_EQ(v.markedValue, kNoMarkedValue);
}

TEST(GroupReader, SplitsAtEverySeparatorWithATitlePerGroup) {
    TextWorksheet sheet(
        "Control\n1\n 3\n12.5 mg\n"
        "////\n/comment\n4\n５\n"
        "//\nDrug B\n6\n7\n\n8");
    const GroupValues g = ReadGroupValues(sheet);
    EXPECT_TRUE(g.faults.empty());
    ASSERT_EQ(g.groups.size(), 3u);
    EXPECT_EQ(g.separators, 2);
    EXPECT_EQ(g.groups[0].values, (std::vector<double>{1, 3, 12.5}));
    EXPECT_EQ(g.groups[0].lines, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(g.groups[1].values, (std::vector<double>{4, 5}));
    EXPECT_EQ(g.groups[2].values, (std::vector<double>{6, 7}));
    EXPECT_EQ(g.titles, (std::vector<std::string>{"Control", "", "Drug B"}));
    EXPECT_EQ(g.end, ReadEnd::kEmptyLine);
    // Without any title there are no titles at all.
    TextWorksheet plain("1\n2\n////\n3\n4\n");
    EXPECT_TRUE(ReadGroupValues(plain).titles.empty());
}

TEST(GroupReader, ValuesThatDoNotReadAreFaults) {
    for (const char* line : {"abc", "   ", "2,5", "/ note", "1.2.3"}) {
        TextWorksheet sheet(std::string("1\n") + line + "\n////\n3\n4\n");
        const GroupValues g = ReadGroupValues(sheet);
        ASSERT_EQ(g.faults.size(), 1u) << line;
        EXPECT_EQ(g.faults[0].line, 1);
    }
    // A tab row reads its comma as a decimal comma.
    TextWorksheet comma("1\n2,5\t\n////\n3\n");
    EXPECT_EQ(ReadGroupValues(comma).groups[0].values[1], 2.5);
}

TEST(GroupReader, CountsEverySeparatorAndStopsAtLeadingHyphens) {
    TextWorksheet sheet("1\n//\n2\n//\n3\n--x\n4");
    const GroupValues g = ReadGroupValues(sheet);
    EXPECT_EQ(g.separators, 2);
    EXPECT_EQ(g.groups[2].values.size(), 1u);
    EXPECT_EQ(g.end, ReadEnd::kStopLine);
    TextWorksheet lone("////\n");
    EXPECT_FALSE(ReadGroupValues(lone).NoData());
    TextWorksheet empty("");
    EXPECT_TRUE(ReadGroupValues(empty).NoData());
}

TEST(GroupReader, EachGroupHoldsAtMostItsCapacity) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "1\n";
    TextWorksheet full(text + "//\nB\n" + text);
    EXPECT_EQ(ReadGroupValues(full).end, ReadEnd::kEmptyLine);
    TextWorksheet over(text + "//\n" + text + "2\n");
    EXPECT_EQ(ReadGroupValues(over).end, ReadEnd::kOverCapacity);
    EXPECT_EQ(ReadGroupValues(over, kMaxDataRows).end, ReadEnd::kEmptyLine);
}

TEST(AsciiNumberForms, OnlyWholeCharactersAreTurned) {
    // 0x81 0x82 is one character (≠); the 0x82 0x4F after its lead byte is not a full-width 0.
    EXPECT_EQ(AsciiNumberForms("\x81\x82\x4F"), "\x81\x82\x4F");
    EXPECT_EQ(AsciiNumberForms(ToCp932("０９＋－．，？\u3000ア")), "09+-.,? " + ToCp932("ア"));
    EXPECT_EQ(AsciiNumberForms("\x82"), "\x82");  // a lead byte cut at the end
}

}  // namespace
}  // namespace lumo
