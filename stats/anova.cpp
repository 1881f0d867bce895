#include "stats/anova.h"

#include "stats/group_input.h"
#include "worksheet/plot_description.h"

namespace lumo {
namespace {

constexpr char kReportName[] = "AnovaRes.txt";
constexpr char kNoSpreadPrompt[] =
    "どの群にもばらつきがありません。群内のばらつきのないデータは分散分析できません。\r\n";

std::string Interval(double lo, double hi) {
    return "[" + SigText(lo) + ", " + SigText(hi) + "]";
}

}  // namespace

bool OnAnova(AnalysisContext& ctx) {
    ReportFile report;
    if (!ctx.OpenReport(report, kReportName, "w")) return false;
    GroupData data;
    if (!ReadGroupsFor(ctx, 2, kMaxGroups, &data)) return false;
    const Anova r = OneWayAnova(data.values);
    // Every group constant: no error variance, F would be a division by zero.
    if (!(r.ssWithin > 0.0)) {
        ctx.AppendPrompt(kNoSpreadPrompt);
        return false;
    }

    report.Write("\n\n一元配置分散分析\n");
    for (size_t g = 0; g < data.values.size(); ++g) {
        report.Write(GroupName(data, g) + "： n = " + std::to_string(r.ns[g]) +
                     ",  平均 = " + SigText(r.means[g]) + ",  SD = " + SigText(r.sds[g]) + "\n");
    }
    report.Write("群間： 平方和 = " + SigText(r.ssBetween) + ",  自由度 = " + DfText(r.dfBetween) +
                 ",  平均平方 = " + SigText(r.ssBetween / r.dfBetween) + "\n");
    report.Write("群内： 平方和 = " + SigText(r.ssWithin) + ",  自由度 = " + DfText(r.dfWithin) +
                 ",  平均平方 = " + SigText(r.ssWithin / r.dfWithin) + "\n");
    report.Write("F = " + SigText(r.f) + ",  " + PValueText(r.p) + "\n");
    report.Write("Welchの分散分析（等分散を仮定しない）： F = " + SigText(r.welchF) +
                 ",  自由度 = (" + DfText(r.welchDf1) + ", " + DfText(r.welchDf2) + "),  " +
                 PValueText(r.welchP) + "\n");
    WriteConclusionAt5(report, r.p);
    report.Write("\nTukeyの多重比較（HSD）： 差は 前の群－後の群\n");
    for (const TukeyPair& t : r.tukey) {
        report.Write(Format("第%d群－第%d群： 差 = ", t.i, t.j) + SigText(t.difference) +
                     ",  95％信頼区間 = " + Interval(t.lo, t.hi) + ",  " + PValueText(t.p) + "\n");
    }

    nlohmann::ordered_json& rec = ctx.Record();
    rec["k"] = static_cast<int>(r.ns.size());
    rec["ns"] = r.ns;
    rec["means"] = r.means;
    rec["sds"] = r.sds;
    rec["ss_between"] = r.ssBetween;
    rec["ss_within"] = r.ssWithin;
    rec["df_between"] = r.dfBetween;
    rec["df_within"] = r.dfWithin;
    rec["f"] = r.f;
    rec["p"] = r.p;
    rec["welch"] = {{"f", r.welchF}, {"df1", r.welchDf1}, {"df2", r.welchDf2}, {"p", r.welchP}};
    nlohmann::ordered_json tukey = nlohmann::ordered_json::array();
    for (const TukeyPair& t : r.tukey) {
        nlohmann::ordered_json entry = nlohmann::ordered_json::object();
        entry["i"] = t.i;
        entry["j"] = t.j;
        entry["difference"] = t.difference;
        entry["ci95"] = {t.lo, t.hi};
        entry["p"] = t.p;
        tukey.push_back(entry);
    }
    rec["tukey"] = tukey;
    rec["normality"] = NormalityRecord(data.values, 1);

    DetailBlock line(ctx, report);
    for (size_t g = 0; g < data.values.size(); ++g) {
        line(NormalityLine(GroupName(data, g), data.values[g]));
    }

    ctx.Doc().m_plot = GroupPlot(data.values, data.titles, "値", GroupCentre::kMean);
    // The pane draws the new description.
    ctx.Doc().UpdateAllViews(ctx.Sender());
    return ctx.FinishReport(report, kReportName);
}

}  // namespace lumo
