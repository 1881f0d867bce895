#include "graph/plot_kinds.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace lumo {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

constexpr Rgb kInk{40, 40, 40};
constexpr Rgb kGrey{120, 120, 120};
constexpr Rgb kLightGrey{170, 170, 170};
constexpr Rgb kPointFill{70, 130, 190};
constexpr Rgb kPointEdge{20, 60, 110};
constexpr Rgb kFitColour{200, 30, 30};
constexpr Rgb kBandFill{248, 215, 215};
constexpr Rgb kOutlierFill{230, 60, 40};
constexpr Rgb kUnknownFill{250, 160, 40};
constexpr Rgb kWhite{255, 255, 255};

// Text from a ninth of the frame's smaller side and a 46th of its width, between 9 and 18
// units: readable in a pane a quarter of a small screen high, not shouting on a large one.
constexpr double kMinText = 9.0;
constexpr double kMaxText = 18.0;

bool Finite(double v) {
    return std::isfinite(v);
}

double ToAxis(double v, bool log) {
    if (!log) return v;
    return v > 0.0 ? std::log10(v) : kNaN;
}

double Map(double v, const PlotAxis& axis, double from, double to) {
    const double a = ToAxis(axis.min, axis.log);
    const double b = ToAxis(axis.max, axis.log);
    const double t = (ToAxis(v, axis.log) - a) / (b - a);
    return from + t * (to - from);
}

AxisScale ScaleFor(const PlotAxis& axis, int maxTicks) {
    return axis.log ? LogScale(axis.min, axis.max, maxTicks)
                    : LinearScale(axis.min, axis.max, maxTicks);
}

std::string TitleWithPower(const std::string& title, int power) {
    if (power == 0) return title;
    return title + " (" + PowerOfTenText(power) + ")";
}

bool Grouped(const PlotDescription& plot) {
    return plot.kind == PlotKind::kGroups || plot.kind == PlotKind::kBeforeAfter;
}

// One line of the legend.
struct LegendEntry {
    enum class Swatch { kMarker, kLine, kBand, kBar, kNote } swatch = Swatch::kNote;
    std::string text;
    MarkerShape shape = MarkerShape::kCircle;
    Rgb fill{};
    Stroke stroke{};
};

struct SeriesStyle {
    MarkerShape shape = MarkerShape::kCircle;
    Rgb fill = kPointFill;
    Rgb edge = kPointEdge;
};

SeriesStyle StyleOf(const std::string& name) {
    if (name == "outliers") return {MarkerShape::kTriangle, kOutlierFill, {120, 20, 10}};
    if (name == "unknowns") return {MarkerShape::kSquare, kUnknownFill, {140, 80, 0}};
    if (name == "after") return {MarkerShape::kSquare, kPointFill, kPointEdge};
    return {};
}

Stroke CurveStroke(const PlotCurve& curve, double width) {
    if (curve.style == CurveStyle::kDashed) return {width * 1.3, kGrey, LineStyle::kDashed};
    return {width * 1.6, kFitColour, LineStyle::kSolid};
}

bool IsBandEdge(const PlotCurve& c) {
    return c.name == "band_lower" || c.name == "band_upper";
}

std::vector<LegendEntry> LegendOf(const PlotDescription& plot, ErrorMeasure measure,
                                  double lineWidth) {
    std::vector<LegendEntry> out;
    for (const PlotSeries& s : plot.series) {
        if (s.legend.empty()) continue;
        const SeriesStyle style = StyleOf(s.name);
        out.push_back({LegendEntry::Swatch::kMarker, s.legend, style.shape, style.fill,
                       Stroke{lineWidth, style.edge, LineStyle::kSolid}});
    }
    if (plot.kind == PlotKind::kGroups) {
        out.push_back({LegendEntry::Swatch::kBar, ErrorMeasureLegend(measure), {}, {}, {}});
    }
    for (const PlotCurve& c : plot.curves) {
        if (c.legend.empty()) continue;
        if (IsBandEdge(c)) {
            out.push_back({LegendEntry::Swatch::kBand, c.legend, {}, kBandFill, {}});
        } else {
            out.push_back(
                {LegendEntry::Swatch::kLine, c.legend, {}, {}, CurveStroke(c, lineWidth)});
        }
    }
    for (const std::string& note : plot.notes) {
        out.push_back({LegendEntry::Swatch::kNote, note, {}, {}, {}});
    }
    return out;
}

