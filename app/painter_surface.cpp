#include "app/painter_surface.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <QPen>

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

}  // namespace lumo
