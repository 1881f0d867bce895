#include "graph/plot_drawing.h"

#include <algorithm>
#include <cmath>

#include "graph/plot_painter.h"
#include "graph/plot_scales.h"
#include "graph/two_site_curve.h"

namespace lumo {
namespace {

// The record's arrays hold kMaxPoints entries whatever the count says.
int PointCount(const CLumoDoc& doc) {
    return std::clamp(doc.m_nCount, 0, kMaxPoints);
}

void SetUpPrinting(IDrawSurface& surface) {
    if (surface.IsPrinting()) {
        surface.SetPrintMapping(surface.ClientHeight());
    }
}

void DrawScatchard(const CLumoDoc& doc, PlotPainter& p, const PlotOptions& options) {
    constexpr double x0 = kScatchardOriginX;
    constexpr double y0 = kOriginY;
    const double sx = doc.m_dXMax * kScaleFraction;
    const double sy = doc.m_dYMax * kScaleFraction;
    SetUpPrinting(p.Surface());

    // The points, joined in worksheet order by a thin line in the default pen: a marked point
    // is an open circle, the others filled. The brush stays as the last point left it.
    for (int i = 0; i < PointCount(doc); ++i) {
        const double cx = PixelCount(doc.m_dX[i], sx) + x0;
        const double cy = y0 - PixelCount(doc.m_dY[i], sy);
        if (i == 0) {
            p.MoveTo(cx, cy);
        } else {
            p.LineTo(cx, cy);
        }
        p.SetBrush(StockBrush::kBlack);
        p.Ellipse(cx - 5.0, cy - 5.0, cx + 5.0, cy + 5.0);
        if (doc.m_nMark[i] == 1) {
            p.SetBrush(StockBrush::kWhite);
            p.Ellipse(cx - 5.0, cy - 5.0, cx + 5.0, cy + 5.0);
        }
    }

    Pen previous = p.SelectPen(kAxisPen);
    p.MoveTo(x0, 10.0);
    p.LineTo(x0, y0);
    p.LineTo(x0 + 400.0, y0);
    p.SetPen(previous);

    // The two-site curve starts on the y axis at K1·B1 + K2·B2 (0 when that is negative), kept
    // within reach of a 32-bit coordinate.
    const double k1 = doc.m_dKa1;
    const double b1 = doc.m_dBmax1;
    const double k2 = doc.m_dKa2;
    const double b2 = doc.m_dBmax2;
    const double w = -(k1 * b1) - (k2 * b2);
    double c0 = (std::sqrt(w * w) - w) * 0.5;
    if (c0 > sy * kCoordinateClip) {
        c0 = sy * kCoordinateClip;
    }
    p.MoveTo(x0, y0 - PixelCount(c0, sy));
    previous = p.SelectPen(kCurvePen);
    DrawTwoSiteCurve(p, TwoSiteCurve{k1, b1, k2, b2}, doc.m_dXMin, doc.m_dXMax, sx, sy, x0, y0);

    // Each site's line runs from its capacity on the x axis to Ka·Bmax on the y axis.
    p.MoveTo(PixelCount(b1, sx) + x0, y0);
    p.LineTo(x0, y0 - PixelCount(k1 * b1, sy));
    const double t = b2 / sx;
    if (t > kCoordinateClip) {
        p.MoveTo(kCoordinateClip, y0);
    } else {
        p.MoveTo(Trunc32(t) + x0, y0);
    }
    p.LineTo(x0, y0 - PixelCount(k2 * b2, sy));
    p.SetPen(previous);

    if (options.scales) {
        DrawScatchardScales(p, sx, sy);
        return;
    }
    p.TextOut(20.0, 180.0, "B/F");
    p.TextOut(230.0, 425.0, "Bound");
}

void DrawLineweaverBurk(const CLumoDoc& doc, PlotPainter& p, const PlotOptions& options) {
    constexpr double x0 = kLineweaverOriginX;
    constexpr double y0 = kOriginY;
    Pen previous = p.SelectPen(kAxisPen);
    const double sx = doc.m_dXMax * kScaleFraction;
    const double sy = doc.m_dYMax * kScaleFraction;
    SetUpPrinting(p.Surface());

    // The x axis reaches 200 pixels left of the origin, where -1/Km lies.
    p.MoveTo(x0, 10.0);
    p.LineTo(x0, y0);
    p.MoveTo(0.0, y0);
    p.LineTo(600.0, y0);
    p.SetPen(previous);

    // Each point is a "●" character centred on its pixel; the points are not joined.
    for (int i = 0; i < PointCount(doc); ++i) {
        p.TextOut(PixelCount(doc.m_dX[i], sx) + (x0 - 7.0),
                  (y0 - 7.0) - PixelCount(doc.m_dY[i], sy), "●");
    }

    // The fitted line from its x-axis intercept -1/Km, k pixels left of the origin, to the first
    // stored point. That end lies on the line only by chance (rows entered from high to low
    // [s] make it a stub, and a direct fit's line passes elsewhere), so with the scales the
    // line runs along the fit to the largest 1/[s].
    const double k = Trunc32((doc.m_dLbIntercept / doc.m_dLbSlope) / sx);
    previous = p.SelectPen(kCurvePen);
    p.MoveTo(x0 - k, y0);
    if (options.scales && PointCount(doc) > 0) {
        double xEnd = doc.m_dX[0];
        for (int i = 1; i < PointCount(doc); ++i) xEnd = std::max(xEnd, doc.m_dX[i]);
        const double yEnd = doc.m_dLbSlope * xEnd + doc.m_dLbIntercept;
        p.LineTo(PixelCount(xEnd, sx) + x0, y0 - PixelCount(yEnd, sy));
    } else {
        p.LineTo(PixelCount(doc.m_dX[0], sx) + x0, y0 - PixelCount(doc.m_dY[0], sy));
    }
    p.SetPen(previous);

    if (options.scales) {
        DrawLineweaverScales(p, sx, sy, k, PixelCount(doc.m_dLbIntercept, sy));
        return;
    }
    p.TextOut(390.0, 420.0, "1/[s]");
    p.TextOut(160.0, 200.0, "1/[v]");
    p.TextOut(170.0 - k, 420.0, "1/Km");
    p.TextOut(145.0, 380.0 - PixelCount(doc.m_dLbIntercept, sy), "1/Vmax");
}

}  // namespace

void DrawPlot(const CLumoDoc& doc, IDrawSurface& surface, const PlotOptions& options) {
    if (options.scales && IsDrawnKind(doc.m_plot.kind)) {
        SetUpPrinting(surface);
        DrawDescription(doc.m_plot, surface, options.frame, options.errorMeasure);
        return;
    }
    PlotPainter painter(surface);
    if (doc.m_nScatchard == 1) {
        DrawScatchard(doc, painter, options);
    } else if (doc.m_nLineweaver == 1) {
        DrawLineweaverBurk(doc, painter, options);
    }
}

}  // namespace lumo
