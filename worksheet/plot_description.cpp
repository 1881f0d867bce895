#include "worksheet/plot_description.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <boost/math/distributions/students_t.hpp>

namespace lumo {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Room left around what an axis shows, so a point at the extreme is not cut by the frame.
constexpr double kLinearMargin = 0.05;
constexpr double kLogMarginDecades = 0.05;

// The type-7 quantile of sorted values: linear between the order statistics at (n − 1)·p.
double Quantile7(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) return kNaN;
    const double h = (static_cast<double>(sorted.size()) - 1.0) * p;
    const auto lo = static_cast<size_t>(std::floor(h));
    const size_t hi = std::min(lo + 1, sorted.size() - 1);
    return sorted[lo] + (h - static_cast<double>(lo)) * (sorted[hi] - sorted[lo]);
}

double T975(int df) {
    if (df < 1) return kNaN;
    const boost::math::students_t dist(df);
    return boost::math::quantile(boost::math::complement(dist, 0.025));
}

// Extends [lo, hi] by v when v is usable on the axis.
void Take(double v, bool log, double& lo, double& hi) {
    if (!std::isfinite(v) || (log && !(v > 0.0))) return;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
}

void SetRange(PlotAxis& axis, double lo, double hi) {
    if (axis.includeZero && !axis.log) {
        lo = std::min(lo, 0.0);
        hi = std::max(hi, 0.0);
    }
    if (!(lo <= hi)) {  // nothing to show
        lo = axis.log ? 1.0 : 0.0;
        hi = axis.log ? 10.0 : 1.0;
    }
    if (axis.log) {
        double a = std::log10(lo);
        double b = std::log10(hi);
        const double margin = b > a ? (b - a) * kLogMarginDecades : 0.5;
        axis.min = std::pow(10.0, a - margin);
        axis.max = std::pow(10.0, b + margin);
        return;
    }
    const double span = hi - lo;
    const double margin =
        span > 0.0 ? span * kLinearMargin : (lo != 0.0 ? std::fabs(lo) * kLinearMargin * 2.0 : 1.0);
    // An axis that starts at zero for its data starts exactly there.
    axis.min = (axis.includeZero && lo == 0.0) ? 0.0 : lo - margin;
    axis.max = (axis.includeZero && hi == 0.0) ? 0.0 : hi + margin;
}

nlohmann::ordered_json PointsJson(const std::vector<PlotPoint>& points) {
    nlohmann::ordered_json out = nlohmann::ordered_json::array();
    for (const PlotPoint& p : points) out.push_back({p.x, p.y});
    return out;
}

nlohmann::ordered_json AxisJson(const PlotAxis& axis, bool withLog, bool withLabels) {
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    out["title"] = axis.title;
    out["min"] = axis.min;
    out["max"] = axis.max;
    if (withLog) out["log"] = axis.log;
    if (withLabels) {
        nlohmann::ordered_json labels = nlohmann::ordered_json::array();
        for (const AxisLabel& l : axis.labels) labels.push_back({{"at", l.at}, {"text", l.text}});
        out["labels"] = labels;
    }
    return out;
}

}  // namespace

const char* PlotKindName(PlotKind kind) {
    switch (kind) {
        case PlotKind::kGroups:
            return "groups";
        case PlotKind::kBeforeAfter:
            return "before_after";
        case PlotKind::kXy:
            return "xy";
        case PlotKind::kCurve:
            return "curve";
        case PlotKind::kScatchard:
            return "scatchard";
        case PlotKind::kLineweaverBurk:
            return "lineweaver_burk";
        case PlotKind::kNone:
            break;
    }
    return "";
}

const char* ErrorMeasureName(ErrorMeasure measure) {
    switch (measure) {
        case ErrorMeasure::kSd:
            return "sd";
        case ErrorMeasure::kSem:
            return "sem";
        case ErrorMeasure::kCi95:
            return "ci95";
        case ErrorMeasure::kIqr:
            return "iqr";
    }
    return "";
}

