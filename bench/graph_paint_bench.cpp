// Time of one paint of the graph pane with its scales, recorded instead of drawn: the two
// documented examples and Scatchard documents whose x values span millions and trillions of units,
// where the two-site curve has millions of samples per pixel column.
#include <benchmark/benchmark.h>

#include "graph/plot_drawing.h"
#include "graph/recording_surface.h"
#include "tests/graph/plot_examples.h"
#include "worksheet/lumo_doc.h"
#include "worksheet/plot_description.h"

#include <cmath>
#include <vector>

namespace {

// Two site classes with capacities summing to `span` and points spread over it, as a Scatchard
// analysis of such data would leave them.
void FillWideScatchard(lumo::CLumoDoc& doc, double span) {
    doc.m_nScatchard = 1;
    doc.m_nLineweaver = 0;
    doc.m_nCount = 20;
    doc.m_dBmax1 = span * 0.3;
    doc.m_dKa1 = 30.0 / span;
    doc.m_dBmax2 = span * 0.7;
    doc.m_dKa2 = 1.0 / span;
    doc.m_dXMin = span * 0.001 + 0.5;
    doc.m_dXMax = span;
    doc.m_dYMax = doc.m_dKa1 * doc.m_dBmax1 + doc.m_dKa2 * doc.m_dBmax2;
    for (int i = 0; i < doc.m_nCount; ++i) {
        doc.m_dX[i] = span * (0.001 + 0.045 * i);
        doc.m_dY[i] = doc.m_dYMax * (1.0 - 0.045 * i);
        doc.m_nMark[i] = i % 5 == 0 ? 1 : 0;
    }
}

// With the scales, as the pane draws at first.
void Paint(benchmark::State& state, const lumo::CLumoDoc& doc, bool scales = true) {
    lumo::RecordingSurface surface;
    for (auto _ : state) {
        surface.Clear();
        lumo::DrawPlot(doc, surface, lumo::PlotOptions{scales});
        benchmark::DoNotOptimize(surface.Primitives().data());
    }
    state.counters["primitives"] = static_cast<double>(surface.Primitives().size());
}

void BM_PaintScatchardExample(benchmark::State& state) {
    lumo::CLumoDoc doc;
    lumo::test::FillScatchardExample(doc);
    Paint(state, doc);
}
BENCHMARK(BM_PaintScatchardExample);

void BM_PaintLineweaverBurkExample(benchmark::State& state) {
    lumo::CLumoDoc doc;
    lumo::test::FillLineweaverExample(doc);
    Paint(state, doc);
}
BENCHMARK(BM_PaintLineweaverBurkExample);

// The x span in units is 10^range(0).
void BM_PaintScatchardWideSpan(benchmark::State& state) {
    double span = 1.0;
    for (int i = 0; i < state.range(0); ++i) {
        span *= 10.0;
    }
    lumo::CLumoDoc doc;
    FillWideScatchard(doc, span);
    Paint(state, doc);
}
BENCHMARK(BM_PaintScatchardWideSpan)->Arg(3)->Arg(7)->Arg(12);

// The classic picture, without scales, for comparison.
void BM_PaintScatchardExampleClassic(benchmark::State& state) {
    lumo::CLumoDoc doc;
    lumo::test::FillScatchardExample(doc);
    Paint(state, doc, false);
}
BENCHMARK(BM_PaintScatchardExampleClassic);

// The largest plots of the newer kinds: 100 values in two groups (the readers' capacity), all
// close together so that the sideways spread works hardest; and a fitted curve of 100 points
// with its residual strip.
void BM_PaintLargestGroupPlot(benchmark::State& state) {
    std::vector<double> groups[2];
    for (int i = 0; i < 100; ++i) groups[i % 2].push_back(5.0 + 0.01 * (i % 7));
    lumo::CLumoDoc doc;
    doc.m_plot = lumo::GroupPlot(groups, {}, "y", lumo::GroupCentre::kMean);
    Paint(state, doc);
}
BENCHMARK(BM_PaintLargestGroupPlot);

void BM_PaintLargestCurvePlot(benchmark::State& state) {
    std::vector<double> s;
    std::vector<double> v;
    const auto curve = [](double x) { return 5.0 * x / (2.0 + x); };
    for (int i = 0; i < 100; ++i) {
        s.push_back(0.1 * (i + 1));
        v.push_back(curve(s.back()) * (1.0 + 0.02 * std::sin(i)));
    }
    lumo::CLumoDoc doc;
    doc.m_plot = lumo::XyPlot(s, v, "[s]", "v");
    doc.m_plot.kind = lumo::PlotKind::kCurve;
    lumo::AddCurve(doc.m_plot, "fit", lumo::CurveStyle::kSolid, curve, "fit");
    lumo::AddResiduals(doc.m_plot, curve);
    lumo::FitAxes(doc.m_plot);
    Paint(state, doc);
}
BENCHMARK(BM_PaintLargestCurvePlot);

}  // namespace
