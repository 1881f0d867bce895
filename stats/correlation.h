#pragma once

#include "worksheet/report.h"

namespace lumo {

// Correlation coefficient and regression line of y on x over the (x, y) rows of the
// worksheet, reported in "SokanRes.txt". Returns true when a report was appended.
bool OnCorrelation(AnalysisContext& ctx);

}  // namespace lumo
