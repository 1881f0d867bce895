#include "app/painter_surface.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace lumo {
namespace {

// Coordinates far outside any page are cut back to this box before they reach the painter:
// the raster engine works in fixed point and would wrap around on values near the int range.
constexpr double kCoordinateLimit = 1 << 20;

bool Inside(int v) {
    return std::abs(static_cast<double>(v)) <= kCoordinateLimit;
}

// Liang-Barsky: the part of the segment inside the coordinate box, if any.
bool ClipToLimit(QLineF& line) {
    double t0 = 0.0;
    double t1 = 1.0;
    const double dx = line.dx();
    const double dy = line.dy();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {line.x1() + kCoordinateLimit, kCoordinateLimit - line.x1(),
                         line.y1() + kCoordinateLimit, kCoordinateLimit - line.y1()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) return false;
    }
    line = QLineF(line.pointAt(t0), line.pointAt(t1));
    return true;
}

QColor ToQColor(const Rgb& rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

}  // namespace

QFont PlotFont() {
    QFont font;
    // A Japanese sans-serif first, so that the titles and the "●" marker look alike on every
    // machine that has one; the usual sans-serif otherwise.
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic"),
                      QStringLiteral("IPAexGothic"), QStringLiteral("Sans Serif")});
    font.setPixelSize(14);
    return font;
}

QRectF PrintedPlotArea() {
    return QRectF(-30.0, 0.0, 660.0, 460.0);
}

QPainterSurface::QPainterSurface(QPainter& painter, const QFont& font, int clientHeight,
                                 const QRectF& page)
    : m_painter(painter), m_font(font), m_nClientHeight(clientHeight), m_page(page) {
    // Lines stay on whole pixels, as the pane's coordinates are whole pixels.
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    SetPen(Pen{});
    SetBrush(StockBrush::kWhite);
}

void QPainterSurface::SetPrintMapping(int /*clientHeight*/) {
    if (!IsPrinting()) return;
    // The pane's plot area fills the page's width or height, whichever is reached first,
    // keeping its proportions, so a printed graph does not depend on how the window was sized.
    const QRectF area = PrintedPlotArea();
    const double scale = std::min(m_page.width() / area.width(), m_page.height() / area.height());
    m_painter.translate(m_page.left() + (m_page.width() - area.width() * scale) / 2.0,
                        m_page.top());
    m_painter.scale(scale, scale);
    m_painter.translate(-area.left(), -area.top());
}

void QPainterSurface::SetFitMapping(double scale, const QPointF& offset) {
    m_bFit = true;
    m_scale = scale;
    m_offset = offset;
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
}

TextSize QPainterSurface::MeasureText(std::string_view utf8) const {
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    const QFontMetricsF metrics(m_font);
    return {static_cast<int>(std::ceil(metrics.horizontalAdvance(text))),
            static_cast<int>(std::ceil(metrics.height()))};
}

void QPainterSurface::SetPen(const Pen& pen) {
    m_pen = pen;
    m_painter.setPen(QPen(ToQColor(pen.color), std::max(pen.width, 1), Qt::SolidLine, Qt::RoundCap,
                          Qt::RoundJoin));
}

void QPainterSurface::SetBrush(StockBrush brush) {
    m_painter.setBrush(brush == StockBrush::kBlack ? Qt::black : Qt::white);
}

void QPainterSurface::MoveTo(int x, int y) {
    m_position = QPoint(x, y);
}

void QPainterSurface::LineTo(int x, int y) {
    const QPoint from = m_position;
    m_position = QPoint(x, y);
    if (m_bFit) {
        QLineF line(from, m_position);
        if (ClipToLimit(line))
            m_painter.drawLine(QLineF(Map(line.x1(), line.y1()), Map(line.x2(), line.y2())));
        return;
    }
    if (Inside(from.x()) && Inside(from.y()) && Inside(x) && Inside(y)) {
        m_painter.drawLine(from, m_position);
        return;
    }
    QLineF line(from, m_position);
    if (ClipToLimit(line)) m_painter.drawLine(line);
}

void QPainterSurface::Ellipse(int left, int top, int right, int bottom) {
    if (!Inside(left) || !Inside(top) || !Inside(right) || !Inside(bottom)) return;
    if (m_bFit) {
        const QPointF centre = Map((left + right) / 2.0, (top + bottom) / 2.0);
        m_painter.drawEllipse(centre, (right - left) / 2.0, (bottom - top) / 2.0);
        return;
    }
    m_painter.drawEllipse(QRectF(left, top, right - left, bottom - top));
}

