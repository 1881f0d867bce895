#include "stats/rejection.h"

#include <cmath>
#include <limits>

#include "stats/exact_results.h"
#include "stats/sample_stats.h"
#include "stats/statistical_tables.h"
#include "stats/t_test_report.h"
#include "worksheet/line_reader.h"

namespace lumo {

namespace {

constexpr char kReportName[] = "KikyakuRes.txt";

constexpr char kOneMarkPrompt[] = "チェックは、１つにして下さい。";
constexpr char kMarkPrompt[] = "●棄却検定するデータに X をつけて下さい。\r\n";
constexpr char kSampleSizePrompt[] =
    "棄却検定のできるデータ数は３個から１８個までです。ほかのデータ数には、Staticsメニューの「Grubb"
    "s検定（外れ値）」（lumo --run grubbs、印は不要）を使って下さい。\r\n";

constexpr char kShortRule[] = "--------------------------------\n";  // 32 hyphens

}  // namespace

bool OnRejectionTest(AnalysisContext& ctx) {
    CLumoDoc& doc = ctx.Doc();
    doc.m_nScatchard = 0;
    doc.m_nLineweaver = 0;

    ReportFile report;
    if (!ctx.OpenReport(report, kReportName, "w")) return false;

    const MarkedValues values = ReadMarkedValues(ctx.Sheet());
    if (!ctx.AcceptReading(values)) return false;
    if (values.marks > 1) {
        ctx.AppendPrompt(kOneMarkPrompt);
        ctx.RestoreModifiedFlag();
        return false;
    }
    // The critical values exist only for these sample sizes.
    const int n = values.Count();
    if (n < kRejectionMinN || n > kRejectionMaxN) {
        ctx.AppendPrompt(kSampleSizePrompt);
        ctx.RestoreModifiedFlag();
        return false;
    }
    doc.m_nCount = n;

    // No line carried a mark: tell the user, and append the report file, empty, as every run
    // does.
    const double x = values.markedValue;
    if (x == kNoMarkedValue) {
        ctx.AppendPrompt(kMarkPrompt);
        ctx.FinishReport(report, kReportName);
        return false;
    }

    const SampleStats stats = ComputeSampleStats(values.value.data(), n);
    const double count = n;
    // The statistic uses the SD with divisor N.
    const double s = std::sqrt(NotBelowZero(stats.sumSquares / count - stats.mean * stats.mean));
    // Without any spread there is no outlier: T is 0/0 then, even when rounding has left the
    // mean a hair away from the marked value.
    const double t =
        s > 0.0 ? std::fabs(x - stats.mean) / s : std::numeric_limits<double>::quiet_NaN();

    const double* critical = kRejectionTable[n - kRejectionMinN];
    report.Printf("\n\nMean= %f; SD= %f; No.=%d\n", stats.mean, stats.sd, n);
    report.Printf(" \n X= %f", x);
    report.Printf(" \n T＝ %f\n", t);
    report.Write("  Tの値がTab1eより大きいときは無視してよい\n");
    report.Write(kShortRule);
    report.Write("  P;\t\t１％;\t\t５％\n");
    report.Write(kShortRule);
    report.Printf("  N;\t\t%f;\t%f\n", critical[0], critical[1]);
    report.Write(kShortRule);
    // A T that is not a number never exceeds the table.
    const bool significant = t > critical[1];
    WriteConclusion(report, significant);
    AddRejectionResults(ctx, report, values.value.data(), n,
                        {x, t, critical[0], critical[1], significant});
    return ctx.FinishReport(report, kReportName);
}

}  // namespace lumo