// Draws the runs of finite points as separate lines.
void DrawPath(IDrawSurface& s, const std::vector<PointF>& points, const Stroke& stroke) {
    std::vector<PointF> run;
    auto flush = [&] {
        if (run.size() >= 2) s.Polyline(run, stroke);
        run.clear();
    };
    for (const PointF& p : points) {
        if (Finite(p.x) && Finite(p.y)) {
            run.push_back(p);
        } else {
            flush();
        }
    }
    flush();
}

void Segment(IDrawSurface& s, double x1, double y1, double x2, double y2, const Stroke& stroke) {
    if (!Finite(x1) || !Finite(y1) || !Finite(x2) || !Finite(y2)) return;
    const PointF pts[] = {{x1, y1}, {x2, y2}};
    s.Polyline(pts, stroke);
}

void DrawMarker(IDrawSurface& s, double x, double y, double r, const SeriesStyle& style,
                double lineWidth) {
    if (!Finite(x) || !Finite(y)) return;
    s.Marker({x, y}, r, style.shape, style.fill, Stroke{lineWidth, style.edge, LineStyle::kSolid});
}

class Painter {
  public:
    Painter(const PlotDescription& plot, IDrawSurface& s, const PlotLayout& l, ErrorMeasure m)
        : m_plot(plot), m_s(s), m_l(l), m_measure(m) {}

    void Draw() {
        DrawAxes();
        switch (m_plot.kind) {
            case PlotKind::kGroups:
                DrawGroups();
                break;
            case PlotKind::kBeforeAfter:
                DrawBeforeAfter();
                break;
            default:
                DrawCurves();
                break;
        }
        if (m_plot.hasResidualAxis) DrawResiduals();
        DrawLegend();
    }

  private:
    Stroke AxisStroke() const { return {m_l.lineWidth, kInk, LineStyle::kSolid}; }
    double TickLength() const { return m_l.textSize * 0.35; }

    void YTicks(const AxisScale& scale, double top, double bottom,
                double (PlotLayout::*map)(double) const) {
        const double size = m_l.textSize;
        for (const AxisTick& t : scale.ticks) {
            const double y = (m_l.*map)(t.value);
            if (!Finite(y) || y < top - 0.5 || y > bottom + 0.5) continue;
            Segment(m_s, m_l.left - TickLength(), y, m_l.left, y, AxisStroke());
            m_s.Label({m_l.left - TickLength() - size * 0.3, y - m_l.lineHeight / 2.0}, t.text,
                      size, TextAlign::kRight, kInk);
        }
    }

