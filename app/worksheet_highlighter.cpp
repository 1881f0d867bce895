#include "app/worksheet_highlighter.h"

#include <QColor>
#include <QMetaObject>
#include <QTextCharFormat>
#include <QTextDocument>

#include <cstring>

#include "worksheet/line_reader.h"

namespace lumo {

namespace {

bool HoldsStop(const char* line, int length) {
    for (int i = 0; i + 1 < length; ++i) {
        if (line[i] == '-' && line[i + 1] == '-') return true;
    }
    return false;
}

}  // namespace

WorksheetHighlighter::WorksheetHighlighter(QTextDocument* document, const IWorksheet& sheet)
    : QSyntaxHighlighter(static_cast<QObject*>(document)), m_sheet(sheet) {
    // Connected before the document is set, so the reading is fresh when the blocks that
    // changed are formatted.
    m_contentsChange = connect(document, &QTextDocument::contentsChange, this,
                               &WorksheetHighlighter::OnContentsChange);
    m_reading = Read();
    setDocument(document);
}

WorksheetHighlighter::~WorksheetHighlighter() {
    // The base class clears the formats on its way out, and the document reports that as a
    // change: it must not reach this part of the object any more.
    disconnect(m_contentsChange);
}

void WorksheetHighlighter::SetReadMarks(bool marks) {
    if (marks == m_bMarks) return;
    m_bMarks = marks;
    m_reading = Read();
    rehighlight();
}

QString WorksheetHighlighter::WarningAt(int line) const {
    const auto it = m_reading.warnings.find(line);
    return it == m_reading.warnings.end() ? QString() : it->second;
}

WorksheetHighlighter::Reading WorksheetHighlighter::Read() const {
    Reading reading;
    const PairRows rows = ReadPairRows(m_sheet, m_bMarks);
    for (const LineFault& fault : rows.faults) {
        reading.warnings[fault.line] = QString::fromStdString(fault.message);
    }
    reading.titleLine = rows.titleLine;
    if (m_bMarks) {
        for (int i = 0; i < rows.Count(); ++i) {
            if (rows.marked[i]) reading.marked[rows.line[i]] = true;
        }
    }
    if (rows.end == ReadEnd::kStopLine) {
        reading.stopLine = rows.endLine;
    } else if (rows.end == ReadEnd::kOverCapacity) {
        // The reader gives up at the first row past the limit; the rows that follow up to the
        // end of the data are just as unread.
        char line[kLineCapacity];
        int index = rows.endLine;
        reading.overFrom = index;
        for (;; ++index) {
            const int length = m_sheet.GetLine(index, line);
            if (length == 0) break;
            if (HoldsStop(line, length)) {
                reading.stopLine = index;
                break;
            }
        }
        reading.overTo = index - 1;
    }
    return reading;
}

void WorksheetHighlighter::OnContentsChange() {
    Reading fresh = Read();
    if (fresh == m_reading) return;
    m_reading = std::move(fresh);
    // A change in one line can change how every later line reads; formatting them all again
    // waits until the document has finished its own work on this change.
    QMetaObject::invokeMethod(this, &QSyntaxHighlighter::rehighlight, Qt::QueuedConnection);
}

void WorksheetHighlighter::highlightBlock(const QString& text) {
    const int line = currentBlock().blockNumber();
    if (m_reading.stopLine >= 0 && line >= m_reading.stopLine) {
        QTextCharFormat grey;
        grey.setForeground(QColor(0x80, 0x80, 0x80));
        setFormat(0, static_cast<int>(text.size()), grey);
        return;
    }
    if (line == m_reading.titleLine) {
        // A title line is not data: it names the columns.
        QTextCharFormat title;
        title.setFontItalic(true);
        title.setForeground(QColor(0x20, 0x70, 0x40));
        setFormat(0, static_cast<int>(text.size()), title);
    }
    if (text.startsWith(QStringLiteral("//"))) {
        QTextCharFormat separator;
        separator.setFontWeight(QFont::Bold);
        separator.setForeground(QColor(0x00, 0x60, 0xa0));
        setFormat(0, static_cast<int>(text.size()), separator);
    }
    if (line >= m_reading.overFrom && line <= m_reading.overTo && m_reading.overFrom >= 0) {
        QTextCharFormat over;
        over.setBackground(QColor(0xff, 0xe0, 0xe0));
        over.setForeground(QColor(0x80, 0x80, 0x80));
        setFormat(0, static_cast<int>(text.size()), over);
    }
    if (m_reading.marked.count(line) != 0) {
        for (int i = 0; i < text.size(); ++i) {
            const char16_t c = text.at(i).unicode();
            if (c >= 0x41 && c <= 0x7A) {
                QTextCharFormat mark = format(i);
                mark.setFontWeight(QFont::Bold);
                mark.setForeground(QColor(0xc0, 0x30, 0x00));
                setFormat(i, 1, mark);
            }
        }
    }
    if (m_reading.warnings.count(line) != 0) {
        for (int i = 0; i < text.size(); ++i) {
            QTextCharFormat wave = format(i);
            wave.setUnderlineStyle(QTextCharFormat::WaveUnderline);
            wave.setUnderlineColor(QColor(0xd0, 0x00, 0x00));
            setFormat(i, 1, wave);
        }
    }
}

}  // namespace lumo
