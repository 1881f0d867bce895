// The graph's drawing surface on a QPainter: the screen, the printer and the exported pictures
// all draw through it, so they show the same thing.
#pragma once

#include <QFont>
#include <QPoint>
#include <QPointF>
#include <QRectF>

#include "graph/draw_surface.h"

class QPainter;

namespace lumo {

class QPainterSurface : public IDrawSurface {
  public:
    // `clientHeight` is the graph pane's height on screen. `page` is the printable area in the
    // painter's coordinates; an empty rectangle means the painter draws in the pane's own
    // pixels (the screen and the exported pictures).
    QPainterSurface(QPainter& painter, const QFont& font, int clientHeight,
                    const QRectF& page = QRectF());

    bool IsPrinting() const override { return !m_page.isEmpty(); }
    int ClientHeight() const override { return m_nClientHeight; }
    // The page shows the pane's plot area as large as it fits, whatever the pane's height.
    void SetPrintMapping(int clientHeight) override;

    Pen CurrentPen() const override { return m_pen; }
    void SetPen(const Pen& pen) override;
    void SetBrush(StockBrush brush) override;

    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Ellipse(int left, int top, int right, int bottom) override;
    void TextOut(int x, int y, std::string_view utf8) override;
    TextSize MeasureText(std::string_view utf8) const override;

    // The newer kinds' primitives: antialiased, in the painter's own coordinates (its
    // transform maps them onto a page or a fine picture); the fit mapping does not apply.
    void Polyline(std::span<const PointF> points, const Stroke& stroke) override;
    void FillPolygon(std::span<const PointF> points, const Rgb& fill) override;
    void Marker(const PointF& centre, double radius, MarkerShape shape, const Rgb& fill,
                const Stroke& outline) override;
    void Label(const PointF& at, std::string_view utf8, double size, TextAlign align,
               const Rgb& color) override;
    double LabelWidth(std::string_view utf8, double size) const override;
    double LabelHeight(double size) const override;

    // Draws the pane's coordinates scaled by `scale` and moved by `offset` on screen, with
    // antialiased lines. Lines keep their widths and the point markers (the circles and the
    // "●" character) their size in pixels, so that a small picture is not a blur of dots;
    // texts scale with the picture, so that the layout of the numbers holds at any size.
    void SetFitMapping(double scale, const QPointF& offset);

  private:
    QPointF Map(double x, double y) const { return m_offset + QPointF(x, y) * m_scale; }

    QPainter& m_painter;
    QFont m_font;
    int m_nClientHeight;
    QRectF m_page;
    Pen m_pen;
    QPoint m_position;
    bool m_bFit = false;
    double m_scale = 1.0;
    QPointF m_offset;
};

// The font of the graph's titles and markers, the same on every device.
QFont PlotFont();

// The part of the pane that a printed page shows: the axes (0 to 600 across, 10 to 410 down),
// the titles below them and the "1/Km" title, which may stand a little left of x = 0.
QRectF PrintedPlotArea();

}  // namespace lumo
