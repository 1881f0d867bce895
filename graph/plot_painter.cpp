#include "graph/plot_painter.h"

#include <cmath>
#include <limits>

namespace lumo {
namespace {

constexpr double kInt32Min = -2147483648.0;
constexpr double kInt32Max = 2147483647.0;

int ToInt(double v) {
    return static_cast<int>(v);
}

}  // namespace

double Trunc32(double q) {
    // trunc(q) lies in [-2^31, 2^31 - 1] exactly when q lies in (-2^31 - 1, 2^31); the test is
    // also false for NaN.
    if (!(q > kInt32Min - 1.0 && q < kInt32Max + 1.0)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return std::trunc(q);
}

double PixelCount(double value, double scale) {
    return Trunc32(value / scale);
}

bool FitsInt32(double v) {
    return v >= kInt32Min && v < kInt32Max + 1.0;
}

Pen PlotPainter::SelectPen(const Pen& pen) {
    const Pen previous = m_surface.CurrentPen();
    m_surface.SetPen(pen);
    return previous;
}

void PlotPainter::MoveTo(double x, double y) {
    if (!FitsInt32(x) || !FitsInt32(y)) {
        m_bHavePosition = false;
        return;
    }
    m_surface.MoveTo(ToInt(x), ToInt(y));
    m_bHavePosition = true;
}

void PlotPainter::LineTo(double x, double y) {
    if (!FitsInt32(x) || !FitsInt32(y)) {
        m_bHavePosition = false;
        return;
    }
    if (m_bHavePosition) {
        m_surface.LineTo(ToInt(x), ToInt(y));
    } else {
        m_surface.MoveTo(ToInt(x), ToInt(y));
        m_bHavePosition = true;
    }
}

void PlotPainter::Ellipse(double left, double top, double right, double bottom) {
    if (FitsInt32(left) && FitsInt32(top) && FitsInt32(right) && FitsInt32(bottom)) {
        m_surface.Ellipse(ToInt(left), ToInt(top), ToInt(right), ToInt(bottom));
    }
}

void PlotPainter::TextOut(double x, double y, std::string_view utf8) {
    if (FitsInt32(x) && FitsInt32(y)) {
        m_surface.TextOut(ToInt(x), ToInt(y), utf8);
    }
}

}  // namespace lumo
