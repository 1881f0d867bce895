#include "stats/grubbs.h"

#include "stats/group_input.h"
#include "worksheet/plot_description.h"

namespace lumo {
namespace {

constexpr char kReportName[] = "GrubbsRes.txt";

}  // namespace

bool OnGrubbs(AnalysisContext& ctx) {
    ReportFile report;
    if (!ctx.OpenReport(report, kReportName, "w")) return false;
    GroupData data;
    if (!ReadOneGroupFor(ctx, &data)) return false;
    const std::vector<double>& values = data.values[0];
    const std::vector<int>& lines = data.lines[0];
    const Grubbs r = GrubbsTest(values);
    const GrubbsStep& s = r.first;

    report.Write("\n\nGrubbs検定（両側、有意水準0.05、最も離れた値を調べて繰り返す）\n");
    report.Write("n = " + std::to_string(values.size()) + ",  平均 = " + SigText(s.mean) +
                 ",  SD = " + SigText(s.sd) + "\n");
    report.Write("最も離れた値 = " + SigText(s.value) + Format("（%d行目）\n", lines[s.index] + 1));
    report.Write("G = " + SigText(s.g) + ",  臨界値 = " + SigText(s.gCritical) + ",  " +
                 PValueText(s.p) + "\n");
    if (r.outliers.empty()) {
        report.Write("外れ値は見つかりませんでした。\n");
    } else {
        std::string found = "外れ値（見つかった順）：";
        for (const size_t i : r.outliers) {
            found += Format(" %s（%d行目）", SigText(values[i]), lines[i] + 1);
        }
        report.Write(found + "\n");
    }

    nlohmann::ordered_json& rec = ctx.Record();
    rec["n"] = static_cast<int>(values.size());
    rec["mean"] = s.mean;
    rec["sd"] = s.sd;
    rec["g"] = s.g;
    rec["p"] = s.p;
    rec["g_critical"] = s.gCritical;
    rec["suspect"] = s.value;
    rec["line"] = lines[s.index] + 1;
    nlohmann::ordered_json outliers = nlohmann::ordered_json::array();
    for (const size_t i : r.outliers) outliers.push_back(values[i]);
    rec["outliers"] = outliers;

    // Every round of the repetition, the one that found nothing included.
    DetailBlock line(ctx, report);
    std::vector<double> rest = values;
    std::vector<int> restLines = lines;
    for (size_t round = 0; round <= r.outliers.size() && rest.size() >= 3; ++round) {
        const GrubbsStep step = GrubbsTest(rest).first;
        line(Format("%d回目： n = %d,  最も離れた値 = ", static_cast<int>(round) + 1,
                    static_cast<int>(rest.size())) +
             SigText(step.value) + Format("（%d行目）,  G = ", restLines[step.index] + 1) +
             SigText(step.g) + ",  臨界値 = " + SigText(step.gCritical) + ",  " +
             PValueText(step.p));
        rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(step.index));
        restLines.erase(restLines.begin() + static_cast<std::ptrdiff_t>(step.index));
    }

    PlotDescription plot = GroupPlot(data.values, data.titles, "値", GroupCentre::kMean);
    PlotSeries marked;
    marked.name = "outliers";
    marked.legend = "外れ値";
    for (const size_t i : r.outliers) marked.points.push_back({1.0, values[i]});
    if (!marked.points.empty()) plot.series.push_back(marked);
    ctx.Doc().m_plot = std::move(plot);
    // The pane draws the new description.
    ctx.Doc().UpdateAllViews(ctx.Sender());
    return ctx.FinishReport(report, kReportName);
}

}  // namespace lumo
