// Shows on the worksheet, live, how the analyses will read each line: the core's own line
// reader runs over the text after every change, and its results colour the lines. A change
// costs what it touches, not the worksheet's length: the reader itself stops within its first
// rows, the run of unread rows behind them is followed only across the lines that changed,
// and only lines whose colour changed are formatted again.
#pragma once

#include <QString>
#include <QSyntaxHighlighter>

#include <map>

#include "worksheet/worksheet.h"

class QTextDocument;

namespace lumo {

class WorksheetHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

  public:
    // `sheet` is the worksheet that shows `document`; the reader reads it as the analyses do.
    WorksheetHighlighter(QTextDocument* document, const IWorksheet& sheet);
    ~WorksheetHighlighter() override;

    // The Scatchard analyses read mark letters; the others read two plain columns.
    void SetReadMarks(bool marks);
    bool ReadsMarks() const { return m_bMarks; }

    // What the reader says about logical line `line`, or an empty string.
    QString WarningAt(int line) const;

  protected:
    void highlightBlock(const QString& text) override;

  private:
    struct Reading {
        int stopLine = -1;  // the stop line; it and every line after it are not read
        int overFrom = -1;  // rows from here to overTo are past the line limit
        int overTo = -1;
        int titleLine = -1;  // the title line of the data, shown in its own style
        std::map<int, QString> warnings;
        std::map<int, bool> marked;
        bool operator==(const Reading&) const = default;
    };
    // The reader's rows only; FullRead() also follows the rows past the limit.
    Reading Read() const;
    Reading FullRead() const;
    // The rows past the line limit, from `from` on: where their run ends, and whether a stop
    // line ends it.
    void FollowOverRun(Reading& reading, int from) const;
    // What line `line` is to the run of rows past the limit: a row of it, or the line that
    // ends it (an empty line, a stop line, or the end of the worksheet).
    enum class RunLine { kRow, kEmpty, kStop };
    RunLine ClassifyRunLine(int line) const;
    void OnContentsChange(int position, int charsRemoved, int charsAdded);
    // Formats again, once the document has finished with the change, the lines that the
    // reading now colours differently; the change began at line `first` (its lines are
    // formatted anyway) and the lines behind it moved by `delta`.
    void RehighlightChanged(const Reading& old, int first, int delta);

    const IWorksheet& m_sheet;
    bool m_bMarks = false;
    Reading m_reading;
    int m_blockCount = 1;
    QMetaObject::Connection m_contentsChange;
};

}  // namespace lumo
