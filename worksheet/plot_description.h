// The plot description: what an analysis wants drawn, in data coordinates, before any pixel.
// The graph pane, its print and picture export, `lumo --run --plot` and `--json` all take the
// same description, so what a test reads is what a user sees.
//
// An analysis fills it in a few lines with the builders below, for example
//
//     PlotDescription plot = GroupPlot({g1, g2}, {"対照", "処理"}, "値", GroupCentre::kMean);
//     ctx.Doc().m_plot = std::move(plot);
//
//     PlotDescription plot = XyPlot(x, y, "[s]", "v");
//     plot.kind = PlotKind::kCurve;
//     const auto f = [&](double s) { return vmax * s / (km + s); };
//     AddCurve(plot, "fit", CurveStyle::kSolid, f, "Michaelis-Menten");
//     AddResiduals(plot, f);
//     FitAxes(plot);
//
// Axis ranges are set from what the description holds by FitAxes: the builders call it, and a
// caller that adds curves, residuals or marks calls it again at the end. Every number stays in
// data units, also on a log axis.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace lumo {

enum class PlotKind {
    kNone,  // no description: the pane draws the classic plot record
    kGroups,
    kBeforeAfter,
    kXy,
    kCurve,
    kScatchard,       // described for --json; the pane draws the classic record
    kLineweaverBurk,  // likewise
};
// "groups", "before_after", "xy", "curve", "scatchard", "lineweaver_burk"; "" for kNone.
const char* PlotKindName(PlotKind kind);

struct PlotPoint {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const PlotPoint&, const PlotPoint&) = default;
};

struct AxisLabel {
    double at = 0.0;
    std::string text;
};

struct PlotAxis {
    std::string title;
    double min = 0.0;
    double max = 1.0;
    bool log = false;          // drawn logarithmically; min, max and every value stay in data units
    bool includeZero = false;  // FitAxes reaches 0 (saturation curves start at the origin)
    // Named places instead of numbers: group g (or column g) at x = g.
    std::vector<AxisLabel> labels;
};

// Fixed names where they matter: "data", "outliers", "unknowns", "residuals", "before", "after".
struct PlotSeries {
    std::string name;
    std::vector<PlotPoint> points;
    std::string legend;  // the legend's text; empty keeps the series out of the legend
};

enum class CurveStyle { kSolid, kDashed };

// "fit", "one_site", "two_site", "line", "band_lower", "band_upper".
struct PlotCurve {
    std::string name;
    CurveStyle style = CurveStyle::kSolid;
    std::vector<PlotPoint> points;
    std::string legend;
};

struct PlotMark {
    std::string name;  // "EC50"
    double x = 0.0;
    double y = 0.0;
};

enum class ErrorMeasure { kSd, kSem, kCi95, kIqr };
// "sd", "sem", "ci95", "iqr".
const char* ErrorMeasureName(ErrorMeasure measure);

struct ErrorBar {
    int group = 1;  // 1-based
    ErrorMeasure measure = ErrorMeasure::kSd;
    double center = 0.0;  // the mean, or the median for kIqr
    double low = 0.0;
    double high = 0.0;
};

// What a group plot needs to redraw its bars with any measure.
struct GroupSummary {
    int n = 0;
    double mean = 0.0;
    double sd = 0.0;      // n − 1 in the divisor
    double median = 0.0;  // quartiles as R's default, type 7
    double q1 = 0.0;
    double q3 = 0.0;
};

enum class GroupCentre { kMean, kMedian };

struct PlotDescription {
    PlotKind kind = PlotKind::kNone;
    PlotAxis xAxis;
    PlotAxis yAxis;
    bool hasResidualAxis = false;
    PlotAxis residualAxis;  // the strip below a fitted curve: residual against the same x
    std::vector<PlotSeries> series;
    std::vector<PlotCurve> curves;
    std::vector<PlotMark> marks;
    std::vector<ErrorBar> errorBars;  // "groups" only, in the measure the run chose
    std::vector<GroupSummary> groups;
    GroupCentre centre = GroupCentre::kMean;
    // Lines under the legend's entries: fitted parameters with their standard errors.
    std::vector<std::string> notes;

    bool Empty() const { return kind == PlotKind::kNone; }
    const PlotSeries* FindSeries(std::string_view name) const;
    const PlotCurve* FindCurve(std::string_view name) const;
};

// --- Builders -------------------------------------------------------------------------------

// Title i of a reading's title line (the first, or the last with LastTitleOr: the columns the
// row readers take x and y from), or `fallback` when there is none or it is empty.
std::string TitleOr(std::span<const std::string> titles, size_t i, std::string fallback);
std::string LastTitleOr(std::span<const std::string> titles, std::string fallback);

// Mean, SD, median and type-7 quartiles of one group; NaN where a value is undefined.
GroupSummary SummarizeGroup(std::span<const double> values);

// One error bar from a summary: mean ± SD, ± SEM, ± t(0.975, n − 1)·SEM, or the median with
// its quartiles.
ErrorBar MakeErrorBar(int group, const GroupSummary& summary, ErrorMeasure measure);

// A "groups" plot: every value as a point of "data" at x = g (1-based), the summaries, bars of
// SD (of the interquartile range for GroupCentre::kMedian) and the names as x labels ("1",
// "2", … where a name is empty or missing).
PlotDescription GroupPlot(std::span<const std::vector<double>> groups,
                          std::span<const std::string> names, std::string yTitle,
                          GroupCentre centre);

// The bars of every group in `measure` (the pane's choice); a median plot keeps its IQR.
std::vector<ErrorBar> ErrorBarsFor(const PlotDescription& plot, ErrorMeasure measure);

// A "before_after" plot: series "before" at x = 1 and "after" at x = 2, point i of each being
// pair i.
PlotDescription BeforeAfterPlot(std::span<const double> before, std::span<const double> after,
                                std::string beforeName, std::string afterName, std::string yTitle);

// An "xy" plot of series "data".
PlotDescription XyPlot(std::span<const double> x, std::span<const double> y, std::string xTitle,
                       std::string yTitle);

// `samples` points of f from `from` to `to`, evenly spaced (in log10 x when `logX`).
std::vector<PlotPoint> SampleCurve(const std::function<double(double)>& f, double from, double to,
                                   int samples = 200, bool logX = false);

// The smallest and largest x of series `name` (NaN when it has no finite point).
std::pair<double, double> SeriesXRange(const PlotDescription& plot, std::string_view name = "data");

// Adds a curve of f sampled across the x range of "data" (on the x axis's scale), or across
// [from, to] when given.
void AddCurve(PlotDescription& plot, std::string name, CurveStyle style,
              const std::function<double(double)>& f, std::string legend = {});
void AddCurve(PlotDescription& plot, std::string name, CurveStyle style,
              const std::function<double(double)>& f, double from, double to,
              std::string legend = {});

// Adds series "residuals", y − f(x) for every point of "data", and the residual axis.
void AddResiduals(PlotDescription& plot, const std::function<double(double)>& f,
                  std::string title = "残差");

// Sets every axis's range to hold all it shows with a margin, so that no point lies on the
// frame: 5 % of the span on a linear axis (a fixed span around a single value), a factor on a
// log axis. Group axes run from 0.5 to the last group + 0.5.
void FitAxes(PlotDescription& plot);

// The description as `--json` shows it under "plot"; null for an empty description.
nlohmann::ordered_json PlotJson(const PlotDescription& plot);

}  // namespace lumo
