#pragma once

#include "worksheet/report.h"

namespace lumo {

// The outcome of the last variance-ratio test: 1 when the variances differ and Welch's test
// follows, 0 when Student's test follows.
extern int g_nWelch;

// Two-sided variance-ratio test at the 5% level of two groups of N1 and N2 values with
// standard deviations SD1 and SD2 (divisor N - 1). Sets g_nWelch.
void TestVarianceRatio(int N1, double SD1, int N2, double SD2);

// Unpaired t-test of two groups typed one value per line and separated by a line beginning
// with "//": the variance test, then Student's or Welch's test, reported in "TkenteiRes.txt".
// Returns true when a report was appended.
bool OnUnpairedTTest(AnalysisContext& ctx);

}  // namespace lumo
