// The real dialogs, answered by a timer that looks for the active modal window, so that nothing
// waits for a user.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

#include "app/about_dialog.h"
#include "app/frame_dialogs.h"
#include "tests/app/app_test_support.h"

namespace lumo {
namespace {

using test::Q;
using test::S;

// Calls `answer` with the next modal window as soon as it is shown and ready. If none shows, or
// `answer` leaves it open, the window is rejected after a few seconds, so a test cannot hang.
class ModalAnswerer {
  public:
    explicit ModalAnswerer(std::function<bool(QWidget*)> answer) : m_answer(std::move(answer)) {
        m_clock.start();
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start(20);
    }
    bool Answered() const { return m_bAnswered; }

  private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && !m_bAnswered && m_answer(modal)) {
            m_bAnswered = true;
            return;
        }
        if (m_clock.elapsed() > 5000) {
            if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
            m_timer.stop();
        }
    }

    std::function<bool(QWidget*)> m_answer;
    QTimer m_timer;
    QElapsedTimer m_clock;
    bool m_bAnswered = false;
};

TEST(RealDialogs, MessageBoxIsCaptionedLumoWithOneOkAndNoIcon) {
    QWidget parent;
    QtFrameDialogs dialogs(&parent);
    QString title, text;
    qsizetype buttons = -1;
    QMessageBox::Icon icon = QMessageBox::Critical;
    ModalAnswerer answerer([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr) return false;
        title = box->windowTitle();
        text = box->text();
        buttons = box->buttons().size();
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
        return true;
    });
    dialogs.MessageBox("ﾍﾙﾌﾟの起動に失敗しました。");
    ASSERT_TRUE(answerer.Answered());
    EXPECT_EQ(S(title), "Lumo");
    EXPECT_EQ(S(text), "ﾍﾙﾌﾟの起動に失敗しました。");
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(icon, QMessageBox::NoIcon);
}

TEST(RealDialogs, SaveQuestionNamesTheDocumentAndOffersYesNoCancel) {
    QWidget parent;
    QtFrameDialogs dialogs(&parent);
    QString text;
    for (const auto& [button, expected] : {std::pair{QMessageBox::Yes, SaveAnswer::kYes},
                                           std::pair{QMessageBox::No, SaveAnswer::kNo},
                                           std::pair{QMessageBox::Cancel, SaveAnswer::kCancel}}) {
        ModalAnswerer answerer([&, button = button](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box == nullptr) return false;
            text = box->text();
            EXPECT_EQ(box->buttons().size(), 3);
            box->button(button)->click();
            return true;
        });
        EXPECT_EQ(dialogs.AskSaveChanges(QStringLiteral("VARNEL")), expected);
        EXPECT_EQ(S(text), "VARNEL への変更を保存しますか？");
    }
}

TEST(RealDialogs, OpenDialogOffersAllFilesAndShowsNamesWithoutADot) {
    test::TempDir dir;
    test::WriteFile(dir.File("data"), "1,2\r\n");
    test::WriteFile(dir.File("b.txt"), "1,2\r\n");
    QWidget parent;
    QtFrameDialogs dialogs(&parent);
    QStringList filters;
    QString title;
    ModalAnswerer answerer([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (dialog == nullptr) return false;
        // Wait until the folder has been read.
        auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
        if (list == nullptr || list->model()->rowCount(list->rootIndex()) < 2) return false;
        QStringList names;
        for (int i = 0; i < list->model()->rowCount(list->rootIndex()); ++i) {
            names << list->model()->index(i, 0, list->rootIndex()).data().toString();
        }
        EXPECT_TRUE(names.contains(QStringLiteral("data"))) << S(names.join(QLatin1Char(',')));
        filters = dialog->nameFilters();
        title = dialog->windowTitle();
        // The user types the name and presses Open.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (name == nullptr) return false;
        name->setText(QStringLiteral("data"));
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        return true;
    });
    const QString chosen = dialogs.GetOpenFileName(Q(dir.path()));
    ASSERT_TRUE(answerer.Answered());
    EXPECT_EQ(S(chosen), S(QFileInfo(Q(dir.File("data"))).canonicalFilePath()));
    EXPECT_EQ(filters, QStringList{QString::fromUtf8(kAllFilesFilter)});
    EXPECT_EQ(S(title), "開く");
}

TEST(RealDialogs, AboutBoxHasItsTextsAndClosesWithOk) {
    QWidget parent;
    QtFrameDialogs dialogs(&parent);
    CAboutDlg about(&parent);
    QStringList labels;
    ModalAnswerer answerer([&](QWidget* modal) {
        if (modal != &about) return false;
        for (const QLabel* label : about.findChildren<QLabel*>()) labels << label->text();
        const auto buttons = about.findChildren<QPushButton*>();
        EXPECT_EQ(buttons.size(), 1);
        if (!buttons.isEmpty()) buttons.front()->click();
        return true;
    });
    EXPECT_EQ(dialogs.Exec(about), QDialog::Accepted);
    EXPECT_TRUE(about.windowTitle().startsWith(QStringLiteral("Varnel-Win(1.4)")));
    EXPECT_TRUE(labels.join(QLatin1Char('|')).contains(QStringLiteral("Varnel-Win (1.6)")));
}

}  // namespace
}  // namespace lumo
