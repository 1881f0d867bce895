#include "app/lumo_view.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>
#include <QPrinter>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstring>

#include "app/analysis_table.h"
#include "app/frame_dialogs.h"
#include "worksheet/cp932.h"
#include "worksheet/report.h"
#include "worksheet/text_worksheet.h"

namespace lumo {

const char kScreenCopyHint[] =
    "Altキー＋Print Screenキーで、クリップボードにCopyされます。画像ソフトにPasteして下さい。";

namespace {

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

void CLumoView::SetText(std::string_view utf8) {
    const QScopedValueRollback<bool> programEdit(m_bProgramEdit, true);
    setPlainText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

bool CLumoView::RunAnalysis(const AnalysisEntry& analysis) {
    AnalysisContext ctx(*this, m_doc, m_dialogs, static_cast<const IWorksheet*>(this));
    ctx.SetDetails(m_bShowDetails);
    return analysis.run(ctx);
}

void CLumoView::OnMonospaceFont() {
    // Until the user chooses one, the worksheet has no font of its own and the dialog starts
    // at the system's fixed-pitch font.
    const QFont initial = m_font ? *m_font : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const std::optional<QFont> chosen = m_dialogs.ChooseFont(initial);
    if (!chosen) return;
    m_font = *chosen;
    setFont(*m_font);
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

void CLumoView::OnContentsChange(int /*position*/, int charsRemoved, int charsAdded) {
    if (m_bProgramEdit || (charsRemoved == 0 && charsAdded == 0)) return;
    m_doc.SetModifiedFlag(true);
}

}  // namespace lumo
