#include "app/analysis_table.h"

#include "binding/lineweaver_burk.h"
#include "binding/scatchard.h"
#include "stats/correlation.h"

namespace lumo {
namespace {

constexpr AnalysisEntry kAnalyses[] = {
    {"correlation", "correlation coefficient and regression line (SokanRes.txt)", OnCorrelation},
    {"scatchard", "Scatchard plot by four marked points (ScatRes.txt)", OnScatchardPlots},
    {"scatchard-simplex", "Scatchard plot by simplex fit (ScatRes.txt)", OnScatchardSimplex},
    {"lineweaver-burk", "Lineweaver-Burk plot, Km and Vmax (LinewRes.txt)", OnLineweaverBurkPlots},
};

}  // namespace

std::span<const AnalysisEntry> Analyses() {
    return kAnalyses;
}

const AnalysisEntry* FindAnalysis(std::string_view name) {
    for (const AnalysisEntry& entry : kAnalyses) {
        if (name == entry.name) return &entry;
    }
    return nullptr;
}

}  // namespace lumo
