#include "app/analysis_table.h"

#include "binding/binding_fit.h"
#include "binding/dose_response.h"
#include "binding/lineweaver_burk.h"
#include "binding/michaelis_menten_fit.h"
#include "binding/scatchard.h"
#include "stats/correlation.h"
#include "stats/paired_t.h"
#include "stats/rejection.h"
#include "stats/unpaired_t.h"

namespace lumo {
namespace {

constexpr AnalysisEntry kAnalyses[] = {
    {"unpaired-t", "unpaired t-test, Student's or Welch's (TkenteiRes.txt)", OnUnpairedTTest},
    {"paired-t", "paired t-test (PairedTRes.txt)", OnPairedTTest},
    {"rejection", "rejection test of one value marked with X (KikyakuRes.txt)", OnRejectionTest},
    {"correlation", "correlation coefficient and regression line (SokanRes.txt)", OnCorrelation},
    {"scatchard", "Scatchard plot by four marked points (ScatRes.txt)", OnScatchardPlots},
    {"lineweaver-burk", "Lineweaver-Burk plot, Km and Vmax (LinewRes.txt)", OnLineweaverBurkPlots},
    {"scatchard-simplex", "Scatchard plot by simplex fit (ScatRes.txt)", OnScatchardSimplex},
    {"michaelis-menten", "Michaelis-Menten fitted directly to [v] (MMFitRes.txt)",
     OnMichaelisMentenFit},
    {"binding-fit", "one- and two-site binding fitted directly to B (BindFitRes.txt)",
     OnBindingFit},
    {"dose-response",
     "four-parameter dose-response curve, EC50/IC50 and unknowns (DoseRespRes.txt)",
     OnDoseResponse},
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
