#include "app/analysis_table.h"

#include "stats/correlation.h"

namespace lumo {
namespace {

constexpr AnalysisEntry kAnalyses[] = {
    {"correlation", "correlation coefficient and regression line (SokanRes.txt)", OnCorrelation},
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
