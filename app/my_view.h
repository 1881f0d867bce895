// The graph pane: draws the plot record of the document and holds nothing of its own.
#pragma once

#include <QPointF>
#include <QWidget>

#include "graph/plot_drawing.h"
#include "worksheet/lumo_doc.h"

class QAction;
class QPainter;
class QPrinter;

namespace lumo {

class IFrameDialogs;

class CMyView : public QWidget, public IDocumentView {
    Q_OBJECT

  public:
    CMyView(CLumoDoc& doc, IFrameDialogs& dialogs, QWidget* parent = nullptr);
    ~CMyView() override;

    CLumoDoc& GetDocument() const { return m_doc; }

    // The document changed: repaint the whole pane at the next paint.
    void OnUpdate(const void* sender) override;
    // True when the document holds a plot for the pane; false while the pane is blank.
    bool ShowsPlot() const;

    // The plot on one page.
    void Print(QPrinter& printer) const;

    QAction* CopyPlotAction() const { return m_pCopyAct; }
    QAction* SavePlotAction() const { return m_pSaveAct; }
    QAction* SavePlotFineAction() const { return m_pSaveFineAct; }

    // The view options of the context menu, kept in the settings: the scales ("目盛りを表示",
    // on at first) and the classic fixed-size drawing instead of fitting the picture to the
    // pane ("実寸で表示", off at first).
    QAction* ShowScalesAction() const { return m_pScalesAct; }
    // The group plots' bars ("エラーバー": SD at first, SEM or the 95 % confidence interval),
    // kept in the settings; `lumo --run --plot` always draws SD.
    QAction* ErrorBarAction(ErrorMeasure measure) const;
    ErrorMeasure ErrorBars() const;
    QAction* ActualSizeAction() const { return m_pActualSizeAct; }
    bool ShowScales() const;
    bool ActualSize() const;
    PlotOptions DrawingOptions() const;
    // The scale and offset from the pane's coordinates to the widget's pixels when the picture
    // is fitted to the pane; scale 0 when the pane has no room at all.
    double FitScale() const;
    QPointF FitOffset() const;

  signals:
    // The pane went from blank to showing a plot, or back.
    void PlotShownChanged();

  public slots:
    void OnCopyPlot();
    void OnSavePlotAs();
    void OnSavePlotFine();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void CreateViewOptionActions();
    void ReadViewOptions();
    void WriteViewOptions() const;
    void DrawGraph(QPainter& painter);
    void SavePlotAs(int resolution);
    void DrawFocusFrame(QPainter& painter) const;

    CLumoDoc& m_doc;
    IFrameDialogs& m_dialogs;
    QAction* m_pCopyAct;
    QAction* m_pSaveAct;
    QAction* m_pSaveFineAct = nullptr;
    QAction* m_pScalesAct = nullptr;
    QAction* m_pActualSizeAct = nullptr;
    QAction* m_pSdAct = nullptr;
    QAction* m_pSemAct = nullptr;
    QAction* m_pCi95Act = nullptr;
    bool m_bShowedPlot = false;
};

}  // namespace lumo
