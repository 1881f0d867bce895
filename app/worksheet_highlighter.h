// Shows on the worksheet, live, how the analyses will read each line: the core's own line
// reader runs over the text after every change, and its results colour the lines.
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
    Reading Read() const;
    void OnContentsChange();

    const IWorksheet& m_sheet;
    bool m_bMarks = false;
    Reading m_reading;
    QMetaObject::Connection m_contentsChange;
};

}  // namespace lumo