const PlotSeries* PlotDescription::FindSeries(std::string_view name) const {
    for (const PlotSeries& s : series) {
        if (s.name == name) return &s;
    }
    return nullptr;
}

const PlotCurve* PlotDescription::FindCurve(std::string_view name) const {
    for (const PlotCurve& c : curves) {
        if (c.name == name) return &c;
    }
    return nullptr;
}

std::string TitleOr(std::span<const std::string> titles, size_t i, std::string fallback) {
    return i < titles.size() && !titles[i].empty() ? titles[i] : std::move(fallback);
}

std::string LastTitleOr(std::span<const std::string> titles, std::string fallback) {
    return titles.empty() ? std::move(fallback)
                          : TitleOr(titles, titles.size() - 1, std::move(fallback));
}

GroupSummary SummarizeGroup(std::span<const double> values) {
    GroupSummary s;
    std::vector<double> sorted;
    for (double v : values) {
        if (std::isfinite(v)) sorted.push_back(v);
    }
    std::sort(sorted.begin(), sorted.end());
    s.n = static_cast<int>(sorted.size());
    if (s.n == 0) {
        s.mean = s.sd = s.median = s.q1 = s.q3 = kNaN;
        return s;
    }
    double sum = 0.0;
    for (double v : sorted) sum += v;
    s.mean = sum / s.n;
    // Two passes: the deviations from the mean, not the difference of large sums.
    double ss = 0.0;
    for (double v : sorted) ss += (v - s.mean) * (v - s.mean);
    s.sd = s.n > 1 ? std::sqrt(ss / (s.n - 1)) : kNaN;
    s.median = Quantile7(sorted, 0.5);
    s.q1 = Quantile7(sorted, 0.25);
    s.q3 = Quantile7(sorted, 0.75);
    return s;
}

ErrorBar MakeErrorBar(int group, const GroupSummary& s, ErrorMeasure measure) {
    ErrorBar bar;
    bar.group = group;
    bar.measure = measure;
    if (measure == ErrorMeasure::kIqr) {
        bar.center = s.median;
        bar.low = s.q1;
        bar.high = s.q3;
        return bar;
    }
    const double sem = s.sd / std::sqrt(static_cast<double>(s.n));
    const double half = measure == ErrorMeasure::kSd    ? s.sd
                        : measure == ErrorMeasure::kSem ? sem
                                                        : T975(s.n - 1) * sem;
    bar.center = s.mean;
    bar.low = s.mean - half;
    bar.high = s.mean + half;
    return bar;
}

std::vector<ErrorBar> ErrorBarsFor(const PlotDescription& plot, ErrorMeasure measure) {
    if (plot.centre == GroupCentre::kMedian) measure = ErrorMeasure::kIqr;
    std::vector<ErrorBar> bars;
    for (size_t g = 0; g < plot.groups.size(); ++g) {
        bars.push_back(MakeErrorBar(static_cast<int>(g) + 1, plot.groups[g], measure));
    }
    return bars;
}

PlotDescription GroupPlot(std::span<const std::vector<double>> groups,
                          std::span<const std::string> names, std::string yTitle,
                          GroupCentre centre) {
    PlotDescription plot;
    plot.kind = PlotKind::kGroups;
    plot.centre = centre;
    plot.yAxis.title = std::move(yTitle);
    PlotSeries data{"data", {}, {}};
    for (size_t g = 0; g < groups.size(); ++g) {
        const double x = static_cast<double>(g + 1);
        for (double v : groups[g]) data.points.push_back({x, v});
        plot.groups.push_back(SummarizeGroup(groups[g]));
        const bool named = g < names.size() && !names[g].empty();
        plot.xAxis.labels.push_back({x, named ? names[g] : std::to_string(g + 1)});
    }
    plot.series.push_back(std::move(data));
    plot.errorBars = ErrorBarsFor(plot, ErrorMeasure::kSd);
    FitAxes(plot);
    return plot;
}

