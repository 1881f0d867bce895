#include "app/lumo_view.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPrinter>
#include <QScopedValueRollback>
#include <QSettings>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolTip>
#include <QUrl>

#include <algorithm>
#include <cstring>

#include "app/analysis_table.h"
#include "app/frame_dialogs.h"
#include "app/worksheet_highlighter.h"
#include "worksheet/cp932.h"
#include "worksheet/report.h"
#include "worksheet/text_worksheet.h"

namespace lumo {

const char kScreenCopyHint[] =
    "Altキー＋Print Screenキーで、クリップボードにCopyされます。画像ソフトにPasteして下さい。";

namespace {

// The font chosen with the font command, kept in the program's settings across restarts.
const char kFontKey[] = "worksheet/font";

// Beyond this length a line wraps anywhere rather than at word boundaries.
constexpr size_t kLongLineBytes = 10000;

// The text control's own paragraph and line separators stand for the line breaks they are.
QString WithLineFeeds(QString text) {
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

}  // namespace

CLumoView::CLumoView(CLumoDoc& doc, IFrameDialogs& dialogs, QWidget* parent)
    : QPlainTextEdit(parent), m_doc(doc), m_dialogs(dialogs) {
    // Long lines wrap on screen; the analyses still read them as one line each.
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    connect(document(), &QTextDocument::contentsChange, this, &CLumoView::OnContentsChange);
    m_doc.AttachWorksheet(this);
    m_highlighter = new WorksheetHighlighter(document(), *this);
    const QString font = QSettings(QStringLiteral("lumo"), QStringLiteral("lumo"))
                             .value(QLatin1String(kFontKey))
                             .toString();
    QFont remembered;
    if (!font.isEmpty() && remembered.fromString(font)) {
        m_font = remembered;
        setFont(*m_font);
    }
}

CLumoView::~CLumoView() {
    if (m_doc.Worksheet() == this) m_doc.AttachWorksheet(nullptr);
}

int CLumoView::GetLine(int index, char* buffer) const {
    const QTextBlock block = document()->findBlockByNumber(index);
    if (!block.isValid()) return 0;
    // Every character takes at least one byte in CP932 and a QChar is at most half of one,
    // so twice the capacity in QChars is always enough to fill the buffer.
    const QByteArray utf8 = block.text().left(2 * kLineCapacity).toUtf8();
    std::string cp932;
    Utf8ToCp932(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), cp932, true);
    const size_t count = std::min<size_t>(cp932.size(), kLineCapacity);
    std::memcpy(buffer, cp932.data(), count);
    return static_cast<int>(count);
}

std::string CLumoView::GetFullLine(int index) const {
    const QTextBlock block = document()->findBlockByNumber(index);
    if (!block.isValid()) return {};
    const QByteArray utf8 = block.text().toUtf8();
    std::string cp932;
    Utf8ToCp932(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), cp932, true);
    return cp932;
}

void CLumoView::AppendText(std::string_view cp932) {
    const QString text = QString::fromStdString(Cp932ToWorksheetText(cp932));
    {
        const QScopedValueRollback<bool> programEdit(m_bProgramEdit, true);
        // An append is never undone: leaving it out of the history also empties the history,
        // as the worksheet control always did, so an undo cannot reach across a report.
        QTextDocument* doc = document();
        doc->setUndoRedoEnabled(false);
        QTextCursor end(doc);
        end.movePosition(QTextCursor::End);
        end.insertText(text);
        doc->setUndoRedoEnabled(true);
    }
    QTextCursor caret = textCursor();
    caret.movePosition(QTextCursor::End);
    setTextCursor(caret);
    ensureCursorVisible();
}

std::string CLumoView::GetText() const {
    // The raw text, not toPlainText(), which would turn no-break spaces into spaces.
    return WithLineFeeds(document()->toRawText()).toStdString();
}

bool CLumoView::EndsAtLineStart() const {
    // The last block is the last line: it is empty exactly when the text ends in a line break.
    return document()->lastBlock().length() <= 1;
}

