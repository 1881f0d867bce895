#include "binding/simplex_fit.h"

#include <cmath>

#include "worksheet/report.h"

namespace lumo {
namespace {

constexpr std::size_t kN = kConicParams;
constexpr std::size_t kV = kSimplexVertices;

double Evaluate(SimplexState& state, const ConicObjective& objective, const Conic& point) {
    ++state.evaluations;
    return objective(point);
}

}  // namespace

double ConicResidualSum(const Conic& conic, std::span<const double> x, std::span<const double> y) {
    const double a = conic[0];
    const double b = conic[1];
    const double c = conic[2];
    const double d = conic[3];
    const std::size_t count = x.size() < y.size() ? x.size() : y.size();
    double sum = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double xi = x[i];
        const double u = b * xi + d;
        const double upper = (std::sqrt(u * u - ((a * xi + c) * xi) * 4.0) - u) * 0.5;
        const double r = upper - y[i];
        sum += r * r;
    }
    return sum;
}

bool IsBetterObjective(double candidate, double than) {
    if (std::isnan(candidate)) return false;
    if (std::isnan(than)) return true;
    return candidate < than;
}

SimplexState StartSimplex(const Conic& start, const ConicObjective& objective) {
    SimplexState state;
    state.vertex[0] = start;
    // The two shape constants of a regular simplex in four dimensions: every vertex but the
    // first moves by q steps in all coordinates and by h more in its own.
    const double h = std::sqrt(0.5);
    const double q = (std::sqrt(5.0) - 1.0) * h * 0.25;
    for (std::size_t j = 0; j < kN; ++j) {
        const double step = 0.1 * start[j];
        state.tolerance[j] = std::fabs(0.01 * start[j]);
        const double t = q * step + start[j];
        for (std::size_t k = 1; k < kV; ++k) state.vertex[k][j] = t;
        state.vertex[j + 1][j] = h * step + t;
    }
    for (std::size_t k = 0; k < kV; ++k)
        state.value[k] = Evaluate(state, objective, state.vertex[k]);
    return state;
}

bool BeginSimplexPass(SimplexState& state) {
    ++state.passes;
    state.lastMove = SimplexMove::kNone;
    state.hi = 0;
    state.lo = 0;
    for (std::size_t k = 1; k < kV; ++k) {
        if (IsBetterObjective(state.value[state.hi], state.value[k])) state.hi = k;
        if (IsBetterObjective(state.value[k], state.value[state.lo])) state.lo = k;
    }
    // Only the spread in parameter space decides. A coordinate that is not a number has no
    // spread to judge, so such a simplex never counts as converged.
    for (std::size_t j = 0; j < kN; ++j) {
        double largest = state.vertex[0][j];
        double smallest = largest;
        for (std::size_t k = 0; k < kV; ++k) {
            const double v = state.vertex[k][j];
            if (std::isnan(v)) return false;
            if (v > largest) largest = v;
            if (v < smallest) smallest = v;
        }
        if (!(largest - smallest <= state.tolerance[j])) return false;
    }
    return true;
}

void ReplaceWorstVertex(SimplexState& state, const Conic& point, double value) {
    state.vertex[state.hi] = point;
    state.value[state.hi] = value;
}

void FinishSimplexPass(SimplexState& state, const ConicObjective& objective) {
    const std::size_t hi = state.hi;
    const std::size_t lo = state.lo;
    Conic& worst = state.vertex[hi];

    Conic reflected;
    for (std::size_t j = 0; j < kN; ++j) {
        double sum = 0.0;
        for (std::size_t k = 0; k < kV; ++k) {
            if (k != hi) sum += state.vertex[k][j];
        }
        reflected[j] = (sum + sum) / static_cast<double>(kN) - worst[j];
    }
    const double reflectedValue = Evaluate(state, objective, reflected);

    if (IsBetterObjective(reflectedValue, state.value[lo])) {
        // Better than the best: keep the reflection and try twice as far.
        Conic expanded;
        for (std::size_t j = 0; j < kN; ++j) expanded[j] = 1.5 * reflected[j] - 0.5 * worst[j];
        ReplaceWorstVertex(state, reflected, reflectedValue);
        state.lastMove = SimplexMove::kReflection;
        const double expandedValue = Evaluate(state, objective, expanded);
        if (IsBetterObjective(expandedValue, state.value[hi])) {
            ReplaceWorstVertex(state, expanded, expandedValue);
            state.lastMove = SimplexMove::kExpansion;
        }
        return;
    }
    if (IsBetterObjective(reflectedValue, state.value[hi])) {
        ReplaceWorstVertex(state, reflected, reflectedValue);
        state.lastMove = SimplexMove::kReflection;
        return;
    }
    // The reflection is no better than the worst vertex: try halfway between the centroid and
    // the worst vertex.
    Conic contracted;
    for (std::size_t j = 0; j < kN; ++j) contracted[j] = 0.25 * reflected[j] + 0.75 * worst[j];
    const double contractedValue = Evaluate(state, objective, contracted);
    if (IsBetterObjective(contractedValue, state.value[hi])) {
        ReplaceWorstVertex(state, contracted, contractedValue);
        state.lastMove = SimplexMove::kContraction;
        return;
    }
    // Nothing helped: halve every vertex's distance to the best one, which stays as it is.
    for (std::size_t k = 0; k < kV; ++k) {
        if (k == lo) continue;
        for (std::size_t j = 0; j < kN; ++j) {
            state.vertex[k][j] = (state.vertex[k][j] + state.vertex[lo][j]) * 0.5;
        }
        state.value[k] = Evaluate(state, objective, state.vertex[k]);
    }
    state.lastMove = SimplexMove::kShrink;
}

ConicFit MinimizeSimplex(const Conic& start, const ConicObjective& objective, int maxPasses) {
    SimplexState state = StartSimplex(start, objective);
    ConicFit fit;
    for (;;) {
        if (BeginSimplexPass(state)) {
            fit.converged = true;
            break;
        }
        if (state.passes >= maxPasses) break;
        FinishSimplexPass(state, objective);
    }
    fit.conic = state.vertex[state.lo];
    fit.tolerance = state.tolerance;
    fit.residual = state.value[state.lo];
    fit.passes = state.passes;
    fit.evaluations = state.evaluations;
    return fit;
}

ConicFit FitConicSimplex(std::span<const double> x, std::span<const double> y, const Conic& start,
                         ReportFile* report, int maxPasses) {
    const ConicFit fit = MinimizeSimplex(
        start, [x, y](const Conic& conic) { return ConicResidualSum(conic, x, y); }, maxPasses);
    if (report != nullptr) {
        report->Printf("iteration: %d\n", fit.passes);
        report->Printf("parameters for: AX^2+BXY+Y^2+CX+DY=0 \n");
        for (std::size_t j = 0; j < kN; ++j) {
            report->Printf("%c:  %f ± %f\n", static_cast<char>('A' + j), fit.conic[j],
                           fit.tolerance[j]);
        }
        if (!fit.converged) {
            report->Printf(
                "注意：%d回の反復では収束しなかったため、計算を打ち切りました。"
                "上の値はその時点で最も良い値です。\n",
                fit.passes);
        }
    }
    return fit;
}

}  // namespace lumo
