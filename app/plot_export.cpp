#include "app/plot_export.h"

#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QSvgGenerator>

#include "app/painter_surface.h"
#include "graph/plot_drawing.h"

namespace lumo {
namespace {

QString Suffix(const QString& path) {
    return QFileInfo(path).suffix().toLower();
}

}  // namespace

QSize PlotPictureSize() {
    // The titles under the x axis start at y = 425 and are one text line high.
    return QSize(640, 460);
}

void PaintPlot(const CLumoDoc& doc, QPainter& painter, const QSize& size) {
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    QPainterSurface surface(painter, PlotFont(), size.height());
    DrawPlot(doc, surface);
}

QImage RenderPlotImage(const CLumoDoc& doc, const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    PaintPlot(doc, painter, size);
    painter.end();
    return image;
}

void PrintPlot(const CLumoDoc& doc, QPrinter& printer, int clientHeight) {
    QPainter painter;
    if (!painter.begin(&printer)) return;
    const QRectF page(0.0, 0.0, printer.width(), printer.height());
    QPainterSurface surface(painter, PlotFont(), clientHeight, page);
    DrawPlot(doc, surface);
    painter.end();
}

bool IsPlotPictureName(const QString& path) {
    const QString suffix = Suffix(path);
    return suffix == QLatin1String("png") || suffix == QLatin1String("svg") ||
           suffix == QLatin1String("pdf");
}

bool SavePlotPicture(const CLumoDoc& doc, const QString& path, QString* error) {
    auto fail = [&](const QString& reason) {
        if (error != nullptr) {
            *error = QStringLiteral("グラフを %1 に保存できませんでした。(%2)").arg(path, reason);
        }
        return false;
    };
    if (!IsPlotPictureName(path)) {
        return fail(QStringLiteral("名前の末尾は .png、.svg、.pdf のどれかにして下さい"));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return fail(file.errorString());

    const QString suffix = Suffix(path);
    const QSize size = PlotPictureSize();
    bool painted = true;
    if (suffix == QLatin1String("png")) {
        painted = RenderPlotImage(doc, size).save(&file, "PNG");
    } else if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QStringLiteral("Lumo"));
        QPainter painter;
        painted = painter.begin(&svg);
        if (painted) PaintPlot(doc, painter, size);
    } else {
        // One point of the page per pixel of the pane, so the page is the picture.
        QPdfWriter pdf(&file);
        pdf.setResolution(72);
        pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(QStringLiteral("Lumo"));
        QPainter painter;
        painted = painter.begin(&pdf);
        if (painted) PaintPlot(doc, painter, size);
    }
    if (!painted) {
        file.cancelWriting();
        return fail(QStringLiteral("描画できませんでした"));
    }
    if (!file.commit()) return fail(file.errorString());
    return true;
}

}  // namespace lumo
