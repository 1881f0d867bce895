// Cost of the simplex conic fit of the Scatchard analysis on a full worksheet of 100 points.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "binding/conic.h"
#include "binding/simplex_fit.h"

namespace {

using lumo::Conic;

struct FitInput {
    std::vector<double> x;
    std::vector<double> y;
    Conic start{};
};

// 100 points of the two-site curve x² + 2.5·x·y + y² − 5·x − 4·y = 0 between x = 0.05 and
// x = 4.95, with a fixed ±2 % pattern of errors, rounded to four decimals as typed data would
// be; the start is the conic through four of them, as the analysis would take it.
FitInput MakeInput() {
    const Conic truth = {1.0, 2.5, -5.0, -4.0};
    FitInput in;
    for (int i = 0; i < 100; ++i) {
        const double x = 0.05 + 0.049 * i;
        const double u = truth[1] * x + truth[3];
        const double y = (std::sqrt(u * u - 4.0 * (truth[0] * x + truth[2]) * x) - u) * 0.5;
        const double error = 0.02 * std::sin(1.7 * i);
        in.x.push_back(std::round(x * 1e4) / 1e4);
        in.y.push_back(std::round(y * (1.0 + error) * 1e4) / 1e4);
    }
    const auto p = [&](int i) { return lumo::ConicPoint{in.x[i], in.y[i]}; };
    in.start = lumo::SolveConicThroughPoints(p(15), p(35), p(60), p(80));
    return in;
}

void BM_FitConicSimplex100Points(benchmark::State& state) {
    const FitInput in = MakeInput();
    lumo::ConicFit fit;
    for (auto _ : state) {
        fit = lumo::FitConicSimplex(in.x, in.y, in.start, nullptr);
        benchmark::DoNotOptimize(fit);
    }
    // Every fit of the same data takes the same path, so these are per fit.
    state.counters["passes"] = fit.passes;
    state.counters["evaluations"] = static_cast<double>(fit.evaluations);
    state.counters["converged"] = fit.converged ? 1 : 0;
}
BENCHMARK(BM_FitConicSimplex100Points);

void BM_ConicResidualSum100Points(benchmark::State& state) {
    const FitInput in = MakeInput();
    for (auto _ : state) {
        benchmark::DoNotOptimize(lumo::ConicResidualSum(in.start, in.x, in.y));
    }
}
BENCHMARK(BM_ConicResidualSum100Points);

}  // namespace
