// Typing as a user does, for the tests and for the program they start and kill.
#pragma once

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QString>
#include <QTest>
#include <QWidget>

namespace lumo::test {

// ASCII key by key ("\n" presses Return), other text as an input method commits it: QTest's
// key clicks cannot type Japanese.
inline void TypeText(QWidget* view, const QString& text) {
    for (qsizetype i = 0; i < text.size();) {
        if (text.at(i) == QLatin1Char('\n')) {
            QTest::keyClick(view, Qt::Key_Return);
            ++i;
        } else if (text.at(i).unicode() < 0x80) {
            QTest::keyClick(view, text.at(i).toLatin1());
            ++i;
        } else {
            qsizetype run = i;
            while (run < text.size() && text.at(run).unicode() >= 0x80) ++run;
            QInputMethodEvent commit;
            commit.setCommitString(text.mid(i, run - i));
            QCoreApplication::sendEvent(view, &commit);
            i = run;
        }
    }
}

}  // namespace lumo::test
