#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/analysis_table.h"
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

}  // namespace

bool IsCommandLineRun(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--") == 0) break;
        for (const char* option : {"--run", "--help", "-h", "--help-all", "--version", "-v"}) {
            const size_t len = std::strlen(option);
            if (std::strncmp(arg, option, len) == 0 && (arg[len] == '\0' || arg[len] == '=')) {
                return true;
            }
        }
    }
    return false;
}

int RunCommandLine(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lumo"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LUMO_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lumo: analysis of laboratory data in a text worksheet.\n\n"
                       "Without --run, opens the desktop program (with FILE, if given).\n"
                       "With --run, runs one analysis on FILE as its menu command does, writes\n"
                       "its report file to the current directory and prints the text appended\n"
                       "to the worksheet. Exit status: 0 report appended, 1 the analysis\n"
                       "stopped with a message, 2 usage or file error.\n\n"
                       "Analyses:\n") +
        AnalysisList());
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption runOption(QStringLiteral("run"),
                                       QStringLiteral("Run ANALYSIS on FILE without a window."),
                                       QStringLiteral("ANALYSIS"));
    const QCommandLineOption saveOption(
        QStringLiteral("save"), QStringLiteral("With --run: save the worksheet back to FILE."));
    parser.addOption(runOption);
    parser.addOption(saveOption);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A worksheet file."));

    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "lumo: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version"))) parser.showVersion();

    const QStringList files = parser.positionalArguments();
    if (!parser.isSet(runOption) || files.size() != 1) {
        std::fprintf(stderr, "lumo: usage: lumo --run ANALYSIS FILE [--save]  (see lumo --help)\n");
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
    return reported ? 0 : 1;
}

}  // namespace lumo
