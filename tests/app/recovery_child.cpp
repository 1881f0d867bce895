// The desktop program started as the user starts it, typing into its worksheet and running on
// until it is killed: the crash that the recovery tests recover from.
//   lumo_recovery_child TEXT [FILE]
// TEXT is typed as UTF-8 ("\n" presses Return; non-ASCII text arrives as an input method
// commits it). "typed" on standard output says the text is in.
#include <QStringList>

#include <cstdio>

#include "app/lumo_app.h"
#include "app/lumo_view.h"
#include "app/main_frame.h"
#include "tests/app/type_text.h"

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
    lumo::test::TypeText(view, text);
    std::printf("typed\n");
    std::fflush(stdout);
    return app.exec();
}
