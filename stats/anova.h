// One-way analysis of variance with Welch's test and Tukey's HSD, and its analysis.
#pragma once

#include <span>
#include <vector>

#include "worksheet/report.h"

namespace lumo {

struct TukeyPair {
    int i = 0;  // 1-based, i < j
    int j = 0;
    double difference = 0.0;  // mean i - mean j
    double lo = 0.0;          // 95% interval
    double hi = 0.0;
    double p = 0.0;
};

struct Anova {
    std::vector<int> ns;
    std::vector<double> means;
    std::vector<double> sds;
    double ssBetween = 0.0;
    double ssWithin = 0.0;
    double dfBetween = 0.0;
    double dfWithin = 0.0;
    double f = 0.0;
    double p = 0.0;
    double welchF = 0.0;
    double welchDf1 = 0.0;
    double welchDf2 = 0.0;
    double welchP = 0.0;
    std::vector<TukeyPair> tukey;
};

// Groups of at least two values each; the caller makes sure of that.
Anova OneWayAnova(std::span<const std::vector<double>> groups);

// `lumo --run anova`: two or more groups, report AnovaRes.txt.
bool OnAnova(AnalysisContext& ctx);

}  // namespace lumo
