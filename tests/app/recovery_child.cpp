// The desktop program started as the user starts it, typing into its worksheet and running on
// until it is killed: the crash that the recovery tests recover from.
//   lumo_recovery_child TEXT [FILE]
// TEXT is typed as UTF-8 ("\n" presses Return; non-ASCII text arrives as an input method
// commits it). "typed" on standard output says the text is in.
#include <QInputMethodEvent>
#include <QStringList>
#include <QTest>

#include <cstdio>

#include "app/lumo_app.h"
#include "app/lumo_view.h"
#include "app/main_frame.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: lumo_recovery_child TEXT [FILE]\n");
        return 2;
    }
    const QString text = QString::fromUtf8(argv[1]);
    QStringList arguments{QStringLiteral("lumo")};
    if (argc == 3) arguments << QString::fromLocal8Bit(argv[2]);
    int appArgc = 1;
    lumo::CLumoApp app(appArgc, argv);
    if (!app.InitInstance(arguments)) return 2;
    lumo::CLumoView* view = app.MainFrame()->Worksheet();
    QTextCursor end = view->textCursor();
    end.movePosition(QTextCursor::End);
    view->setTextCursor(end);
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n')) {
            QTest::keyClick(view, Qt::Key_Return);
            ++i;
        } else if (c.unicode() < 0x80) {
            QTest::keyClick(view, c.toLatin1());
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
    std::printf("typed\n");
    std::fflush(stdout);
    return app.exec();
}