    void DrawAxes() {
        const double size = m_l.textSize;
        const double axisBottom = m_plot.hasResidualAxis ? m_l.stripBottom : m_l.bottom;
        // The y axis and the x axis of the data area; the strip has its own pair.
        Segment(m_s, m_l.left, m_l.top, m_l.left, m_l.bottom, AxisStroke());
        Segment(m_s, m_l.left, m_l.bottom, m_l.right, m_l.bottom, AxisStroke());
        YTicks(m_l.yScale, m_l.top, m_l.bottom, &PlotLayout::Y);
        if (m_plot.hasResidualAxis) {
            Segment(m_s, m_l.left, m_l.stripTop, m_l.left, m_l.stripBottom, AxisStroke());
            Segment(m_s, m_l.left, m_l.stripBottom, m_l.right, m_l.stripBottom, AxisStroke());
            YTicks(m_l.rScale, m_l.stripTop, m_l.stripBottom, &PlotLayout::R);
            // The strip's title in the gap above it, clear of its points.
            m_s.Label({m_l.left + size * 0.4, m_l.bottom + size * 0.15}, m_plot.residualAxis.title,
                      size * 0.9, TextAlign::kLeft, kGrey);
        }
        // x ticks under every x axis, their numbers or names under the lowest one.
        auto xTick = [&](double value, const std::string& text) {
            const double x = m_l.X(value);
            if (!Finite(x) || x < m_l.left - 0.5 || x > m_l.right + 0.5) return;
            // Over a residual strip the ticks go on the strip's axis only.
            Segment(m_s, x, axisBottom, x, axisBottom + TickLength(), AxisStroke());
            m_s.Label({x, axisBottom + TickLength() + size * 0.15}, text, size, TextAlign::kCentre,
                      kInk);
        };
        if (Grouped(m_plot)) {
            for (const AxisLabel& l : m_plot.xAxis.labels) xTick(l.at, l.text);
        } else {
            for (const AxisTick& t : m_l.xScale.ticks) xTick(t.value, t.text);
        }
        const std::string xTitle = TitleWithPower(m_plot.xAxis.title, m_l.xScale.power);
        if (!xTitle.empty()) {
            m_s.Label({(m_l.left + m_l.right) / 2.0,
                       axisBottom + TickLength() + size * 0.3 + m_l.lineHeight},
                      xTitle, size, TextAlign::kCentre, kInk);
        }
        // The y title stands above its axis, read without turning the head.
        const std::string yTitle = TitleWithPower(m_plot.yAxis.title, m_l.yScale.power);
        m_s.Label({m_l.left, m_l.top - m_l.lineHeight - size * 0.3}, yTitle, size, TextAlign::kLeft,
                  kInk);
    }

    // Each group: its points spread sideways where they would cover each other, a line at the
    // centre and the bar.
    void DrawGroups() {
        const double r = m_l.markerRadius;
        const double pitch = m_plot.xAxis.labels.size() > 1 ? std::fabs(m_l.X(2.0) - m_l.X(1.0))
                                                            : (m_l.right - m_l.left);
        for (size_t g = 0; g < m_plot.xAxis.labels.size(); ++g) {
            const double gx = static_cast<double>(g + 1);
            // The group's points of every series, spread together.
            // A value that is also an outlier is drawn once, as the outlier.
            std::vector<PlotPoint> outliers;
            if (const PlotSeries* o = m_plot.FindSeries("outliers")) outliers = o->points;
            std::vector<std::pair<const PlotSeries*, const PlotPoint*>> points;
            std::vector<double> ys;
            for (const PlotSeries& s : m_plot.series) {
                for (const PlotPoint& p : s.points) {
                    if (p.x != gx) continue;
                    if (s.name != "outliers") {
                        const auto same = std::find(outliers.begin(), outliers.end(), p);
                        if (same != outliers.end()) {
                            outliers.erase(same);
                            continue;
                        }
                    }
                    points.push_back({&s, &p});
                    ys.push_back(m_l.Y(p.y));
                }
            }
            const std::vector<double> dx = SpreadOffsets(ys, 2.0 * r + m_l.lineWidth, pitch * 0.3);
            for (size_t i = 0; i < points.size(); ++i) {
                DrawMarker(m_s, m_l.X(gx) + dx[i], ys[i], r, StyleOf(points[i].first->name),
                           m_l.lineWidth);
            }
        }
        const Stroke bar{m_l.lineWidth * 1.8, {0, 0, 0}, LineStyle::kSolid};
        for (const ErrorBar& b : ErrorBarsFor(m_plot, m_measure)) {
            const double x = m_l.X(b.group);
            const double half = pitch * 0.22;
            const double cap = pitch * 0.1;
            Segment(m_s, x - half, m_l.Y(b.center), x + half, m_l.Y(b.center), bar);
            Segment(m_s, x, m_l.Y(b.low), x, m_l.Y(b.high), bar);
            Segment(m_s, x - cap, m_l.Y(b.low), x + cap, m_l.Y(b.low), bar);
            Segment(m_s, x - cap, m_l.Y(b.high), x + cap, m_l.Y(b.high), bar);
        }
    }

