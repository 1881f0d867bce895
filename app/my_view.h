// The graph pane: draws the plot record of the document and holds nothing of its own.
#pragma once

#include <QWidget>

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

    // The plot on one page.
    void Print(QPrinter& printer) const;

    QAction* CopyPlotAction() const { return m_pCopyAct; }
    QAction* SavePlotAction() const { return m_pSaveAct; }

  public slots:
    void OnCopyPlot();
    void OnSavePlotAs();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void DrawFocusFrame(QPainter& painter) const;

    CLumoDoc& m_doc;
    IFrameDialogs& m_dialogs;
    QAction* m_pCopyAct;
    QAction* m_pSaveAct;
};

}  // namespace lumo
