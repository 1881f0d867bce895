// Drawing through an IDrawSurface from coordinates computed in double precision. The graph's
// coordinates come from user data divided by user-derived scales, so any of them may be
// infinite, NaN or far beyond a 32-bit integer; a primitive with such a coordinate is skipped
// rather than drawn from a converted garbage value.
#pragma once

#include <string_view>

#include "graph/draw_surface.h"

namespace lumo {

// The pixel count of a data value: x / scale truncated toward zero, as a conversion to a 32-bit
// integer would truncate it (divide first, then truncate; never round). NaN when that integer
// does not exist because the quotient is not finite or lies outside the 32-bit range, so that
// every coordinate built from it is recognised as unusable.
double PixelCount(double value, double scale);

// Truncation toward zero of `q` when the result fits a 32-bit integer, NaN otherwise.
double Trunc32(double q);

// True when `v` is finite and its integer part fits a 32-bit integer.
bool FitsInt32(double v);

class PlotPainter {
  public:
    explicit PlotPainter(IDrawSurface& surface) : m_surface(surface) {}

    IDrawSurface& Surface() { return m_surface; }

    // Selects `pen` and returns the pen that was selected before, to be selected back later.
    Pen SelectPen(const Pen& pen);
    void SetPen(const Pen& pen) { m_surface.SetPen(pen); }
    void SetBrush(StockBrush brush) { m_surface.SetBrush(brush); }

    // Skipped when a coordinate is unusable; the current position is then unknown.
    void MoveTo(double x, double y);
    // Skipped when a coordinate is unusable, which leaves the current position unknown. A line
    // to a usable point while the position is unknown becomes a move there: a segment is only
    // ever drawn between two points that were both computed.
    void LineTo(double x, double y);
    // Marks the current position unknown, as a skipped move or line does.
    void ForgetPosition() { m_bHavePosition = false; }

    void Ellipse(double left, double top, double right, double bottom);
    void TextOut(double x, double y, std::string_view utf8);

  private:
    IDrawSurface& m_surface;
    bool m_bHavePosition = false;
};

}  // namespace lumo
