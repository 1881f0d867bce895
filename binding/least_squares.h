// Unweighted nonlinear least squares of y on x for a model with a handful of parameters, by
// Levenberg–Marquardt (MINPACK's lmder as Eigen carries it), with the asymptotic standard
// errors and 95 % intervals from the Jacobian at the solution.
#pragma once

#include <span>
#include <vector>

namespace lumo {

// The model's value at `x` for parameters `p`, and its derivative by each parameter into
// `gradient` (as many entries as the model has parameters).
using CurveFunction = void (*)(const double* p, double x, double* value, double* gradient);

struct CurveModel {
    int parameterCount = 0;
    CurveFunction evaluate = nullptr;
};

// Each fit has this many function evaluations at most, so no data can make it run on.
constexpr int kMaxFitEvaluations = 400;

enum class FitOutcome {
    kConverged,       // a minimum, with finite parameters and sum of squares
    kIterationLimit,  // the evaluation cap was reached first
    kNotFinite,       // the parameters or the sum of squares left the finite numbers
    kBadInput,        // fewer points than parameters, or a start that is not finite
};

struct CurveFit {
    FitOutcome outcome = FitOutcome::kBadInput;
    std::vector<double> parameters;
    // Empty unless the fit converged with at least one degree of freedom and a Jacobian of
    // full rank; the intervals are estimate ± t(0.975, df)·SE.
    std::vector<double> standardErrors;
    std::vector<double> ciLower;
    std::vector<double> ciUpper;
    double ss = 0.0;        // sum of squared residuals
    int df = 0;             // points − parameters
    double syx = 0.0;       // √(ss/df)
    double rSquared = 0.0;  // 1 − ss / Σ(y − ȳ)²
    int iterations = 0;     // accepted Levenberg–Marquardt steps
    bool singular = false;  // the Jacobian at the solution has not full rank

    bool Converged() const { return outcome == FitOutcome::kConverged; }
    bool HasErrors() const { return !standardErrors.empty(); }
    // Every estimate at least as large as its standard error. A parameter that the data
    // cannot fix (a second site with nothing to bind, say) drifts off with an error many
    // times its size; its value means nothing.
    bool Determined() const;
};

CurveFit FitCurve(const CurveModel& model, std::span<const double> x, std::span<const double> y,
                  std::span<const double> start, int maxEvaluations = kMaxFitEvaluations);

// t(0.975, df): the half-width factor of a 95 % interval; NaN for df < 1.
double TQuantile975(int df);

// Upper tail of the F distribution with (df1, df2) degrees of freedom at `f`; NaN when it is
// undefined.
double FUpperTail(double f, int df1, int df2);

}  // namespace lumo
