#include "graph/plot_scales.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "graph/plot_drawing.h"

namespace lumo {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

// Tick marks stand 2 to 5 pixels off the 3-pixel-wide axis; the numbers of the y scale start
// two pixels beyond, those of the x scale at their end, since a text's box has room above its
// digits and the row of numbers and the x title must both fit above the picture's bottom.
constexpr double kTickNear = 2.0;
constexpr double kTickFar = 5.0;
constexpr double kLabelOffset = 7.0;
constexpr double kXLabelOffset = 5.0;
// Space kept between two numbers along an axis, and between any two texts.
constexpr double kLabelGap = 10.0;
constexpr double kTextGap = 2.0;
// The x scale starts with a tick every 40 pixels at most, so a wide pane is not crowded.
constexpr double kMinXPitch = 40.0;
// A bound on the ticks of one axis; a step that would need more is made coarser first.
constexpr long long kMaxTicks = 200;
// Numbers from 10^5 up, or with steps below 10^-3, are written in units of a power of ten.
constexpr int kLargestPlainPower = 4;
constexpr int kFinestPlainStep = -3;

constexpr Pen kTickPen{1, {0, 0, 255}};

double PowerOfTen(int exponent) {
    // Exact for the decimal powers a double holds exactly; division for negative powers gives
    // the nearest double to 10^-n rather than a product of rounded factors.
    return exponent >= 0 ? std::pow(10.0, exponent) : 1.0 / std::pow(10.0, -exponent);
}

// floor(log10(v)) for v > 0, corrected where log10 rounds across a power of ten.
int DecimalExponent(double v) {
    int e = static_cast<int>(std::floor(std::log10(v)));
    if (PowerOfTen(e) > v) --e;
    if (PowerOfTen(e + 1) <= v) ++e;
    return e;
}

struct Box {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;

