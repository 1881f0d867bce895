// A drawing surface that draws nothing and remembers every call, for tests, benchmarks and
// fuzzing of the graph's drawing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "graph/draw_surface.h"

namespace lumo {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

enum class PrimitiveKind { kPrintMapping, kPen, kBrush, kMoveTo, kLineTo, kEllipse, kText };

// One call on the surface, with the drawing state it ran in.
struct Primitive {
    PrimitiveKind kind = PrimitiveKind::kMoveTo;
    // kMoveTo, kLineTo: the new current position; kText: the text's top-left corner;
    // kEllipse: the bounding box's top-left corner.
    Point at{};
    // kLineTo: where the segment starts (the current position before the call);
    // kEllipse: the bounding box's bottom-right corner.
    Point other{};
    Pen pen{};                              // the pen selected (after a kPen call: the new pen)
    StockBrush brush = StockBrush::kWhite;  // the brush selected (after a kBrush call: the new one)
    std::string text;                       // kText
    int clientHeight = 0;                   // kPrintMapping
    friend bool operator==(const Primitive&, const Primitive&) = default;
};

// A drawn segment with the pen that drew it.
struct Segment {
    Point from{};
    Point to{};
    Pen pen{};
    friend bool operator==(const Segment&, const Segment&) = default;
};

enum class ShapeKind { kPolyline, kPolygon, kMarker, kLabel };

// One call of the newer kinds' primitives, kept apart from the classic ones so that their log
// reads as it always did.
struct Shape {
    ShapeKind kind = ShapeKind::kPolyline;
    std::vector<PointF> points;  // kPolyline, kPolygon; kMarker and kLabel: the one place
    Stroke stroke{};             // kPolyline; kMarker: its outline
    Rgb fill{};                  // kPolygon, kMarker; kLabel: the text's colour
    MarkerShape marker = MarkerShape::kCircle;
    double size = 0.0;  // kMarker: the radius; kLabel: the text size
    std::string text;
    TextAlign align = TextAlign::kLeft;
};

class RecordingSurface : public IDrawSurface {
  public:
    // A screen surface, or a printing one when `printing`; `clientHeight` is what
    // ClientHeight() answers.
    explicit RecordingSurface(bool printing = false, int clientHeight = 440)
        : m_bPrinting(printing), m_nClientHeight(clientHeight) {}

    bool IsPrinting() const override { return m_bPrinting; }
    int ClientHeight() const override { return m_nClientHeight; }
    void SetPrintMapping(int clientHeight) override;
    Pen CurrentPen() const override { return m_pen; }
    void SetPen(const Pen& pen) override;
    void SetBrush(StockBrush brush) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Ellipse(int left, int top, int right, int bottom) override;
    void TextOut(int x, int y, std::string_view utf8) override;
    void Polyline(std::span<const PointF> points, const Stroke& stroke) override;
    void FillPolygon(std::span<const PointF> points, const Rgb& fill) override;
    void Marker(const PointF& centre, double radius, MarkerShape shape, const Rgb& fill,
                const Stroke& outline) override;
    void Label(const PointF& at, std::string_view utf8, double size, TextAlign align,
               const Rgb& color) override;

    const std::vector<Shape>& Shapes() const { return m_shapes; }
    std::vector<Shape> ShapesOf(ShapeKind kind) const;

    const std::vector<Primitive>& Primitives() const { return m_primitives; }
    // The primitives of one kind, in drawing order.
    std::vector<Primitive> OfKind(PrimitiveKind kind) const;
    std::size_t Count(PrimitiveKind kind) const;
    // Every LineTo as the segment it drew.
    std::vector<Segment> Segments() const;
    // The segments drawn with `pen`.
    std::vector<Segment> SegmentsWith(const Pen& pen) const;

    // One line per primitive, for readable comparisons:
    //   "pen 3 0,0,255", "brush black", "move 50,10", "line 50,10 50,410",
    //   "ellipse 145,205 155,215 black pen 1 0,0,0", "text 20,180 B/F", "print mapping 440".
    std::vector<std::string> Log() const;
    static std::string Describe(const Primitive& p);

    void Clear();

  private:
    // Appends a primitive of `kind` carrying the current pen and brush.
    Primitive& Record(PrimitiveKind kind);

    bool m_bPrinting;
    int m_nClientHeight;
    // A fresh device context: black one-pixel pen, white brush, position (0, 0).
    Pen m_pen{};
    StockBrush m_brush = StockBrush::kWhite;
    Point m_position{};
    std::vector<Primitive> m_primitives;
    std::vector<Shape> m_shapes;
};

}  // namespace lumo
