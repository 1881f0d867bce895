#include "stats/signed_rank.h"

#include "stats/group_input.h"
#include "worksheet/plot_description.h"

namespace lumo {
namespace {

constexpr char kReportName[] = "WilcoxonRes.txt";
constexpr char kAllZeroPrompt[] = "全ての対で差が０です。差のない対だけでは検定できません。\r\n";

}  // namespace

bool OnWilcoxon(AnalysisContext& ctx) {
    ReportFile report;
    if (!ctx.OpenReport(report, kReportName, "w")) return false;
    PairRows rows;
    if (!ReadPairsFor(ctx, &rows)) return false;
    const SignedRank r = SignedRankTest(rows.x, rows.y);
    if (r.n == 0) {
        ctx.AppendPrompt(kAllZeroPrompt);
        return false;
    }

    report.Write("\n\nWilcoxon符号付順位検定（差は １列目－２列目）\n");
    report.Write("対の数 = " + std::to_string(rows.Count()) + ",  差が０でない対 n = " +
                 std::to_string(r.n) + ",  差の中央値 = " + SigText(r.medianDifference) + "\n");
    report.Write("V（正の差の順位和） = " + SigText(r.v) + ",  両側 " + PValueText(r.p) +
                 (r.exact ? "（正確な分布）\n" : "（正規近似、同順位と連続性の補正）\n"));
    WriteConclusionAt5(report, r.p);

    nlohmann::ordered_json& rec = ctx.Record();
    rec["n"] = r.n;
    rec["median_difference"] = r.medianDifference;
    rec["v"] = r.v;
    rec["p"] = r.p;
    rec["exact"] = r.exact;

    DetailBlock line(ctx, report);
    const double n = r.n;
    line("V の期待値 = " + SigText(n * (n + 1.0) / 4.0) +
         ",  差が０の対 = " + std::to_string(rows.Count() - r.n));
    if (!r.exact) line("正規近似の z = " + SigText(r.z));

    ctx.Doc().m_plot = BeforeAfterPlot(rows.x, rows.y, TitleOr(rows.titles, 0, ""),
                                       LastTitleOr(rows.titles, ""), "値");
    // The pane draws the new description.
    ctx.Doc().UpdateAllViews(ctx.Sender());
    return ctx.FinishReport(report, kReportName);
}

}  // namespace lumo