    bool Overlaps(const Box& o) const {
        return left < o.right + kTextGap && o.left < right + kTextGap &&
               top < o.bottom + kTextGap && o.top < bottom + kTextGap;
    }
    bool InsidePicture() const {
        return left >= kPictureLeft && right <= kPictureRight && top >= kPictureTop &&
               bottom <= kPictureBottom;
    }
};

Box BoxAt(double left, double top, const TextSize& size) {
    return {left, top, left + size.width, top + size.height};
}

// Moves a box horizontally into the picture, as far as it fits.
Box KeptInsideHorizontally(Box b) {
    const double shift = b.left < kPictureLeft     ? kPictureLeft - b.left
                         : b.right > kPictureRight ? kPictureRight - b.right
                                                   : 0.0;
    b.left += shift;
    b.right += shift;
    return b;
}

Box KeptInsideVertically(Box b) {
    const double shift = b.top < kPictureTop         ? kPictureTop - b.top
                         : b.bottom > kPictureBottom ? kPictureBottom - b.bottom
                                                     : 0.0;
    b.top += shift;
    b.bottom += shift;
    return b;
}

struct Text {
    Box box;
    std::string text;
};

// The ticks of one axis: values, their numbers and sizes, and their pixels along the axis.
struct AxisTicks {
    int power = 0;
    std::vector<double> pixels;
    std::vector<std::string> texts;
    std::vector<TextSize> sizes;
    bool Empty() const { return pixels.empty(); }
};

struct AxisGeometry {
    double unitsPerPixel = 0.0;
    double origin = 0.0;       // the pixel of data value 0 along the axis
    double direction = 1.0;    // +1: values grow with the pixel (x); -1: against it (y)
    double pixelsBelow = 0.0;  // the axis's reach on the negative side of 0, in pixels
    double pixelsAbove = 400.0;
    bool horizontal = true;
    double minPitch = kMinXPitch;
    double maxLabelWidth = std::numeric_limits<double>::infinity();
};

// Chooses the finest nice step whose numbers fit between their ticks (and, for a vertical
// axis, into the room beside it), then gives the ticks that fall on the axis.
AxisTicks MakeTicks(const IDrawSurface& surface, const AxisGeometry& axis) {
    AxisTicks out;
    const double s = axis.unitsPerPixel;
    if (!(s > 0.0) || !std::isfinite(s)) return out;
    const double lo = -axis.pixelsBelow * s;
    const double hi = axis.pixelsAbove * s;
    const double raw = axis.minPitch * s;
    if (!std::isfinite(lo) || !std::isfinite(hi) || !(raw > 0.0) || !std::isfinite(raw)) {
        return out;
    }
    TickStep step = TickStepAtLeast(raw);
    bool forcePower = false;
    // Each coarser step at least doubles the pitch, so a few dozen tries reach any fit.
    for (int attempt = 0; attempt < 64; ++attempt) {
        const double v = step.Value();
        if (!(v > 0.0) || !std::isfinite(v)) return out;
        const double first = std::ceil(lo / v - 1e-9);
        const double last = std::floor(hi / v + 1e-9);
        if (!(last - first < static_cast<double>(kMaxTicks))) {
            step = step.Next();
            continue;
        }
        std::vector<double> values;
        for (auto i = static_cast<long long>(first); i <= static_cast<long long>(last); ++i) {
            values.push_back(TickValue(i, step));
        }
        double maxAbs = 0.0;
        for (double value : values) maxAbs = std::max(maxAbs, std::fabs(value));
        const int magnitude = maxAbs > 0.0 ? DecimalExponent(maxAbs) : 0;
        const bool usePower =
            forcePower || magnitude > kLargestPlainPower || step.exponent < kFinestPlainStep;
        const int power = usePower && maxAbs > 0.0 ? magnitude : 0;
        const int decimals = std::max(0, power - step.exponent);

        AxisTicks ticks;
        ticks.power = power;
        double widest = 0.0;
        for (double value : values) {
            ticks.texts.push_back(FormatTick(value, power, decimals));
            ticks.sizes.push_back(surface.MeasureText(ticks.texts.back()));
            widest = std::max(widest, static_cast<double>(ticks.sizes.back().width));
            const double pixel = PixelCount(value, s);
            ticks.pixels.push_back(axis.origin + axis.direction * pixel);
        }
        if (widest > axis.maxLabelWidth && !forcePower && power == 0) {
            forcePower = true;  // the same step, in units of a power of ten
            continue;
        }
        const double need = axis.horizontal ? widest + kLabelGap : axis.minPitch;
        if (v / s >= need && widest <= axis.maxLabelWidth) return ticks;
        step = step.Next();
    }
    return out;
}

// The frame of one plot: where its axes lie and what its titles say.
struct PlotFrame {
    double x0 = 0.0;  // pixel of data (0, 0)
    double y0 = 0.0;
    double xPixelsBelow = 0.0;  // the x axis's reach left of the origin
    double sx = 0.0;
    double sy = 0.0;
    const char* xTitle = "";
    double xTitleCentre = 0.0;
    const char* yTitle = "";
    double yTitleLeft = 0.0;  // the classic place of the y title, used when no gap is found
    double yTitleTop = 0.0;
};

// What one plot's scales draw: tick marks, titles, then the numbers that collide with none.
class ScaleLayout {
  public:
    ScaleLayout(PlotPainter& p, const PlotFrame& f) : m_p(p), m_f(f) {
        const IDrawSurface& s = p.Surface();
        m_h = s.MeasureText("0").height;
        AxisGeometry x;
        x.unitsPerPixel = f.sx;
        x.origin = f.x0;
        x.pixelsBelow = f.xPixelsBelow;
        m_x = MakeTicks(s, x);

        // Between two numbers of the y scale there is room for the title and its factor.
        AxisGeometry y;
        y.unitsPerPixel = f.sy;
        y.origin = f.y0;
        y.direction = -1.0;
        y.horizontal = false;
        y.maxLabelWidth = f.x0 - kLabelOffset - kPictureLeft;
        y.minPitch = 2.0 * m_h + 2.0 * kLabelGap;
        m_y = MakeTicks(s, y);
        if (m_y.power != 0) {
            y.minPitch = 3.0 * m_h + 2.0 * kLabelGap;
            m_y = MakeTicks(s, y);
        }
        for (std::size_t i = 0; i < m_y.pixels.size(); ++i) {
            const TextSize& size = m_y.sizes[i];
            m_yBoxes.push_back(KeptInsideVertically(
                BoxAt(YLabelRight() - size.width, m_y.pixels[i] - size.height / 2.0, size)));
        }
        PlaceYTitle();
        PlaceXTitle();
    }