PlotDescription BeforeAfterPlot(std::span<const double> before, std::span<const double> after,
                                std::string beforeName, std::string afterName, std::string yTitle) {
    PlotDescription plot;
    plot.kind = PlotKind::kBeforeAfter;
    plot.yAxis.title = std::move(yTitle);
    PlotSeries b{"before", {}, {}};
    PlotSeries a{"after", {}, {}};
    for (double v : before) b.points.push_back({1.0, v});
    for (double v : after) a.points.push_back({2.0, v});
    plot.series = {std::move(b), std::move(a)};
    plot.xAxis.labels = {{1.0, beforeName.empty() ? "1" : std::move(beforeName)},
                         {2.0, afterName.empty() ? "2" : std::move(afterName)}};
    FitAxes(plot);
    return plot;
}

PlotDescription XyPlot(std::span<const double> x, std::span<const double> y, std::string xTitle,
                       std::string yTitle) {
    PlotDescription plot;
    plot.kind = PlotKind::kXy;
    plot.xAxis.title = std::move(xTitle);
    plot.yAxis.title = std::move(yTitle);
    PlotSeries data{"data", {}, {}};
    for (size_t i = 0; i < x.size() && i < y.size(); ++i) data.points.push_back({x[i], y[i]});
    plot.series.push_back(std::move(data));
    FitAxes(plot);
    return plot;
}

std::vector<PlotPoint> SampleCurve(const std::function<double(double)>& f, double from, double to,
                                   int samples, bool logX) {
    std::vector<PlotPoint> out;
    if (samples < 2 || !std::isfinite(from) || !std::isfinite(to)) return out;
    if (logX && !(from > 0.0 && to > 0.0)) return out;
    const double a = logX ? std::log10(from) : from;
    const double b = logX ? std::log10(to) : to;
    for (int i = 0; i < samples; ++i) {
        // The ends exactly, the inner samples evenly between them.
        const double t = i == samples - 1 ? b : a + (b - a) * i / (samples - 1);
        const double x = i == 0 ? from : i == samples - 1 ? to : (logX ? std::pow(10.0, t) : t);
        out.push_back({x, f(x)});
    }
    return out;
}

std::pair<double, double> SeriesXRange(const PlotDescription& plot, std::string_view name) {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -lo;
    if (const PlotSeries* s = plot.FindSeries(name)) {
        for (const PlotPoint& p : s->points) Take(p.x, plot.xAxis.log, lo, hi);
    }
    if (!(lo <= hi)) return {kNaN, kNaN};
    return {lo, hi};
}

void AddCurve(PlotDescription& plot, std::string name, CurveStyle style,
              const std::function<double(double)>& f, std::string legend) {
    const auto [lo, hi] = SeriesXRange(plot);
    AddCurve(plot, std::move(name), style, f, lo, hi, std::move(legend));
}

void AddCurve(PlotDescription& plot, std::string name, CurveStyle style,
              const std::function<double(double)>& f, double from, double to, std::string legend) {
    PlotCurve curve{std::move(name), style, SampleCurve(f, from, to, 200, plot.xAxis.log),
                    std::move(legend)};
    plot.curves.push_back(std::move(curve));
}

void AddResiduals(PlotDescription& plot, const std::function<double(double)>& f,
                  std::string title) {
    PlotSeries residuals{"residuals", {}, {}};
    if (const PlotSeries* data = plot.FindSeries("data")) {
        for (const PlotPoint& p : data->points) residuals.points.push_back({p.x, p.y - f(p.x)});
    }
    plot.series.push_back(std::move(residuals));
    plot.hasResidualAxis = true;
    plot.residualAxis.title = std::move(title);
}

