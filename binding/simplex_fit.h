// Least-squares refinement of a Scatchard conic over all data points by a downhill simplex
// (Nelder–Mead moves: reflection 1, expansion 2, contraction 0.5, shrink 0.5) that starts from a
// regular simplex around the four-point conic.
#pragma once

#include <array>
#include <functional>
#include <span>

#include "binding/conic.h"

namespace lumo {

class ReportFile;

constexpr std::size_t kSimplexVertices = kConicParams + 1;
// A fit that has not converged after this many passes stops with the best vertex it has.
constexpr int kMaxFitPasses = 10000;

// Sum over the points of the squared vertical distance from the conic's upper branch, the
// larger root in y. Not a number when the conic has no real y at some point's x.
double ConicResidualSum(const Conic& conic, std::span<const double> x, std::span<const double> y);

// The order of objective values: a value that is not a number is worse than every number (so
// a vertex with no upper branch at some point never displaces one that has), and two such
// values are equal.
bool IsBetterObjective(double candidate, double than);

enum class SimplexMove { kNone, kReflection, kExpansion, kContraction, kShrink };

// The working state of one fit; vertices and their objective values are indexed from 0.
struct SimplexState {
    std::array<Conic, kSimplexVertices> vertex{};
    std::array<double, kSimplexVertices> value{};
    Conic tolerance{};   // 1 % of the magnitude of each starting coefficient
    std::size_t hi = 0;  // the worst vertex of the current pass
    std::size_t lo = 0;  // the best vertex of the current pass
    int passes = 0;
    long evaluations = 0;
    SimplexMove lastMove = SimplexMove::kNone;
};

using ConicObjective = std::function<double(const Conic&)>;

// Builds the regular simplex of edge length one step (a tenth of each starting coefficient)
// with `start` as its first vertex, and evaluates the five vertices.
SimplexState StartSimplex(const Conic& start, const ConicObjective& objective);

// Opens a pass: counts it, ranks the vertices (ties go to the lowest index) and returns true
// when every coefficient's spread over the vertices is within its tolerance.
bool BeginSimplexPass(SimplexState& state);

// Ends a pass that has not converged with one move: the worst vertex is reflected through the
// centroid of the others, and the reflection is expanded, accepted, contracted, or the whole
// simplex is shrunk toward the best vertex.
void FinishSimplexPass(SimplexState& state, const ConicObjective& objective);

// Puts `point` with its objective value in place of the worst vertex.
void ReplaceWorstVertex(SimplexState& state, const Conic& point, double value);

struct ConicFit {
    Conic conic{};  // the best vertex of the last pass
    Conic tolerance{};
    double residual = 0.0;  // the objective at that vertex
    int passes = 0;         // the pass that found convergence included
    long evaluations = 0;
    bool converged = false;
};

// Minimises `objective` from `start`; stops after `maxPasses` passes at the latest.
ConicFit MinimizeSimplex(const Conic& start, const ConicObjective& objective,
                         int maxPasses = kMaxFitPasses);

// Fits the conic to the points, starting from `start`. When `report` is given (opened by the
// caller, who also closes it), the pass count, the coefficients with their tolerances and, for
// a fit stopped by the pass limit, a note saying so are written to it.
ConicFit FitConicSimplex(std::span<const double> x, std::span<const double> y, const Conic& start,
                         ReportFile* report, int maxPasses = kMaxFitPasses);

}  // namespace lumo