    // The left edge of the y scale's numbers and title.
    double YColumnLeft() const {
        double left = m_yTitleLeft;
        for (const Box& b : m_yBoxes) left = std::min(left, b.left);
        return left;
    }
    int LineHeight() const { return m_h; }
    double LabelRowTop() const { return m_f.y0 + kXLabelOffset; }

    void AddTitle(const Box& box, std::string text) { m_titles.push_back({box, std::move(text)}); }

    void Draw() {
        const Pen previous = m_p.SelectPen(kTickPen);
        for (double px : m_x.pixels) {
            m_p.MoveTo(px, m_f.y0 + kTickNear);
            m_p.LineTo(px, m_f.y0 + kTickFar);
        }
        for (double py : m_y.pixels) {
            m_p.MoveTo(m_f.x0 - kTickFar, py);
            m_p.LineTo(m_f.x0 - kTickNear, py);
        }
        m_p.SetPen(previous);

        std::vector<Box> taken;
        for (const Text& t : m_titles) {
            m_p.TextOut(t.box.left, t.box.top, t.text);
            taken.push_back(t.box);
        }
        auto drawIfFree = [&](const Box& box, const std::string& text) {
            if (!box.InsidePicture()) return;
            for (const Box& other : taken) {
                if (box.Overlaps(other)) return;
            }
            m_p.TextOut(box.left, box.top, text);
            taken.push_back(box);
        };
        for (std::size_t i = 0; i < m_x.pixels.size(); ++i) {
            const TextSize& size = m_x.sizes[i];
            drawIfFree(KeptInsideHorizontally(
                           BoxAt(m_x.pixels[i] - size.width / 2.0, LabelRowTop(), size)),
                       m_x.texts[i]);
        }
        for (std::size_t i = 0; i < m_yBoxes.size(); ++i) drawIfFree(m_yBoxes[i], m_y.texts[i]);
    }

  private:
    double YLabelRight() const { return m_f.x0 - kLabelOffset; }

    // The y title (and the factor of its numbers) goes between the two numbers nearest its
    // classic place, right-aligned with them.
    void PlaceYTitle() {
        const IDrawSurface& s = m_p.Surface();
        std::vector<std::string> lines{m_f.yTitle};
        if (m_y.power != 0) lines.push_back(PowerOfTenText(m_y.power));
        double width = 0.0;
        for (const std::string& line : lines) {
            width = std::max(width, static_cast<double>(s.MeasureText(line).width));
        }
        const double height = static_cast<double>(lines.size()) * m_h;
        const double classicCentre = m_f.yTitleTop + m_h / 2.0;

        std::vector<Box> sorted = m_yBoxes;
        std::sort(sorted.begin(), sorted.end(),
                  [](const Box& a, const Box& b) { return a.top < b.top; });
        double bestTop = kNan;
        double bestDistance = std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i + 1 < sorted.size(); ++i) {
            const double gapTop = sorted[i].bottom;
            const double gapBottom = sorted[i + 1].top;
            if (gapBottom - gapTop < height + 4.0 * kTextGap) continue;
            const double centre = (gapTop + gapBottom) / 2.0;
            if (std::fabs(centre - classicCentre) < bestDistance) {
                bestDistance = std::fabs(centre - classicCentre);
                bestTop = centre - height / 2.0;
            }
        }
        double left = YLabelRight() - width;
        double top = bestTop;
        if (std::isnan(top)) {
            left = m_f.yTitleLeft;
            top = m_f.yTitleTop;
        }
        left = std::max(left, static_cast<double>(kPictureLeft));
        m_yTitleLeft = left;
        for (const std::string& line : lines) {
            const TextSize size = s.MeasureText(line);
            AddTitle(BoxAt(left + width - size.width, top, size), line);
            top += m_h;
        }
    }

