// Bad input fed to all three tests: never a crash or a report, always a message in the
// worksheet with its effect on the modified flag, and the user's text left as it was.
#include <gtest/gtest.h>

#include <span>
#include <string>

#include "stats/anova.h"
#include "stats/grubbs.h"
#include "stats/kruskal_wallis.h"
#include "stats/mann_whitney.h"
#include "stats/paired_t.h"
#include "stats/rejection.h"
#include "stats/signed_rank.h"
#include "stats/unpaired_t.h"
#include "tests/stats/report_expect.h"
#include "tests/test_support.h"
#include "worksheet/line_reader.h"

namespace lumo {
namespace {

using test::AnalysisFixture;
using test::kNoDifference;
using test::kPromptRule;
using test::kReportSeparator;

const std::string kNoData =
    " 先ず、「ファイル」->「開く」からデータを選ぶか、直接データを入力して下さい。\n";
const std::string kTooMany =
    kPromptRule +
    "データが多すぎます。解析できるのは１００行までです。１００行以内にして下さい。\n";
const std::string kSeparator =
    kPromptRule + "各データを縦一列に入力し、２群の間を////で区切って下さい。\n";
const std::string kGroupSize =
    kPromptRule + "各群に２つ以上のデータを入力して下さい。１つだけの群は比較できません。\n";
const std::string kPairs =
    kPromptRule +
    "対応のあるデータを２組以上、１行に１組ずつ、カンマかタブで区切って入力して下さい。\n";
const std::string kOneSeparator =
    kPromptRule + "２群の間の区切り（////）は１行だけにして下さい。３群以上は比較できません。\n";
const std::string kOneMark = kPromptRule + "チェックは、１つにして下さい。";  // no line end
const std::string kNoMark = kPromptRule + "●棄却検定するデータに X をつけて下さい。\n";
const std::string kSampleSize =
    kPromptRule +
    "棄却検定のできるデータ数は３個から１８個までです。ほかのデータ数には、Staticsメニューの「Grubb"
    "s検定（外れ値）」（lumo --run grubbs、印は不要）を使って下さい。\n";

std::string Rows(int count, const std::string& suffix) {
    std::string text;
    for (int i = 0; i < count; ++i) text += std::to_string(i % 7) + suffix + "\n";
    return text;
}

struct Analysis {
    const char* name;
    bool (*handler)(AnalysisContext&);
    const char* report;
};
const Analysis kUnpaired = {"unpaired", OnUnpairedTTest, "TkenteiRes.txt"};
const Analysis kPaired = {"paired", OnPairedTTest, "PairedTRes.txt"};
const Analysis kRejection = {"rejection", OnRejectionTest, "KikyakuRes.txt"};

struct BadInput {
    const char* what;
    Analysis analysis;
    std::string text;
    std::string appended;
    bool modifiedAfter;  // prompts in the t-tests leave the worksheet modified like any typing
};

// Each case stops with its message, before and after unsaved typing alike.
void ExpectStops(std::span<const BadInput> cases) {
    for (const BadInput& c : cases) {
        for (const bool modifiedBefore : {false, true}) {
            SCOPED_TRACE(std::string(c.analysis.name) + ": " + c.what);
            AnalysisFixture f;
            const auto run = f.Run(c.analysis.handler, c.text, c.analysis.report, modifiedBefore);
            EXPECT_FALSE(run.reported);
            EXPECT_EQ(run.appended, c.appended);
            // Unsaved typing stays unsaved whatever the run appended.
            EXPECT_EQ(run.modified, modifiedBefore || c.modifiedAfter);
            EXPECT_TRUE(run.reportExists);
            EXPECT_EQ(run.reportBytes, "");
            EXPECT_TRUE(run.messages.empty());
            // The user's text is still there, with only the message after it.
            EXPECT_EQ(f.sheet.GetText(), c.text + run.appended);
        }
    }
}

TEST(StatisticalTestsBadInput, MessageInsteadOfAReport) {
    const std::string eighteen = Rows(18, "");
    const BadInput cases[] = {
        {"empty worksheet", kUnpaired, "", kNoData, false},
        {"empty worksheet", kPaired, "", kNoData, false},
        {"empty worksheet", kRejection, "", kNoData, false},
        {"empty first line", kUnpaired, "\n1\n2\n////\n3\n4\n", kNoData, false},
        {"empty first line", kPaired, "\n1,2\n2,4\n", kNoData, false},
        {"empty first line", kRejection, "\n1\n2\n3X\n", kNoData, false},
        // The first line is a title; a word below it is no number (and no mark before one).
        {"text", kUnpaired, "weight\nheight\nage\n",
         kPromptRule + "2行目を数値として読めません：「height」\n", true},
        {"text", kPaired, "weight,height\n", kNoData, false},
        {"text", kRejection, "weight\nheight\nage\n",
         kPromptRule + "2行目を数値として読めません：「height」\n", true},
        {"stop line first", kUnpaired, "--\n1\n", kSeparator, true},
        {"two separators", kUnpaired, "1\n2\n////\n3\n4\n////\n5\n6\n", kOneSeparator, true},
        {"empty group 1", kUnpaired, "////\n1\n2\n", kGroupSize, true},
        {"empty group 2", kUnpaired, "1\n2\n3\n////\n", kGroupSize, true},
        {"no pairs", kPaired, "--\n1,2\n", kPairs, true},
        {"no values", kRejection, "--\n1\n", kSampleSize, false},
        {"one value in group 1", kUnpaired, "1\n////\n2\n3\n", kGroupSize, true},
        {"one value in group 2", kUnpaired, "1\n2\n////\n3\n", kGroupSize, true},
        {"one pair", kPaired, "1,2\n\n3,4\n", kPairs, true},
        {"one value", kRejection, "5X\n", kSampleSize, false},
        {"two values", kRejection, "10\n30X\n", kSampleSize, false},
        {"19 values", kRejection, eighteen + "40X\n", kSampleSize, false},
        {"marks on two lines", kRejection, "10X\n11\n12Y\n", kOneMark, false},
        // Without a mark the empty report is appended behind its separator, as always.
        {"no mark", kRejection, "10\n11\n12\n", kNoMark + kReportSeparator, false},
        {"marked value that reads as no mark", kRejection, "1\n2\n123456.654321X\n",
         kNoMark + kReportSeparator, false},
        {"101 rows", kUnpaired, Rows(101, "") + "////\n1\n2\n", kTooMany, true},
        {"101 rows in group 2", kUnpaired, "1\n2\n////\n" + Rows(101, ""), kTooMany, true},
        {"101 rows", kPaired, Rows(101, ",1"), kTooMany, true},
        {"101 rows", kRejection, Rows(100, "") + "9X\n", kTooMany, true},
    };
    ExpectStops(cases);
}

// The newer analyses take up to 10,000 values and stop at every layout they cannot test.
const Analysis kMannWhitney = {"mann-whitney", OnMannWhitney, "MannWhitneyRes.txt"};
const Analysis kWilcoxon = {"wilcoxon", OnWilcoxon, "WilcoxonRes.txt"};
const Analysis kAnova = {"anova", OnAnova, "AnovaRes.txt"};
const Analysis kKruskal = {"kruskal-wallis", OnKruskalWallis, "KruskalRes.txt"};
const Analysis kGrubbs = {"grubbs", OnGrubbs, "GrubbsRes.txt"};

std::string Prompt(const std::string& text) {
    return kPromptRule + text + "\n";
}

TEST(NewAnalysesBadInput, MessageInsteadOfAReport) {
    const std::string noSeparator =
        Prompt("各データを縦一列に入力し、群の間を////で区切って下さい。");
    const std::string constant =
        Prompt("全てのデータが同じ値です。ばらつきのないデータは検定できません。");
    std::string tooMany = Prompt(OverCapacityText(kMaxDataRows));
    tooMany.erase(tooMany.size() - 3, 2);  // the text's own CR LF, here as "\n"
    const std::string half = Rows(5000, "");
    std::string twentyOne = "1\n2\n";
    for (int g = 1; g < 21; ++g) twentyOne += "////\n1\n2\n";
    const BadInput cases[] = {
        {"empty worksheet", kMannWhitney, "", kNoData, false},
        {"empty first line", kGrubbs, "\n1\n2\n3\n", kNoData, false},
        {"one group", kMannWhitney, "1\n2\n3\n", noSeparator, true},
        {"one group", kAnova, "1\n2\n3\n", noSeparator, true},
        {"one group", kKruskal, "title\n1\n2\n3\n", noSeparator, true},
        {"three groups", kMannWhitney, "1\n2\n////\n3\n4\n////\n5\n6\n",
         Prompt("この検定は２群の比較です。２群の間の区切り（////）は１行だけにして下さい。"),
         true},
        {"group of one", kAnova, "1\n2\n////\n5\n",
         Prompt("4行目：第2群のデータが１つだけです。各群に２つ以上のデータを入力して下さい。"),
         true},
        {"group of one", kKruskal, "A\n7\n////\nB\n1\n2\n",
         Prompt("2行目：第1群のデータが１つだけです。各群に２つ以上のデータを入力して下さい。"),
         true},
        {"empty group", kMannWhitney, "////\n1\n2\n",
         Prompt("第1群にデータがありません。区切り（////）の前後にデータを入力して下さい。"), true},
        {"constant", kMannWhitney, "1\n1\n////\n1\n1\n", constant, true},
        {"constant", kKruskal, "2\n2\n////\n2\n2\n////\n2\n2\n", constant, true},
        {"constant", kGrubbs, "5\n5\n5\n5\n", constant, true},
        {"every group constant", kAnova, "1\n1\n////\n2\n2\n",
         Prompt("どの群にもばらつきがありません。群内のばらつきのないデータは分散分析できません。"),
         true},
        {"text in a group", kAnova, "1\nabc\n////\n3\n4\n",
         Prompt("2行目を数値として読めません：「abc」"), true},
        {"separator", kGrubbs, "1\n2\n3\n////\n4\n5\n",
         Prompt("この検定は１群のデータを調べます。区切り（////）を除いて下さい。"), true},
        {"two values", kGrubbs, "1\n9\n", Prompt("データを縦一列に３つ以上入力して下さい。"), true},
        {"one pair", kWilcoxon, "1,2\n",
         Prompt(
             "対応のあるデータを２組以上、１行に１組ずつ、カンマかタブで区切って入力して下さい。"),
         true},
        {"no differences", kWilcoxon, "1,1\n2,2\n3,3\n",
         Prompt("全ての対で差が０です。差のない対だけでは検定できません。"), true},
        {"overflowing value", kMannWhitney, "1\n1e999\n////\n3\n4\n",
         Prompt("2行目の値は大きすぎて計算できません。"), true},
        {"21 groups", kKruskal, twentyOne,
         Prompt("群の数が多すぎます。比べられるのは20群までです。"), true},
        {"10,001 values", kGrubbs, Rows(10001, ""), tooMany, true},
        {"10,001 values in two groups", kAnova, half + "////\n" + half + "1\n", tooMany, true},
        {"10,001 pairs", kWilcoxon, Rows(10001, ",1"), tooMany, true},
    };
    ExpectStops(cases);
    // Exactly 10,000 values are taken.
    AnalysisFixture f;
    EXPECT_TRUE(f.Run(OnKruskalWallis, half + "////\n" + half, "KruskalRes.txt").reported);
}

TEST(StatisticalTestsBadInput, CommandLineExitsWithOne) {
    test::TempDir cwd;
    const std::string file = cwd.File("no-separator.txt");
    test::WriteFile(file, "1\r\n2\r\n3\r\n");
    const auto result = test::RunLumo({"--run", "unpaired-t", file}, cwd.path());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, kSeparator);
    EXPECT_EQ(test::ReadFile(cwd.File("TkenteiRes.txt")), "");
    const auto anova = test::RunLumo({"--run", "anova", file}, cwd.path());
    EXPECT_EQ(anova.exitCode, 1);
    EXPECT_EQ(anova.out,
              kPromptRule + "各データを縦一列に入力し、群の間を////で区切って下さい。\n");
}

// Overflowing numbers, or no spread at all, make the statistics not a number: a report that
// says so and never claims a difference.
TEST(StatisticalTestsBadInput, NotANumberDataGivesNoDifference) {
    const struct {
        Analysis analysis;
        std::string text;
    } cases[] = {
        {kUnpaired, "1e999\n1\n2\n////\n3\n4\n"},
        {kUnpaired, "1\n1e999\n2\n////\n-1e999\n4\n"},
        {kPaired, "1e999,1\n2,2\n3,4\n"},
        {kPaired, Rows(40, ",1") + "1e999,-1e999\n"},
        // In the rejection test the e of an exponent is a mark, so no number can overflow
        // there; a sample without spread gives the statistic 0/0.
        {kRejection, "5\n5\n5\n5X\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.analysis.name) + ": " + c.text);
        AnalysisFixture f;
        const auto run = f.Run(c.analysis.handler, c.text, c.analysis.report);
        EXPECT_TRUE(run.reported);
        EXPECT_NE(run.appended.find("nan"), std::string::npos);
        EXPECT_EQ(run.appended.find("-nan"), std::string::npos);
        EXPECT_EQ(run.appended.substr(run.appended.size() - kNoDifference.size()), kNoDifference);
        EXPECT_EQ(f.sheet.GetText(), c.text + run.appended);
    }
}

}  // namespace
}  // namespace lumo