    // Pair i joined from "before" to "after", then the points over the lines.
    void DrawBeforeAfter() {
        const PlotSeries* before = m_plot.FindSeries("before");
        const PlotSeries* after = m_plot.FindSeries("after");
        if (before == nullptr || after == nullptr) return;
        const size_t n = std::min(before->points.size(), after->points.size());
        const Stroke join{m_l.lineWidth, kLightGrey, LineStyle::kSolid};
        for (size_t i = 0; i < n; ++i) {
            Segment(m_s, m_l.X(1.0), m_l.Y(before->points[i].y), m_l.X(2.0),
                    m_l.Y(after->points[i].y), join);
        }
        for (const PlotSeries* s : {before, after}) {
            for (const PlotPoint& p : s->points) {
                DrawMarker(m_s, m_l.X(p.x), m_l.Y(p.y), m_l.markerRadius, StyleOf(s->name),
                           m_l.lineWidth);
            }
        }
    }

    std::vector<PointF> Mapped(const std::vector<PlotPoint>& points) const {
        std::vector<PointF> out;
        for (const PlotPoint& p : points) out.push_back({m_l.X(p.x), m_l.Y(p.y)});
        return out;
    }

    // The band under everything, the curves, the marks, then the points on top.
    void DrawCurves() {
        const PlotCurve* lower = m_plot.FindCurve("band_lower");
        const PlotCurve* upper = m_plot.FindCurve("band_upper");
        if (lower != nullptr && upper != nullptr) {
            std::vector<PointF> band = Mapped(lower->points);
            std::vector<PointF> top = Mapped(upper->points);
            band.insert(band.end(), top.rbegin(), top.rend());
            const bool finite = std::all_of(band.begin(), band.end(), [](const PointF& p) {
                return Finite(p.x) && Finite(p.y);
            });
            if (finite && band.size() >= 3) m_s.FillPolygon(band, kBandFill);
        }
        // The dashed curves first, so the preferred solid one is drawn over them.
        for (CurveStyle style : {CurveStyle::kDashed, CurveStyle::kSolid}) {
            for (const PlotCurve& c : m_plot.curves) {
                if (c.style != style || IsBandEdge(c)) continue;
                DrawPath(m_s, Mapped(c.points), CurveStroke(c, m_l.lineWidth));
            }
        }
        const Stroke drop{m_l.lineWidth, kGrey, LineStyle::kDashed};
        for (const PlotMark& m : m_plot.marks) {
            const double x = m_l.X(m.x);
            const double y = m_l.Y(m.y);
            if (!Finite(x) || !Finite(y)) continue;
            Segment(m_s, x, y, x, m_l.bottom, drop);
            Segment(m_s, m_l.left, y, x, y, drop);
            m_s.Marker({x, y}, m_l.markerRadius * 0.8, MarkerShape::kDiamond, kWhite,
                       Stroke{m_l.lineWidth * 1.5, kFitColour, LineStyle::kSolid});
            m_s.Label({x + m_l.markerRadius * 1.5, y + m_l.markerRadius}, m.name,
                      m_l.textSize * 0.9, TextAlign::kLeft, kFitColour);
        }
        for (const PlotSeries& s : m_plot.series) {
            if (s.name == "residuals") continue;
            for (const PlotPoint& p : s.points) {
                DrawMarker(m_s, m_l.X(p.x), m_l.Y(p.y), m_l.markerRadius, StyleOf(s.name),
                           m_l.lineWidth);
            }
        }
    }

    void DrawResiduals() {
        Segment(m_s, m_l.left, m_l.R(0.0), m_l.right, m_l.R(0.0),
                Stroke{m_l.lineWidth, kGrey, LineStyle::kDashed});
        const PlotSeries* res = m_plot.FindSeries("residuals");
        if (res == nullptr) return;
        for (const PlotPoint& p : res->points) {
            DrawMarker(m_s, m_l.X(p.x), m_l.R(p.y), m_l.markerRadius * 0.8, {}, m_l.lineWidth);
        }
    }

