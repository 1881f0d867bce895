#include "app/lumo_app.h"

#include <QCommandLineParser>
#include <QFile>
#include <QLibraryInfo>

#include <cstdio>

#include "app/main_frame.h"

// Outside any namespace, as the resource initialiser must be.
static void InitLumoResources() {
    Q_INIT_RESOURCE(lumo);
}

namespace lumo {

CLumoApp::CLumoApp(int& argc, char** argv) : QApplication(argc, argv) {
    m_nativeArguments.assign(argv, argv + argc);
    InitLumoResources();
    setOrganizationName(QStringLiteral("lumo"));
    setApplicationName(QStringLiteral("lumo"));
    setApplicationDisplayName(QStringLiteral("Lumo"));
    setApplicationVersion(QStringLiteral(LUMO_VERSION));
    setDesktopFileName(QStringLiteral("lumo"));
    // The program speaks Japanese whatever the locale, and so should Qt's own dialogs.
    if (m_qtTranslator.load(QStringLiteral("qtbase_ja"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        installTranslator(&m_qtTranslator);
    }
}

CLumoApp::~CLumoApp() = default;

bool CLumoApp::CheckArguments(const QStringList& arguments, QString* error) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A worksheet file."));
    // The options QGuiApplication and QApplication take out of the command line themselves.
    for (const char* name :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
          "qwindowicon", "qwindowtitle", "session", "display", "name", "title", "visual",
          "geometry", "style", "stylesheet", "qmljsdebugger"}) {
        parser.addOption(
            QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
    }
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"}) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(name)));
    }
    if (!parser.parse(arguments)) {
        if (error != nullptr) *error = parser.errorText();
        return false;
    }
    if (parser.positionalArguments().size() > 1) {
        if (error != nullptr) *error = QStringLiteral("one worksheet file at a time");
        return false;
    }
    return true;
}

bool CLumoApp::InitInstance() {
    return InitInstance(arguments(), nullptr, m_nativeArguments);
}

bool CLumoApp::InitInstance(const QStringList& arguments, IFrameDialogs* dialogs,
                            const std::vector<std::string>& nativeArguments) {
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A worksheet file."));
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "lumo: %s (see lumo --help)\n", qPrintable(parser.errorText()));
        return false;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fprintf(stderr, "lumo: one worksheet file at a time (see lumo --help)\n");
        return false;
    }
    std::string file;
    if (!files.isEmpty()) {
        file = QFile::encodeName(files.front()).toStdString();
        // The argument's own bytes, when the text came from them.
        for (size_t i = 1; i < nativeArguments.size(); ++i) {
            if (QString::fromLocal8Bit(nativeArguments[i]) == files.front()) {
                file = nativeArguments[i];
                break;
            }
        }
    }
    m_pMainFrame = std::make_unique<CMainFrame>(dialogs);
    // The file is opened before the window shows, so a file that cannot be opened ends the
    // program with its message rather than leaving an empty window behind.
    if (!file.empty() && !m_pMainFrame->OpenNativeFile(file)) return false;
    m_pMainFrame->show();
    m_pMainFrame->OfferRecoveryOf(file);
    return true;
}

}  // namespace lumo
