// The graph pane's picture: the Scatchard plot, the Lineweaver-Burk plot or nothing, drawn from
// the plot record onto any drawing surface (the pane, a printer page, a picture file, or a
// recording in the tests).
#pragma once

#include "graph/draw_surface.h"
#include "graph/plot_kinds.h"
#include "worksheet/lumo_doc.h"

namespace lumo {

// The drawing constants, in pane pixels.
inline constexpr double kScaleFraction = 0.0025;  // the extents lie 400 pixels from the origin
inline constexpr int kScatchardOriginX = 50;
inline constexpr int kLineweaverOriginX = 200;
inline constexpr int kOriginY = 410;
inline constexpr double kCoordinateClip = 32000.0;
inline constexpr Pen kAxisPen{3, {0, 0, 255}};
inline constexpr Pen kCurvePen{1, {255, 0, 0}};

// What the user chose to see beside the plot.
struct PlotOptions {
    // Tick marks with numbers on both axes, the titles laid out around them. Off draws the
    // classic picture, primitive for primitive.
    bool scales = false;
    // With the scales, the newer kinds fill this frame (the pane, the picture, the page) and
    // draw group bars in this measure.
    FrameBox frame{};
    ErrorMeasure errorMeasure = ErrorMeasure::kSd;
};

// With the scales on and a description of a newer kind, draws the description; otherwise the
// plot that the record's mode flags select. Every paint redraws everything; nothing
// is kept between calls. When the surface prints, the pane is mapped onto the page once, before
// anything is drawn.
void DrawPlot(const CLumoDoc& doc, IDrawSurface& surface, const PlotOptions& options = {});

}  // namespace lumo
