// Each analysis through its command handler, as the menu runs it: reading the worksheet,
// computing, writing the report file and appending it. The classic analyses get 100 data rows;
// the rank tests, ANOVA, Kruskal-Wallis and Grubbs their full 10,000 values.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cmath>
#include <cstdlib>
#include <string>

#include "app/analysis_table.h"
#include "worksheet/lumo_doc.h"
#include "worksheet/report.h"
#include "worksheet/text_worksheet.h"

namespace {

class SilentMessageBox : public lumo::IMessageBox {
  public:
    void MessageBox(std::string_view) override {}
};

// 100 rows of data that each analysis accepts (18 for the rejection test).
std::string WorksheetFor(std::string_view name) {
    std::string text;
    const int groups = name == "mann-whitney" ? 2 : (name == "grubbs" ? 1 : 4);
    if (name == "mann-whitney" || name == "anova" || name == "kruskal-wallis" || name == "grubbs") {
        constexpr int kValues = 10000;
        for (int i = 0; i < kValues; ++i) {
            const int g = i * groups / kValues;
            if (i > 0 && g != (i - 1) * groups / kValues) text += "////\n";
            // Spread without ties' regularity, the groups a little apart, one far value.
            const double v = 10.0 + std::sin(i * 1.7) + 0.1 * g + (i == 77 ? 9.0 : 0.0);
            text += std::to_string(v) + "\n";
        }
    } else if (name == "wilcoxon") {
        for (int i = 0; i < 10000; ++i) {
            text += std::to_string(10.0 + std::sin(i * 1.7)) + "," +
                    std::to_string(10.1 + std::cos(i * 0.9)) + "\n";
        }
    } else if (name == "unpaired-t") {
        for (int i = 0; i < 100; ++i) {
            if (i == 50) text += "////\n";
            text += std::to_string(10.0 + std::sin(i) + (i >= 50 ? 0.5 : 0.0)) + "\n";
        }
    } else if (name == "rejection") {
        // Its table ends at 18 values; a larger sample only gets the prompt.
        for (int i = 0; i < 18; ++i) {
            text += std::to_string(10.0 + std::sin(i)) + (i == 7 ? " X\n" : "\n");
        }
    } else if (name == "michaelis-menten") {
        // Velocities on a Michaelis-Menten curve (Km 0.7, Vmax 10) with a little scatter: the
        // binding data below fall with [s] and give the fit nothing to converge to.
        for (int i = 0; i < 100; ++i) {
            const double s = 0.05 + 4.8 * i / 100.0;
            const double v = 10.0 * s / (0.7 + s) * (1.0 + 0.01 * std::sin(i));
            text += std::to_string(s) + "," + std::to_string(v) + "\n";
        }
    } else {
        // Two-site binding data: bound B and bound/free B/F on the curve of two site classes,
        // with four lines marked for the Scatchard analyses.
        for (int i = 0; i < 100; ++i) {
            const double b = 0.05 + 4.8 * i / 100.0;
            // Upper branch of x^2 + 2.5xy + y^2 - 5x - 4y = 0.
            const double u = 2.5 * b - 4.0;
            const double y = 0.5 * (std::sqrt(u * u - 4.0 * (b * b - 5.0 * b)) - u);
            text += std::to_string(b) + "," + std::to_string(y);
            text += (i == 10 || i == 35 || i == 60 || i == 85) ? " X\n" : "\n";
        }
    }
    return text;
}

void BM_Analysis(benchmark::State& state, const lumo::AnalysisEntry* analysis) {
    char folder[] = "/tmp/lumo-bench-XXXXXX";
    if (::mkdtemp(folder) == nullptr) std::abort();
    const std::string data = WorksheetFor(analysis->name);
    lumo::TextWorksheet sheet;
    lumo::CLumoDoc doc;
    doc.AttachWorksheet(&sheet);
    SilentMessageBox messages;
    lumo::AnalysisContext ctx(sheet, doc, messages);
    ctx.SetReportDirectory(folder);
    bool reported = false;
    for (auto _ : state) {
        sheet.SetText(data);
        reported = analysis->run(ctx);
        benchmark::DoNotOptimize(reported);
    }
    state.counters["reported"] = reported ? 1 : 0;
    std::string cleanup = std::string("rm -rf ") + folder;
    if (std::system(cleanup.c_str()) != 0) state.SkipWithError("cleanup failed");
}

const bool kRegistered = [] {
    for (const lumo::AnalysisEntry& analysis : lumo::Analyses()) {
        benchmark::RegisterBenchmark((std::string("BM_Analysis/") + analysis.name).c_str(),
                                     BM_Analysis, &analysis);
    }
    return true;
}();

}  // namespace
