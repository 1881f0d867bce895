// Every modal question the main window asks the user, behind one interface, so the window can
// be driven by a test that answers its own dialogs and can never block.
#pragma once

#include <QFont>
#include <QString>

#include <functional>
#include <optional>
#include <string_view>

#include "worksheet/worksheet.h"

class QDialog;
class QPrinter;
class QWidget;

namespace lumo {

enum class SaveAnswer { kYes, kNo, kCancel };
enum class ChangedFileAnswer { kOverwrite, kSaveAs, kCancel };

class IFrameDialogs : public IMessageBox {
  public:
    // The program's notices: caption "Lumo", a single OK button, no icon.
    void MessageBox(std::string_view utf8Text) override = 0;
    // "%1 への変更を保存しますか？" with Yes, No and Cancel.
    virtual SaveAnswer AskSaveChanges(const QString& documentName) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool AskYesNo(const QString& text) = 0;
    // "ディスク上のファイルが変更されています。上書きしますか？" about `path`, with Overwrite,
    // Save As and Cancel.
    virtual ChangedFileAnswer AskOverwriteChangedFile(const QString& path) = 0;

    // An empty result means the user cancelled.
    virtual QString GetOpenFileName(const QString& directory) = 0;
    virtual QString GetSaveFileName(const QString& suggestedPath) = 0;
    // The graph's picture: the name ends in .png, .svg or .pdf.
    virtual QString GetSavePlotFileName(const QString& suggestedPath) = 0;

    virtual std::optional<QFont> ChooseFont(const QFont& initial) = 0;

    // The printing dialogs work on the window's one printer. `pageCount` is 1 for the graph,
    // 0 when unknown (the worksheet's text).
    virtual bool ExecPrintDialog(QPrinter& printer, int pageCount) = 0;
    virtual bool ExecPageSetup(QPrinter& printer) = 0;
    virtual void ExecPrintPreview(QPrinter& printer,
                                  const std::function<void(QPrinter*)>& paint) = 0;

    // Any other modal dialog of the program (the about box).
    virtual int Exec(QDialog& dialog) = 0;
};

// The real dialogs, owned by `parent`.
class QtFrameDialogs : public IFrameDialogs {
  public:
    explicit QtFrameDialogs(QWidget* parent) : m_pParent(parent) {}

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

  private:
    QWidget* m_pParent;
};

// The caption of every message box of the program.
extern const char kAppTitle[];
// The only filter the worksheet's file dialogs offer.
extern const char kAllFilesFilter[];

}  // namespace lumo
