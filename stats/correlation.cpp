#include "stats/correlation.h"

#include <cmath>

#include "stats/exact_distributions.h"
#include "stats/exact_results.h"
#include "worksheet/line_reader.h"

namespace lumo {
namespace {

// The points, the regression line across their x range and the 95 % confidence band of the
// mean response, ŷ ± t(0.975, n − 2)·s·√(1/n + (x − x̄)²/Sxx), which needs n ≥ 3.
PlotDescription RegressionPlot(const double* x, const double* y, int n, double slope,
                               double intercept, std::string xTitle, std::string yTitle) {
    const auto count = static_cast<size_t>(n);
    PlotDescription plot = XyPlot({x, count}, {y, count}, std::move(xTitle), std::move(yTitle));
    plot.series.front().legend = "データ";
    const auto line = [&](double v) { return intercept + slope * v; };
    if (n >= 2 && std::isfinite(slope))
        AddCurve(plot, "line", CurveStyle::kSolid, line, "回帰直線");
    if (n >= 3 && std::isfinite(slope)) {
        double mx = 0.0;
        for (int i = 0; i < n; ++i) mx += x[i];
        mx /= n;
        double sxx = 0.0;
        double sse = 0.0;
        for (int i = 0; i < n; ++i) {
            sxx += (x[i] - mx) * (x[i] - mx);
            sse += (y[i] - line(x[i])) * (y[i] - line(x[i]));
        }
        const double s = std::sqrt(sse / (n - 2));
        const double t = TUpperQuantile(n - 2, 0.025);
        const auto half = [&](double v) {
            return t * s * std::sqrt(1.0 / n + (v - mx) * (v - mx) / sxx);
        };
        AddCurve(
            plot, "band_lower", CurveStyle::kSolid, [&](double v) { return line(v) - half(v); },
            "95% 信頼帯");
        AddCurve(plot, "band_upper", CurveStyle::kSolid,
                 [&](double v) { return line(v) + half(v); });
    }
    FitAxes(plot);
    return plot;
}

}  // namespace

bool OnCorrelation(AnalysisContext& ctx) {
    static constexpr char kReportName[] = "SokanRes.txt";
    CLumoDoc& doc = ctx.Doc();
    doc.m_nScatchard = 0;
    doc.m_nLineweaver = 0;

    ReportFile report;
    if (!ctx.OpenReport(report, kReportName, "w")) return false;

    const PairRows rows = ReadPairRows(ctx.Sheet(), false);
    if (!ctx.AcceptReading(rows)) return false;
    const int n = rows.Count();
    for (int i = 0; i < n; ++i) {
        doc.m_dX[i] = rows.x[i];
        doc.m_dY[i] = rows.y[i];
    }
    doc.m_nCount = n;
    doc.UpdateAllViews(ctx.Sender());

    double sx = 0.0, sy = 0.0, sxx = 0.0, syy = 0.0, sxy = 0.0;
    for (int i = 0; i < n; ++i) {
        sx += rows.x[i];
        sy += rows.y[i];
        sxx += rows.x[i] * rows.x[i];
        syy += rows.y[i] * rows.y[i];
        sxy += rows.x[i] * rows.y[i];
    }
    const double count = n;
    const double mx = sx / count;
    const double my = sy / count;
    const double ssx = sxx - mx * mx * count;
    const double ssy = syy - my * my * count;
    const double spxy = sxy - my * mx * count;
    const double slope = spxy / ssx;
    const double intercept = my - slope * mx;

    report.Printf("\n平均： X= %f, Y= %f\n", mx, my);
    report.Printf("分散： %f, %f\n", ssx / (count - 1), ssy / (count - 1));
    report.Printf("Sxy：%f\n", spxy);
    report.Printf("共分散：%f\n", spxy / (count - 1));
    report.Printf("相関係数(r)= %f\n", spxy / std::sqrt(ssy * ssx));
    report.Printf("Y= %f X＋%f\n", slope, intercept);
    AddCorrelationResults(ctx, report, rows.x.data(), rows.y.data(), n);
    doc.m_plot = RegressionPlot(rows.x.data(), rows.y.data(), n, slope, intercept,
                                TitleOr(rows.titles, 0, "X"), LastTitleOr(rows.titles, "Y"));
    return ctx.FinishReport(report, kReportName);
}

}  // namespace lumo
