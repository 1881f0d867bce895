#include "app/analysis_table.h"

#include "binding/binding_fit.h"
#include "binding/dose_response.h"
#include "binding/lineweaver_burk.h"
#include "binding/michaelis_menten_fit.h"
#include "binding/scatchard.h"
#include "stats/anova.h"
#include "stats/correlation.h"
#include "stats/grubbs.h"
#include "stats/kruskal_wallis.h"
#include "stats/mann_whitney.h"
#include "stats/paired_t.h"
#include "stats/rejection.h"
#include "stats/signed_rank.h"
#include "stats/unpaired_t.h"

namespace lumo {
namespace {

constexpr AnalysisEntry kAnalyses[] = {
    {"unpaired-t", "unpaired t-test, Student's or Welch's (TkenteiRes.txt)", OnUnpairedTTest},
    {"paired-t", "paired t-test (PairedTRes.txt)", OnPairedTTest},
    {"rejection", "rejection test of one value marked with X (KikyakuRes.txt)", OnRejectionTest},
    {"correlation", "correlation coefficient and regression line (SokanRes.txt)", OnCorrelation},
    {"mann-whitney", "Mann-Whitney U test of two groups (MannWhitneyRes.txt)", OnMannWhitney},
    {"wilcoxon", "Wilcoxon signed-rank test of pairs (WilcoxonRes.txt)", OnWilcoxon},
    {"anova", "one-way ANOVA, Welch's ANOVA and Tukey's HSD (AnovaRes.txt)", OnAnova},
    {"kruskal-wallis", "Kruskal-Wallis test with Dunn's comparisons (KruskalRes.txt)",
     OnKruskalWallis},
    {"grubbs", "Grubbs test that finds the outliers itself (GrubbsRes.txt)", OnGrubbs},
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
