// Cost of each direct least-squares fit on a full worksheet of 100 points, and of the
// dose-response curve on 10,000 (a plate reader's export; it should stay well under 10 ms).
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "binding/binding_fit.h"
#include "binding/dose_response.h"
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

// log10 concentrations over six decades, a falling curve with a ±3 % pattern of errors.
void BM_DoseResponse10000Points(benchmark::State& state) {
    std::vector<double> x, y;
    for (int i = 0; i < 10000; ++i) {
        const double xi = -9.0 + 6.0 * i / 9999.0;
        x.push_back(xi);
        const double curve = 5.0 + 95.0 / (1.0 + std::pow(10.0, (-6.5 - xi) * -0.9));
        y.push_back(curve * (1.0 + 0.03 * std::sin(1.7 * i)));
    }
    for (auto _ : state) benchmark::DoNotOptimize(lumo::FitDoseResponse(x, y));
}
BENCHMARK(BM_DoseResponse10000Points)->Unit(benchmark::kMillisecond);

}  // namespace
