#pragma once

#include "worksheet/report.h"

namespace lumo {

// Km and Vmax of an enzyme reaction from pairs of substrate concentration [s] and velocity [v]:
// the least-squares line of 1/[v] on 1/[s], reported in "LinewRes.txt"; the reciprocal points
// and the line are left in the plot record. Returns true when a report was appended.
bool OnLineweaverBurkPlots(AnalysisContext& ctx);

}  // namespace lumo
