// The rejection test through its command handler and through lumo --run.
#include <gtest/gtest.h>

#include <string>

#include "stats/rejection.h"
#include "tests/stats/report_expect.h"
#include "tests/test_support.h"

namespace lumo {
namespace {

using test::AnalysisFixture;
using test::Has;
using test::kDifference;
using test::kNoDifference;
using test::kReportSeparator;
using test::ReportBytes;

constexpr char kReportName[] = "KikyakuRes.txt";
const std::string kRule32 = "--------------------------------\n";

std::string Report(const std::string& meanLine, const std::string& x, const std::string& t,
                   const std::string& row, const std::string& conclusion) {
    return "\n\n" + meanLine + "\n \n X= " + x + " \n T＝ " + t + "\n" +
           "  Tの値がTab1eより大きいときは無視してよい\n" + kRule32 + "  P;\t\t１％;\t\t５％\n" +
           kRule32 + "  N;\t\t" + row + "\n" + kRule32 + conclusion;
}

const std::string kExampleReport = Report("Mean= 15.200000; SD= 8.348653; No.=5", "30.000000",
                                          "1.981985", "1.955000;\t1.869000", kDifference);

TEST(RejectionTest, ExampleGivesTheDocumentedReport) {
    AnalysisFixture f;
    f.doc.m_nScatchard = 1;
    f.doc.m_dX[0] = 7.0;
    const auto run = f.Run(OnRejectionTest, "10\n11\n12\n13\n30X\n", kReportName);
    EXPECT_TRUE(run.reported);
    EXPECT_EQ(run.reportBytes, ReportBytes(kExampleReport));
    EXPECT_EQ(run.appended, kReportSeparator + kExampleReport);
    EXPECT_FALSE(run.modified);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_EQ(f.doc.m_nCount, 5);
    EXPECT_EQ(f.doc.m_nScatchard, 0);
    EXPECT_EQ(f.doc.m_nLineweaver, 0);
    EXPECT_EQ(f.doc.m_dX[0], 7.0);  // no points are stored
}

TEST(RejectionTest, NotAnOutlier) {
    AnalysisFixture f;
    const auto run = f.Run(OnRejectionTest, "10\n11\n12\n13\n14X\n", kReportName);
    EXPECT_EQ(run.reportBytes,
              ReportBytes(Report("Mean= 12.000000; SD= 1.581139; No.=5", "14.000000", "1.414214",
                                 "1.955000;\t1.869000", kNoDifference)));
}

TEST(RejectionTest, WhatCountsAsTheMark) {
    AnalysisFixture f;
    // Only the first letter of a line counts, and the rest of the line is ignored; a comma
    // ends the value; blanks are removed.
    for (const char* text : {"10\n11\n12\n13\n30XY\n", "10\n11\n12\n13\n30 x rest of 2 words\n",
                             "10,99\n1 1\n12\n13\n3 0X\n", "10\n11\n12\n13\n30X\n--\n5\n"}) {
        const auto run = f.Run(OnRejectionTest, text, kReportName);
        EXPECT_EQ(run.reportBytes, ReportBytes(kExampleReport)) << text;
    }
    // The second byte of a two-byte character can be a mark: katakana a is 0x83 0x41.
    auto run = f.Run(OnRejectionTest, "10\n11\n12\n13\n30ア\n", kReportName);
    EXPECT_EQ(run.reportBytes, ReportBytes(kExampleReport));
    // A mark before its number leaves the line without a value: the run names the line.
    run = f.Run(OnRejectionTest, "10\n11\n12\nX13\n14\n", kReportName);
    EXPECT_FALSE(run.reported);
    EXPECT_TRUE(Has(run.appended, "4行目を数値として読めません：「X13」"));
    // The e of an exponent is a mark.
    run = f.Run(OnRejectionTest, "10\n11\n12\n1e3\n", kReportName);
    EXPECT_TRUE(Has(run.appended, " X= 1.000000 \n"));
    EXPECT_TRUE(Has(run.appended, "  N;\t\t1.723000;\t1.689000\n"));
}

TEST(RejectionTest, SampleSizesAtTheEdgesOfTheTable) {
    AnalysisFixture f;
    auto run = f.Run(OnRejectionTest, "1\n2\n9X\n", kReportName);
    EXPECT_EQ(run.reportBytes,
              ReportBytes(Report("Mean= 4.000000; SD= 4.358899; No.=3", "9.000000", "1.404879",
                                 "1.414000;\t1.412000", kNoDifference)));
    std::string eighteen;
    for (int i = 0; i < 17; ++i) eighteen += std::to_string(10 + i % 3) + "\n";
    run = f.Run(OnRejectionTest, eighteen + "40X\n", kReportName);
    EXPECT_TRUE(Has(run.appended, "No.=18\n"));
    EXPECT_TRUE(Has(run.appended, "  N;\t\t2.903000;\t2.577000\n" + kRule32 + kDifference));
}

TEST(RejectionTest, ValuesWithoutSpreadAreNeverOutliers) {
    AnalysisFixture f;
    // With 0.1 three times rounding leaves the mean a hair off the marked value and the
    // variance at or below zero; whole numbers give 0/0 exactly.
    for (const char* text : {"0.1\n0.1\n0.1X\n", "5\n5\n5\n5X\n"}) {
        const auto run = f.Run(OnRejectionTest, text, kReportName);
        EXPECT_TRUE(run.reported) << text;
        EXPECT_TRUE(Has(run.appended, "SD= 0.000000;")) << text;
        EXPECT_TRUE(Has(run.appended, " T＝ nan\n")) << text;
        EXPECT_TRUE(Has(run.appended, kNoDifference)) << text;
    }
}

TEST(RejectionTestCommandLine, PrintsTheExampleReport) {
    test::TempDir cwd;
    const auto result =
        test::RunLumo({"--run", "rejection", test::ExamplePath("rejection.txt")}, cwd.path());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, kReportSeparator + kExampleReport);
    EXPECT_EQ(test::ReadFile(cwd.File(kReportName)), ReportBytes(kExampleReport));
}

}  // namespace
}  // namespace lumo