void FitAxes(PlotDescription& plot) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const bool grouped = plot.kind == PlotKind::kGroups || plot.kind == PlotKind::kBeforeAfter;
    double xlo = kInf, xhi = -kInf, ylo = kInf, yhi = -kInf, rlo = kInf, rhi = -kInf;
    for (const PlotSeries& s : plot.series) {
        const bool residual = s.name == "residuals";
        for (const PlotPoint& p : s.points) {
            Take(p.x, plot.xAxis.log, xlo, xhi);
            if (residual) {
                Take(p.y, false, rlo, rhi);
            } else {
                Take(p.y, plot.yAxis.log, ylo, yhi);
            }
        }
    }
    for (const PlotCurve& c : plot.curves) {
        for (const PlotPoint& p : c.points) {
            Take(p.x, plot.xAxis.log, xlo, xhi);
            Take(p.y, plot.yAxis.log, ylo, yhi);
        }
    }
    for (const PlotMark& m : plot.marks) {
        Take(m.x, plot.xAxis.log, xlo, xhi);
        Take(m.y, plot.yAxis.log, ylo, yhi);
    }
    // Room for the bars of every measure the pane may switch to.
    for (int g = 0; g < static_cast<int>(plot.groups.size()); ++g) {
        for (ErrorMeasure m : {ErrorMeasure::kSd, ErrorMeasure::kCi95, ErrorMeasure::kIqr}) {
            if (plot.centre == GroupCentre::kMedian && m != ErrorMeasure::kIqr) continue;
            const ErrorBar bar = MakeErrorBar(g + 1, plot.groups[static_cast<size_t>(g)], m);
            Take(bar.low, plot.yAxis.log, ylo, yhi);
            Take(bar.high, plot.yAxis.log, ylo, yhi);
        }
    }
    if (grouped) {
        const size_t count = plot.kind == PlotKind::kGroups ? plot.xAxis.labels.size() : 2;
        plot.xAxis.min = 0.5;
        plot.xAxis.max = static_cast<double>(std::max<size_t>(count, 1)) + 0.5;
    } else {
        SetRange(plot.xAxis, xlo, xhi);
    }
    SetRange(plot.yAxis, ylo, yhi);
    if (plot.hasResidualAxis) {
        // Symmetric about the zero line, so the eye compares the two sides.
        const double r = std::max(std::fabs(rlo), std::fabs(rhi));
        const double half = std::isfinite(r) && r > 0.0 ? r * (1.0 + 2.0 * kLinearMargin) : 1.0;
        plot.residualAxis.min = -half;
        plot.residualAxis.max = half;
    }
}

nlohmann::ordered_json PlotJson(const PlotDescription& plot) {
    if (plot.Empty()) return nullptr;
    const bool grouped = plot.kind == PlotKind::kGroups || plot.kind == PlotKind::kBeforeAfter;
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    out["kind"] = PlotKindName(plot.kind);
    out["x_axis"] = AxisJson(plot.xAxis, true, grouped);
    out["y_axis"] = AxisJson(plot.yAxis, true, false);
    if (plot.hasResidualAxis) out["residual_axis"] = AxisJson(plot.residualAxis, false, false);
    nlohmann::ordered_json series = nlohmann::ordered_json::array();
    for (const PlotSeries& s : plot.series) {
        series.push_back({{"name", s.name}, {"points", PointsJson(s.points)}});
    }
    out["series"] = series;
    nlohmann::ordered_json curves = nlohmann::ordered_json::array();
    for (const PlotCurve& c : plot.curves) {
        curves.push_back({{"name", c.name},
                          {"style", c.style == CurveStyle::kDashed ? "dashed" : "solid"},
                          {"points", PointsJson(c.points)}});
    }
    out["curves"] = curves;
    nlohmann::ordered_json marks = nlohmann::ordered_json::array();
    for (const PlotMark& m : plot.marks)
        marks.push_back({{"name", m.name}, {"x", m.x}, {"y", m.y}});
    out["marks"] = marks;
    if (plot.kind == PlotKind::kGroups) {
        nlohmann::ordered_json bars = nlohmann::ordered_json::array();
        for (const ErrorBar& b : plot.errorBars) {
            bars.push_back({{"group", b.group},
                            {"measure", ErrorMeasureName(b.measure)},
                            {"center", b.center},
                            {"low", b.low},
                            {"high", b.high}});
        }
        out["error_bars"] = bars;
    }
    return out;
}

}  // namespace lumo
