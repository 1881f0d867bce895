#pragma once

#include "worksheet/report.h"

namespace lumo {

// Two-site Scatchard analysis from four data lines that the user marked with a letter: the
// conic through the four points, its asymptotes as the two site lines, Kd and Bmax of each,
// reported in "ScatRes.txt" and left in the plot record. Returns true when a report was
// appended.
bool OnScatchardPlots(AnalysisContext& ctx);

// The same analysis with the conic fitted to every data line by the simplex method, started
// from the conic through the four marked points.
bool OnScatchardSimplex(AnalysisContext& ctx);

}  // namespace lumo
