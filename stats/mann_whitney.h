// The Mann-Whitney U test of two independent samples, and its analysis.
#pragma once

#include <span>

#include "worksheet/report.h"

namespace lumo {

struct MannWhitney {
    int n1 = 0;
    int n2 = 0;
    double median1 = 0.0;
    double median2 = 0.0;
    double u = 0.0;  // rank sum of sample 1 - n1(n1+1)/2
    double p = 0.0;  // two-sided
    bool exact = false;
    double z = 0.0;              // the normal approximation's z when not exact
    double hodgesLehmann = 0.0;  // median of all differences sample 1 - sample 2
};

// Exact when both samples hold fewer than 50 values and no value is tied, else the normal
// approximation with the tie correction of the variance and a continuity correction of 1/2.
MannWhitney MannWhitneyTest(std::span<const double> x, std::span<const double> y);

// `lumo --run mann-whitney`: two groups, report MannWhitneyRes.txt.
bool OnMannWhitney(AnalysisContext& ctx);

}  // namespace lumo
