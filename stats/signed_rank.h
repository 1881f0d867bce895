// The Wilcoxon signed-rank test of paired values, and its analysis.
#pragma once

#include <span>

#include "worksheet/report.h"

namespace lumo {

struct SignedRank {
    int n = 0;                      // non-zero differences
    double medianDifference = 0.0;  // of all differences, zeros included
    double v = 0.0;                 // sum of the ranks of the positive differences
    double p = 0.0;                 // two-sided
    bool exact = false;
    double z = 0.0;
};

// Differences first - second. Zero differences are dropped; exact when fewer than 50 remain
// and none was zero or tied, else the normal approximation with tie and continuity
// correction.
SignedRank SignedRankTest(std::span<const double> first, std::span<const double> second);

// `lumo --run wilcoxon`: pairs, report WilcoxonRes.txt.
bool OnWilcoxon(AnalysisContext& ctx);

}  // namespace lumo
