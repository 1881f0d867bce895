#include "app/my_view.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QMenu>
#include <QPainter>

#include "app/frame_dialogs.h"
#include "app/painter_surface.h"
#include "app/plot_export.h"
#include "graph/plot_drawing.h"

namespace lumo {

CMyView::CMyView(CLumoDoc& doc, IFrameDialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_dialogs(dialogs) {
    // The pane erases itself to white in every paint; the focus comes with F6 or a click.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    setMinimumSize(0, 0);

    m_pCopyAct = new QAction(QStringLiteral("グラフをクリップボードにコピー(&C)"), this);
    connect(m_pCopyAct, &QAction::triggered, this, &CMyView::OnCopyPlot);
    m_pSaveAct = new QAction(QStringLiteral("グラフを画像として保存(&S)..."), this);
    connect(m_pSaveAct, &QAction::triggered, this, &CMyView::OnSavePlotAs);

    m_doc.AddView(this);
}

CMyView::~CMyView() {
    m_doc.RemoveView(this);
}

void CMyView::OnUpdate(const void* /*sender*/) {
    update();
}

void CMyView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    QPainterSurface surface(painter, PlotFont(), height());
    DrawPlot(m_doc, surface);
    if (hasFocus()) DrawFocusFrame(painter);
}

// The pane shows that the keys go to it, so Ctrl+C is seen to copy the graph. The frame is
// drawn on screen only: prints and copies of the plot never carry it.
void CMyView::DrawFocusFrame(QPainter& painter) const {
    painter.resetTransform();
    painter.setClipping(false);
    QPen pen(palette().color(QPalette::Highlight), 2, Qt::DotLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

void CMyView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void CMyView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void CMyView::Print(QPrinter& printer) const {
    PrintPlot(m_doc, printer, height());
}

void CMyView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(m_pCopyAct);
    menu.addAction(m_pSaveAct);
    menu.exec(event->globalPos());
}

void CMyView::OnCopyPlot() {
    // The exported picture rather than a grab of the pane, so a pane smaller than the plot
    // still copies all of it.
    QApplication::clipboard()->setImage(RenderPlotImage(m_doc));
}

void CMyView::OnSavePlotAs() {
    const QString path =
        m_dialogs.GetSavePlotFileName(QDir::current().filePath(QStringLiteral("graph.png")));
    if (path.isEmpty()) return;
    QString error;
    if (!SavePlotPicture(m_doc, path, &error)) m_dialogs.MessageBox(error.toStdString());
}

}  // namespace lumo
