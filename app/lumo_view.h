// The worksheet: an editable, word-wrapping text that the analyses read line by line and
// extend at its end.
#pragma once

#include <QFont>
#include <QPlainTextEdit>

#include <optional>

#include "worksheet/lumo_doc.h"
#include "worksheet/worksheet.h"

class QPrinter;

namespace lumo {

class IFrameDialogs;
class WorksheetHighlighter;
struct AnalysisEntry;

class CLumoView : public QPlainTextEdit, public IWorksheet {
    Q_OBJECT

  public:
    CLumoView(CLumoDoc& doc, IFrameDialogs& dialogs, QWidget* parent = nullptr);
    ~CLumoView() override;

    CLumoDoc& GetDocument() const { return m_doc; }

    // IWorksheet. A line is a logical line, never a line as the word wrap shows it.
    int GetLine(int index, char* buffer) const override;
    std::string GetFullLine(int index) const override;
    void AppendText(std::string_view cp932) override;
    std::string GetText() const override;
    bool EndsAtLineStart() const override;
    void SetText(std::string_view utf8) override;

    // Runs an analysis as its menu command does: the report file goes to the current folder.
    bool RunAnalysis(const AnalysisEntry& analysis);

    // Whether the analyses append their detail block after the classic report.
    void SetShowDetails(bool on) { m_bShowDetails = on; }
    bool ShowDetails() const { return m_bShowDetails; }

    // The font the user chose with the font command, if any.
    const std::optional<QFont>& ChosenFont() const { return m_font; }

    void Print(QPrinter& printer) const;

    // Shows how the last analysis run reads each line.
    WorksheetHighlighter& Highlighter() const { return *m_highlighter; }

  signals:
    // A file was dropped on the worksheet: it is to be opened, never inserted as text.
    void FileDropped(const QString& path);

  public slots:
    void OnMonospaceFont();
    void OnScreenCopyHint();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool viewportEvent(QEvent* event) override;

  private slots:
    void OnContentsChange(int position, int charsRemoved, int charsAdded);

  private:
    CLumoDoc& m_doc;
    IFrameDialogs& m_dialogs;
    std::optional<QFont> m_font;
    // True while the program itself changes the text; only the user's edits mark the
    // document modified here.
    bool m_bProgramEdit = false;
    bool m_bShowDetails = false;
    WorksheetHighlighter* m_highlighter = nullptr;
};

extern const char kScreenCopyHint[];

// The first local file among dropped data, or an empty string when the data names none.
QString DroppedLocalFile(const QMimeData* data);

}  // namespace lumo
