// The drawing services the graph needs, small enough to implement on a QPainter (screen,
// printer, picture export) and as a recording for tests. Coordinates are integer pixels of the
// graph pane: (0, 0) at its top-left corner, x to the right and y downwards.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace lumo {

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A solid pen. The surface starts with the default pen: black, one pixel wide.
struct Pen {
    int width = 1;
    Rgb color{};
    friend bool operator==(const Pen&, const Pen&) = default;
};

enum class StockBrush { kBlack, kWhite };

// The box a text takes, in pane pixels.
struct TextSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const TextSize&, const TextSize&) = default;
};

// A text's box when the surface cannot measure its font: 8 pixels for each one-byte character
// and 14 for every other, one line of 20 pixels, which is what the pane's 14-pixel font needs.
inline TextSize EstimateTextSize(std::string_view utf8) {
    int width = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            width += 8;
        } else if ((c & 0xC0) != 0x80) {
            width += 14;  // the lead byte of a longer character
        }
    }
    return {width, 20};
}

// The newer plot kinds draw in fractional surface units with primitives that carry their own
// style, so nothing depends on a pen left selected by an earlier call.
struct PointF {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const PointF&, const PointF&) = default;
};

enum class LineStyle { kSolid, kDashed };

struct Stroke {
    double width = 1.0;
    Rgb color{};
    LineStyle style = LineStyle::kSolid;
    friend bool operator==(const Stroke&, const Stroke&) = default;
};

enum class MarkerShape { kCircle, kSquare, kTriangle, kDiamond };

enum class TextAlign { kLeft, kCentre, kRight };

class IDrawSurface {
  public:
    virtual ~IDrawSurface() = default;

    // True while drawing for a printer or a print preview.
    virtual bool IsPrinting() const = 0;
    // The height of the graph pane's client area on screen, in pixels. Printing sizes the page
    // mapping from it, so a printing surface must answer with the pane's height, not the page's.
    virtual int ClientHeight() const = 0;
    // Called once per plot when printing, before anything is drawn: map the pane's coordinates
    // onto the page. `clientHeight` is the pane's height on screen, as ClientHeight() gives it.
    virtual void SetPrintMapping(int clientHeight) = 0;

    virtual Pen CurrentPen() const = 0;
    virtual void SetPen(const Pen& pen) = 0;
    virtual void SetBrush(StockBrush brush) = 0;

    // Straight segments: LineTo draws from the current position and moves it.
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    // A circle or ellipse in the box (left, top)-(right, bottom), outlined with the current pen
    // and filled with the current brush; the current position is unaffected.
    virtual void Ellipse(int left, int top, int right, int bottom) = 0;
    // UTF-8 text in the default font, black on an opaque white box, with its top-left corner at
    // (x, y).
    virtual void TextOut(int x, int y, std::string_view utf8) = 0;
    // The box that TextOut would fill for `utf8`; the scales lay their numbers out with it.
    virtual TextSize MeasureText(std::string_view utf8) const { return EstimateTextSize(utf8); }

    // The newer kinds' primitives. A surface that only serves the classic pictures may leave
    // them drawing nothing.
    // Straight segments through `points`, antialiased.
    virtual void Polyline(std::span<const PointF> /*points*/, const Stroke& /*stroke*/) {}
    // The polygon through `points` filled with `fill`, without an outline.
    virtual void FillPolygon(std::span<const PointF> /*points*/, const Rgb& /*fill*/) {}
    // A point marker: a shape of the given radius centred on `centre`, filled and outlined.
    virtual void Marker(const PointF& /*centre*/, double /*radius*/, MarkerShape /*shape*/,
                        const Rgb& /*fill*/, const Stroke& /*outline*/) {}
    // Text of `size` units (the font's pixel height) on a transparent ground; `at` is the top
    // of its box, on its left edge, centre or right edge as `align` says.
    virtual void Label(const PointF& /*at*/, std::string_view /*utf8*/, double /*size*/,
                       TextAlign /*align*/, const Rgb& /*color*/) {}
    // The width and height that Label would take.
    virtual double LabelWidth(std::string_view utf8, double size) const {
        return EstimateTextSize(utf8).width * size / 14.0;
    }
    virtual double LabelHeight(double size) const { return size * 20.0 / 14.0; }
};

}  // namespace lumo
