// The exact results beside each classic test: every number of the run for its record, and the
// detail block after the classic report lines when the user asked for it. The classic reports
// and their decisions are not touched; what they printed and concluded comes in as arguments.
#pragma once

#include "worksheet/report.h"

namespace lumo {

// Two-sided p-value of r, the Fisher-z interval of r, and the regression line's standard
// errors and intervals, over the n pairs (x, y).
void AddCorrelationResults(AnalysisContext& ctx, ReportFile& report, const double* x,
                           const double* y, int n);

// What the classic unpaired test chose and concluded.
struct UnpairedClassic {
    bool welch = false;  // the variance-ratio test sent it to Welch's test
    int df = 0;          // the degrees of freedom it printed
    bool significant = false;
};

// The variance-ratio test, Student's and Welch's tests both, and Cohen's d; differences are
// group 1 - group 2.
void AddUnpairedResults(AnalysisContext& ctx, ReportFile& report, const double* group1, int n1,
                        const double* group2, int n2, const UnpairedClassic& classic);

// The test of the differences first - second, its interval and effect size, and the
// correlation of the two columns.
void AddPairedResults(AnalysisContext& ctx, ReportFile& report, const double* first,
                      const double* second, int n, bool classicSignificant);

// What the classic rejection test printed and concluded.
struct RejectionClassic {
    double x = 0.0;  // the marked value
    double t = 0.0;  // T with the SD of divisor N
    double critical1 = 0.0;
    double critical5 = 0.0;
    bool significant = false;
};

// Grubbs' statistic with the SD of divisor N - 1 and its two-sided p bound.
void AddRejectionResults(AnalysisContext& ctx, ReportFile& report, const double* values, int n,
                         const RejectionClassic& classic);

}  // namespace lumo
