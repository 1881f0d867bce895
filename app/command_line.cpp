#include "app/command_line.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "app/analysis_table.h"
#include "app/gui_module.h"
#include "worksheet/lumo_doc.h"
#include "worksheet/safe_write.h"
#include "worksheet/system_error.h"
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

// Every usage or file error is one line on standard error and exit status 2.
int Fail(std::string message) {
    for (char& c : message) {
        if (c == '\n') c = ' ';
    }
    std::fprintf(stderr, "lumo: %s\n", message.c_str());
    return 2;
}

// Writes to standard output, which a script may have closed or pointed at a full disk. Returns
// false with the reason when the bytes did not all arrive.
bool WriteStdout(std::string_view bytes, std::string& error) {
    errno = 0;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    if (written && std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
    error = "cannot write to standard output (" +
            (errno != 0 ? SystemErrorUtf8(errno) : std::string("write error")) + ")";
    return false;
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

void PrintHelp(const char* program) {
    std::printf(
        "Usage: %s [options] [FILE]\n"
        "Lumo: analysis of laboratory data in a text worksheet.\n\n"
        "Without --run, opens the desktop program (with FILE, if given).\n"
        "With --run, runs one analysis on FILE as its menu command does, writes\n"
        "its report file to the current directory and prints the text appended\n"
        "to the worksheet. Exit status: 0 report appended, 1 the analysis\n"
        "stopped with a message, 2 usage or file error.\n"
        "With --plot, also writes the graph pane's picture after the run, as\n"
        "PNG, SVG or PDF by the name's ending: 640x460 pixels (points in a\n"
        "PDF) on white, (0,0) at the pane's top-left, so a point that the\n"
        "pane draws at (x,y) is at (x,y) in the picture; with the scales.\n\n"
        "Analyses:\n",
        program);
    for (const AnalysisEntry& entry : Analyses()) {
        std::printf("  %-18s  %s\n", entry.name, entry.description);
    }
    std::printf(
        "\nOptions:\n"
        "  -h, --help        Displays help on commandline options.\n"
        "  -v, --version     Displays version information.\n"
        "  --run <ANALYSIS>  Run ANALYSIS on FILE without a window.\n"
        "  --save            With --run: save the worksheet back to FILE.\n"
        "  --details         With --run: add the detail block (exact p-values,\n"
        "                    confidence intervals, effect sizes) to the report.\n"
        "  --json            With --run: print every number of the run as one JSON\n"
        "                    object instead of the appended text, with the picture\n"
        "                    as data under \"plot\".\n"
        "  --plot <OUT>      With --run: write the graph pane's picture to OUT\n"
        "                    (.png, .svg or .pdf).\n"
        "  --plot-scale <N>  With --plot: a PNG of N times 640x460 pixels, N from 1\n"
        "                    to 8 (default 1); SVG and PDF stay vector.\n\n"
        "Arguments:\n"
        "  FILE              A worksheet file.\n");
}

bool IsPlotPictureName(std::string_view path) {
    if (path.size() < 4) return false;
    std::string suffix(path.substr(path.size() - 4));
    for (char& c : suffix) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return suffix == ".png" || suffix == ".svg" || suffix == ".pdf";
}

struct Arguments {
    bool help = false;
    bool version = false;
    bool save = false;
    bool json = false;
    bool details = false;
    const char* run = nullptr;
    const char* plot = nullptr;
    const char* plotScale = nullptr;
    std::vector<const char*> files;
};

// Options as QCommandLineParser takes them: "--name value", "--name=value", "--" ends them.
bool Parse(int argc, char** argv, Arguments& args, std::string& error) {
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (optionsEnded || arg[0] != '-' || arg[1] == '\0') {
            args.files.push_back(arg);
            continue;
        }
        if (std::strcmp(arg, "--") == 0) {
            optionsEnded = true;
            continue;
        }
        std::string_view name(arg);
        const char* inlineValue = nullptr;
        if (const size_t eq = name.find('='); eq != std::string_view::npos) {
            inlineValue = arg + eq + 1;
            name = name.substr(0, eq);
        }
        auto value = [&](const char*& out) {
            if (inlineValue != nullptr) {
                out = inlineValue;
            } else if (i + 1 < argc) {
                out = argv[++i];
            } else {
                error = "Missing value after '" + std::string(name) + "'.";
                return false;
            }
            return true;
        };
        if (name == "-h" || name == "--help" || name == "--help-all") {
            args.help = true;
        } else if (name == "-v" || name == "--version") {
            args.version = true;
        } else if (name == "--save" && inlineValue == nullptr) {
            args.save = true;
        } else if (name == "--json" && inlineValue == nullptr) {
            args.json = true;
        } else if (name == "--details" && inlineValue == nullptr) {
            args.details = true;
        } else if (name == "--run") {
            if (!value(args.run)) return false;
        } else if (name == "--plot") {
            if (!value(args.plot)) return false;
        } else if (name == "--plot-scale") {
            if (!value(args.plotScale)) return false;
        } else {
            error = "Unknown option '" + std::string(name) + "'.";
            return false;
        }
    }
    return true;
}

// --plot-scale N: a whole number from 1 to 8, and only beside --plot.
bool ParsePlotScale(const char* text, const char* plot, int& scale, std::string& error) {
    if (plot == nullptr) {
        error = "--plot-scale needs --plot OUT";
        return false;
    }
    const std::string_view s(text);
    if (s.size() == 1 && s[0] >= '1' && s[0] <= '8') {
        scale = s[0] - '0';
        return true;
    }
    error = std::string("--plot-scale needs a whole number from 1 to 8: '") + text + "'";
    return false;
}

}  // namespace

