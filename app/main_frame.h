// The main window: the worksheet above, the graph pane below, and the menus.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <memory>

#include "app/about_dialog.h"
#include "worksheet/lumo_doc.h"

class QAction;
class QMenu;
class QPrinter;
class QSplitter;

namespace lumo {

class CLumoView;
class CMyView;
class CRecovery;
class IFrameDialogs;

class CMainFrame : public QMainWindow {
    Q_OBJECT

  public:
    // Without `dialogs` the window asks its questions with the real dialogs.
    explicit CMainFrame(IFrameDialogs* dialogs = nullptr, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CLumoDoc& GetDocument() { return m_doc; }
    CLumoView* Worksheet() const { return m_pView; }
    CMyView* GraphPane() const { return m_pGraph; }
    QSplitter* Splitter() const { return m_wndSplitter; }
    IFrameDialogs& Dialogs() const { return *m_pDialogs; }

    // The action of a command number (see commands.h); the recent files are 57616 onward.
    QAction* CommandAction(int command) const;
    QAction* RecentFilePlaceholder() const { return m_pRecentPlaceholderAct; }
    QStringList RecentFiles() const { return m_recentFiles; }

    // Opens a file as File, Open does after its dialog; false, after telling the user, when
    // the file cannot be opened (the worksheet then keeps its text).
    bool OpenDocumentFile(const QString& path);

    // At start: offers what a run that did not end left in its recovery copy (only a copy of
    // `openedFile`, when the program was started with one).
    void OfferRecovery(const QString& openedFile);
    CRecovery& Recovery() const { return *m_pRecovery; }

    // Where Help looks for its page.
    void SetHelpSearchPaths(const QStringList& paths) { m_helpPaths = paths; }
    CHelpWindow* HelpWindow() const { return m_pHelpWindow; }

    // The pane that printing and print preview act on: the one that last had the focus.
    bool IsGraphPaneActive() const { return m_bGraphActive; }

  public slots:
    void OnFileNew();
    void OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnFilePrintSetup();
    void OnAppAbout();
    void OnHelp();
    void OnNextPane();
    void OnPrevPane();
    // Opens a dropped file as File, Open does, asking first to save a modified worksheet.
    void OnFileDropped(const QString& path);

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void createActions();
    void createMenus();
    void readSettings();
    void writeSettings() const;
    QSize InitialWindowSize() const;
    void FitSplitterToWindow();
    void FitSplitter(int total);

    QAction* AddCommand(int command, const QString& text);
    void AddAnalysis(QMenu* menu, int command, const char* analysisName, const QString& text);
    bool maybeSave();
    bool SaveDocument(const QString& path);
    void OnOpenRecentFile(int index);
    void AddRecentFile(const QString& path);
    void RemoveRecentFile(const QString& path);
    void UpdateRecentFileActions();
    void UpdateTitle();
    QString DocumentName() const;
    QPrinter& Printer();
    void PrintActivePane(QPrinter& printer, bool graph);
    void OnFocusChanged(QWidget* old, QWidget* now);
    void OnEditUndo();
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void UpdateEditActions();

    CLumoDoc m_doc;
    std::unique_ptr<IFrameDialogs> m_pOwnDialogs;
    IFrameDialogs* m_pDialogs;
    QSplitter* m_wndSplitter = nullptr;
    CLumoView* m_pView = nullptr;
    CMyView* m_pGraph = nullptr;
    bool m_bGraphActive = false;
    bool m_bStartPending = true;  // until the first frame is painted
    bool m_bUserSplit = false;    // the user has dragged the bar: the split stays theirs

    QList<QAction*> m_commandActs;
    QAction* m_pRecentPlaceholderAct = nullptr;
    QAction* m_pRecentFileActs[4] = {};
    QStringList m_recentFiles;

    std::unique_ptr<QPrinter> m_pPrinter;
    QStringList m_helpPaths;
    QPointer<CHelpWindow> m_pHelpWindow;
    std::unique_ptr<CRecovery> m_pRecovery;
};

// The title field of the window caption: the program's name after 31 blanks, as it has always
// stood in the title bar.
QString FrameTitle();

}  // namespace lumo
