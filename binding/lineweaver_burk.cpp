#include "binding/lineweaver_burk.h"

#include <algorithm>
#include <cmath>

#include "binding/binding_results.h"

#include "worksheet/line_reader.h"

namespace lumo {

bool OnLineweaverBurkPlots(AnalysisContext& ctx) {
    static constexpr char kReportName[] = "LinewRes.txt";
    CLumoDoc& doc = ctx.Doc();
    doc.m_nScatchard = 0;
    doc.m_nLineweaver = 1;

    ReportFile report;
    if (!ctx.OpenReport(report, kReportName, "w")) return false;

    const PairRows rows = ReadPairRows(ctx.Sheet(), false);
    if (!ctx.AcceptReading(rows)) return false;
    // The minima start at 999999, not at the first value: with every value above that, the
    // graph's scale ends at 1/999999.
    double sMin = 999999.0;
    double vMin = 999999.0;
    const int n = rows.Count();
    for (int i = 0; i < n; ++i) {
        doc.m_dX[i] = rows.x[i];
        doc.m_dY[i] = rows.y[i];
        if (rows.x[i] <= sMin) sMin = rows.x[i];
        if (rows.y[i] <= vMin) vMin = rows.y[i];
    }

    doc.m_nCount = n;
    for (int i = 0; i < n; ++i) report.Printf("(%f, %f)\n", rows.x[i], rows.y[i]);
    doc.m_dXMax = 1.0 / sMin;
    doc.m_dYMax = 1.0 / vMin;
    // The graph pane only schedules a repaint here; it paints the reciprocals stored below.
    doc.UpdateAllViews(ctx.Sender());

    double rs[kMaxPoints];
    double rv[kMaxPoints];
    report.Printf("\n (1/[s], 1/[v])\n");
    for (int i = 0; i < n; ++i) {
        rs[i] = 1.0 / rows.x[i];
        rv[i] = 1.0 / rows.y[i];
        report.Printf("(%f, %f)\n", rs[i], rv[i]);
    }

    double sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0, syy = 0.0;
    for (int i = 0; i < n; ++i) {
        const double x = rs[i];
        const double y = rv[i];
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
        syy += y * y;
        doc.m_dX[i] = x;
        doc.m_dY[i] = y;
    }
    const double count = n;
    const double mx = sx / count;
    const double my = sy / count;
    const double spxy = sxy - mx * (count * my);
    const double ssx = sxx - count * mx * mx;
    const double ssy = syy - my * (count * my);
    const double slope = spxy / ssx;
    const double intercept = my - slope * mx;
    const double r = spxy / std::sqrt(ssx * ssy);
    doc.m_dLbSlope = slope;
    doc.m_dLbIntercept = intercept;

    report.Printf("\nY= %f X＋%f\n", slope, intercept);
    report.Printf("r= %f\n\n", r);
    report.Printf("Km= %f\n", slope / intercept);
    report.Printf("Vmax= %f\n", 1.0 / intercept);
    AddLineweaverBurkResults(ctx, report, rows.x.data(), rows.y.data(), n, slope, intercept, r);

    // The reciprocals and the fitted line from -1/Km (or from the smallest 1/[s] when that
    // lies further left) through the largest 1/[s].
    PlotDescription plot =
        XyPlot({rs, static_cast<size_t>(n)}, {rv, static_cast<size_t>(n)}, "1/[s]", "1/[v]");
    plot.kind = PlotKind::kLineweaverBurk;
    const auto [lo, hi] = SeriesXRange(plot);
    const double from = std::min(-intercept / slope, lo);
    if (std::isfinite(from) && std::isfinite(hi)) {
        AddCurve(
            plot, "fit", CurveStyle::kSolid,
            [slope, intercept](double x) { return slope * x + intercept; }, from, hi);
    }
    FitAxes(plot);
    doc.m_plot = std::move(plot);
    return ctx.FinishReport(report, kReportName);
}

}  // namespace lumo
