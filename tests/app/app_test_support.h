// Helpers of the desktop program's tests: dialogs that the test answers, and a main window in a
// temporary current folder.
#pragma once

#include <QColor>
#include <QDir>
#include <QImage>
#include <QString>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/frame_dialogs.h"
#include "app/main_frame.h"
#include "tests/graph/plot_examples.h"
#include "tests/test_support.h"

namespace lumo::test {

// Dialogs answered from queues the test fills; every question is recorded. A question the test
// did not expect fails the test and is answered with Cancel or No, so nothing can block.
class ScriptedDialogs : public IFrameDialogs {
  public:
    void MessageBox(std::string_view utf8Text) override;
    SaveAnswer AskSaveChanges(const QString& documentName) override;
    bool AskYesNo(const QString& text) override;
    ChangedFileAnswer AskOverwriteChangedFile(const QString& path) override;
    QString GetOpenFileName(const QString& directory) override;
    QString GetSaveFileName(const QString& suggestedPath) override;
    QString GetSavePlotFileName(const QString& suggestedPath) override;
    std::optional<QFont> ChooseFont(const QFont& initial) override;
    bool ExecPrintDialog(QPrinter& printer, int pageCount) override;
    bool ExecPageSetup(QPrinter& printer) override;
    void ExecPrintPreview(QPrinter& printer, const std::function<void(QPrinter*)>& paint) override;
    int Exec(QDialog& dialog) override;

    std::vector<std::string> messages;

    std::deque<SaveAnswer> saveAnswers;
    std::vector<QString> saveQuestions;  // the document names asked about
    std::deque<bool> yesNoAnswers;
    std::vector<QString> yesNoQuestions;
    std::deque<ChangedFileAnswer> changedAnswers;
    std::vector<QString> changedQuestions;  // the files asked about

    std::deque<QString> openFileNames;
    std::vector<QString> openDirectories;
    std::deque<QString> saveFileNames;
    std::vector<QString> saveSuggestions;
    std::deque<QString> savePlotFileNames;

    std::deque<std::optional<QFont>> fontAnswers;
    std::vector<QFont> fontInitials;

    // Printing goes to this PDF file when the print dialog is accepted.
    QString printFile;
    bool acceptPrint = true;
    std::vector<int> printPageCounts;
    QString previewFile;
    int pageSetups = 0;

    // Titles and label texts of the other dialogs shown.
    std::vector<QString> dialogTitles;
    std::vector<QStringList> dialogLabels;
};

// A main window on the offscreen screen with scripted dialogs, its current folder a fresh
// temporary folder for the report files.
class FrameFixture {
  public:
    // `freshSettings` starts from an empty recent-file list, as on a first run, with the graph
    // pane showing the classic picture (no scales, actual size).
    explicit FrameFixture(bool freshSettings = true);
    ~FrameFixture();

    CLumoView& View() const;
    CMyView& Graph() const;
    CLumoDoc& Doc() const { return frame->GetDocument(); }

    // Types text into the worksheet at the caret, "\n" pressing Return.
    void Type(const QString& text) const;
    // Triggers the menu command's action, as a click on the menu item does.
    void Trigger(int command) const;
    // The graph pane as it shows on screen.
    QImage GraphImage() const;

    TempDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<CMainFrame> frame;

  private:
    QString m_previousDir;
};

// Pixel tests.
bool IsColor(const QImage& image, int x, int y, QColor color);
// True when some pixel of the square of `radius` around (x, y) has `color`.
bool HasColorNear(const QImage& image, int x, int y, QColor color, int radius = 1);
// True when some pixel of the rectangle is darker than mid-gray (text, markers).
bool HasDarkPixelIn(const QImage& image, const QRect& rect);
int CountPixels(const QImage& image, QColor color);
bool IsBlank(const QImage& image);

// Two plot records, written directly, whose pixels have been worked out by hand.

QString Q(const std::string& utf8);
std::string S(const QString& text);

}  // namespace lumo::test
