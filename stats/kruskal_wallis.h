// The Kruskal-Wallis test with Dunn's comparisons, and its analysis.
#pragma once

#include <span>
#include <vector>

#include "worksheet/report.h"

namespace lumo {

struct DunnPair {
    int i = 0;  // 1-based, i < j
    int j = 0;
    double z = 0.0;          // (mean rank i - mean rank j) / its SD
    double p = 0.0;          // two-sided, unadjusted
    double pAdjusted = 0.0;  // Bonferroni over k(k-1)/2 pairs, at most 1
};

struct KruskalWallis {
    std::vector<int> ns;
    std::vector<double> medians;
    std::vector<double> meanRanks;
    double h = 0.0;  // tie-corrected
    double df = 0.0;
    double p = 0.0;
    std::vector<DunnPair> dunn;
};

KruskalWallis KruskalWallisTest(std::span<const std::vector<double>> groups);

// `lumo --run kruskal-wallis`: two or more groups, report KruskalRes.txt.
bool OnKruskalWallis(AnalysisContext& ctx);

}  // namespace lumo
