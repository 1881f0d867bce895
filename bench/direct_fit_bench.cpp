// Cost of each direct least-squares fit on a full worksheet of 100 points.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "binding/binding_fit.h"
#include "binding/michaelis_menten_fit.h"

namespace {

// x spread over three decades, y from the model with a fixed ±3 % pattern of errors.
template <typename Model>
void MakeInput(Model model, std::vector<double>& x, std::vector<double>& y) {
    for (int i = 0; i < 100; ++i) {
        const double xi = 0.05 * std::pow(10.0, 3.0 * i / 99.0);
        x.push_back(xi);
        y.push_back(model(xi) * (1.0 + 0.03 * std::sin(1.7 * i)));
    }
}

void BM_MichaelisMenten100Points(benchmark::State& state) {
    std::vector<double> s, v;
    MakeInput([](double si) { return 200.0 * si / (0.5 + si); }, s, v);
    for (auto _ : state) benchmark::DoNotOptimize(lumo::FitMichaelisMenten(s, v));
}
BENCHMARK(BM_MichaelisMenten100Points)->Unit(benchmark::kMicrosecond);

// One site, the nine two-site starts and the comparison, on two-site data.
void BM_BindingOneAndTwoSites100Points(benchmark::State& state) {
    std::vector<double> f, b;
    MakeInput([](double fi) { return 2.0 * fi / (0.5 + fi) + 8.0 * fi / (20.0 + fi); }, f, b);
    for (auto _ : state) benchmark::DoNotOptimize(lumo::FitBinding(f, b));
}
BENCHMARK(BM_BindingOneAndTwoSites100Points)->Unit(benchmark::kMicrosecond);

}  // namespace