    // The x title goes centred below the row of numbers, with the factor of its numbers.
    void PlaceXTitle() {
        std::string title = m_f.xTitle;
        if (m_x.power != 0) title += " (" + PowerOfTenText(m_x.power) + ")";
        const TextSize size = m_p.Surface().MeasureText(title);
        const double top = std::min(LabelRowTop() + m_h + kTextGap + 1.0,
                                    static_cast<double>(kPictureBottom - size.height));
        AddTitle(KeptInsideHorizontally(BoxAt(m_f.xTitleCentre - size.width / 2.0, top, size)),
                 title);
    }

    PlotPainter& m_p;
    PlotFrame m_f;
    int m_h = 0;
    AxisTicks m_x;
    AxisTicks m_y;
    std::vector<Box> m_yBoxes;
    double m_yTitleLeft = 0.0;
    std::vector<Text> m_titles;
};

}  // namespace

double TickStep::Value() const {
    return TickValue(1, *this);
}

TickStep TickStep::Next() const {
    if (mantissa == 1) return {2, exponent};
    if (mantissa == 2) return {5, exponent};
    return {1, exponent + 1};
}

TickStep TickStepAtLeast(double raw) {
    TickStep step{1, DecimalExponent(raw)};
    while (step.Value() < raw) step = step.Next();
    return step;
}

double TickValue(long long i, const TickStep& step) {
    const double n = static_cast<double>(i) * step.mantissa;
    return step.exponent >= 0 ? n * PowerOfTen(step.exponent) : n / PowerOfTen(-step.exponent);
}

std::string FormatTick(double value, int power, int decimals) {
    double m = power >= 0 ? value / PowerOfTen(power) : value * PowerOfTen(-power);
    if (std::fabs(m) < 0.5 * PowerOfTen(-decimals)) return "0";
    std::string out = m < 0.0 ? "\xE2\x88\x92" : "";  // U+2212 MINUS SIGN
    m = std::fabs(m);
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, m, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) return out + "?";
    return out + std::string(buf, result.ptr);
}

std::string PowerOfTenText(int power) {
    static const char* const kDigits[] = {
        "\xE2\x81\xB0", "\xC2\xB9",     "\xC2\xB2",     "\xC2\xB3",     "\xE2\x81\xB4",
        "\xE2\x81\xB5", "\xE2\x81\xB6", "\xE2\x81\xB7", "\xE2\x81\xB8", "\xE2\x81\xB9"};
    std::string out =
        "\xC3\x97"
        "10";                              // ×10
    if (power < 0) out += "\xE2\x81\xBB";  // superscript minus
    const std::string digits = std::to_string(power < 0 ? -static_cast<long long>(power) : power);
    for (char d : digits) out += kDigits[d - '0'];
    return out;
}

void DrawScatchardScales(PlotPainter& p, double sx, double sy) {
    PlotFrame f;
    f.x0 = kScatchardOriginX;
    f.y0 = kOriginY;
    f.sx = sx;
    f.sy = sy;
    f.xTitle = "Bound";
    f.xTitleCentre = kScatchardOriginX + 200.0;
    f.yTitle = "B/F";
    f.yTitleLeft = 20.0;
    f.yTitleTop = 180.0;
    ScaleLayout layout(p, f);
    layout.Draw();
}

