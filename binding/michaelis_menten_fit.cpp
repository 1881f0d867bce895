#include "binding/michaelis_menten_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "binding/fit_report.h"
#include "worksheet/line_reader.h"

namespace lumo {
namespace {

constexpr char kReportName[] = "MMFitRes.txt";
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Two parameters and at least one degree of freedom for their errors.
constexpr int kMinRows = 3;

void EvaluateMichaelisMenten(const double* p, double s, double* value, double* gradient) {
    const double vmax = p[0];
    const double km = p[1];
    const double denominator = km + s;
    *value = vmax * s / denominator;
    gradient[0] = s / denominator;
    gradient[1] = -vmax * s / (denominator * denominator);
}

double Median(std::span<const double> values) {
    std::vector<double> sorted(values.begin(), values.end());
    std::sort(sorted.begin(), sorted.end());
    const size_t mid = sorted.size() / 2;
    return sorted.size() % 2 == 1 ? sorted[mid] : 0.5 * (sorted[mid - 1] + sorted[mid]);
}

// The prompt for the first line that cannot enter the fit, or "" when all can.
std::string RowProblem(const PairRows& rows) {
    for (int i = 0; i < rows.Count(); ++i) {
        const double s = rows.x[i];
        const double v = rows.y[i];
        if (!std::isfinite(s) || !std::isfinite(v)) {
            return Format("%d 行目の値が大きすぎて、数として扱えません。\r\n",
                          rows.line[static_cast<size_t>(i)] + 1);
        }
        if (!(s > 0.0) || !(v > 0.0)) {
            return Format(
                "%d 行目の [s] か [v] が０以下か、数ではありません。[s] と [v] は０より大きい数に"
                "して下さい。\r\n",
                rows.line[static_cast<size_t>(i)] + 1);
        }
    }
    if (rows.Count() < kMinRows) {
        return "直接フィットには３行以上のデータが必要です。\r\n";
    }
    const double first = rows.x[0];
    if (std::all_of(rows.x.begin() + 1, rows.x.end(), [first](double s) { return s == first; })) {
        return "[s] がすべて同じ値です。Km と Vmax を求めるには、異なる [s] が２つ以上必要です。"
               "\r\n";
    }
    return "";
}

}  // namespace

const CurveModel kMichaelisMentenModel = {2, EvaluateMichaelisMenten};

MichaelisMentenFit FitMichaelisMenten(std::span<const double> s, std::span<const double> v) {
    MichaelisMentenFit result;
    // The Lineweaver-Burk line 1/v = (Km/Vmax)·(1/s) + 1/Vmax is close to the answer for good
    // data and costs nothing; noisy points near s = 0 can make it useless, hence the fallback.
    const size_t n = s.size();
    double sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const double x = 1.0 / s[i];
        const double y = 1.0 / v[i];
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    const double count = static_cast<double>(n);
    const double slope = (sxy - sx * sy / count) / (sxx - sx * sx / count);
    const double intercept = (sy - slope * sx) / count;
    const double vmax = 1.0 / intercept;
    const double km = slope / intercept;
    auto finite = [](double d) { return std::isfinite(d); };
    if (!std::all_of(s.begin(), s.end(), finite) || !std::all_of(v.begin(), v.end(), finite)) {
        // No order to take a median in, and no fit to make: the solver refuses this start.
        result.startVmax = result.startKm = kNaN;
    } else if (std::isfinite(vmax) && std::isfinite(km) && vmax > 0.0 && km > 0.0) {
        result.startVmax = vmax;
        result.startKm = km;
        result.startFromLineweaver = true;
    } else {
        result.startVmax = v.empty() ? 0.0 : *std::max_element(v.begin(), v.end());
        result.startKm = s.empty() ? 0.0 : Median(s);
    }
    const double start[] = {result.startVmax, result.startKm};
    result.fit = FitCurve(kMichaelisMentenModel, s, v, start);
    return result;
}

bool OnMichaelisMentenFit(AnalysisContext& ctx) {
    CLumoDoc& doc = ctx.Doc();
    ReportFile report;
    PairRows rows;
    if (!StartFit(ctx, report, kReportName, rows)) return false;
    if (const std::string problem = RowProblem(rows); !problem.empty()) {
        ctx.AppendPrompt(problem);
        doc.UpdateAllViews(ctx.Sender());
        return false;
    }

    const int n = rows.Count();
    const std::span<const double> s(rows.x);
    const std::span<const double> v(rows.y);
    const MichaelisMentenFit mm = FitMichaelisMenten(s, v);
    const CurveFit& fit = mm.fit;
    std::string failure = FitFailureReason(fit);
    if (failure.empty() && !(fit.parameters[0] > 0.0 && fit.parameters[1] > 0.0)) {
        failure = "Vmax か Km が正の値になりません。このデータは Michaelis-Menten 式に合いません。";
    }
    const bool usable = failure.empty();

    report.Printf("Michaelis-Menten（直接フィット）  v = Vmax・[s] / (Km + [s])\n");
    report.Printf("([s], [v])\n");
    for (int i = 0; i < n; ++i) {
        report.Printf("(%s, %s)\n", SigText(rows.x[i]), SigText(rows.y[i]));
    }
    report.Printf("\n%s: Vmax= %s  Km= %s\n",
                  mm.startFromLineweaver ? "初期値（Lineweaver-Burk から）"
                                         : "初期値（最大の [v] と [s] の中央値から）",
                  SigText(mm.startVmax), SigText(mm.startKm));
    WriteIterations(report, fit);
    if (usable) {
        report.Printf("\n");
        WriteParameter(report, "Vmax", fit, 0);
        WriteParameter(report, "Km", fit, 1);
        WriteFitSummary(report, fit);
    } else {
        report.Printf("\n%s Vmax と Km は求められません。\n", failure);
    }

    // The pane's Lineweaver-Burk mode: reciprocal points and the fitted curve as its
    // double-reciprocal line 1/v = (Km/Vmax)·(1/s) + 1/Vmax. The scale covers every point; the
    // record holds as many as it has room for.
    const double sMin = *std::min_element(rows.x.begin(), rows.x.end());
    const double vMin = *std::min_element(rows.y.begin(), rows.y.end());
    const int plotted = PlotRows(n);
    for (int i = 0; i < plotted; ++i) {
        doc.m_dX[i] = 1.0 / rows.x[i];
        doc.m_dY[i] = 1.0 / rows.y[i];
    }
    doc.m_nLineweaver = 1;
    doc.m_nCount = plotted;
    doc.m_dXMax = 1.0 / sMin;
    doc.m_dYMax = 1.0 / vMin;
    doc.m_dLbSlope = usable ? fit.parameters[1] / fit.parameters[0] : kNaN;
    doc.m_dLbIntercept = usable ? 1.0 / fit.parameters[0] : kNaN;
    doc.UpdateAllViews(ctx.Sender());

    if (usable) {
        // On natural axes: v against [s] with the fitted hyperbola from the origin, and the
        // residuals below.
        const double vmax = fit.parameters[0];
        const double km = fit.parameters[1];
        const auto curve = [vmax, km](double x) { return vmax * x / (km + x); };
        PlotDescription plot =
            XyPlot(s, v, TitleOr(rows.titles, 0, "[s]"), LastTitleOr(rows.titles, "v"));
        plot.kind = PlotKind::kCurve;
        plot.xAxis.includeZero = plot.yAxis.includeZero = true;
        plot.series.front().legend = "データ";
        AddCurve(plot, "fit", CurveStyle::kSolid, curve, 0.0, SeriesXRange(plot).second,
                 "Michaelis-Menten");
        AddResiduals(plot, curve);
        plot.notes = {ParameterNote("Vmax", fit, 0), ParameterNote("Km", fit, 1)};
        FitAxes(plot);
        doc.m_plot = std::move(plot);
    }

    nlohmann::ordered_json& record = ctx.Record();
    record["n"] = n;
    RecordParameters(record, {"vmax", "km"}, usable ? fit : CurveFit{});
    RecordFitSummary(record, fit, usable);

    const bool finished = ctx.FinishReport(report, kReportName);
    return finished && usable;
}

}  // namespace lumo
