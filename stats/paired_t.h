#pragma once

#include "worksheet/report.h"

namespace lumo {

// Paired t-test on the differences first - second of the pairs typed one per line, reported in
// "PairedTRes.txt". The pairs also go to the plot record. Returns true when a report was
// appended.
bool OnPairedTTest(AnalysisContext& ctx);

}  // namespace lumo
