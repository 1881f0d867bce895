#include "stats/kruskal_wallis.h"

#include "stats/group_input.h"
#include "worksheet/plot_description.h"

namespace lumo {
namespace {

constexpr char kReportName[] = "KruskalRes.txt";

}  // namespace

bool OnKruskalWallis(AnalysisContext& ctx) {
    ReportFile report;
    if (!ctx.OpenReport(report, kReportName, "w")) return false;
    GroupData data;
    if (!ReadGroupsFor(ctx, 2, kMaxGroups, &data)) return false;
    const KruskalWallis r = KruskalWallisTest(data.values);

    report.Write("\n\nKruskal-Wallis検定\n");
    for (size_t g = 0; g < data.values.size(); ++g) {
        report.Write(GroupName(data, g) + "： n = " + std::to_string(r.ns[g]) +
                     ",  中央値 = " + SigText(r.medians[g]) + "\n");
    }
    report.Write("H（同順位の補正あり） = " + SigText(r.h) + ",  自由度 = " + DfText(r.df) + ",  " +
                 PValueText(r.p) + "（カイ２乗分布）\n");
    WriteConclusionAt5(report, r.p);
    report.Write("\nDunnの多重比較： z は 前の群－後の群の平均順位、p は両側、Bonferroni補正\n");
    for (const DunnPair& d : r.dunn) {
        report.Write(Format("第%d群－第%d群： z = ", d.i, d.j) + SigText(d.z) + ",  " +
                     PValueText(d.p) + ",  補正後 " + PValueText(d.pAdjusted) + "\n");
    }

    nlohmann::ordered_json& rec = ctx.Record();
    rec["k"] = static_cast<int>(r.ns.size());
    rec["ns"] = r.ns;
    rec["medians"] = r.medians;
    rec["h"] = r.h;
    rec["df"] = r.df;
    rec["p"] = r.p;
    nlohmann::ordered_json dunn = nlohmann::ordered_json::array();
    for (const DunnPair& d : r.dunn) {
        nlohmann::ordered_json entry = nlohmann::ordered_json::object();
        entry["i"] = d.i;
        entry["j"] = d.j;
        entry["z"] = d.z;
        entry["p"] = d.p;
        entry["p_adjusted"] = d.pAdjusted;
        dunn.push_back(entry);
    }
    rec["dunn"] = dunn;

    DetailBlock line(ctx, report);
    for (size_t g = 0; g < data.values.size(); ++g) {
        line(GroupName(data, g) + "の平均順位 = " + SigText(r.meanRanks[g]));
    }

    ctx.Doc().m_plot = GroupPlot(data.values, data.titles, "値", GroupCentre::kMedian);
    // The pane draws the new description.
    ctx.Doc().UpdateAllViews(ctx.Sender());
    return ctx.FinishReport(report, kReportName);
}

}  // namespace lumo
