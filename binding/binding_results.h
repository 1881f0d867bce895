// Every number of a binding or kinetics run for its record, and the detail block after the
// classic report lines when the user asked for it. The classic reports are not touched.
#pragma once

#include "binding/conic.h"
#include "worksheet/report.h"

namespace lumo {

struct ConicFit;

// The values read ([s] and [v]) and the line of 1/[v] on 1/[s] with Km and Vmax.
void AddLineweaverBurkResults(AnalysisContext& ctx, ReportFile& report, const double* s,
                              const double* v, int n, double slope, double intercept, double r);

// The four marked points, the conic whose asymptotes gave the two site lines, and the lines;
// `fit` and `start` only for the simplex analysis.
void AddScatchardResults(AnalysisContext& ctx, ReportFile& report, int n,
                         const ConicPoint (&marked)[4], const Conic& conic,
                         const ConicFit* fit = nullptr, const Conic* start = nullptr);

}  // namespace lumo
