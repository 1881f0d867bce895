#include "app/plot_export.h"

#include <QDate>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>

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

void PaintPlot(const CLumoDoc& doc, QPainter& painter, const QSize& size,
               const PlotOptions& options) {
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    QPainterSurface surface(painter, PlotFont(), size.height());
    PlotOptions framed = options;
    framed.frame = {0.0, 0.0, static_cast<double>(size.width()),
                    static_cast<double>(size.height())};
    DrawPlot(doc, surface, framed);
}

QImage RenderPlotImage(const CLumoDoc& doc, const PictureOptions& options) {
    const int n = std::clamp(options.resolution, 1, kMaxPictureResolution);
    const QSize size = PlotPictureSize();
    QImage image(size * n, QImage::Format_RGB32);
    QPainter painter(&image);
    // The same picture, n device pixels per pane pixel: lines, markers and texts all grow.
    painter.scale(n, n);
    PaintPlot(doc, painter, size, PlotOptions{options.scales, {}, options.errorMeasure});
    painter.end();
    return image;
}

QRectF PrintedPlotRect(const QRectF& page, double dotsPerInch) {
    // 15 mm of white round the plot, less on a page too small for it; one header line on top.
    const double margin = std::min(dotsPerInch * 15.0 / 25.4, page.width() * 0.08);
    const double headerHeight = dotsPerInch * 10.0 / 72.0 * 2.0;
    const QRectF room = page.adjusted(margin, margin + headerHeight, -margin, -margin);
    const QRectF area = PrintedPlotArea();
    const double scale = std::min(room.width() / area.width(), room.height() / area.height());
    const QSizeF size(area.width() * scale, area.height() * scale);
    return QRectF(room.center() - QPointF(size.width() / 2.0, size.height() / 2.0), size);
}

void PaintPrintedPage(const CLumoDoc& doc, QPainter& painter, const QRectF& page,
                      double dotsPerInch, int clientHeight, const PlotOptions& options,
                      const QString& header) {
    const double margin = std::min(dotsPerInch * 15.0 / 25.4, page.width() * 0.08);
    QFont font = PlotFont();
    font.setPixelSize(std::max(1, static_cast<int>(dotsPerInch * 10.0 / 72.0)));
    painter.save();
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QRectF headerRect(page.left() + margin, page.top() + margin, page.width() - 2 * margin,
                            QFontMetricsF(font).height());
    painter.drawText(headerRect, Qt::AlignLeft | Qt::AlignVCenter, header);
    painter.drawText(headerRect, Qt::AlignRight | Qt::AlignVCenter,
                     QDate::currentDate().toString(Qt::ISODate));
    painter.restore();

    QPainterSurface surface(painter, PlotFont(), clientHeight, PrintedPlotRect(page, dotsPerInch));
    // The newer kinds fill the area that the page mapping shows.
    PlotOptions framed = options;
    const QRectF area = PrintedPlotArea();
    framed.frame = {area.left(), area.top(), area.width(), area.height()};
    DrawPlot(doc, surface, framed);
}

void PrintPlot(const CLumoDoc& doc, QPrinter& printer, int clientHeight, const PlotOptions& options,
               const QString& header) {
    QPainter painter;
    if (!painter.begin(&printer)) return;
    const QRectF page(0.0, 0.0, printer.width(), printer.height());
    PaintPrintedPage(doc, painter, page, printer.resolution(), clientHeight, options, header);
    painter.end();
}

bool IsPlotPictureName(const QString& path) {
    const QString suffix = Suffix(path);
    return suffix == QLatin1String("png") || suffix == QLatin1String("svg") ||
           suffix == QLatin1String("pdf");
}

bool SavePlotPicture(const CLumoDoc& doc, const QString& path, QString* error,
                     const PictureOptions& options) {
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
        painted = RenderPlotImage(doc, options).save(&file, "PNG");
    } else if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QStringLiteral("Lumo"));
        QPainter painter;
        painted = painter.begin(&svg);
        if (painted)
            PaintPlot(doc, painter, size, PlotOptions{options.scales, {}, options.errorMeasure});
    } else {
        // One point of the page per pixel of the pane, so the page is the picture.
        QPdfWriter pdf(&file);
        pdf.setResolution(72);
        pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(QStringLiteral("Lumo"));
        QPainter painter;
        painted = painter.begin(&pdf);
        if (painted)
            PaintPlot(doc, painter, size, PlotOptions{options.scales, {}, options.errorMeasure});
    }
    if (!painted) {
        file.cancelWriting();
        return fail(QStringLiteral("描画できませんでした"));
    }
    if (!file.commit()) return fail(file.errorString());
    return true;
}

}  // namespace lumo
