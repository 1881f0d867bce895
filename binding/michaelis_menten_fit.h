// Km and Vmax fitted directly to the velocities: v = Vmax·[s] / (Km + [s]) by unweighted least
// squares in v, beside the Lineweaver-Burk line, whose reciprocals distort the errors.
#pragma once

#include <span>

#include "binding/least_squares.h"
#include "worksheet/report.h"

namespace lumo {

struct MichaelisMentenFit {
    CurveFit fit;  // parameters Vmax, Km
    double startVmax = 0.0;
    double startKm = 0.0;
    bool startFromLineweaver = false;  // else from the largest v and the median [s]
};

// The model in the solver's terms: p = {Vmax, Km}.
extern const CurveModel kMichaelisMentenModel;

// Fits [s] and [v] (the same number of each, at least one).
MichaelisMentenFit FitMichaelisMenten(std::span<const double> s, std::span<const double> v);

// The analysis: reads [s] and [v] as the Lineweaver-Burk analysis does, reports the fit in
// "MMFitRes.txt" and leaves the reciprocal points and the fitted line in the plot record.
// Returns true when a fit with its errors was reported.
bool OnMichaelisMentenFit(AnalysisContext& ctx);

}  // namespace lumo
