#pragma once

#include "worksheet/report.h"

namespace lumo {

// Rejection (outlier) test of the one value marked with a letter among the values typed one
// per line, at the 1% and 5% levels, reported in "KikyakuRes.txt". Returns true when a report
// was appended.
bool OnRejectionTest(AnalysisContext& ctx);

}  // namespace lumo
