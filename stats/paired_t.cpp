#include "stats/paired_t.h"

#include <cmath>

#include "stats/exact_results.h"
#include "stats/sample_stats.h"
#include "stats/statistical_tables.h"
#include "stats/t_test_report.h"
#include "worksheet/line_reader.h"

namespace lumo {

namespace {

constexpr char kReportName[] = "PairedTRes.txt";

constexpr char kPairCountPrompt[] =
    "対応のあるデータを２組以上、１行に１組ずつ、カンマかタブで区切って入力して下さい。\r\n";

}  // namespace

bool OnPairedTTest(AnalysisContext& ctx) {
    CLumoDoc& doc = ctx.Doc();
    doc.m_nScatchard = 0;
    doc.m_nLineweaver = 0;

    ReportFile report;
    if (!ctx.OpenReport(report, kReportName, "w")) return false;

    const PairRows rows = ReadPairRows(ctx.Sheet(), false);
    if (!ctx.AcceptReading(rows)) return false;
    // One pair has no spread to test against, and no degrees of freedom.
    const int n = rows.Count();
    if (n < 2) {
        ctx.AppendPrompt(kPairCountPrompt);
        return false;
    }

    double differences[kMaxPoints];
    for (int i = 0; i < n; ++i) {
        doc.m_dX[i] = rows.x[i];
        doc.m_dY[i] = rows.y[i];
        differences[i] = rows.x[i] - rows.y[i];
    }
    doc.m_nCount = n;
    doc.UpdateAllViews(ctx.Sender());

    const SampleStats d = ComputeSampleStats(differences, n);
    const double ts = d.mean / std::sqrt(d.sd * d.sd / n);
    const double absTs = std::fabs(ts);
    const int df = n - 1;

    report.Printf("\n\n差のMean=%f; 　SD=%f;　 No.=%d\n", d.mean, d.sd, n);
    report.Write("\n\n   Student's test\n");
    report.Write(kLongRule);
    report.Printf(" 計算値：Ts= %f;   \t\t自由度(N-1)= %d\n", absTs, df);
    report.Write(kLongRule);
    bool significant;
    if (df <= kTTableMaxDf) {
        WriteTTableBlock(report, df);
        significant = IsSignificantByTable(df, absTs);
    } else {
        const double p = TwoSidedProbability(df, absTs);
        report.Printf("確率＝%f\n", p);
        significant = IsSignificantProbability(p);
    }
    WriteConclusion(report, significant);
    AddPairedResults(ctx, report, rows.x.data(), rows.y.data(), n, significant);
    doc.m_plot = BeforeAfterPlot(rows.x, rows.y, TitleOr(rows.titles, 0, ""),
                                 LastTitleOr(rows.titles, ""), "値");
    return ctx.FinishReport(report, kReportName);
}

}  // namespace lumo
