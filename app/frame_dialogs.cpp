#include "app/frame_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>

#include "worksheet/worksheet_file.h"

namespace lumo {

const char kAppTitle[] = "Lumo";
const char kAllFilesFilter[] = "すべてのﾌｧｲﾙ (*.*)";

namespace {

// The worksheet's file dialogs have always offered "*.*" as "all files". On this platform the
// pattern would hide every name without a dot, so the dialog keeps the text and shows all
// files. Qt's own dialog is used because the pattern of a native one cannot be overridden.
QString ExecWorksheetFileDialog(QWidget* parent, const QString& caption, const QString& path,
                                QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, caption, QString(), QString::fromUtf8(kAllFilesFilter));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    const QFileInfo info(path);
    if (info.isDir()) {
        dialog.setDirectory(path);
    } else if (!path.isEmpty()) {
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
    if (auto* model = dialog.findChild<QFileSystemModel*>()) model->setNameFilters({});
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.front();
}

}  // namespace

void QtFrameDialogs::MessageBox(std::string_view utf8Text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle),
                    QString::fromUtf8(utf8Text.data(), static_cast<qsizetype>(utf8Text.size())),
                    QMessageBox::Ok, m_pParent);
    box.exec();
}

SaveAnswer QtFrameDialogs::AskSaveChanges(const QString& documentName) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kAppTitle),
                    QStringLiteral("%1 への変更を保存しますか？").arg(documentName),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_pParent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("キャンセル"));
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return SaveAnswer::kYes;
        case QMessageBox::No:
            return SaveAnswer::kNo;
        default:
            return SaveAnswer::kCancel;
    }
}

bool QtFrameDialogs::AskYesNo(const QString& text) {
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(kAppTitle), text,
                    QMessageBox::Yes | QMessageBox::No, m_pParent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

ChangedFileAnswer QtFrameDialogs::AskOverwriteChangedFile(const QString& path) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kAppTitle),
                    QString::fromUtf8(kChangedOnDiskQuestion), QMessageBox::NoButton, m_pParent);
    box.setInformativeText(path);
    QPushButton* overwrite =
        box.addButton(QStringLiteral("上書き(&O)"), QMessageBox::DestructiveRole);
    QPushButton* saveAs =
        box.addButton(QStringLiteral("名前を付けて保存(&A)..."), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    // Nothing is lost by the safe choices, so they are the ones a stray Return takes.
    box.setDefaultButton(saveAs);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == overwrite) return ChangedFileAnswer::kOverwrite;
    if (box.clickedButton() == saveAs) return ChangedFileAnswer::kSaveAs;
    return ChangedFileAnswer::kCancel;
}

QString QtFrameDialogs::GetOpenFileName(const QString& directory) {
    return ExecWorksheetFileDialog(m_pParent, QStringLiteral("開く"), directory,
                                   QFileDialog::AcceptOpen);
}

QString QtFrameDialogs::GetSaveFileName(const QString& suggestedPath) {
    return ExecWorksheetFileDialog(m_pParent, QStringLiteral("名前を付けて保存"), suggestedPath,
                                   QFileDialog::AcceptSave);
}

QString QtFrameDialogs::GetSavePlotFileName(const QString& suggestedPath) {
    const QStringList filters = {QStringLiteral("PNG 画像 (*.png)"),
                                 QStringLiteral("SVG 画像 (*.svg)"),
                                 QStringLiteral("PDF 文書 (*.pdf)")};
    QFileDialog dialog(m_pParent, QStringLiteral("グラフを保存"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QStringLiteral("png"));
    if (!suggestedPath.isEmpty()) dialog.selectFile(suggestedPath);
    // The default suffix follows the chosen type, so "plot" becomes "plot.svg" under SVG.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        const int index = static_cast<int>(filters.indexOf(filter));
        static const char* const kSuffixes[] = {"png", "svg", "pdf"};
        if (index >= 0) dialog.setDefaultSuffix(QString::fromLatin1(kSuffixes[index]));
    });
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.front();
}

std::optional<QFont> QtFrameDialogs::ChooseFont(const QFont& initial) {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, m_pParent);
    if (!ok) return std::nullopt;
    return font;
}

bool QtFrameDialogs::ExecPrintDialog(QPrinter& printer, int pageCount) {
    QPrintDialog dialog(&printer, m_pParent);
    if (pageCount > 0) dialog.setMinMax(1, pageCount);
    return dialog.exec() == QDialog::Accepted;
}

bool QtFrameDialogs::ExecPageSetup(QPrinter& printer) {
    QPageSetupDialog dialog(&printer, m_pParent);
    return dialog.exec() == QDialog::Accepted;
}

void QtFrameDialogs::ExecPrintPreview(QPrinter& printer,
                                      const std::function<void(QPrinter*)>& paint) {
    QPrintPreviewDialog dialog(&printer, m_pParent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&paint](QPrinter* target) { paint(target); });
    dialog.exec();
}

int QtFrameDialogs::Exec(QDialog& dialog) {
    return dialog.exec();
}

}  // namespace lumo