    void DrawLegend() {
        const std::vector<LegendEntry> entries = LegendOf(m_plot, m_measure, m_l.lineWidth);
        const double size = m_l.textSize;
        const double swatch = size * 1.8;
        double y = m_l.top;
        for (const LegendEntry& e : entries) {
            const double cy = y + m_l.lineHeight / 2.0;
            const double sx = m_l.legendLeft + swatch / 2.0;
            double textLeft = m_l.legendLeft + swatch + size * 0.4;
            switch (e.swatch) {
                case LegendEntry::Swatch::kMarker:
                    m_s.Marker({sx, cy}, m_l.markerRadius, e.shape, e.fill, e.stroke);
                    break;
                case LegendEntry::Swatch::kLine:
                    Segment(m_s, m_l.legendLeft, cy, m_l.legendLeft + swatch, cy, e.stroke);
                    break;
                case LegendEntry::Swatch::kBand: {
                    const double h = m_l.lineHeight * 0.3;
                    const PointF box[] = {{m_l.legendLeft, cy - h},
                                          {m_l.legendLeft + swatch, cy - h},
                                          {m_l.legendLeft + swatch, cy + h},
                                          {m_l.legendLeft, cy + h}};
                    m_s.FillPolygon(box, e.fill);
                    break;
                }
                case LegendEntry::Swatch::kBar: {
                    const Stroke bar{m_l.lineWidth * 1.8, {0, 0, 0}, LineStyle::kSolid};
                    const double h = m_l.lineHeight * 0.4;
                    Segment(m_s, sx, cy - h, sx, cy + h, bar);
                    Segment(m_s, sx - swatch * 0.3, cy, sx + swatch * 0.3, cy, bar);
                    break;
                }
                case LegendEntry::Swatch::kNote:
                    textLeft = m_l.legendLeft;
                    break;
            }
            m_s.Label({textLeft, y + (m_l.lineHeight - m_s.LabelHeight(size)) / 2.0}, e.text, size,
                      TextAlign::kLeft, kInk);
            y += m_l.lineHeight * 1.15;
        }
    }

    const PlotDescription& m_plot;
    IDrawSurface& m_s;
    const PlotLayout& m_l;
    ErrorMeasure m_measure;
};

double WidestLabel(const IDrawSurface& s, const AxisScale& scale, double size) {
    double w = 0.0;
    for (const AxisTick& t : scale.ticks) w = std::max(w, s.LabelWidth(t.text, size));
    return w;
}

}  // namespace

bool IsDrawnKind(PlotKind kind) {
    return kind == PlotKind::kGroups || kind == PlotKind::kBeforeAfter || kind == PlotKind::kXy ||
           kind == PlotKind::kCurve;
}

std::string ErrorMeasureLegend(ErrorMeasure measure) {
    switch (measure) {
        case ErrorMeasure::kSd:
            return "平均 ± SD";
        case ErrorMeasure::kSem:
            return "平均 ± SEM";
        case ErrorMeasure::kCi95:
            return "平均と 95% 信頼区間";
        case ErrorMeasure::kIqr:
            return "中央値と四分位範囲";
    }
    return "";
}

std::vector<double> SpreadOffsets(const std::vector<double>& ys, double spacing, double limit) {
    std::vector<double> offsets(ys.size(), 0.0);
    std::vector<size_t> order(ys.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return ys[a] < ys[b]; });
    std::vector<size_t> placed;
    for (size_t i : order) {
        // Try the middle, then right and left by one spacing more each time.
        for (int k = 0; k < 200; ++k) {
            const double dx = (k % 2 == 1 ? 1.0 : -1.0) * ((k + 1) / 2) * spacing;
            const double x = std::clamp(dx, -limit, limit);
            bool free = true;
            for (size_t j : placed) {
                const double ddx = x - offsets[j];
                const double ddy = ys[i] - ys[j];
                if (ddx * ddx + ddy * ddy < spacing * spacing * 0.999) {
                    free = false;
                    break;
                }
            }
            offsets[i] = x;
            if (free || std::fabs(dx) >= limit) break;
        }
        placed.push_back(i);
    }
    return offsets;
}

