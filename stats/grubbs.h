// Grubbs' test for the most extreme value, repeated on the rest, and its analysis.
#pragma once

#include <span>
#include <vector>

#include "worksheet/report.h"

namespace lumo {

struct GrubbsStep {
    size_t index = 0;  // of the suspect in the values given
    double value = 0.0;
    double mean = 0.0;
    double sd = 0.0;  // divisor n - 1
    double g = 0.0;
    double p = 0.0;          // 2n P(T_{n-2} > t), at most 1
    double gCritical = 0.0;  // two-sided, alpha 0.05
    bool significant = false;
};

struct Grubbs {
    GrubbsStep first;              // the test on all values
    std::vector<size_t> outliers;  // indices found significant, in the order found
};

// At least three values. The suspect is the value farthest from the mean, the first one on a
// tie; the test repeats on the rest while it finds one and three or more values remain.
Grubbs GrubbsTest(std::span<const double> values);

// `lumo --run grubbs`: one group, report GrubbsRes.txt.
bool OnGrubbs(AnalysisContext& ctx);

}  // namespace lumo
