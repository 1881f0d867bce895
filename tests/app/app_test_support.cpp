#include "tests/app/app_test_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPrinter>
#include <QSettings>
#include <QTest>

#include "app/lumo_view.h"
#include "app/my_view.h"

namespace lumo::test {

QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

std::string S(const QString& text) {
    return text.toStdString();
}

void ScriptedDialogs::MessageBox(std::string_view utf8Text) {
    messages.emplace_back(utf8Text);
}

SaveAnswer ScriptedDialogs::AskSaveChanges(const QString& documentName) {
    saveQuestions.push_back(documentName);
    if (saveAnswers.empty()) {
        ADD_FAILURE() << "unexpected save question about " << S(documentName);
        return SaveAnswer::kCancel;
    }
    const SaveAnswer answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

bool ScriptedDialogs::AskYesNo(const QString& text) {
    yesNoQuestions.push_back(text);
    if (yesNoAnswers.empty()) {
        ADD_FAILURE() << "unexpected question: " << S(text);
        return false;
    }
    const bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

ChangedFileAnswer ScriptedDialogs::AskOverwriteChangedFile(const QString& path) {
    changedQuestions.push_back(path);
    if (changedAnswers.empty()) {
        ADD_FAILURE() << "unexpected question about a changed file: " << S(path);
        return ChangedFileAnswer::kCancel;
    }
    const ChangedFileAnswer answer = changedAnswers.front();
    changedAnswers.pop_front();
    return answer;
}

QString ScriptedDialogs::GetOpenFileName(const QString& directory) {
    openDirectories.push_back(directory);
    if (openFileNames.empty()) {
        ADD_FAILURE() << "unexpected open dialog";
        return {};
    }
    const QString name = openFileNames.front();
    openFileNames.pop_front();
    return name;
}

QString ScriptedDialogs::GetSaveFileName(const QString& suggestedPath) {
    saveSuggestions.push_back(suggestedPath);
    if (saveFileNames.empty()) {
        ADD_FAILURE() << "unexpected save dialog";
        return {};
    }
    const QString name = saveFileNames.front();
    saveFileNames.pop_front();
    return name;
}

QString ScriptedDialogs::GetSavePlotFileName(const QString& /*suggestedPath*/) {
    if (savePlotFileNames.empty()) {
        ADD_FAILURE() << "unexpected dialog for the graph's picture";
        return {};
    }
    const QString name = savePlotFileNames.front();
    savePlotFileNames.pop_front();
    return name;
}

std::optional<QFont> ScriptedDialogs::ChooseFont(const QFont& initial) {
    fontInitials.push_back(initial);
    if (fontAnswers.empty()) {
        ADD_FAILURE() << "unexpected font dialog";
        return std::nullopt;
    }
    const std::optional<QFont> answer = fontAnswers.front();
    fontAnswers.pop_front();
    return answer;
}

bool ScriptedDialogs::ExecPrintDialog(QPrinter& printer, int pageCount) {
    printPageCounts.push_back(pageCount);
    if (!acceptPrint) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printFile);
    return true;
}

bool ScriptedDialogs::ExecPageSetup(QPrinter& /*printer*/) {
    ++pageSetups;
    return true;
}

void ScriptedDialogs::ExecPrintPreview(QPrinter& printer,
                                       const std::function<void(QPrinter*)>& paint) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(previewFile);
    paint(&printer);
}

int ScriptedDialogs::Exec(QDialog& dialog) {
    dialogTitles.push_back(dialog.windowTitle());
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) labels << label->text();
    dialogLabels.push_back(labels);
    return QDialog::Accepted;
}

FrameFixture::FrameFixture(bool freshSettings) : m_previousDir(QDir::currentPath()) {
    if (freshSettings) {
        QSettings settings(QStringLiteral("lumo"), QStringLiteral("lumo"));
        settings.clear();
        // The classic picture, pixel for pixel: no scales, drawn at its fixed size.
        settings.setValue(QStringLiteral("graph/showScales"), false);
        settings.setValue(QStringLiteral("graph/actualSize"), true);
    }
    QDir::setCurrent(QString::fromStdString(dir.path()));
    dialogs.printFile = QString::fromStdString(dir.File("print.pdf"));
    dialogs.previewFile = QString::fromStdString(dir.File("preview.pdf"));
    frame = std::make_unique<CMainFrame>(&dialogs);
    // Tall enough for the whole plot whatever size the offscreen screen has.
    frame->resize(700, 860);
    frame->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    // Shortcuts reach only the active window.
    frame->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    View().setFocus();
}

FrameFixture::~FrameFixture() {
    // Nothing may ask anything on the way out.
    frame->GetDocument().SetModifiedFlag(false);
    frame.reset();
    QDir::setCurrent(m_previousDir);
}

CLumoView& FrameFixture::View() const {
    return *frame->Worksheet();
}

CMyView& FrameFixture::Graph() const {
    return *frame->GraphPane();
}

void FrameFixture::Type(const QString& text) const {
    for (const QChar c : text) {
        if (c == QLatin1Char('\n')) {
            QTest::keyClick(&View(), Qt::Key_Return);
        } else if (c == QLatin1Char('\t')) {
            QTest::keyClick(&View(), Qt::Key_Tab);
        } else {
            QTest::keyClicks(&View(), QString(c));
        }
    }
}

void FrameFixture::Trigger(int command) const {
    QAction* action = frame->CommandAction(command);
    ASSERT_NE(action, nullptr) << command;
    ASSERT_TRUE(action->isEnabled()) << command;
    action->trigger();
}

QImage FrameFixture::GraphImage() const {
    return Graph().grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool IsColor(const QImage& image, int x, int y, QColor color) {
    return image.valid(x, y) && image.pixelColor(x, y) == color;
}

bool HasColorNear(const QImage& image, int x, int y, QColor color, int radius) {
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            if (IsColor(image, x + dx, y + dy, color)) return true;
        }
    }
    return false;
}

bool HasDarkPixelIn(const QImage& image, const QRect& rect) {
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (image.valid(x, y) && qGray(image.pixel(x, y)) < 128) return true;
        }
    }
    return false;
}

int CountPixels(const QImage& image, QColor color) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == color) ++count;
        }
    }
    return count;
}

bool IsBlank(const QImage& image) {
    return CountPixels(image, Qt::white) == image.width() * image.height();
}

}  // namespace lumo::test
