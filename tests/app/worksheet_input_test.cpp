// Worksheets as labs paste them, through `lumo --run`: column titles, full-width digits,
// decimal commas, trailing separators and long rows read as the user meant them, and any line
// that does not read stops the run with a message naming it, never a silent zero.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include <nlohmann/json.hpp>

#include "tests/test_support.h"
#include "worksheet/cp932.h"

namespace lumo {
namespace {

using test::ReadFile;
using test::RunLumo;
using test::TempDir;
using test::WriteFile;

const std::string kPromptRule = "\n----------------------------------\n";
const std::string kReportRule = "\n------------------------------------------\n";

// Runs one analysis on a worksheet given as UTF-8 with "\n", stored as CP932 with CR LF.
test::ProcessResult RunOn(const TempDir& dir, const std::string& analysis, std::string utf8,
                          bool json = false) {
    std::string crlf;
    for (const char c : utf8) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    WriteFile(dir.File("d.txt"), ToCp932(crlf));
    std::vector<std::string> args = {"--run", analysis, dir.File("d.txt")};
    if (json) args.push_back("--json");
    return RunLumo(args, dir.path());
}

TEST(WorksheetInput, PastedDataReadsAsItsCleanForm) {
    const std::string longRow = "2," + std::string(100, ' ') + "4\n";
    const struct {
        const char* what;
        const char* analysis;
        std::string pasted;
        std::string clean;
        std::string titleLine;  // "" when the pasted worksheet has no title line
    } cases[] = {
        {"header row", "correlation", "Conc\tSignal\n1\t2\n2\t4\n3\t7\n", "1,2\n2,4\n3,7\n",
         "列: Conc, Signal\n"},
        {"header with a unit", "lineweaver-burk", "[S] (mM), v\n1, 0.5\n2, 0.8\n4, 1.0\n",
         "1, 0.5\n2, 0.8\n4, 1.0\n", "列: [S] (mM), v\n"},
        {"group titles", "unpaired-t", "Control\n1\n2\n3\n////\nDrug 10 mg\n4\n5\n6\n",
         "1\n2\n3\n////\n4\n5\n6\n", "列: Control, Drug 10 mg\n"},
        {"title of one value per line", "rejection", "Weight\n10\n11\n12\n13\n30X\n",
         "10\n11\n12\n13\n30X\n", "列: Weight\n"},
        {"IME digits", "correlation", "１，２\n２\u3000，４\n３，－７．５\n", "1,2\n2,4\n3,-7.5\n",
         ""},
        {"IME digits, one per line", "unpaired-t", "１\n２\n３\n////\n４．５\n５\n６\n",
         "1\n2\n3\n////\n4.5\n5\n6\n", ""},
        {"IME digits are not marks", "rejection", "１０\n１１\n１２\n１３\n３０X\n",
         "10\n11\n12\n13\n30X\n", ""},
        {"decimal commas", "paired-t", "5,5\t3\n6\t4,25\n7\t4\n", "5.5,3\n6,4.25\n7,4\n", ""},
        {"trailing separators", "correlation", "1,2,\n2,4,\n3,7,,\n", "1,2\n2,4\n3,7\n", ""},
        {"long row", "correlation", "1,2\n" + longRow + "3,7\n", "1,2\n2,4\n3,7\n", ""},
        {"units after the numbers", "correlation", "1 mg,2 ml\n2 mg,4 ml\n3 mg,7 ml\n",
         "1,2\n2,4\n3,7\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const auto clean = RunOn(dir, c.analysis, c.clean);
        const auto pasted = RunOn(dir, c.analysis, c.pasted);
        ASSERT_EQ(clean.exitCode, 0) << clean.out;
        EXPECT_EQ(pasted.exitCode, 0) << pasted.out;
        // The title line is the report's first line; nothing else differs.
        std::string expected = clean.out;
        if (!c.titleLine.empty()) expected.insert(kReportRule.size(), c.titleLine);
        EXPECT_EQ(pasted.out, expected);
    }
}

TEST(WorksheetInput, ALineThatDoesNotReadStopsTheRunNamingIt) {
    const struct {
        const char* analysis;
        const char* report;
        std::string text;
        std::string message;
    } cases[] = {
        {"correlation", "SokanRes.txt", "1,2\nabc,4\n3,7\n",
         "2行目を数値として読めません：「abc,4」"},
        {"correlation", "SokanRes.txt", "x,y\n1,2\n2\n3,7\n",
         "3行目に数値が２つありません（２つの数をカンマかタブで区切って下さい）：「2」"},
        {"paired-t", "PairedTRes.txt", "5,3\n6,\n7,4\n",
         "2行目に数値が２つありません（２つの数をカンマかタブで区切って下さい）：「6,」"},
        {"lineweaver-burk", "LinewRes.txt", "1,0.5\n2,0.8\n4,1.0\n8, n/a\n",
         "4行目を数値として読めません：「8, n/a」"},
        {"unpaired-t", "TkenteiRes.txt", "1\n2\nControl\n////\n4\n5\n",
         "3行目を数値として読めません：「Control」"},
        {"unpaired-t", "TkenteiRes.txt", "1\n2,5\n////\n4\n5\n",
         "2行目を数値として読めません：「2,5」"},
        {"rejection", "KikyakuRes.txt", "10\n11\n\u3000\n13\n30X\n",
         "3行目を数値として読めません：「\u3000」"},
        {"scatchard", "ScatRes.txt", "1, 2.886 X\nX2, 2\n3, 1.2604 X\n4, 0.6056 X\n",
         "2行目を数値として読めません：「X2, 2」"},
        {"scatchard-simplex", "ScatRes.txt", "B,B/F\n1, 2.886 X\n2, 2 X\nB, 1.26 X\n",
         "4行目を数値として読めません：「B, 1.26 X」"},
        {"michaelis-menten", "MMFitRes.txt", "0.5,1\n1,1.5\n2,2,\n4,-\n",
         "4行目を数値として読めません：「4,-」"},
        {"binding-fit", "BindFitRes.txt", "1,2\n2,1.5\n3,1.2\n4,\t\n",
         "4行目に数値が２つありません（２つの数をカンマかタブで区切って下さい）：「4,\t」"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.analysis) + ": " + c.text);
        TempDir dir;
        const auto r = RunOn(dir, c.analysis, c.text);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, kPromptRule + c.message + "\n");
        // As every early stop leaves it: created, empty.
        EXPECT_TRUE(test::FileExists(dir.File(c.report)));
        EXPECT_EQ(ReadFile(dir.File(c.report)), "");
    }
}

TEST(WorksheetInput, TitleLineChangesNoNumber) {
    const struct {
        const char* analysis;
        const char* example;
        std::string title;  // put in front of the example
        const char* titlesJson;
    } cases[] = {
        {"correlation", "correlation.txt", "x, y\n", "[\"x\",\"y\"]"},
        {"paired-t", "paired-t.txt", "before\tafter\n", "[\"before\",\"after\"]"},
        {"unpaired-t", "unpaired-t.txt", "A 群\n", "[\"A 群\",\"\"]"},
        {"lineweaver-burk", "lineweaver-burk.txt", "[S] (mM), v\n", "[\"[S] (mM)\",\"v\"]"},
        {"michaelis-menten", "michaelis-menten.txt", "S,V\n", "[\"S\",\"V\"]"},
        {"binding-fit", "binding-fit.txt", "B\tB/F\n", "[\"B\",\"B/F\"]"},
        {"scatchard", "scatchard.txt", "B, B/F\n", "[\"B\",\"B/F\"]"},
        {"scatchard-simplex", "scatchard-simplex.txt", "B, B/F\n", "[\"B\",\"B/F\"]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.analysis);
        TempDir dir;
        const std::string example = Cp932ToWorksheetText(ReadFile(test::ExamplePath(c.example)));
        const auto plain = RunOn(dir, c.analysis, example, true);
        const auto titled = RunOn(dir, c.analysis, c.title + example, true);
        ASSERT_EQ(plain.exitCode, 0) << plain.out;
        EXPECT_EQ(titled.exitCode, 0) << titled.out;
        // The same record but for the titles (and the graph's axis titles and group labels,
        // which may name them).
        nlohmann::json p = nlohmann::json::parse(plain.out);
        nlohmann::json t = nlohmann::json::parse(titled.out);
        EXPECT_EQ(p["titles"], nlohmann::json::array());
        EXPECT_EQ(t["titles"], nlohmann::json::parse(c.titlesJson));
        for (nlohmann::json* j : {&p, &t}) {
            j->erase("titles");
            for (const char* axis : {"x_axis", "y_axis", "residual_axis"}) {
                if ((*j)["plot"].is_object() && (*j)["plot"].contains(axis)) {
                    (*j)["plot"][axis].erase("title");
                    (*j)["plot"][axis].erase("labels");
                }
            }
        }
        EXPECT_EQ(t, p);
    }
}

// A 384-well plate, v = 10·s / (2 + s) within ±2 %.
std::string Plate(int rows) {
    std::string text = "[S]\tv\n";
    for (int i = 0; i < rows; ++i) {
        const double s = 0.1 * (1 + i % 48);
        const double v = 10.0 * s / (2.0 + s) * (1.0 + 0.02 * std::sin(i));
        text += std::to_string(s) + "\t" + std::to_string(v) + "\n";
    }
    return text;
}

TEST(WorksheetInput, DirectFitsReadTenThousandRows) {
    TempDir dir;
    const auto plate = RunOn(dir, "michaelis-menten", Plate(384), true);
    EXPECT_EQ(plate.exitCode, 0) << plate.out;
    EXPECT_NE(plate.out.find("\"n\":384,"), std::string::npos) << plate.out;
    EXPECT_NE(plate.out.find("\"converged\":true"), std::string::npos);
    // 10,000 rows plus the title fit; one more is refused.
    EXPECT_EQ(RunOn(dir, "michaelis-menten", Plate(10000)).exitCode, 0);
    const auto over = RunOn(dir, "michaelis-menten", Plate(10001));
    EXPECT_EQ(over.exitCode, 1);
    EXPECT_EQ(over.out, kPromptRule +
                            "データが多すぎます。解析できるのは１００００行までです。"
                            "１００００行以内にして下さい。\n");
    // The classic analyses keep their hundred.
    const auto classic = RunOn(dir, "lineweaver-burk", Plate(101));
    EXPECT_EQ(classic.exitCode, 1);
    EXPECT_NE(classic.out.find("１００行までです。"), std::string::npos);
}

}  // namespace
}  // namespace lumo
