#include "binding/scatchard.h"

#include <cmath>

#include "binding/binding_results.h"
#include "binding/conic.h"
#include "binding/simplex_fit.h"
#include "worksheet/line_reader.h"

namespace lumo {
namespace {

constexpr char kReportName[] = "ScatRes.txt";
constexpr int kMarksNeeded = 4;

// The data lines of a run that passed its checks: every point and the four marked ones.
struct ScatchardData {
    PairRows rows;
    ConicPoint marked[kMarksNeeded];
};

// Reads the worksheet into the plot record and checks it. Returns false when the run stopped
// with a message in the worksheet.
bool ReadScatchardData(AnalysisContext& ctx, ScatchardData& data) {
    CLumoDoc& doc = ctx.Doc();
    data.rows = ReadPairRows(ctx.Sheet(), true);
    const PairRows& rows = data.rows;
    if (!ctx.AcceptReading(rows)) return false;
    int marks = 0;
    for (int i = 0; i < rows.Count(); ++i) {
        doc.m_dX[i] = rows.x[i];
        doc.m_dY[i] = rows.y[i];
        if (!rows.marked[i]) continue;
        doc.m_nMark[i] = 1;
        if (marks < kMarksNeeded) data.marked[marks] = {rows.x[i], rows.y[i]};
        ++marks;
    }
    if (marks != kMarksNeeded) {
        ctx.AppendPrompt("４つのデータに X を付けて下さい。\r\n");
        return false;
    }

    // The extents start where the graph's axes do: at zero for the maxima.
    double xMax = 0.0;
    double yMax = 0.0;
    double xMin = 999999999.0;
    for (int i = 0; i < rows.Count(); ++i) {
        if (rows.x[i] >= xMax) xMax = rows.x[i];
        if (rows.x[i] <= xMin) xMin = rows.x[i];
        if (rows.y[i] >= yMax) yMax = rows.y[i];
    }
    doc.m_dXMin = xMin;
    doc.m_dXMax = xMax;
    doc.m_dYMax = yMax;
    doc.m_nCount = rows.Count();
    // The graph pane only schedules a repaint here; it paints after the lines are stored below.
    doc.UpdateAllViews(ctx.Sender());
    return true;
}

// The flags of the plot mode and the marks of the previous run, reset before anything is read.
void StartScatchardRecord(CLumoDoc& doc) {
    doc.m_nScatchard = 1;
    doc.m_nLineweaver = 0;
    // All one hundred flags: a flag left over from an earlier, longer run would show a point
    // as marked that this run did not use.
    for (int& mark : doc.m_nMark) mark = 0;
}

void WriteMarkedPoints(ReportFile& report, const ScatchardData& data) {
    for (const ConicPoint& p : data.marked) report.Printf("(%f, %f), ", p.x, p.y);
}

// Stores the two site lines in the plot record and writes them with Kd and Bmax.
void PublishLines(AnalysisContext& ctx, ReportFile& report, const Conic& conic) {
    const ConicLines lines = ConicAsymptotes(conic);
    CLumoDoc& doc = ctx.Doc();
    doc.m_dKa1 = lines.m1;
    doc.m_dKa2 = lines.m2;
    doc.m_dBmax1 = lines.b1;
    doc.m_dBmax2 = lines.b2;
    report.Printf("\n\n漸近線\n");
    report.Printf("Y = %f X +  %f\n", -lines.m1, lines.m1 * lines.b1);
    report.Printf("Y = %f X + %f\n", -lines.m2, lines.m2 * lines.b2);
    report.Printf("   Kd = %f;    Bmax= %f \n", 1.0 / lines.m1, lines.b1);
    report.Printf("   Kd = %f;    Bmax= %f \n", 1.0 / lines.m2, lines.b2);
}

// The Scatchard picture as data, for --json: the points (the marked ones again as "marked"),
// the two-site curve over the points' bound range and each site's line from its intercept
// Ka·Bmax on the y axis to its capacity Bmax on the x axis.
void DescribeScatchard(CLumoDoc& doc, const PairRows& rows) {
    PlotDescription plot = XyPlot(rows.x, rows.y, "Bound", "B/F");
    plot.kind = PlotKind::kScatchard;
    PlotSeries marked{"marked", {}, {}};
    for (int i = 0; i < rows.Count(); ++i) {
        if (rows.marked[static_cast<size_t>(i)]) marked.points.push_back({rows.x[i], rows.y[i]});
    }
    plot.series.push_back(std::move(marked));
    const double k1 = doc.m_dKa1, b1 = doc.m_dBmax1, k2 = doc.m_dKa2, b2 = doc.m_dBmax2;
    // Bound/free of two independent site classes at bound amount e: the smaller root of
    // y² + F·y + G = 0.
    const auto twoSite = [=](double e) {
        const double f = e * (k1 + k2) - k1 * b1 - k2 * b2;
        const double g = e * e * k2 * k1 - e * k2 * k1 * (b1 + b2);
        return (std::sqrt(f * f - 4.0 * g) - f) * 0.5;
    };
    AddCurve(plot, "two_site", CurveStyle::kSolid, twoSite, doc.m_dXMin, doc.m_dXMax);
    AddCurve(
        plot, "site_1", CurveStyle::kSolid, [=](double e) { return k1 * (b1 - e); }, 0.0, b1);
    AddCurve(
        plot, "site_2", CurveStyle::kSolid, [=](double e) { return k2 * (b2 - e); }, 0.0, b2);
    FitAxes(plot);
    doc.m_plot = std::move(plot);
}

void ShowGraphHint(AnalysisContext& ctx) {
    ctx.Messages().MessageBox("下部のウインドウを大きく");
}

// Closes one stretch of a report that is written in several; a failed write is told to the
// user just as the final close would tell it.
bool CloseStretch(AnalysisContext& ctx, ReportFile& report) {
    if (report.Close()) return true;
    ctx.FinishReport(report, kReportName);
    return false;
}

}  // namespace

bool OnScatchardPlots(AnalysisContext& ctx) {
    StartScatchardRecord(ctx.Doc());
    ReportFile report;
    if (!ctx.OpenReport(report, kReportName, "w")) return false;
    ScatchardData data;
    if (!ReadScatchardData(ctx, data)) return false;

    report.Printf("\n計算に使用しするためにチェックした４つの座標（グラフの○印）：\n");
    WriteMarkedPoints(report, data);
    const ConicPoint* p = data.marked;
    const Conic conic = SolveConicThroughPoints(p[0], p[1], p[2], p[3]);
    PublishLines(ctx, report, conic);
    DescribeScatchard(ctx.Doc(), data.rows);
    AddScatchardResults(ctx, report, data.rows.Count(), data.marked, conic);
    const bool reported = ctx.FinishReport(report, kReportName);
    ShowGraphHint(ctx);
    return reported;
}

bool OnScatchardSimplex(AnalysisContext& ctx) {
    StartScatchardRecord(ctx.Doc());
    ReportFile report;
    if (!ctx.OpenReport(report, kReportName, "w")) return false;
    ScatchardData data;
    if (!ReadScatchardData(ctx, data)) return false;

    report.Printf("\n初期値を求めるための４つの座標（グラフの○印）：\n");
    WriteMarkedPoints(report, data);
    report.Printf("\n");
    if (!CloseStretch(ctx, report)) return false;

    const ConicPoint* p = data.marked;
    const Conic start = SolveConicThroughPoints(p[0], p[1], p[2], p[3]);
    if (!ctx.OpenReport(report, kReportName, "a")) return false;
    const std::size_t n = static_cast<std::size_t>(data.rows.Count());
    const ConicFit fit =
        FitConicSimplex(std::span<const double>(data.rows.x.data(), n),
                        std::span<const double>(data.rows.y.data(), n), start, &report);
    if (!CloseStretch(ctx, report)) return false;

    if (!ctx.OpenReport(report, kReportName, "a")) return false;
    PublishLines(ctx, report, fit.conic);
    DescribeScatchard(ctx.Doc(), data.rows);
    AddScatchardResults(ctx, report, data.rows.Count(), data.marked, fit.conic, &fit, &start);
    const bool reported = ctx.FinishReport(report, kReportName);
    ShowGraphHint(ctx);
    return reported;
}

}  // namespace lumo
