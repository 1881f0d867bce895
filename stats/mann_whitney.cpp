#include "stats/mann_whitney.h"

#include "stats/group_input.h"
#include "worksheet/plot_description.h"

namespace lumo {
namespace {

constexpr char kReportName[] = "MannWhitneyRes.txt";

}  // namespace

bool OnMannWhitney(AnalysisContext& ctx) {
    ReportFile report;
    if (!ctx.OpenReport(report, kReportName, "w")) return false;
    GroupData data;
    if (!ReadGroupsFor(ctx, 2, 2, &data)) return false;

    const MannWhitney r = MannWhitneyTest(data.values[0], data.values[1]);
    report.Write("\n\nMann-Whitney U検定\n");
    report.Write(GroupName(data, 0) + "： n = " + std::to_string(r.n1) +
                 ",  中央値 = " + SigText(r.median1) + "\n");
    report.Write(GroupName(data, 1) + "： n = " + std::to_string(r.n2) +
                 ",  中央値 = " + SigText(r.median2) + "\n");
    report.Write("U = " + SigText(r.u) + ",  両側 " + PValueText(r.p) +
                 (r.exact ? "（正確な分布）\n" : "（正規近似、同順位と連続性の補正）\n"));
    report.Write("Hodges-Lehmann推定値（第1群－第2群の差の中央値） = " + SigText(r.hodgesLehmann) +
                 "\n");
    WriteConclusionAt5(report, r.p);

    nlohmann::ordered_json& rec = ctx.Record();
    rec["n1"] = r.n1;
    rec["n2"] = r.n2;
    rec["median1"] = r.median1;
    rec["median2"] = r.median2;
    rec["u"] = r.u;
    rec["p"] = r.p;
    rec["exact"] = r.exact;
    rec["hodges_lehmann"] = r.hodgesLehmann;

    DetailBlock line(ctx, report);
    const double n1 = r.n1;
    line("第1群の順位和 = " + SigText(r.u + n1 * (n1 + 1.0) / 2.0) +
         ",  U の期待値 = " + SigText(n1 * r.n2 / 2.0));
    if (!r.exact) line("正規近似の z = " + SigText(r.z));

    ctx.Doc().m_plot = GroupPlot(data.values, data.titles, "値", GroupCentre::kMedian);
    // The pane draws the new description.
    ctx.Doc().UpdateAllViews(ctx.Sender());
    return ctx.FinishReport(report, kReportName);
}

}  // namespace lumo
