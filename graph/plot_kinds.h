// The newer plot kinds ("groups", "before_after", "xy", "curve") drawn from a plot description
// into a frame of any size: text, markers and lines are sized from the frame, so the picture
// reads the same in a small pane, on a full screen, in a 4× picture and on paper.
#pragma once

#include <string>
#include <vector>

#include "graph/draw_surface.h"
#include "graph/plot_scales.h"
#include "worksheet/plot_description.h"

namespace lumo {

// The rectangle the picture fills, in surface units.
struct FrameBox {
    double left = 0.0;
    double top = 0.0;
    double width = 640.0;
    double height = 460.0;
};

// True for the kinds that DrawDescription draws.
bool IsDrawnKind(PlotKind kind);

// Where everything of one description goes in one frame.
class PlotLayout {
  public:
    PlotLayout(const PlotDescription& plot, const IDrawSurface& surface, const FrameBox& frame);

    // Data to surface units; NaN for a value the axis cannot show (≤ 0 on a log axis).
    double X(double v) const;
    double Y(double v) const;
    double R(double v) const;  // the residual strip

    double textSize = 14.0;
    double markerRadius = 4.5;
    double lineWidth = 1.0;
    double lineHeight = 20.0;
    // The data area, and the residual strip under it when there is one.
    double left = 0.0;
    double right = 0.0;
    double top = 0.0;
    double bottom = 0.0;
    double stripTop = 0.0;
    double stripBottom = 0.0;
    double legendLeft = 0.0;
    AxisScale xScale;
    AxisScale yScale;
    AxisScale rScale;

  private:
    const PlotDescription& m_plot;
};

// Draws a description of a drawn kind; group bars in `measure` (a median plot keeps its IQR).
void DrawDescription(const PlotDescription& plot, IDrawSurface& surface, const FrameBox& frame,
                     ErrorMeasure measure = ErrorMeasure::kSd);

// The legend's words for the group bars: "平均 ± SD", "中央値と四分位範囲", …
std::string ErrorMeasureLegend(ErrorMeasure measure);

// The sideways offsets, in surface units, that keep markers of one group from covering each
// other: `ys` are their heights, `spacing` the least distance between two centres, `limit`
// the largest offset either way. Points that need no room keep offset 0.
std::vector<double> SpreadOffsets(const std::vector<double>& ys, double spacing, double limit);

}  // namespace lumo
