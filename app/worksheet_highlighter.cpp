#include "app/worksheet_highlighter.h"

#include <QColor>
#include <QMetaObject>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

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
    m_reading = FullRead();
    m_blockCount = document->blockCount();
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
    m_reading = FullRead();
    rehighlight();
}

QString WorksheetHighlighter::WarningAt(int line) const {
    const auto it = m_reading.warnings.find(line);
    return it == m_reading.warnings.end() ? QString() : it->second;
}

WorksheetHighlighter::Reading WorksheetHighlighter::Read() const {
    Reading reading;
    ReadOptions options;
    options.marks = m_bMarks;
    // A "?" row is an unknown sample that the dose-response analysis reads off its curve; an
    // analysis that cannot use one says so when it runs, so the sheet does not flag it.
    options.unknownX = true;
    const PairRows rows = ReadPairRows(m_sheet, options);
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
        // end of the data are just as unread. Followed by the caller.
        reading.overFrom = rows.endLine;
    }
    return reading;
}

WorksheetHighlighter::Reading WorksheetHighlighter::FullRead() const {
    Reading reading = Read();
    if (reading.overFrom >= 0) FollowOverRun(reading, reading.overFrom);
    return reading;
}

WorksheetHighlighter::RunLine WorksheetHighlighter::ClassifyRunLine(int line) const {
    char text[kLineCapacity];
    const int length = m_sheet.GetLine(line, text);
    if (length == 0) return RunLine::kEmpty;
    return HoldsStop(text, length) ? RunLine::kStop : RunLine::kRow;
}

void WorksheetHighlighter::FollowOverRun(Reading& reading, int from) const {
    int index = from;
    for (;; ++index) {
        const RunLine kind = ClassifyRunLine(index);
        if (kind == RunLine::kRow) continue;
        if (kind == RunLine::kStop) reading.stopLine = index;
        break;
    }
    reading.overTo = index - 1;
}

void WorksheetHighlighter::OnContentsChange(int position, int /*charsRemoved*/, int charsAdded) {
    const QTextDocument* doc = document();
    if (doc == nullptr) return;
    const int first = doc->findBlock(position).blockNumber();
    const QTextBlock lastBlock = doc->findBlock(position + charsAdded);
    const int last = lastBlock.isValid() ? lastBlock.blockNumber() : doc->blockCount() - 1;
    const int delta = doc->blockCount() - m_blockCount;
    m_blockCount = doc->blockCount();

    // The reader stops within its first kMaxPoints + 1 rows whatever the length.
    Reading fresh = Read();
    if (fresh.overFrom >= 0) {
        const Reading& old = m_reading;
        // In the old numbering: the changed lines ran from `first` to `lastOld`, and the run
        // of rows past the limit was ended by line `oldEnd` (empty, a stop line, or the end).
        const int lastOld = last - delta;
        const int oldEnd = old.overFrom >= 0 ? old.overTo + 1 : -1;
        if (oldEnd >= 0 && oldEnd < first) {
            // The change lies behind the end of the run: the run is as it was.
            fresh.overTo = old.overTo;
            fresh.stopLine = old.stopLine;
        } else if (oldEnd > lastOld) {
            // The run went through the change and on: only a changed line can end it now.
            int end = -1;
            for (int line = std::max(first, fresh.overFrom); line <= last && end < 0; ++line) {
                if (ClassifyRunLine(line) != RunLine::kRow) end = line;
            }
            if (end >= 0) {
                FollowOverRun(fresh, end);
            } else {
                fresh.overTo = old.overTo + delta;
                fresh.stopLine = old.stopLine >= 0 ? old.stopLine + delta : -1;
            }
        } else {
            // No run before, or the change reached the line that ended it.
            FollowOverRun(fresh, oldEnd < 0 ? fresh.overFrom : std::max(fresh.overFrom, first));
        }
    }
    if (fresh == m_reading && delta == 0) return;
    const Reading old = std::move(m_reading);
    m_reading = std::move(fresh);
    RehighlightChanged(old, first, delta);
}

void WorksheetHighlighter::RehighlightChanged(const Reading& old, int first, int delta) {
    // Old lines behind the change moved by `delta`; lines inside it are formatted anyway.
    auto shifted = [&](int line) { return line < first ? line : std::max(first, line + delta); };
    std::vector<std::pair<int, int>> ranges;  // inclusive line ranges to format again
    auto differ = [&](int a, int b) {
        if (a != b) ranges.emplace_back(std::min(a, b), std::max(a, b) - 1);
    };
    const int kEnd = std::numeric_limits<int>::max();
    // The grey lines from the stop line on, and the rows past the limit.
    differ(old.stopLine >= 0 ? shifted(old.stopLine) : kEnd,
           m_reading.stopLine >= 0 ? m_reading.stopLine : kEnd);
    const bool oldOver = old.overFrom >= 0;
    const bool newOver = m_reading.overFrom >= 0;
    if (oldOver != newOver) {
        const Reading& over = oldOver ? old : m_reading;
        const int to = oldOver ? shifted(over.overTo) : over.overTo;
        ranges.emplace_back(over.overFrom, to);
    } else if (oldOver) {
        // Lines put in or taken out among the first rows move rows across the limit.
        differ(shifted(old.overFrom), m_reading.overFrom);
        differ(shifted(old.overTo) + 1, m_reading.overTo + 1);
    }
    // Warnings, marks and the title belong to the lines the reader reads, the first rows.
    if (old.warnings != m_reading.warnings || old.marked != m_reading.marked ||
        old.titleLine != m_reading.titleLine) {
        int readTo = kMaxPoints + 1;
        for (const Reading* r : {&old, static_cast<const Reading*>(&m_reading)}) {
            readTo = std::max({readTo, r->overFrom, r->titleLine + 1});
            if (!r->warnings.empty()) readTo = std::max(readTo, r->warnings.rbegin()->first + 1);
            if (!r->marked.empty()) readTo = std::max(readTo, r->marked.rbegin()->first + 1);
        }
        ranges.emplace_back(0, readTo);
    }
    if (ranges.empty()) return;
    // Formatting waits until the document has finished its own work on this change.
    QMetaObject::invokeMethod(
        this,
        [this, ranges] {
            QTextDocument* doc = document();
            if (doc == nullptr) return;
            for (const auto& [from, to] : ranges) {
                const int end = std::min(to, doc->blockCount() - 1);
                for (QTextBlock block = doc->findBlockByNumber(std::max(0, from));
                     block.isValid() && block.blockNumber() <= end; block = block.next()) {
                    rehighlightBlock(block);
                }
            }
        },
        Qt::QueuedConnection);
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
