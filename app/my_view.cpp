#include "app/my_view.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QSettings>

#include <algorithm>

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
    CreateViewOptionActions();

    m_doc.AddView(this);
}

CMyView::~CMyView() {
    m_doc.RemoveView(this);
}

void CMyView::OnUpdate(const void* /*sender*/) {
    update();
    if (ShowsPlot() != m_bShowedPlot) {
        m_bShowedPlot = ShowsPlot();
        emit PlotShownChanged();
    }
}

bool CMyView::ShowsPlot() const {
    return m_doc.m_nScatchard == 1 || m_doc.m_nLineweaver == 1 ||
           (ShowScales() && IsDrawnKind(m_doc.m_plot.kind));
}

void CMyView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    DrawGraph(painter);
    if (hasFocus()) DrawFocusFrame(painter);
}

void CMyView::DrawGraph(QPainter& painter) {
    QPainterSurface surface(painter, PlotFont(), height());
    PlotOptions options = DrawingOptions();
    if (options.scales && IsDrawnKind(m_doc.m_plot.kind)) {
        // The newer kinds lay themselves out in the pane's own size.
        options.frame = {0.0, 0.0, static_cast<double>(width()), static_cast<double>(height())};
        DrawPlot(m_doc, surface, options);
        return;
    }
    if (!ActualSize()) {
        const double scale = FitScale();
        if (!(scale > 0.0)) return;
        surface.SetFitMapping(scale, FitOffset());
    }
    DrawPlot(m_doc, surface, options);
}

double CMyView::FitScale() const {
    const QRectF area = PrintedPlotArea();
    return std::max(0.0, std::min(width() / area.width(), height() / area.height()));
}

QPointF CMyView::FitOffset() const {
    // The plot's area, scaled, stands in the middle of the pane.
    const QRectF area = PrintedPlotArea();
    const double scale = FitScale();
    return QPointF((width() - area.width() * scale) / 2.0 - area.left() * scale,
                   (height() - area.height() * scale) / 2.0 - area.top() * scale);
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
    const std::string& path = m_doc.PathName();
    const QString name =
        path.empty() ? QStringLiteral("VARNEL")
                     : QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).fileName();
    PrintPlot(m_doc, printer, height(), DrawingOptions(), name);
}

void CMyView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(m_pCopyAct);
    menu.addAction(m_pSaveAct);
    menu.addAction(m_pSaveFineAct);
    menu.addSeparator();
    menu.addAction(m_pScalesAct);
    menu.addAction(m_pActualSizeAct);
    QMenu* bars = menu.addMenu(QStringLiteral("エラーバー(&E)"));
    bars->addAction(m_pSdAct);
    bars->addAction(m_pSemAct);
    bars->addAction(m_pCi95Act);
    menu.exec(event->globalPos());
}

void CMyView::OnCopyPlot() {
    // The exported picture rather than a grab of the pane, so a pane smaller than the plot
    // still copies all of it.
    QApplication::clipboard()->setImage(RenderPlotImage(m_doc, {ShowScales(), 1, ErrorBars()}));
}

void CMyView::OnSavePlotAs() {
    SavePlotAs(1);
}

void CMyView::OnSavePlotFine() {
    SavePlotAs(4);
}

void CMyView::SavePlotAs(int resolution) {
    const QString path =
        m_dialogs.GetSavePlotFileName(QDir::current().filePath(QStringLiteral("graph.png")));
    if (path.isEmpty()) return;
    QString error;
    if (!SavePlotPicture(m_doc, path, &error, {ShowScales(), resolution, ErrorBars()})) {
        m_dialogs.MessageBox(error.toStdString());
    }
}

// The view options live in the program's settings beside the window's geometry.
namespace {
const char kShowScalesKey[] = "graph/showScales";
const char kActualSizeKey[] = "graph/actualSize";
const char kErrorBarsKey[] = "graph/errorBars";

QSettings ViewSettings() {
    return QSettings(QStringLiteral("lumo"), QStringLiteral("lumo"));
}
}  // namespace

void CMyView::CreateViewOptionActions() {
    m_pSaveFineAct = new QAction(QStringLiteral("グラフを4倍の解像度で保存(&H)..."), this);
    connect(m_pSaveFineAct, &QAction::triggered, this, &CMyView::OnSavePlotFine);

    m_pScalesAct = new QAction(QStringLiteral("目盛りを表示"), this);
    m_pScalesAct->setCheckable(true);
    m_pActualSizeAct = new QAction(QStringLiteral("実寸で表示"), this);
    m_pActualSizeAct->setCheckable(true);
    auto* bars = new QActionGroup(this);
    m_pSdAct = new QAction(QStringLiteral("平均 ± SD"), bars);
    m_pSemAct = new QAction(QStringLiteral("平均 ± SEM"), bars);
    m_pCi95Act = new QAction(QStringLiteral("平均と 95% 信頼区間"), bars);
    for (QAction* act : {m_pSdAct, m_pSemAct, m_pCi95Act}) act->setCheckable(true);
    ReadViewOptions();
    for (QAction* act : {m_pScalesAct, m_pActualSizeAct, m_pSdAct, m_pSemAct, m_pCi95Act}) {
        connect(act, &QAction::toggled, this, [this] {
            WriteViewOptions();
            update();
        });
    }
}

void CMyView::ReadViewOptions() {
    QSettings settings = ViewSettings();
    m_pScalesAct->setChecked(settings.value(QLatin1String(kShowScalesKey), true).toBool());
    m_pActualSizeAct->setChecked(settings.value(QLatin1String(kActualSizeKey), false).toBool());
    const QString bars = settings.value(QLatin1String(kErrorBarsKey)).toString();
    QAction* chosen = m_pSdAct;
    if (bars == QLatin1String(ErrorMeasureName(ErrorMeasure::kSem))) chosen = m_pSemAct;
    if (bars == QLatin1String(ErrorMeasureName(ErrorMeasure::kCi95))) chosen = m_pCi95Act;
    chosen->setChecked(true);
}

void CMyView::WriteViewOptions() const {
    QSettings settings = ViewSettings();
    settings.setValue(QLatin1String(kShowScalesKey), ShowScales());
    settings.setValue(QLatin1String(kActualSizeKey), ActualSize());
    settings.setValue(QLatin1String(kErrorBarsKey), QLatin1String(ErrorMeasureName(ErrorBars())));
}

QAction* CMyView::ErrorBarAction(ErrorMeasure measure) const {
    switch (measure) {
        case ErrorMeasure::kSem:
            return m_pSemAct;
        case ErrorMeasure::kCi95:
            return m_pCi95Act;
        default:
            return m_pSdAct;
    }
}

ErrorMeasure CMyView::ErrorBars() const {
    if (m_pSemAct->isChecked()) return ErrorMeasure::kSem;
    if (m_pCi95Act->isChecked()) return ErrorMeasure::kCi95;
    return ErrorMeasure::kSd;
}

bool CMyView::ShowScales() const {
    return m_pScalesAct->isChecked();
}

bool CMyView::ActualSize() const {
    return m_pActualSizeAct->isChecked();
}

PlotOptions CMyView::DrawingOptions() const {
    PlotOptions options;
    options.scales = ShowScales();
    options.errorMeasure = ErrorBars();
    return options;
}

}  // namespace lumo
