// Dose–response curves: the four-parameter logistic on X = log10(concentration),
// Y = Bottom + (Top − Bottom) / (1 + 10^((LogEC50 − X)·HillSlope)), fitted by unweighted least
// squares in Y, and unknown samples read off the fitted curve as from a standard curve.
#pragma once

#include <span>

#include "binding/least_squares.h"
#include "worksheet/report.h"

namespace lumo {

// p = {Bottom, Top, LogEC50, HillSlope}.
extern const CurveModel kFourParameterLogisticModel;

// Four parameters and one degree of freedom.
constexpr int kMinDoseResponsePoints = 5;

struct DoseResponseFit {
    CurveFit fit;  // Bottom < Top after the fit; a falling curve has a negative HillSlope
    double start[4] = {};
    // The fit converged with errors and both LogEC50 and HillSlope are fixed by the data.
    bool usable = false;
    bool Falling() const { return fit.parameters.size() == 4 && fit.parameters[3] < 0.0; }
};

// Fits log10 concentrations `x` and responses `y` (the same number of each), started from the
// data.
DoseResponseFit FitDoseResponse(std::span<const double> x, std::span<const double> y);

// The concentration (not its logarithm) at which the curve of `p` gives `response`; NaN when
// the response is not strictly between Bottom and Top, where the curve never reaches it.
double InterpolateConcentration(std::span<const double> p, double response);

// The analysis: concentration in the first field and response in the last; rows of
// concentration 0 are controls and left out, rows "?, response" are unknowns read off the
// curve. Reports in "DoseRespRes.txt"; true when the fit was reported with its estimates.
bool OnDoseResponse(AnalysisContext& ctx);

}  // namespace lumo
