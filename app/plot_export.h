// The graph as a picture: on the clipboard, in a PNG, SVG or PDF file, and on a printed page.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

class QPainter;
class QPrinter;

namespace lumo {

class CLumoDoc;

// The exported picture covers the pane's axes and titles: (0, 0) is the pane's top-left
// pixel, so a point drawn at (x, y) in the pane is at (x, y) in the picture.
QSize PlotPictureSize();

// Draws the plot in the pane's own pixels on a white ground covering `size`.
void PaintPlot(const CLumoDoc& doc, QPainter& painter, const QSize& size);
QImage RenderPlotImage(const CLumoDoc& doc, const QSize& size = PlotPictureSize());

// The plot on one page, scaled to fit the printable area. `clientHeight` is the graph pane's
// height on screen.
void PrintPlot(const CLumoDoc& doc, QPrinter& printer, int clientHeight);

// True when the name ends in .png, .svg or .pdf (in any case).
bool IsPlotPictureName(const QString& path);

// Writes the picture in the format that the name's suffix asks for, replacing the file only
// once the picture is complete. On failure returns false with a message for the user.
bool SavePlotPicture(const CLumoDoc& doc, const QString& path, QString* error);

}  // namespace lumo
