#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>

#include "app/analysis_table.h"
#include "app/plot_export.h"
#include "worksheet/lumo_doc.h"
#include "worksheet/text_worksheet.h"

namespace lumo {
namespace {

// Message boxes become lines on standard error.
class StderrMessageBox : public IMessageBox {
  public:
    void MessageBox(std::string_view utf8Text) override {
        std::fwrite(utf8Text.data(), 1, utf8Text.size(), stderr);
        std::fputc('\n', stderr);
    }
};

// A file error is one line on standard error.
int ReportFileError(const std::string& message) {
    std::string line = message;
    for (char& c : line) {
        if (c == '\n') c = ' ';
    }
    std::fprintf(stderr, "lumo: %s\n", line.c_str());
    return 2;
}

QString AnalysisList() {
    QString list;
    for (const AnalysisEntry& entry : Analyses()) {
        list += QStringLiteral("  %1  %2\n")
                    .arg(QString::fromLatin1(entry.name), -18)
                    .arg(QString::fromLatin1(entry.description));
    }
    return list;
}

bool HasOption(int argc, char** argv, std::initializer_list<const char*> options) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--") == 0) break;
        for (const char* option : options) {
            const size_t len = std::strlen(option);
            if (std::strncmp(arg, option, len) == 0 && (arg[len] == '\0' || arg[len] == '=')) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

bool IsCommandLineRun(int argc, char** argv) {
    return HasOption(argc, argv,
                     {"--run", "--plot", "--help", "-h", "--help-all", "--version", "-v"});
}

int RunCommandLine(int argc, char** argv) {
    // Drawing the picture needs fonts, so a GUI application, but never a display: the
    // offscreen platform draws just as well when the user has not asked for another.
    const bool wantsPlot = HasOption(argc, argv, {"--plot"});
    if (wantsPlot && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    std::unique_ptr<QCoreApplication> app;
    if (wantsPlot) {
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("lumo"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LUMO_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lumo: analysis of laboratory data in a text worksheet.\n\n"
                       "Without --run, opens the desktop program (with FILE, if given).\n"
                       "With --run, runs one analysis on FILE as its menu command does, writes\n"
                       "its report file to the current directory and prints the text appended\n"
                       "to the worksheet. Exit status: 0 report appended, 1 the analysis\n"
                       "stopped with a message, 2 usage or file error.\n"
                       "With --plot, also writes the graph pane's picture after the run, as\n"
                       "PNG, SVG or PDF by the name's ending: 640x460 pixels (points in a\n"
                       "PDF) on white, (0,0) at the pane's top-left, so a point that the\n"
                       "pane draws at (x,y) is at (x,y) in the picture.\n\n"
                       "Analyses:\n") +
        AnalysisList());
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption runOption(QStringLiteral("run"),
                                       QStringLiteral("Run ANALYSIS on FILE without a window."),
                                       QStringLiteral("ANALYSIS"));
    const QCommandLineOption saveOption(
        QStringLiteral("save"), QStringLiteral("With --run: save the worksheet back to FILE."));
    const QCommandLineOption plotOption(
        QStringLiteral("plot"),
        QStringLiteral("With --run: write the graph pane's picture to OUT (.png, .svg or .pdf)."),
        QStringLiteral("OUT"));
    parser.addOption(runOption);
    parser.addOption(saveOption);
    parser.addOption(plotOption);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A worksheet file."));

    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "lumo: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version"))) parser.showVersion();

    const QStringList files = parser.positionalArguments();
    if (!parser.isSet(runOption) || files.size() != 1) {
        std::fprintf(stderr,
                     "lumo: usage: lumo --run ANALYSIS FILE [--save] [--plot OUT]  (see lumo "
                     "--help)\n");
        return 2;
    }
    const QString plotPath = parser.value(plotOption);
    if (parser.isSet(plotOption) && !IsPlotPictureName(plotPath)) {
        std::fprintf(stderr, "lumo: --plot needs a name ending in .png, .svg or .pdf: '%s'\n",
                     qPrintable(plotPath));
        return 2;
    }
    const std::string name = parser.value(runOption).toStdString();
    const AnalysisEntry* analysis = FindAnalysis(name);
    if (analysis == nullptr) {
        std::fprintf(stderr, "lumo: unknown analysis '%s' (see lumo --help)\n", name.c_str());
        return 2;
    }
    const std::string path = QFile::encodeName(files.front()).toStdString();

    TextWorksheet sheet;
    CLumoDoc doc;
    doc.AttachWorksheet(&sheet);
    const LoadResult loaded = doc.OnOpenDocument(path);
    if (!loaded.ok()) return ReportFileError(loaded.message);
    if (loaded.decoded.format.hadInvalidBytes) {
        std::fprintf(stderr,
                     "lumo: warning: %s holds bytes that are not valid text; they are shown as "
                     "U+FFFD and the file will not be overwritten\n",
                     path.c_str());
    }

    StderrMessageBox messages;
    AnalysisContext ctx(sheet, doc, messages);
    const bool reported = analysis->run(ctx);
    const std::string& appended = sheet.Appended();
    std::fwrite(appended.data(), 1, appended.size(), stdout);
    std::fflush(stdout);

    if (parser.isSet(saveOption)) {
        const SaveResult saved = doc.OnSaveDocument(path);
        if (!saved.ok()) return ReportFileError(saved.message);
    }
    if (parser.isSet(plotOption)) {
        QString error;
        if (!SavePlotPicture(doc, plotPath, &error)) return ReportFileError(error.toStdString());
    }
    return reported ? 0 : 1;
}

}  // namespace lumo
