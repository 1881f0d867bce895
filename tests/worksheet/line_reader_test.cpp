// The shared line reader, in each of its variants, on worksheet texts.
#include <gtest/gtest.h>

#include <string>

#include "tests/test_support.h"
#include "worksheet/line_reader.h"
#include "worksheet/text_worksheet.h"

namespace lumo {
namespace {

PairRows Pairs(std::string_view text, bool marks = false) {
    TextWorksheet sheet(text);
    return ReadPairRows(sheet, marks);
}

TEST(PairReader, FieldsAreFirstAndLast) {
    struct Case {
        const char* line;
        double x, y;
    } cases[] = {
        {"1,2,3", 1, 3},       {"1\t2", 1, 2},     {" 1 . 5 , 2 ", 1.5, 2},
        {"1,", 1, 0},          {"-1,-2", -1, -2},  {"- 3,4", -3, 4},
        {"12abc,7xyz", 12, 7}, {"abc,def", 0, 0},  {"1e3,2E-1", 1000, 0.2},
        {"+4,.5", 4, 0.5},     {"5", 5, 0},        {"inf,nan", 0, 0},
        {"0x10,1", 0, 1},      {"1,2\t\t9", 1, 9}, {"1e,2e+", 1, 2},
    };
    for (const Case& c : cases) {
        const PairRows rows = Pairs(c.line);
        ASSERT_EQ(rows.count, 1) << c.line;
        EXPECT_EQ(rows.x[0], c.x) << c.line;
        EXPECT_EQ(rows.y[0], c.y) << c.line;
    }
}

TEST(PairReader, LineWithoutSeparatorNeverTakesAStaleY) {
    const PairRows rows = Pairs("1,9\n2\n3,7");
    ASSERT_EQ(rows.count, 3);
    EXPECT_EQ(rows.y[0], 9);
    EXPECT_EQ(rows.x[1], 2);
    EXPECT_EQ(rows.y[1], 0);
    EXPECT_EQ(rows.y[2], 7);
}

TEST(PairReader, StopsAtEmptyLineOrTwoAdjacentHyphens) {
    PairRows rows = Pairs("1,2\n3,4\n\n5,6");
    EXPECT_EQ(rows.count, 2);
    EXPECT_EQ(rows.end, ReadEnd::kEmptyLine);

    rows = Pairs("1,2\n3,4\n------\nold report");
    EXPECT_EQ(rows.count, 2);
    EXPECT_EQ(rows.end, ReadEnd::kStopLine);

    rows = Pairs("1,2\n3,--\n5,6");  // "--" after the numbers still stops
    EXPECT_EQ(rows.count, 1);
    EXPECT_EQ(rows.end, ReadEnd::kStopLine);

    rows = Pairs("1,2\n- -3,4\n");  // hyphens judged before blanks are removed
    EXPECT_EQ(rows.count, 2);
    EXPECT_EQ(rows.end, ReadEnd::kEmptyLine);
}

TEST(PairReader, NoDataOnlyWhenTheFirstLineIsEmpty) {
    EXPECT_TRUE(Pairs("").NoData());
    EXPECT_TRUE(Pairs("\n1,2\n").NoData());
    const PairRows stop = Pairs("--\n1,2");
    EXPECT_FALSE(stop.NoData());
    EXPECT_EQ(stop.count, 0);
    // A line of blanks is not empty: it is the row (0, 0).
    const PairRows blanks = Pairs("   \n1,2");
    EXPECT_FALSE(blanks.NoData());
    EXPECT_EQ(blanks.count, 2);
}

TEST(PairReader, ReadsOnlyTheFirstHundredBytesOfALine) {
    // 98 blanks, then "1,2": the 2 falls outside the 100 bytes; the rest never makes a new line.
    const std::string line = std::string(98, ' ') + "1,2" + std::string(60, '9');
    const PairRows rows = Pairs(line + "\n3,4");
    ASSERT_EQ(rows.count, 2);
    EXPECT_EQ(rows.x[0], 1);
    EXPECT_EQ(rows.y[0], 0);
    EXPECT_EQ(rows.x[1], 3);
    // A two-byte character takes two of the hundred places.
    const std::string wide = std::string(48, ' ') + "あ" + "7,8" + "\n";  // 48 + 2 + 3 bytes
    EXPECT_EQ(Pairs(wide).y[0], 8);
    const std::string wider =
        std::string(49, ' ') + "あああああああああああああああああああああああああ7,8";
    EXPECT_EQ(Pairs(wider).y[0], 0);
}

TEST(PairReader, MarksAreAnyByteFromCapitalAToSmallZ) {
    const PairRows rows = Pairs(
        "1,2 X\n"   // the usual mark
        "3,4\n"     // none
        "1e2,5\n"   // an exponent letter marks
        "6,7 ^\n"   // a sign between 'Z' and 'a'
        "8,9 ｘ\n"  // full-width x: 0x82 0x98, no byte in range
        "8,9 Ｘ\n"  // full-width X: 0x82 0x77, its second byte marks
        "1,1 {\n",  // just past 'z'
        true);
    ASSERT_EQ(rows.count, 7);
    const bool expected[] = {true, false, true, true, false, true, false};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(rows.marked[i], expected[i]) << i;
    EXPECT_EQ(rows.x[2], 100);
    EXPECT_EQ(rows.y[0], 2);
    // Without mark detection nothing is marked.
    EXPECT_FALSE(Pairs("1,2 X", false).marked[0]);
}

TEST(PairReader, StopsReadingAtCapacity) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "1,1\n";
    EXPECT_EQ(Pairs(text).end, ReadEnd::kEmptyLine);
    EXPECT_EQ(Pairs(text).count, 100);
    EXPECT_EQ(Pairs(text + "--\n").end, ReadEnd::kStopLine);
    const PairRows over = Pairs(text + "1,1\n");
    EXPECT_EQ(over.end, ReadEnd::kOverCapacity);
    EXPECT_EQ(over.count, 100);
}

TEST(MarkedValueReader, TheFirstLetterEndsTheValueAndMarksIt) {
    TextWorksheet sheet("10\n11\n12 , 99\n30 X\nX 5\n1e2\n");
    const MarkedValues v = ReadMarkedValues(sheet);
    ASSERT_EQ(v.count, 6);
    EXPECT_EQ(v.value[2], 12);
    EXPECT_EQ(v.value[3], 30);
    EXPECT_EQ(v.value[4], 0);  // a mark before its number
    EXPECT_EQ(v.value[5], 1);  // the exponent letter is a mark
    EXPECT_EQ(v.marks, 3);
    EXPECT_EQ(v.markedValue, 1);
}

TEST(MarkedValueReader, ALineCountsAsOneMarkHoweverManyLetters) {
    TextWorksheet sheet("1\n2\n30 XXX abc\n");
    const MarkedValues v = ReadMarkedValues(sheet);
    EXPECT_EQ(v.marks, 1);
    EXPECT_EQ(v.markedValue, 30);
}

TEST(MarkedValueReader, HyphensStopOnlyAtTheStartOfALine) {
    TextWorksheet sheet("1\n2 --\n--\n4");
    const MarkedValues v = ReadMarkedValues(sheet);
    EXPECT_EQ(v.count, 2);
    EXPECT_EQ(v.end, ReadEnd::kStopLine);
    EXPECT_EQ(v.markedValue, kNoMarkedValue);
}

TEST(MarkedValueReader, KatakanaWhoseSecondByteIsALetterMarks) {
    TextWorksheet sheet("5ア\n6\n");  // ア is 0x83 0x41
    const MarkedValues v = ReadMarkedValues(sheet);
    EXPECT_EQ(v.marks, 1);
    EXPECT_EQ(v.markedValue, 5);
}

TEST(GroupReader, SplitsAtTheSeparatorAndReadsWholeLines) {
    TextWorksheet sheet("1\n2,5\n 3\nabc\n////\n4\n/comment\n5\n\n6");
    const GroupValues g = ReadGroupValues(sheet);
    ASSERT_EQ(g.count[0], 4);
    EXPECT_EQ(g.value[0][1], 2);  // a comma is not a separator here
    EXPECT_EQ(g.value[0][2], 3);  // leading blanks are skipped by the conversion
    EXPECT_EQ(g.value[0][3], 0);
    ASSERT_EQ(g.count[1], 2);
    EXPECT_EQ(g.value[1][1], 5);
    EXPECT_EQ(g.separators, 1);
    EXPECT_EQ(g.end, ReadEnd::kEmptyLine);
}

TEST(GroupReader, CountsEverySeparatorAndStopsAtLeadingHyphens) {
    TextWorksheet sheet("1\n//\n2\n//\n3\n--x\n4");
    const GroupValues g = ReadGroupValues(sheet);
    EXPECT_EQ(g.separators, 2);
    EXPECT_EQ(g.count[1], 2);
    EXPECT_EQ(g.end, ReadEnd::kStopLine);
    TextWorksheet lone("////\n");
    EXPECT_FALSE(ReadGroupValues(lone).NoData());
    TextWorksheet empty("");
    EXPECT_TRUE(ReadGroupValues(empty).NoData());
}

TEST(GroupReader, EachGroupHoldsAtMostOneHundredValues) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "1\n";
    TextWorksheet full(text + "//\n" + text);
    EXPECT_EQ(ReadGroupValues(full).end, ReadEnd::kEmptyLine);
    TextWorksheet over(text + "//\n" + text + "2\n");
    EXPECT_EQ(ReadGroupValues(over).end, ReadEnd::kOverCapacity);
}

}  // namespace
}  // namespace lumo
