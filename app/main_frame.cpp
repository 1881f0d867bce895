#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QResizeEvent>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTimer>

#include <algorithm>

#include "app/about_dialog.h"
#include "app/analysis_table.h"
#include "app/commands.h"
#include "app/frame_dialogs.h"
#include "app/lumo_view.h"
#include "app/my_view.h"
#include "app/recovery.h"

namespace lumo {
namespace {

// The name an untitled worksheet goes by in the caption and in the save question.
const char kNewFileName[] = "VARNEL";

constexpr int kInitialGraphHeight = 460;   // room for the whole plot with its titles
constexpr int kWindowFrameAllowance = 40;  // title bar and borders around the client area

QSettings ProgramSettings() {
    return QSettings(QStringLiteral("lumo"), QStringLiteral("lumo"));
}

std::string NativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Whether the name reads as text and back to the same bytes: only such a name can go where
// names are kept as text (the recent-file list).
bool IsTextName(const std::string& path) {
    return NativePath(QFile::decodeName(QByteArray::fromStdString(path))) == path;
}

// An absolute, clean name; one that is no text keeps its bytes and is only made absolute.
std::string AbsoluteNativePath(const std::string& path) {
    if (path.empty()) return path;
    if (IsTextName(path)) {
        return NativePath(
            QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).absoluteFilePath());
    }
    return path.front() == '/' ? path : NativePath(QDir::currentPath()) + "/" + path;
}

QString FromNativePath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

QString FrameTitle() {
    return QString(31, QLatin1Char(' ')) + QStringLiteral("VARNEL System - Lumo");
}

CMainFrame::CMainFrame(IFrameDialogs* dialogs, QWidget* parent) : QMainWindow(parent) {
    if (dialogs == nullptr) {
        m_pOwnDialogs = std::make_unique<QtFrameDialogs>(this);
        dialogs = m_pOwnDialogs.get();
    }
    m_pDialogs = dialogs;
    m_helpPaths = DefaultHelpPaths();

    // A static splitter of two rows whose split follows the window's height (FitSplitter)
    // until the user drags the bar.
    m_wndSplitter = new QSplitter(Qt::Vertical, this);
    m_pView = new CLumoView(m_doc, *m_pDialogs, m_wndSplitter);
    m_pGraph = new CMyView(m_doc, *m_pDialogs, m_wndSplitter);
    m_wndSplitter->addWidget(m_pView);
    m_wndSplitter->addWidget(m_pGraph);
    m_wndSplitter->setSizes({kInitialGraphHeight, kInitialGraphHeight});
    m_wndSplitter->installEventFilter(this);
    connect(m_wndSplitter, &QSplitter::splitterMoved, this, [this] { m_bUserSplit = true; });
    connect(m_pGraph, &CMyView::PlotShownChanged, this, [this] {
        if (!m_bUserSplit) FitSplitter(m_wndSplitter->height() - m_wndSplitter->handleWidth());
    });
    setCentralWidget(m_wndSplitter);

    createActions();
    createMenus();
    readSettings();

    m_doc.SetModifiedListener([this] { setWindowModified(m_doc.IsModified()); });
    m_pRecovery = std::make_unique<CRecovery>(m_doc);
    connect(qApp, &QApplication::focusChanged, this, &CMainFrame::OnFocusChanged);
    // Queued, so the save question comes after the drop has finished.
    connect(m_pView, &CLumoView::FileDropped, this, &CMainFrame::OnFileDropped,
            Qt::QueuedConnection);
    setAcceptDrops(true);
    UpdateTitle();
    m_pView->setFocus();
}

bool CMainFrame::event(QEvent* event) {
    // Three pieces of the start wait until the first frame is painted, so that the window
    // appears without them: the icon, drawn from its SVG at every size the desktop may ask
    // for, the paste command's state, which asks the display for the clipboard, and the
    // recovery lock, which is synced to disk.
    if (m_bStartPending && event->type() == QEvent::Paint) {
        m_bStartPending = false;
        QTimer::singleShot(0, this, [this] {
            setWindowIcon(AppIcon());
            UpdateEditActions();
            m_pRecovery->TakeLock();
        });
    }
    return QMainWindow::event(event);
}

CMainFrame::~CMainFrame() {
    m_doc.SetModifiedListener({});
    // The panes go below; focus and clipboard news must not reach this half-destroyed window.
    disconnect(qApp, nullptr, this, nullptr);
    QApplication::clipboard()->disconnect(this);
    m_pRecovery.reset();
    // The panes refer to the document, which goes before the window's children would.
    delete m_wndSplitter;
}

QAction* CMainFrame::AddCommand(int command, const QString& text) {
    auto* action = new QAction(text, this);
    action->setData(command);
    m_commandActs.append(action);
    return action;
}

void CMainFrame::AddAnalysis(QMenu* menu, int command, const char* analysisName,
                             const QString& text) {
    QAction* action = AddCommand(command, text);
    const AnalysisEntry* analysis = FindAnalysis(analysisName);
    if (analysis == nullptr) {
        // Not part of this build: the item shows, grayed.
        action->setEnabled(false);
    } else {
        connect(action, &QAction::triggered, this,
                [this, analysis] { m_pView->RunAnalysis(*analysis); });
    }
    menu->addAction(action);
}

void CMainFrame::createActions() {
    QAction* act = AddCommand(cmd::kFileOpen, QStringLiteral("開く(&O)...\tCtrl+O"));
    act->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(act, &QAction::triggered, this, &CMainFrame::OnFileOpen);

    act = AddCommand(cmd::kFileNew, QStringLiteral("画面クリア&N)\tCtrl+N"));
    act->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(act, &QAction::triggered, this, &CMainFrame::OnFileNew);

    act = AddCommand(cmd::kFileSave, QStringLiteral("上書き保存(&S)\tCtrl+S"));
    act->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(act, &QAction::triggered, this, &CMainFrame::OnFileSave);

    act = AddCommand(cmd::kFileSaveAs, QStringLiteral("名前を付けて保存(&A)..."));
    connect(act, &QAction::triggered, this, &CMainFrame::OnFileSaveAs);

    act = AddCommand(cmd::kFilePrint, QStringLiteral("印刷(&P)...\tCtrl+P"));
    act->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(act, &QAction::triggered, this, &CMainFrame::OnFilePrint);

    act = AddCommand(cmd::kFilePrintPreview, QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰ(&V)"));
    connect(act, &QAction::triggered, this, &CMainFrame::OnFilePrintPreview);

    act = AddCommand(cmd::kFilePrintSetup, QStringLiteral("ﾌﾟﾘﾝﾀの設定(&R)..."));
    connect(act, &QAction::triggered, this, &CMainFrame::OnFilePrintSetup);

    act = AddCommand(cmd::kScreenCopyHint, QStringLiteral("画面をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ"));
    connect(act, &QAction::triggered, m_pView, &CLumoView::OnScreenCopyHint);

    m_pRecentPlaceholderAct = new QAction(QStringLiteral("最新のﾌｧｲﾙ"), this);
    m_pRecentPlaceholderAct->setEnabled(false);
    for (int i = 0; i < cmd::kMaxRecentFiles; ++i) {
        m_pRecentFileActs[i] = AddCommand(cmd::kFileMruFile1 + i, QString());
        m_pRecentFileActs[i]->setVisible(false);
        connect(m_pRecentFileActs[i], &QAction::triggered, this,
                [this, i] { OnOpenRecentFile(i); });
    }

    act = AddCommand(cmd::kAppExit, QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"));
    connect(act, &QAction::triggered, this, &QWidget::close);

    act = AddCommand(cmd::kEditUndo, QStringLiteral("元に戻す(&U)\tCtrl+Z"));
    act->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    connect(act, &QAction::triggered, this, &CMainFrame::OnEditUndo);

    act = AddCommand(cmd::kEditCut, QStringLiteral("切り取り(&T)\tCtrl+X"));
    act->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
    connect(act, &QAction::triggered, this, &CMainFrame::OnEditCut);

    act = AddCommand(cmd::kEditCopy, QStringLiteral("ｺﾋﾟｰ(&C)\tCtrl+C"));
    act->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    connect(act, &QAction::triggered, this, &CMainFrame::OnEditCopy);

    act = AddCommand(cmd::kEditPaste, QStringLiteral("貼り付け(&P)\tCtrl+V"));
    act->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
    connect(act, &QAction::triggered, this, &CMainFrame::OnEditPaste);

    connect(m_pView, &QPlainTextEdit::undoAvailable, this, &CMainFrame::UpdateEditActions);
    connect(m_pView, &QPlainTextEdit::copyAvailable, this, &CMainFrame::UpdateEditActions);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
            &CMainFrame::UpdateEditActions);
    UpdateEditActions();

    act = AddCommand(cmd::kMonospaceFont, QStringLiteral("等幅フォントへ"));
    connect(act, &QAction::triggered, m_pView, &CLumoView::OnMonospaceFont);

    // Off unless the user turns it on: the classic reports stay as they always were.
    act = AddCommand(cmd::kShowDetails, QStringLiteral("詳細な結果も表示"));
    act->setCheckable(true);
    connect(act, &QAction::toggled, this, [this](bool on) {
        m_pView->SetShowDetails(on);
        ProgramSettings().setValue(QStringLiteral("showDetails"), on);
    });

    act = AddCommand(cmd::kHelpFinder, QStringLiteral("Help"));
    connect(act, &QAction::triggered, this, &CMainFrame::OnHelp);

    act = AddCommand(cmd::kAppAbout, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(Varnel-Win)"));
    connect(act, &QAction::triggered, this, &CMainFrame::OnAppAbout);

    // The pane keys are in no menu; they belong to the window.
    act = AddCommand(cmd::kNextPane, QStringLiteral("次のペイン"));
    act->setShortcut(QKeySequence(Qt::Key_F6));
    connect(act, &QAction::triggered, this, &CMainFrame::OnNextPane);
    addAction(act);

    act = AddCommand(cmd::kPrevPane, QStringLiteral("前のペイン"));
    act->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
    connect(act, &QAction::triggered, this, &CMainFrame::OnPrevPane);
    addAction(act);
}

void CMainFrame::createMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    file->addAction(CommandAction(cmd::kFileOpen));
    file->addAction(CommandAction(cmd::kFileNew));
    file->addAction(CommandAction(cmd::kFileSave));
    file->addAction(CommandAction(cmd::kFileSaveAs));
    file->addSeparator();
    file->addAction(CommandAction(cmd::kFilePrint));
    file->addAction(CommandAction(cmd::kFilePrintPreview));
    file->addAction(CommandAction(cmd::kFilePrintSetup));
    file->addAction(CommandAction(cmd::kScreenCopyHint));
    file->addSeparator();
    file->addAction(m_pRecentPlaceholderAct);
    for (QAction* recent : m_pRecentFileActs) file->addAction(recent);
    file->addSeparator();
    file->addAction(CommandAction(cmd::kAppExit));

    QMenu* edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    edit->addAction(CommandAction(cmd::kEditUndo));
    edit->addSeparator();
    edit->addAction(CommandAction(cmd::kEditCut));
    edit->addAction(CommandAction(cmd::kEditCopy));
    edit->addAction(CommandAction(cmd::kEditPaste));

    QMenu* statics = menuBar()->addMenu(QStringLiteral("Statics"));
    AddAnalysis(statics, cmd::kUnpairedTTest, "unpaired-t",
                QStringLiteral("ｔ－検定（対応のない）"));
    AddAnalysis(statics, cmd::kPairedTTest, "paired-t", QStringLiteral("ｔ-検定（対応のある）"));
    AddAnalysis(statics, cmd::kRejectionTest, "rejection", QStringLiteral("棄却検定"));
    AddAnalysis(statics, cmd::kCorrelation, "correlation", QStringLiteral("相関係数"));
    statics->addSeparator();
    AddAnalysis(statics, cmd::kMannWhitney, "mann-whitney", QStringLiteral("Mann-Whitney U検定"));
    AddAnalysis(statics, cmd::kWilcoxon, "wilcoxon",
                QStringLiteral("Wilcoxon符号付順位検定（対応のある）"));
    AddAnalysis(statics, cmd::kAnova, "anova",
                QStringLiteral("一元配置分散分析（Tukeyの多重比較）"));
    AddAnalysis(statics, cmd::kKruskalWallis, "kruskal-wallis",
                QStringLiteral("Kruskal-Wallis検定（Dunnの多重比較）"));
    AddAnalysis(statics, cmd::kGrubbs, "grubbs", QStringLiteral("Grubbs検定（外れ値）"));
    statics->addSeparator();
    statics->addAction(CommandAction(cmd::kShowDetails));

    QMenu* plots = menuBar()->addMenu(QStringLiteral("Scatchard Plot"));
    AddAnalysis(plots, cmd::kScatchardPlots, "scatchard", QStringLiteral("Scatchard Plots"));
    AddAnalysis(plots, cmd::kLineweaverBurkPlots, "lineweaver-burk",
                QStringLiteral("Lineweaver-Burk Plots"));
    AddAnalysis(plots, cmd::kScatchardSimplex, "scatchard-simplex",
                QStringLiteral("Scatchard Plots (Simplex)"));
    plots->addSeparator();
    AddAnalysis(plots, cmd::kMichaelisMentenFit, "michaelis-menten",
                QStringLiteral("Michaelis-Menten（直接フィット）"));
    AddAnalysis(plots, cmd::kBindingFit, "binding-fit",
                QStringLiteral("結合（直接フィット：１部位／２部位）"));
    AddAnalysis(plots, cmd::kDoseResponse, "dose-response",
                QStringLiteral("用量反応曲線（４パラメータ）"));

    QMenu* font = menuBar()->addMenu(QStringLiteral("フォント変更"));
    font->addAction(CommandAction(cmd::kMonospaceFont));

    QMenu* help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->addAction(CommandAction(cmd::kHelpFinder));
    help->addAction(CommandAction(cmd::kAppAbout));
}

QAction* CMainFrame::CommandAction(int command) const {
    for (QAction* action : m_commandActs) {
        if (action->data().toInt() == command) return action;
    }
    return nullptr;
}

void CMainFrame::readSettings() {
    QSettings settings = ProgramSettings();
    const QByteArray geometry = settings.value(QStringLiteral("geometry")).toByteArray();
    if (geometry.isEmpty() || !restoreGeometry(geometry)) {
        resize(InitialWindowSize());
        FitSplitterToWindow();
    }
    m_recentFiles = settings.value(QStringLiteral("recentFiles")).toStringList();
    CommandAction(cmd::kShowDetails)
        ->setChecked(settings.value(QStringLiteral("showDetails"), false).toBool());
    while (m_recentFiles.size() > cmd::kMaxRecentFiles) m_recentFiles.removeLast();
    UpdateRecentFileActions();
}

QSize CMainFrame::InitialWindowSize() const {
    QSize size(680, 800);
    if (const QScreen* screen = QApplication::primaryScreen()) {
        // The size given is the client area's; the title bar and borders come on top of it.
        const QSize room =
            screen->availableSize() - QSize(kWindowFrameAllowance, kWindowFrameAllowance);
        size = size.boundedTo(room.expandedTo(QSize(200, 200)));
    }
    return size;
}

void CMainFrame::FitSplitterToWindow() {
    FitSplitter(height() - menuBar()->sizeHint().height() - m_wndSplitter->handleWidth());
}

void CMainFrame::FitSplitter(int total) {
    // While the graph pane is blank the worksheet keeps at least half of the height, and the
    // pane no more than its picture needs. With a plot the pane has at least half and at least
    // the picture's height as long as the worksheet keeps a third, so a larger window shows a
    // larger fitted picture.
    total = std::max(0, total);
    const int worksheet =
        m_pGraph->ShowsPlot()
            ? std::min(total / 2, std::max(total - kInitialGraphHeight, total / 3))
            : std::max(total - kInitialGraphHeight, total - total / 2);
    m_wndSplitter->setSizes({worksheet, total - worksheet});
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_wndSplitter && event->type() == QEvent::Resize && !m_bUserSplit) {
        FitSplitter(static_cast<QResizeEvent*>(event)->size().height() -
                    m_wndSplitter->handleWidth());
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::writeSettings() const {
    QSettings settings = ProgramSettings();
    settings.setValue(QStringLiteral("geometry"), saveGeometry());
    settings.setValue(QStringLiteral("recentFiles"), m_recentFiles);
}

QString CMainFrame::DocumentName() const {
    if (m_doc.PathName().empty()) return QString::fromLatin1(kNewFileName);
    return QFileInfo(FromNativePath(m_doc.PathName())).fileName();
}

void CMainFrame::UpdateTitle() {
    setWindowTitle(DocumentName() + QStringLiteral("[*] - ") + FrameTitle());
    setWindowModified(m_doc.IsModified());
}

bool CMainFrame::maybeSave() {
    if (!m_doc.IsModified()) return true;
    switch (m_pDialogs->AskSaveChanges(DocumentName())) {
        case SaveAnswer::kYes:
            return OnFileSave();
        case SaveAnswer::kNo:
            return true;
        case SaveAnswer::kCancel:
            break;
    }
    return false;
}

void CMainFrame::OnFileNew() {
    if (!maybeSave()) return;
    m_doc.OnNewDocument();
    m_pRecovery->Discard();
    UpdateTitle();
    // The plot record stays; the pane draws it again, as after any new document.
    m_doc.UpdateAllViews(nullptr);
}

void CMainFrame::OnFileOpen() {
    const QString path = m_pDialogs->GetOpenFileName(QDir::currentPath());
    if (path.isEmpty()) return;
    // The file dialogs have always made the chosen file's folder the current one, so the
    // report files land beside the data.
    QDir::setCurrent(QFileInfo(path).absolutePath());
    if (!maybeSave()) return;
    OpenDocumentFile(path);
}

bool CMainFrame::OpenDocumentFile(const QString& path) {
    return OpenNativeFile(NativePath(path));
}

bool CMainFrame::OpenNativeFile(const std::string& path) {
    // An absolute name, since the current folder may change before the next save.
    const std::string absolute = AbsoluteNativePath(path);
    const LoadResult loaded = m_doc.OnOpenDocument(absolute);
    if (!loaded.ok()) {
        m_pDialogs->MessageBox(loaded.message);
        return false;
    }
    m_pRecovery->Discard();
    if (IsTextName(absolute)) AddRecentFile(FromNativePath(absolute));
    UpdateTitle();
    m_doc.UpdateAllViews(nullptr);
    return true;
}

void CMainFrame::OfferRecovery(const QString& openedFile) {
    OfferRecoveryOf(openedFile.isEmpty() ? std::string() : NativePath(openedFile));
}

void CMainFrame::OfferRecoveryOf(const std::string& openedNativeFile) {
    const std::string opened = AbsoluteNativePath(openedNativeFile);
    m_pRecovery->OfferLeftCopies(opened, *m_pDialogs, [this](const RecoveryCopy& copy) {
        // The file it belongs to is opened first, so saving goes back to it in its own format;
        // a file that is gone or cannot be read leaves a new worksheet in that format.
        const bool open = !copy.pathName.empty() &&
                          (copy.pathName == m_doc.PathName() || OpenNativeFile(copy.pathName));
        if (!open) {
            m_doc.OnNewDocument();
            m_doc.SetFormat(copy.format);
        }
        m_pView->SetText(copy.text);
        m_doc.SetModifiedFlag(true);
        UpdateTitle();
    });
}

bool CMainFrame::OnFileSave() {
    if (m_doc.PathName().empty()) return OnFileSaveAs();
    return SaveDocument(m_doc.PathName());
}

bool CMainFrame::OnFileSaveAs() {
    const QString suggested = m_doc.PathName().empty()
                                  ? QDir::current().filePath(QString::fromLatin1(kNewFileName))
                                  : FromNativePath(m_doc.PathName());
    const QString path = m_pDialogs->GetSaveFileName(suggested);
    if (path.isEmpty()) return false;
    QDir::setCurrent(QFileInfo(path).absolutePath());
    return SaveDocument(NativePath(QFileInfo(path).absoluteFilePath()));
}

bool CMainFrame::SaveDocument(const std::string& nativePath) {
    const std::string& absolute = nativePath;
    FileFormat format = m_doc.Format();
    bool overwriteChanged = false;
    for (;;) {
        const SaveResult saved = m_doc.OnSaveDocument(absolute, format, overwriteChanged);
        if (saved.ok()) break;
        const QString message = QString::fromStdString(saved.message);
        if (saved.error == FileError::kChangedOnDisk) {
            switch (m_pDialogs->AskOverwriteChangedFile(FromNativePath(absolute))) {
                case ChangedFileAnswer::kOverwrite:
                    overwriteChanged = true;
                    continue;
                case ChangedFileAnswer::kSaveAs:
                    return OnFileSaveAs();
                case ChangedFileAnswer::kCancel:
                    return false;
            }
        }
        if (saved.error == FileError::kInvalidBytes &&
            m_pDialogs->AskYesNo(message + QStringLiteral("\n上書き保存しますか？"))) {
            format.hadInvalidBytes = false;
            continue;
        }
        if (saved.error == FileError::kNotRepresentable &&
            m_pDialogs->AskYesNo(message + QStringLiteral("\nUTF-8で保存しますか？"))) {
            format.encoding = TextEncoding::kUtf8;
            continue;
        }
        if (saved.error == FileError::kReadOnly) {
            // The protected file stays as it is; the text can still go to another name.
            if (m_pDialogs->AskYesNo(message + QStringLiteral("\n名前を付けて保存しますか？"))) {
                return OnFileSaveAs();
            }
            return false;
        }
        if (saved.error != FileError::kInvalidBytes &&
            saved.error != FileError::kNotRepresentable) {
            m_pDialogs->MessageBox(saved.message);
        }
        return false;
    }
    m_pRecovery->Discard();
    if (IsTextName(absolute)) AddRecentFile(FromNativePath(absolute));
    UpdateTitle();
    return true;
}

void CMainFrame::OnOpenRecentFile(int index) {
    if (index < 0 || index >= m_recentFiles.size()) return;
    const QString path = m_recentFiles.at(index);
    if (!maybeSave()) return;
    // A file that has gone away leaves the list, as the list has always done.
    if (!OpenDocumentFile(path)) RemoveRecentFile(path);
}

void CMainFrame::AddRecentFile(const QString& path) {
    m_recentFiles.removeAll(path);
    m_recentFiles.prepend(path);
    while (m_recentFiles.size() > cmd::kMaxRecentFiles) m_recentFiles.removeLast();
    UpdateRecentFileActions();
    ProgramSettings().setValue(QStringLiteral("recentFiles"), m_recentFiles);
}

void CMainFrame::RemoveRecentFile(const QString& path) {
    m_recentFiles.removeAll(path);
    UpdateRecentFileActions();
    ProgramSettings().setValue(QStringLiteral("recentFiles"), m_recentFiles);
}

void CMainFrame::UpdateRecentFileActions() {
    // The grayed placeholder stands where the list goes until there is a list.
    m_pRecentPlaceholderAct->setVisible(m_recentFiles.isEmpty());
    for (int i = 0; i < cmd::kMaxRecentFiles; ++i) {
        QAction* action = m_pRecentFileActs[i];
        if (i < m_recentFiles.size()) {
            QString shown = QDir::toNativeSeparators(m_recentFiles.at(i));
            shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
            action->setVisible(true);
        } else {
            action->setVisible(false);
        }
    }
}

QPrinter& CMainFrame::Printer() {
    // One printer for the whole run, so the choices of the printer setup stay.
    if (!m_pPrinter) m_pPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_pPrinter;
}

void CMainFrame::PrintActivePane(QPrinter& printer, bool graph) {
    if (graph) {
        m_pGraph->Print(printer);
    } else {
        m_pView->Print(printer);
    }
}

void CMainFrame::OnFilePrint() {
    const bool graph = m_bGraphActive;
    QPrinter& printer = Printer();
    if (!m_pDialogs->ExecPrintDialog(printer, graph ? 1 : 0)) return;
    PrintActivePane(printer, graph);
}

void CMainFrame::OnFilePrintPreview() {
    const bool graph = m_bGraphActive;
    m_pDialogs->ExecPrintPreview(
        Printer(), [this, graph](QPrinter* target) { PrintActivePane(*target, graph); });
}

void CMainFrame::OnFilePrintSetup() {
    m_pDialogs->ExecPageSetup(Printer());
}

void CMainFrame::OnAppAbout() {
    CAboutDlg about(this);
    m_pDialogs->Exec(about);
}

void CMainFrame::OnHelp() {
    const QString page = FindHelpPage(m_helpPaths);
    if (page.isEmpty()) {
        m_pDialogs->MessageBox(kHelpFailedMessage);
        return;
    }
    if (!m_pHelpWindow) m_pHelpWindow = new CHelpWindow(this);
    if (!m_pHelpWindow->Load(page)) {
        m_pDialogs->MessageBox(kHelpFailedMessage);
        return;
    }
    m_pHelpWindow->show();
    m_pHelpWindow->raise();
    m_pHelpWindow->activateWindow();
}

void CMainFrame::OnNextPane() {
    // Two panes: the next one and the previous one are the same.
    m_bGraphActive = !m_bGraphActive;
    if (m_bGraphActive) {
        m_pGraph->setFocus(Qt::TabFocusReason);
    } else {
        m_pView->setFocus(Qt::TabFocusReason);
    }
}

void CMainFrame::OnPrevPane() {
    OnNextPane();
}

void CMainFrame::OnFocusChanged(QWidget* /*old*/, QWidget* now) {
    if (now == nullptr) return;
    if (now == m_pGraph || m_pGraph->isAncestorOf(now)) {
        m_bGraphActive = true;
    } else if (now == m_pView || m_pView->isAncestorOf(now)) {
        m_bGraphActive = false;
    }
    UpdateEditActions();
}

// The edit commands act on the pane that has the focus. In the graph pane Copy copies the
// graph, and the commands that change text do nothing: they must never reach the worksheet's
// caret hidden behind it.
void CMainFrame::OnEditUndo() {
    if (!m_bGraphActive) m_pView->undo();
}

void CMainFrame::OnEditCut() {
    if (!m_bGraphActive) m_pView->cut();
}

void CMainFrame::OnEditCopy() {
    if (m_bGraphActive) {
        m_pGraph->OnCopyPlot();
    } else {
        m_pView->copy();
    }
}

void CMainFrame::OnEditPaste() {
    if (!m_bGraphActive) m_pView->paste();
}

void CMainFrame::UpdateEditActions() {
    const bool text = !m_bGraphActive;
    const bool selection = m_pView->textCursor().hasSelection();
    CommandAction(cmd::kEditUndo)->setEnabled(text && m_pView->document()->isUndoAvailable());
    CommandAction(cmd::kEditCut)->setEnabled(text && selection);
    CommandAction(cmd::kEditCopy)->setEnabled(m_bGraphActive || selection);
    // The first look at the clipboard waits for the display and loads every image format
    // plugin, so it is taken once the window is up (see event()).
    if (!m_bStartPending) {
        CommandAction(cmd::kEditPaste)->setEnabled(text && m_pView->canPaste());
    }
}

void CMainFrame::OnFileDropped(const QString& path) {
    if (!maybeSave()) return;
    // As after the Open dialog, the report files land beside the data.
    QDir::setCurrent(QFileInfo(path).absolutePath());
    OpenDocumentFile(path);
}

// Files dropped anywhere else in the window, the graph pane included, open the same way.
void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedLocalFile(event->mimeData()).isEmpty()) {
        event->ignore();
    } else {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QString path = DroppedLocalFile(event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    QMetaObject::invokeMethod(
        this, [this, path] { OnFileDropped(path); }, Qt::QueuedConnection);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!maybeSave()) {
        event->ignore();
        return;
    }
    writeSettings();
    if (m_pHelpWindow) m_pHelpWindow->close();
    m_pRecovery->Finish();
    event->accept();
}

}  // namespace lumo
