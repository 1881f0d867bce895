#include <QString>
#include <QStringList>

#include <cstdio>

#include "app/command_line.h"
#include "app/lumo_app.h"

int main(int argc, char** argv) {
    // --run, --help and --version need no display.
    if (lumo::IsCommandLineRun(argc, argv)) return lumo::RunCommandLine(argc, argv);

    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QString error;
    if (!lumo::CLumoApp::CheckArguments(arguments, &error)) {
        std::fprintf(stderr, "lumo: %s (see lumo --help)\n", qPrintable(error));
        return 2;
    }

    lumo::CLumoApp app(argc, argv);
    if (!app.InitInstance()) return 2;
    return app.exec();
}
