// The graph as a picture: on the clipboard, in a PNG, SVG or PDF file, and on a printed page.
#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>

#include "graph/plot_drawing.h"

class QPainter;
class QPrinter;

namespace lumo {

class CLumoDoc;

// What a picture of the plot shows and how finely.
struct PictureOptions {
    bool scales = false;  // the scales as the pane's "目盛りを表示" shows them
    int resolution = 1;   // pixels of a PNG per pixel of the pane; SVG and PDF stay vector
    ErrorMeasure errorMeasure = ErrorMeasure::kSd;  // the group bars, as the pane shows them
};
inline constexpr int kMaxPictureResolution = 8;

// The exported picture covers the pane's axes and titles: (0, 0) is the pane's top-left
// pixel, so a point drawn at (x, y) in the pane is at (x, y) in the picture (at (N·x, N·y) at
// resolution N).
QSize PlotPictureSize();

// Draws the plot in the pane's own pixels on a white ground covering `size`.
void PaintPlot(const CLumoDoc& doc, QPainter& painter, const QSize& size,
               const PlotOptions& options = {});
QImage RenderPlotImage(const CLumoDoc& doc, const PictureOptions& options = {});

// The printed page: a header line with `header` on the left and the date on the right, and
// below it the plot, centred and as wide as the page's margins allow. `page` is the printable
// area in the painter's coordinates, `dotsPerInch` the device's resolution.
void PaintPrintedPage(const CLumoDoc& doc, QPainter& painter, const QRectF& page,
                      double dotsPerInch, int clientHeight, const PlotOptions& options,
                      const QString& header);
// Where the plot goes on such a page.
QRectF PrintedPlotRect(const QRectF& page, double dotsPerInch);

// The plot on one page. `clientHeight` is the graph pane's height on screen.
void PrintPlot(const CLumoDoc& doc, QPrinter& printer, int clientHeight,
               const PlotOptions& options = {}, const QString& header = QString());

// True when the name ends in .png, .svg or .pdf (in any case).
bool IsPlotPictureName(const QString& path);

// Writes the picture in the format that the name's suffix asks for, replacing the file only
// once the picture is complete. On failure returns false with a message for the user.
bool SavePlotPicture(const CLumoDoc& doc, const QString& path, QString* error,
                     const PictureOptions& options = {});

}  // namespace lumo