void DrawLineweaverScales(PlotPainter& p, double sx, double sy, double kPixels, double vmaxPixels) {
    PlotFrame f;
    f.x0 = kLineweaverOriginX;
    f.y0 = kOriginY;
    f.xPixelsBelow = kLineweaverOriginX;  // the x axis reaches the pane's left edge
    f.sx = sx;
    f.sy = sy;
    f.xTitle = "1/[s]";
    f.xTitleCentre = kLineweaverOriginX + 200.0;
    f.yTitle = "1/[v]";
    f.yTitleLeft = 160.0;
    f.yTitleTop = 200.0;
    ScaleLayout layout(p, f);
    const IDrawSurface& s = p.Surface();
    const double h = layout.LineHeight();

    // -1/Km in the row of numbers under its intercept; the numbers it covers give way.
    const double intercept = kLineweaverOriginX - kPixels;
    if (std::isfinite(intercept) && intercept >= kPictureLeft && intercept <= kPictureRight) {
        const std::string km =
            "\xE2\x88\x92"
            "1/Km";
        const TextSize size = s.MeasureText(km);
        layout.AddTitle(
            KeptInsideHorizontally(BoxAt(intercept - size.width / 2.0, layout.LabelRowTop(), size)),
            km);
    }
    // 1/Vmax left of the y scale, 30 pixels above the line's y intercept as it always stood,
    // but never down on the x axis.
    if (FitsInt32(vmaxPixels)) {
        const TextSize size = s.MeasureText("1/Vmax");
        const double right = layout.YColumnLeft() - 3.0 * kTextGap;
        const double top =
            std::clamp(kOriginY - 30.0 - vmaxPixels, static_cast<double>(kPictureTop),
                       kOriginY - h - 2.0 * kTextGap);
        const Box box = BoxAt(right - size.width, top, size);
        if (box.left >= kPictureLeft) layout.AddTitle(box, "1/Vmax");
    }
    layout.Draw();
}

AxisScale LinearScale(double min, double max, int maxTicks) {
    AxisScale out;
    const double span = max - min;
    if (!std::isfinite(span) || !(span > 0.0)) return out;
    maxTicks = std::max(maxTicks, 2);
    TickStep step = TickStepAtLeast(span / maxTicks);
    long long first = 0;
    long long last = 0;
    for (int attempt = 0; attempt < 64; ++attempt) {
        const double v = step.Value();
        first = static_cast<long long>(std::ceil(min / v - 1e-9));
        last = static_cast<long long>(std::floor(max / v + 1e-9));
        if (last - first + 1 <= maxTicks) break;
        step = step.Next();
    }
    double maxAbs = 0.0;
    for (long long i = first; i <= last; ++i) {
        maxAbs = std::max(maxAbs, std::fabs(TickValue(i, step)));
    }
    const int magnitude = maxAbs > 0.0 ? DecimalExponent(maxAbs) : 0;
    const bool usePower = magnitude > kLargestPlainPower || step.exponent < kFinestPlainStep;
    out.power = usePower && maxAbs > 0.0 ? magnitude : 0;
    const int decimals = std::max(0, out.power - step.exponent);
    for (long long i = first; i <= last; ++i) {
        const double value = TickValue(i, step);
        out.ticks.push_back({value, FormatTick(value, out.power, decimals)});
    }
    return out;
}

AxisScale LogScale(double min, double max, int maxTicks) {
    AxisScale out;
    if (!(min > 0.0) || !(max > min) || !std::isfinite(max)) return out;
    const int lo = DecimalExponent(min);
    const int hi = DecimalExponent(max);
    const bool fine = hi - lo < 3;
    // Every k-th decade when there are more than the axis has room for.
    const int every = std::max(1, (hi - lo + 1 + maxTicks - 1) / std::max(maxTicks, 1));
    for (int e = lo; e <= hi; ++e) {
        for (int m : {1, 2, 5}) {
            if (m != 1 && !fine) continue;
            if (m == 1 && (e - lo) % every != 0) continue;
            const double value = TickValue(m, TickStep{1, e});
            if (value < min * (1.0 - 1e-12) || value > max * (1.0 + 1e-12)) continue;
            // Plain decimals from 0.0001 to 10000, powers of ten beyond.
            std::string text;
            if (e >= -4 && e <= kLargestPlainPower) {
                text = FormatTick(value, 0, std::max(0, -e));
            } else {
                text = (m == 1 ? "" : std::to_string(m) + "\xC3\x97") + PowerOfTenText(e).substr(2);
            }
            out.ticks.push_back({value, text});
        }
    }
    return out;
}

}  // namespace lumo