void QPainterSurface::TextOut(int x, int y, std::string_view utf8) {
    if (!Inside(x) || !Inside(y)) return;
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    m_painter.save();
    if (m_bFit) {
        // The marker is centred 7 pixels right of and below its corner and keeps its size.
        const bool marker = utf8 == "\u25CF";
        const QPointF at = marker ? Map(x + 7.0, y + 7.0) - QPointF(7.0, 7.0) : Map(x, y);
        m_painter.translate(at);
        if (!marker) m_painter.scale(m_scale, m_scale);
        x = 0;
        y = 0;
    }
    m_painter.setFont(m_font);
    const QFontMetricsF metrics(m_font);
    // Black text in an opaque white box whose top-left corner is the given point.
    m_painter.fillRect(QRectF(x, y, metrics.horizontalAdvance(text), metrics.height()), Qt::white);
    m_painter.setPen(Qt::black);
    m_painter.drawText(QPointF(x, y + metrics.ascent()), text);
    m_painter.restore();
}

namespace {

QFont SizedFont(const QFont& base, double size) {
    QFont font = base;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(size))));
    return font;
}

QPen StrokePen(const Stroke& stroke) {
    QPen pen(ToQColor(stroke.color), stroke.width,
             stroke.style == LineStyle::kDashed ? Qt::DashLine : Qt::SolidLine, Qt::FlatCap,
             Qt::RoundJoin);
    return pen;
}

QPolygonF ToPolygon(std::span<const PointF> points) {
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const PointF& p : points) polygon << QPointF(p.x, p.y);
    return polygon;
}

}  // namespace

void QPainterSurface::Polyline(std::span<const PointF> points, const Stroke& stroke) {
    m_painter.save();
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setPen(StrokePen(stroke));
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawPolyline(ToPolygon(points));
    m_painter.restore();
}

void QPainterSurface::FillPolygon(std::span<const PointF> points, const Rgb& fill) {
    m_painter.save();
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setPen(Qt::NoPen);
    m_painter.setBrush(ToQColor(fill));
    m_painter.drawPolygon(ToPolygon(points));
    m_painter.restore();
}

void QPainterSurface::Marker(const PointF& centre, double radius, MarkerShape shape,
                             const Rgb& fill, const Stroke& outline) {
    m_painter.save();
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setPen(StrokePen(outline));
    m_painter.setBrush(ToQColor(fill));
    const QPointF c(centre.x, centre.y);
    const double r = radius;
    switch (shape) {
        case MarkerShape::kCircle:
            m_painter.drawEllipse(c, r, r);
            break;
        case MarkerShape::kSquare:
            m_painter.drawRect(QRectF(c.x() - r * 0.9, c.y() - r * 0.9, r * 1.8, r * 1.8));
            break;
        case MarkerShape::kTriangle: {
            const QPointF pts[] = {c + QPointF(0.0, -r * 1.2), c + QPointF(r * 1.1, r * 0.8),
                                   c + QPointF(-r * 1.1, r * 0.8)};
            m_painter.drawPolygon(pts, 3);
            break;
        }
        case MarkerShape::kDiamond: {
            const QPointF pts[] = {c + QPointF(0.0, -r * 1.3), c + QPointF(r * 1.3, 0.0),
                                   c + QPointF(0.0, r * 1.3), c + QPointF(-r * 1.3, 0.0)};
            m_painter.drawPolygon(pts, 4);
            break;
        }
    }
    m_painter.restore();
}

void QPainterSurface::Label(const PointF& at, std::string_view utf8, double size, TextAlign align,
                            const Rgb& color) {
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    const QFont font = SizedFont(m_font, size);
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(text);
    double x = at.x;
    if (align == TextAlign::kCentre) x -= width / 2.0;
    if (align == TextAlign::kRight) x -= width;
    m_painter.save();
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
    m_painter.setFont(font);
    m_painter.setPen(ToQColor(color));
    m_painter.drawText(QPointF(x, at.y + metrics.ascent()), text);
    m_painter.restore();
}

double QPainterSurface::LabelWidth(std::string_view utf8, double size) const {
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    return QFontMetricsF(SizedFont(m_font, size)).horizontalAdvance(text);
}

double QPainterSurface::LabelHeight(double size) const {
    return QFontMetricsF(SizedFont(m_font, size)).height();
}

}  // namespace lumo