PlotLayout::PlotLayout(const PlotDescription& plot, const IDrawSurface& s, const FrameBox& f)
    : m_plot(plot) {
    textSize = std::clamp(std::min(f.width / 46.0, f.height / 26.0), kMinText, kMaxText);
    markerRadius = textSize * 0.32;
    lineWidth = std::max(1.0, textSize / 11.0);
    lineHeight = s.LabelHeight(textSize);
    const double pad = textSize * 0.6;
    const double tick = textSize * 0.35;

    // Rows from the top: the y title, the data area, the strip, the x numbers, the x title.
    top = f.top + pad + lineHeight + textSize * 0.3;
    const double xTitleRows = plot.xAxis.title.empty() ? 0.0 : lineHeight;
    const double axisBottom =
        f.top + f.height - pad - xTitleRows - lineHeight - tick - textSize * 0.3;
    bottom = axisBottom;
    if (plot.hasResidualAxis) {
        stripBottom = axisBottom;
        const double h = (axisBottom - top) * 0.26;
        stripTop = stripBottom - h;
        bottom = stripTop - lineHeight - textSize * 0.3;
        rScale = LinearScale(plot.residualAxis.min, plot.residualAxis.max,
                             std::max(2, static_cast<int>(h / (lineHeight * 1.3))));
    }
    yScale =
        ScaleFor(plot.yAxis, std::max(2, static_cast<int>((bottom - top) / (lineHeight * 1.8))));

    // Columns: the y numbers, the data area, the legend.
    const double yNumbers =
        std::max(WidestLabel(s, yScale, textSize), WidestLabel(s, rScale, textSize));
    left = f.left + pad + yNumbers + tick + textSize * 0.3;
    double legendWidth = 0.0;
    for (const LegendEntry& e : LegendOf(plot, ErrorMeasure::kCi95, lineWidth)) {
        const double swatch = e.swatch == LegendEntry::Swatch::kNote ? 0.0 : textSize * 2.2;
        legendWidth = std::max(legendWidth, swatch + s.LabelWidth(e.text, textSize));
    }
    if (plot.kind == PlotKind::kGroups) {
        for (ErrorMeasure m : {ErrorMeasure::kSd, ErrorMeasure::kCi95, ErrorMeasure::kIqr}) {
            legendWidth = std::max(legendWidth,
                                   textSize * 2.2 + s.LabelWidth(ErrorMeasureLegend(m), textSize));
        }
    }
    legendWidth = std::min(legendWidth, f.width * 0.4);
    right = f.left + f.width - pad - (legendWidth > 0.0 ? legendWidth + pad * 1.5 : pad);
    legendLeft = right + pad * 1.5;

    if (!Grouped(plot)) {
        // Room for a number of about six characters between two ticks.
        const double numberWidth = s.LabelWidth("0.0000", textSize) + textSize;
        xScale = ScaleFor(plot.xAxis, std::max(2, static_cast<int>((right - left) / numberWidth)));
        // Wider numbers than guessed: fewer ticks.
        while (xScale.ticks.size() > 2 &&
               WidestLabel(s, xScale, textSize) + textSize >
                   (right - left) / static_cast<double>(xScale.ticks.size())) {
            const int fewer = static_cast<int>(xScale.ticks.size()) - 1;
            const AxisScale next = ScaleFor(plot.xAxis, fewer);
            if (next.ticks.size() >= xScale.ticks.size()) break;
            xScale = next;
        }
    }
}

double PlotLayout::X(double v) const {
    return Map(v, m_plot.xAxis, left, right);
}

double PlotLayout::Y(double v) const {
    return Map(v, m_plot.yAxis, bottom, top);
}

double PlotLayout::R(double v) const {
    return Map(v, m_plot.residualAxis, stripBottom, stripTop);
}

void DrawDescription(const PlotDescription& plot, IDrawSurface& surface, const FrameBox& frame,
                     ErrorMeasure measure) {
    if (!IsDrawnKind(plot.kind)) return;
    const PlotLayout layout(plot, surface, frame);
    Painter(plot, surface, layout, measure).Draw();
}

}  // namespace lumo