void CLumoView::SetText(std::string_view utf8) {
    const QScopedValueRollback<bool> programEdit(m_bProgramEdit, true);
    // Wrapping at word boundaries searches each wrapped row's whole remaining line for a break,
    // so a line of a megabyte without blanks froze the window for minutes. Such a text wraps
    // anywhere instead; ordinary texts keep their word wrap.
    size_t longest = 0;
    for (size_t start = 0; start < utf8.size();) {
        size_t end = utf8.find('\n', start);
        if (end == std::string_view::npos) end = utf8.size();
        longest = std::max(longest, end - start);
        start = end + 1;
    }
    setWordWrapMode(longest > kLongLineBytes ? QTextOption::WrapAnywhere
                                             : QTextOption::WrapAtWordBoundaryOrAnywhere);
    setPlainText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

bool CLumoView::RunAnalysis(const AnalysisEntry& analysis) {
    AnalysisContext ctx(*this, m_doc, m_dialogs, static_cast<const IWorksheet*>(this));
    ctx.SetDetails(m_bShowDetails);
    const std::string_view name = analysis.name;
    m_highlighter->SetReadMarks(name == "scatchard" || name == "scatchard-simplex" ||
                                name == "binding-fit");
    const bool reported = analysis.run(ctx);
    // A run that stopped at a line that does not read puts the caret on that line, so the
    // user finds it while its message shows at the end.
    if (ctx.FaultLine() >= 0) {
        const QTextBlock block = document()->findBlockByNumber(ctx.FaultLine());
        if (block.isValid()) {
            QTextCursor caret(block);
            setTextCursor(caret);
            ensureCursorVisible();
        }
    }
    return reported;
}

bool CLumoView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int line = cursorForPosition(help->pos()).blockNumber();
        const QString warning = m_highlighter->WarningAt(line);
        if (warning.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), warning, viewport());
        }
        return true;
    }
    return QPlainTextEdit::viewportEvent(event);
}

void CLumoView::OnMonospaceFont() {
    // Until the user chooses one, the worksheet has no font of its own and the dialog starts
    // at the system's fixed-pitch font.
    const QFont initial = m_font ? *m_font : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const std::optional<QFont> chosen = m_dialogs.ChooseFont(initial);
    if (!chosen) return;
    m_font = *chosen;
    setFont(*m_font);
    QSettings(QStringLiteral("lumo"), QStringLiteral("lumo"))
        .setValue(QLatin1String(kFontKey), m_font->toString());
}

void CLumoView::OnScreenCopyHint() {
    m_dialogs.MessageBox(kScreenCopyHint);
}

void CLumoView::Print(QPrinter& printer) const {
    print(&printer);
}

void CLumoView::keyPressEvent(QKeyEvent* event) {
    // Shift+Enter would insert a soft line break, which looks like a new line but is not one
    // for the analyses; here it is an ordinary line break, as in the worksheet control.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & Qt::ShiftModifier)) {
        QKeyEvent plain(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier,
                        event->text(), event->isAutoRepeat(), event->count());
        QPlainTextEdit::keyPressEvent(&plain);
        event->setAccepted(plain.isAccepted());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CLumoView::insertFromMimeData(const QMimeData* source) {
    if (source != nullptr && source->hasText()) {
        insertPlainText(WithLineFeeds(source->text()));
        return;
    }
    QPlainTextEdit::insertFromMimeData(source);
}

QString DroppedLocalFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return QString();
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) return url.toLocalFile();
    }
    return QString();
}

// Dropped files are opened, as File, Open does; their names never become data. Dropped text
// is inserted as the text control always did.
namespace {

// True when the drag carries URLs, which are then taken (a local file) or refused; text drags
// are left to the text control.
bool TakeFileDrag(QDragMoveEvent* event) {
    if (!event->mimeData()->hasUrls()) return false;
    if (DroppedLocalFile(event->mimeData()).isEmpty()) {
        event->ignore();
    } else {
        event->acceptProposedAction();
    }
    return true;
}

}  // namespace

void CLumoView::dragEnterEvent(QDragEnterEvent* event) {
    if (!TakeFileDrag(event)) QPlainTextEdit::dragEnterEvent(event);
}

void CLumoView::dragMoveEvent(QDragMoveEvent* event) {
    if (!TakeFileDrag(event)) QPlainTextEdit::dragMoveEvent(event);
}

void CLumoView::dropEvent(QDropEvent* event) {
    if (event->mimeData()->hasUrls()) {
        const QString path = DroppedLocalFile(event->mimeData());
        if (path.isEmpty()) {
            event->ignore();
            return;
        }
        event->acceptProposedAction();
        emit FileDropped(path);
        return;
    }
    QPlainTextEdit::dropEvent(event);
}

void CLumoView::OnContentsChange(int /*position*/, int charsRemoved, int charsAdded) {
    if (m_bProgramEdit || (charsRemoved == 0 && charsAdded == 0)) return;
    m_doc.SetModifiedFlag(true);
}

}  // namespace lumo
