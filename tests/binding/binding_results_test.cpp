// The run record and the detail block of the binding and kinetics analyses, through their
// command handlers.
#include <gtest/gtest.h>

#include <string>

#include "binding/lineweaver_burk.h"
#include "binding/scatchard.h"
#include "tests/test_support.h"

namespace lumo {
namespace {

using test::AnalysisFixture;

TEST(BindingResults, RecordHoldsTheValuesReadAndTheResultsAsReported) {
    AnalysisFixture f;
    auto run = f.Run(OnLineweaverBurkPlots, "1,0.5\n2,0.8\n4,1\n", "LinewRes.txt");
    ASSERT_TRUE(run.reported);
    EXPECT_EQ(run.record["s"].dump(), "[1.0,2.0,4.0]");
    EXPECT_EQ(run.record["v"].dump(), "[0.5,0.8,1.0]");
    EXPECT_EQ(run.record["slope"].get<double>(), f.doc.m_dLbSlope);
    EXPECT_EQ(run.record["km"].get<double>(), f.doc.m_dLbSlope / f.doc.m_dLbIntercept);
    EXPECT_EQ(run.record["vmax"].get<double>(), 1.0 / f.doc.m_dLbIntercept);

    const char* tenPoints =
        "0.25, 3.71\n0.5, 3.39\n1, 2.90 X\n1.5, 2.40\n2, 2.02 X\n2.5, 1.60\n3, 1.27 X\n"
        "3.5, 0.93\n4, 0.60 X\n4.5, 0.31\n";
    run = f.Run(OnScatchardSimplex, tenPoints, "ScatRes.txt");
    ASSERT_TRUE(run.reported);
    EXPECT_EQ(run.record["n"], 10);
    EXPECT_EQ(run.record["points"].dump(), "[[1.0,2.9],[2.0,2.02],[3.0,1.27],[4.0,0.6]]");
    EXPECT_EQ(run.record["kd1"].get<double>(), 1.0 / f.doc.m_dKa1);
    EXPECT_EQ(run.record["bmax2"].get<double>(), f.doc.m_dBmax2);
    EXPECT_EQ(run.record["slope1"].get<double>(), -f.doc.m_dKa1);
    EXPECT_TRUE(run.record["converged"].get<bool>());
    EXPECT_GT(run.record["passes"].get<int>(), 0);
    EXPECT_TRUE(run.record["start"].contains("D"));
    // The four-point analysis has no fit to record.
    run = f.Run(OnScatchardPlots, tenPoints, "ScatRes.txt");
    EXPECT_FALSE(run.record.contains("passes"));
    EXPECT_FALSE(run.record.contains("start"));
}

TEST(BindingResults, DetailBlockEndsTheReportWhenAskedFor) {
    const char* marked = "1, 2.886 X\n2, 2 X\n3, 1.2604 X\n4, 0.6056 X\n";
    const struct {
        bool (*handler)(AnalysisContext&);
        const char* report;
        const char* worksheet;
        const char* line;
    } cases[] = {
        {OnLineweaverBurkPlots, "LinewRes.txt", "1,0.5\n2,0.8\n4,1\n",
         "Km = 2.17143,  Vmax = 1.60000\n"},
        {OnScatchardPlots, "ScatRes.txt", marked,
         "直線１： Y = -1.99854 X ＋ 2.00112,  Kd = 0.500366,  Bmax = 1.00129\n"},
        {OnScatchardSimplex, "ScatRes.txt", marked, "（収束）\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.report);
        AnalysisFixture plain;
        const auto classic = plain.Run(c.handler, c.worksheet, c.report);
        AnalysisFixture f;
        f.details = true;
        const auto run = f.Run(c.handler, c.worksheet, c.report);
        ASSERT_EQ(run.appended.rfind(classic.appended, 0), 0u);
        const std::string block = run.appended.substr(classic.appended.size());
        EXPECT_EQ(block.rfind("\n【詳細】\n", 0), 0u) << block;
        EXPECT_NE(block.find(c.line), std::string::npos) << block;
        EXPECT_EQ(run.reportBytes, classic.reportBytes + test::ReportBytes(block));
    }
}

}  // namespace
}  // namespace lumo