std::string RunRecordJson(std::string_view analysis, bool reported, std::string_view appended,
                          const nlohmann::ordered_json& record,
                          const std::vector<std::string>& titles,
                          const nlohmann::ordered_json& plot) {
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    out["analysis"] = analysis;
    out["status"] = reported ? "reported" : "stopped";
    out["titles"] = titles;
    if (reported) {
        for (const auto& [key, value] : record.items()) out[key] = value;
    } else {
        out["message"] = appended;
    }
    out["plot"] = reported ? plot : nlohmann::ordered_json(nullptr);
    // Replace rather than throw on text that is not UTF-8: the message is never lost.
    return out.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

bool IsCommandLineRun(int argc, char** argv) {
    return HasOption(
        argc, argv,
        {"--run", "--plot", "--plot-scale", "--help", "-h", "--help-all", "--version", "-v"});
}

int RunCommandLine(int argc, char** argv) {
    // A closed pipe on standard output is a write error to report, not a silent end.
    std::signal(SIGPIPE, SIG_IGN);
    Arguments args;
    std::string error;
    if (!Parse(argc, argv, args, error)) return Fail(error);
    if (args.help || args.version) {
        if (args.help) {
            PrintHelp(argv[0]);
        } else {
            std::printf("lumo %s\n", LUMO_VERSION);
        }
        return WriteStdout("", error) ? 0 : Fail(error);
    }
    if (args.run == nullptr || args.files.size() != 1) {
        return Fail(
            "usage: lumo --run ANALYSIS FILE [--save] [--details] [--json] [--plot OUT]  (see lumo "
            "--help)");
    }
    if (args.plot != nullptr && !IsPlotPictureName(args.plot)) {
        return Fail(std::string("--plot needs a name ending in .png, .svg or .pdf: '") + args.plot +
                    "'");
    }
    int plotScale = 1;
    if (args.plotScale != nullptr && !ParsePlotScale(args.plotScale, args.plot, plotScale, error)) {
        return Fail(error);
    }
    const AnalysisEntry* analysis = FindAnalysis(args.run);
    if (analysis == nullptr) {
        return Fail(std::string("unknown analysis '") + args.run + "' (see lumo --help)");
    }
    // Load the picture writer before anything is written, so that a missing module is a
    // usage error rather than a half-done run.
    SavePlotFunction savePlot = nullptr;
    if (args.plot != nullptr) {
        savePlot = reinterpret_cast<SavePlotFunction>(LoadGuiEntry(kSavePlotSymbol, &error));
        if (savePlot == nullptr) return Fail(error);
    }
    const std::string path = args.files.front();
    // A picture that cannot be written must stop the run before the report file or FILE is.
    if (args.plot != nullptr) {
        const SafeWriteResult writable = CheckWritable(args.plot, LinkPolicy::kKeepFile);
        if (!writable.ok()) {
            std::string reason = "ﾌｧｲﾙではありません";
            if (writable.refusal == WriteRefusal::kReadOnly) reason = "書き込み禁止です";
            if (writable.refusal == WriteRefusal::kFailed) reason = SystemErrorUtf8(writable.err);
            return Fail(std::string(args.plot) + " に図を書き込めません。(" + reason + ")");
        }
    }

    TextWorksheet sheet;
    CLumoDoc doc;
    doc.AttachWorksheet(&sheet);
    const LoadResult loaded = doc.OnOpenDocument(path);
    if (!loaded.ok()) return Fail(loaded.message);
    if (loaded.decoded.format.hadInvalidBytes) {
        std::fprintf(stderr,
                     "lumo: warning: %s holds bytes that are not valid text; they are shown as "
                     "U+FFFD and the file will not be overwritten\n",
                     path.c_str());
    }

    StderrMessageBox messages;
    AnalysisContext ctx(sheet, doc, messages);
    ctx.SetDetails(args.details);
    const bool reported = analysis->run(ctx);
    const std::string& appended = sheet.Appended();

    // The file first: a reader that goes away, or a full disk behind standard output, must not
    // cost the user the saved worksheet.
    std::string failure;
    if (args.save) {
        const SaveResult saved = doc.OnSaveDocument(path);
        if (!saved.ok()) failure = saved.message;
    }
    if (failure.empty() && savePlot != nullptr) {
        char message[1024] = "";
        if (savePlot(&doc, args.plot, plotScale, message, sizeof message) != 0) failure = message;
    }
    std::string output = appended;
    if (args.json) {
        output = RunRecordJson(analysis->name, reported, appended, ctx.Record(), ctx.Titles(),
                               PlotJson(doc.m_plot));
        output += '\n';
    }
    std::string writeError;
    if (!WriteStdout(output, writeError) && failure.empty()) failure = writeError;
    if (!failure.empty()) return Fail(failure);
    return reported ? 0 : 1;
}

}  // namespace lumo
