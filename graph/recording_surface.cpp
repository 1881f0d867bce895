#include "graph/recording_surface.h"

#include <algorithm>

namespace lumo {
namespace {

std::string PointText(const Point& p) {
    return std::to_string(p.x) + "," + std::to_string(p.y);
}

std::string PenText(const Pen& pen) {
    return std::to_string(pen.width) + " " + std::to_string(pen.color.r) + "," +
           std::to_string(pen.color.g) + "," + std::to_string(pen.color.b);
}

const char* BrushText(StockBrush brush) {
    return brush == StockBrush::kBlack ? "black" : "white";
}

}  // namespace

Primitive& RecordingSurface::Record(PrimitiveKind kind) {
    Primitive& p = m_primitives.emplace_back();
    p.kind = kind;
    p.pen = m_pen;
    p.brush = m_brush;
    return p;
}

void RecordingSurface::SetPrintMapping(int clientHeight) {
    Record(PrimitiveKind::kPrintMapping).clientHeight = clientHeight;
}

void RecordingSurface::SetPen(const Pen& pen) {
    m_pen = pen;
    Record(PrimitiveKind::kPen);
}

void RecordingSurface::SetBrush(StockBrush brush) {
    m_brush = brush;
    Record(PrimitiveKind::kBrush);
}

void RecordingSurface::MoveTo(int x, int y) {
    m_position = {x, y};
    Record(PrimitiveKind::kMoveTo).at = m_position;
}

void RecordingSurface::LineTo(int x, int y) {
    Primitive& p = Record(PrimitiveKind::kLineTo);
    p.other = m_position;
    m_position = {x, y};
    p.at = m_position;
}

void RecordingSurface::Ellipse(int left, int top, int right, int bottom) {
    Primitive& p = Record(PrimitiveKind::kEllipse);
    p.at = {left, top};
    p.other = {right, bottom};
}

void RecordingSurface::TextOut(int x, int y, std::string_view utf8) {
    Primitive& p = Record(PrimitiveKind::kText);
    p.at = {x, y};
    p.text = std::string(utf8);
}

std::vector<Primitive> RecordingSurface::OfKind(PrimitiveKind kind) const {
    std::vector<Primitive> out;
    std::copy_if(m_primitives.begin(), m_primitives.end(), std::back_inserter(out),
                 [kind](const Primitive& p) { return p.kind == kind; });
    return out;
}

std::size_t RecordingSurface::Count(PrimitiveKind kind) const {
    return static_cast<std::size_t>(
        std::count_if(m_primitives.begin(), m_primitives.end(),
                      [kind](const Primitive& p) { return p.kind == kind; }));
}

std::vector<Segment> RecordingSurface::Segments() const {
    std::vector<Segment> out;
    for (const Primitive& p : m_primitives) {
        if (p.kind == PrimitiveKind::kLineTo) {
            out.push_back({p.other, p.at, p.pen});
        }
    }
    return out;
}

std::vector<Segment> RecordingSurface::SegmentsWith(const Pen& pen) const {
    std::vector<Segment> out = Segments();
    std::erase_if(out, [&pen](const Segment& s) { return s.pen != pen; });
    return out;
}

std::string RecordingSurface::Describe(const Primitive& p) {
    switch (p.kind) {
        case PrimitiveKind::kPrintMapping:
            return "print mapping " + std::to_string(p.clientHeight);
        case PrimitiveKind::kPen:
            return "pen " + PenText(p.pen);
        case PrimitiveKind::kBrush:
            return std::string("brush ") + BrushText(p.brush);
        case PrimitiveKind::kMoveTo:
            return "move " + PointText(p.at);
        case PrimitiveKind::kLineTo:
            return "line " + PointText(p.other) + " " + PointText(p.at);
        case PrimitiveKind::kEllipse:
            return "ellipse " + PointText(p.at) + " " + PointText(p.other) + " " +
                   BrushText(p.brush) + " pen " + PenText(p.pen);
        case PrimitiveKind::kText:
            return "text " + PointText(p.at) + " " + p.text;
    }
    return "?";
}

std::vector<std::string> RecordingSurface::Log() const {
    std::vector<std::string> out;
    out.reserve(m_primitives.size());
    for (const Primitive& p : m_primitives) {
        out.push_back(Describe(p));
    }
    return out;
}

void RecordingSurface::Clear() {
    m_primitives.clear();
    m_shapes.clear();
    m_pen = Pen{};
    m_brush = StockBrush::kWhite;
    m_position = {};
}

void RecordingSurface::Polyline(std::span<const PointF> points, const Stroke& stroke) {
    Shape& s = m_shapes.emplace_back();
    s.kind = ShapeKind::kPolyline;
    s.points.assign(points.begin(), points.end());
    s.stroke = stroke;
}

void RecordingSurface::FillPolygon(std::span<const PointF> points, const Rgb& fill) {
    Shape& s = m_shapes.emplace_back();
    s.kind = ShapeKind::kPolygon;
    s.points.assign(points.begin(), points.end());
    s.fill = fill;
}

void RecordingSurface::Marker(const PointF& centre, double radius, MarkerShape shape,
                              const Rgb& fill, const Stroke& outline) {
    Shape& s = m_shapes.emplace_back();
    s.kind = ShapeKind::kMarker;
    s.points = {centre};
    s.size = radius;
    s.marker = shape;
    s.fill = fill;
    s.stroke = outline;
}

void RecordingSurface::Label(const PointF& at, std::string_view utf8, double size, TextAlign align,
                             const Rgb& color) {
    Shape& s = m_shapes.emplace_back();
    s.kind = ShapeKind::kLabel;
    s.points = {at};
    s.text = std::string(utf8);
    s.size = size;
    s.align = align;
    s.fill = color;
}

std::vector<Shape> RecordingSurface::ShapesOf(ShapeKind kind) const {
    std::vector<Shape> out;
    for (const Shape& s : m_shapes) {
        if (s.kind == kind) out.push_back(s);
    }
    return out;
}

}  // namespace lumo
