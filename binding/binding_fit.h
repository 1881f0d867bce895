// Binding data fitted directly: bound ligand B against free ligand F, one site
// B = Bmax·F / (Kd + F) and two sites B = Bmax1·F / (Kd1 + F) + Bmax2·F / (Kd2 + F), by
// unweighted least squares in B, with the extra-sum-of-squares F test and AICc between them.
#pragma once

#include <span>

#include "binding/least_squares.h"
#include "worksheet/report.h"

namespace lumo {

// p = {Bmax, Kd} and p = {Bmax1, Kd1, Bmax2, Kd2}.
extern const CurveModel kOneSiteModel;
extern const CurveModel kTwoSiteModel;

// The two-site fit needs this many points: four parameters and one degree of freedom.
constexpr int kMinTwoSitePoints = 5;

struct BindingFit {
    CurveFit oneSite;
    bool oneSiteUsable = false;  // converged, errors known, Bmax and Kd positive
    bool twoSiteTried = false;   // enough points for it
    CurveFit twoSite;            // site 1 the one with the smaller Kd
    // Converged to a minimum with positive parameters: enough for the comparison, whatever
    // the standard errors say.
    bool twoSiteUsable = false;
    bool twoSiteDetermined = false;  // and every standard error within its estimate
    double aicc1 = 0.0;              // NaN where undefined (too few points, or an exact fit)
    double aicc2 = 0.0;
    double f = 0.0;  // ((SS1 − SS2)/2) / (SS2/(n − 4)); NaN without a usable two-site fit
    double p = 0.0;
    bool preferTwoSites = false;  // p < 0.05
};

// Fits free concentrations `f` and bound amounts `b` (the same number of each).
BindingFit FitBinding(std::span<const double> f, std::span<const double> b);

// n·ln(SS/n) + 2K + 2K(K+1)/(n−K−1) with K = `parameters` + 1, the residual variance counted
// as a parameter too; NaN when n − K − 1 < 1 or SS is 0.
double Aicc(double ss, int n, int parameters);

// The analysis: reads B and B/F as the Scatchard analyses do (marks ignored), reports both
// fits and their comparison in "BindFitRes.txt" and leaves the points with the preferred
// model's site lines and curve in the plot record. Returns true when at least the one-site
// fit was reported.
bool OnBindingFit(AnalysisContext& ctx);

}  // namespace lumo
