// The newer plot kinds through the real path: an analysis fills the description through its
// handler, and the drawing of that description is read back through the recording surface.
#include "graph/plot_kinds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "binding/binding_fit.h"
#include "binding/lineweaver_burk.h"
#include "binding/michaelis_menten_fit.h"
#include "graph/plot_drawing.h"
#include "graph/recording_surface.h"
#include "stats/correlation.h"
#include "stats/paired_t.h"
#include "stats/unpaired_t.h"
#include "tests/test_support.h"

namespace lumo {
namespace {

// Relative agreement, for numbers that come from the fitted model or from R.
void ExpectRel(double actual, double expected, double tol) {
    EXPECT_NEAR(actual, expected, tol * std::max(1.0, std::fabs(expected)));
}

// The markers that the drawing put down, mapped back to data units through its layout.
std::vector<PlotPoint> DrawnPoints(const PlotDescription& plot, const FrameBox& frame,
                                   double minRadius) {
    RecordingSurface surface;
    DrawDescription(plot, surface, frame);
    const PlotLayout layout(plot, surface, frame);
    auto invert = [](double p, double from, double to, double lo, double hi) {
        return lo + (p - from) / (to - from) * (hi - lo);
    };
    std::vector<PlotPoint> out;
    for (const Shape& s : surface.ShapesOf(ShapeKind::kMarker)) {
        // Legend swatches stand right of the data area; residual markers are smaller.
        if (s.points[0].x > layout.right || s.size < minRadius) continue;
        out.push_back(
            {invert(s.points[0].x, layout.left, layout.right, plot.xAxis.min, plot.xAxis.max),
             invert(s.points[0].y, layout.bottom, layout.top, plot.yAxis.min, plot.yAxis.max)});
    }
    return out;
}

TEST(GroupPlot, PointsAreTheDataAndBarsTheChosenMeasure) {
    test::AnalysisFixture f;
    const auto run =
        f.Run(OnUnpairedTTest, "3.1\n2.7\n4.4\n3.9\n5.0\n2.2\n////\n6\n7\n8\n", "TkenteiRes.txt");
    ASSERT_TRUE(run.reported);
    const PlotDescription& plot = f.doc.m_plot;
    ASSERT_EQ(plot.kind, PlotKind::kGroups);
    const std::vector<PlotPoint> expected = {{1, 3.1}, {1, 2.7}, {1, 4.4}, {1, 3.9}, {1, 5.0},
                                             {1, 2.2}, {2, 6},   {2, 7},   {2, 8}};
    EXPECT_EQ(plot.FindSeries("data")->points, expected);
    ASSERT_EQ(plot.xAxis.labels.size(), 2u);
    EXPECT_EQ(plot.xAxis.labels[1].text, "2");

    // R: g <- c(3.1,2.7,4.4,3.9,5.0,2.2); mean(g); sd(g); qt(0.975,5)*sd(g)/sqrt(6);
    // quantile(g, c(.25,.5,.75)) (type 7). Tolerance 1e-12 relative.
    const struct {
        ErrorMeasure measure;
        double center, low, high;
    } cases[] = {
        {ErrorMeasure::kSd, 3.55, 3.55 - 1.0672394295564609, 3.55 + 1.0672394295564609},
        {ErrorMeasure::kSem, 3.55, 3.55 - 1.0672394295564609 / std::sqrt(6.0),
         3.55 + 1.0672394295564609 / std::sqrt(6.0)},
        {ErrorMeasure::kCi95, 3.55, 3.55 - 1.1199990936788096, 3.55 + 1.1199990936788096},
        {ErrorMeasure::kIqr, 3.5, 2.8000000000000003, 4.2750000000000004},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ErrorMeasureName(c.measure));
        const ErrorBar bar = MakeErrorBar(1, plot.groups[0], c.measure);
        ExpectRel(bar.center, c.center, 1e-12);
        ExpectRel(bar.low, c.low, 1e-12);
        ExpectRel(bar.high, c.high, 1e-12);
    }
    // The run itself shows SD; every measure fits inside the y range.
    ASSERT_EQ(plot.errorBars.size(), 2u);
    EXPECT_EQ(plot.errorBars[0].measure, ErrorMeasure::kSd);
    for (const ErrorMeasure m : {ErrorMeasure::kSd, ErrorMeasure::kSem, ErrorMeasure::kCi95}) {
        for (const ErrorBar& b : ErrorBarsFor(plot, m)) {
            EXPECT_GT(b.low, plot.yAxis.min);
            EXPECT_LT(b.high, plot.yAxis.max);
        }
    }

    // Drawn: one marker per value, at its height; spread sideways by less than a third of the
    // distance between groups.
    const std::vector<PlotPoint> drawn = DrawnPoints(plot, {0, 0, 640, 460}, 1.0);
    ASSERT_EQ(drawn.size(), expected.size());
    for (size_t i = 0; i < drawn.size(); ++i) {
        EXPECT_NEAR(drawn[i].y, expected[i].y, 1e-9);
        EXPECT_NEAR(drawn[i].x, expected[i].x, 0.31);
    }
}

TEST(GroupPlot, AnOutlierIsDrawnOnceAndDistinctly) {
    const std::vector<double> groups[] = {{1, 2, 3, 10}};
    PlotDescription plot = GroupPlot(groups, {}, "y", GroupCentre::kMean);
    plot.series.push_back({"outliers", {{1, 10}}, "外れ値"});
    RecordingSurface surface;
    DrawDescription(plot, surface, {});
    const PlotLayout layout(plot, surface, {});
    int circles = 0;
    int triangles = 0;
    for (const Shape& s : surface.ShapesOf(ShapeKind::kMarker)) {
        if (s.points[0].x > layout.right) continue;  // the legend
        (s.marker == MarkerShape::kTriangle ? triangles : circles)++;
        if (s.marker == MarkerShape::kTriangle) {
            EXPECT_NEAR(s.points[0].y, layout.Y(10), 1e-9);
        }
    }
    EXPECT_EQ(circles, 3);
    EXPECT_EQ(triangles, 1);
}

TEST(GroupPlot, SpreadKeepsMarkersApartAndWithinTheLimit) {
    const struct {
        std::vector<double> ys;
        double limit;
    } cases[] = {{{10, 10, 10, 10, 10}, 100}, {{0, 3, 6, 9}, 100}, {{5, 5, 5, 5, 5, 5, 5}, 12}};
    for (const auto& c : cases) {
        const std::vector<double> dx = SpreadOffsets(c.ys, 8.0, c.limit);
        for (size_t i = 0; i < dx.size(); ++i) {
            EXPECT_LE(std::fabs(dx[i]), c.limit);
            for (size_t j = 0; j < i && c.limit >= 100; ++j) {
                EXPECT_GE(std::hypot(dx[i] - dx[j], c.ys[i] - c.ys[j]), 8.0 * 0.999);
            }
        }
    }
    // Points far apart stay on the centre line.
    EXPECT_EQ(SpreadOffsets({0, 20, 40}, 8.0, 100), (std::vector<double>{0, 0, 0}));
}

TEST(BeforeAfterPlot, PairsKeepTheirOrderAndAreJoined) {
    test::AnalysisFixture f;
    const auto run = f.Run(OnPairedTTest, "1,2\n3,3.5\n2,5\n", "PairedTRes.txt");
    ASSERT_TRUE(run.reported);
    const PlotDescription& plot = f.doc.m_plot;
    ASSERT_EQ(plot.kind, PlotKind::kBeforeAfter);
    EXPECT_EQ(plot.FindSeries("before")->points, (std::vector<PlotPoint>{{1, 1}, {1, 3}, {1, 2}}));
    EXPECT_EQ(plot.FindSeries("after")->points, (std::vector<PlotPoint>{{2, 2}, {2, 3.5}, {2, 5}}));
    RecordingSurface surface;
    DrawDescription(plot, surface, {});
    const PlotLayout layout(plot, surface, {});
    int joins = 0;
    for (const Shape& s : surface.ShapesOf(ShapeKind::kPolyline)) {
        if (s.points.size() == 2 && std::fabs(s.points[0].x - layout.X(1)) < 1e-9 &&
            std::fabs(s.points[1].x - layout.X(2)) < 1e-9) {
            ++joins;
        }
    }
    EXPECT_EQ(joins, 3);
}

TEST(XyPlot, LineAndBandOfTheMeanResponse) {
    test::AnalysisFixture f;
    const auto run = f.Run(OnCorrelation, "1,2.1\n2,3.9\n3,6.2\n4,7.8\n5,10.1\n", "SokanRes.txt");
    ASSERT_TRUE(run.reported);
    const PlotDescription& plot = f.doc.m_plot;
    ASSERT_EQ(plot.kind, PlotKind::kXy);
    const PlotCurve* line = plot.FindCurve("line");
    const PlotCurve* lower = plot.FindCurve("band_lower");
    const PlotCurve* upper = plot.FindCurve("band_upper");
    ASSERT_TRUE(line && lower && upper);
    ASSERT_GE(line->points.size(), 100u);
    // R: f <- lm(y ~ x); predict(f, data.frame(x = c(1, 5)), interval = "confidence").
    // Tolerance 1e-9 relative.
    ExpectRel(line->points.front().y, 2.04, 1e-9);
    ExpectRel(lower->points.front().y, 1.5744482413300354, 1e-9);
    ExpectRel(upper->points.front().y, 2.5055517586699692, 1e-9);
    ExpectRel(lower->points.back().y, 9.5344482413300344, 1e-9);
    ExpectRel(upper->points.back().y, 10.4655517586699691, 1e-9);
    EXPECT_EQ(line->points.front().x, 1.0);
    EXPECT_EQ(line->points.back().x, 5.0);
    // The band is filled once, under the line.
    RecordingSurface surface;
    DrawDescription(plot, surface, {});
    EXPECT_EQ(surface.ShapesOf(ShapeKind::kPolygon).size(), 2u);  // the band and its swatch
}

TEST(CurvePlot, SamplesLieOnTheFittedModelWithResiduals) {
    test::AnalysisFixture f;
    const auto run = f.Run(OnMichaelisMentenFit, "0.5,1.1\n1,1.9\n2,2.9\n4,3.9\n8,4.4\n16,4.8\n",
                           "MMFitRes.txt");
    ASSERT_TRUE(run.reported);
    const PlotDescription& plot = f.doc.m_plot;
    ASSERT_EQ(plot.kind, PlotKind::kCurve);
    const double vmax = run.record["vmax"].get<double>();
    const double km = run.record["km"].get<double>();
    const PlotCurve* fit = plot.FindCurve("fit");
    ASSERT_TRUE(fit != nullptr);
    ASSERT_GE(fit->points.size(), 100u);
    EXPECT_LE(fit->points.front().x, 0.5);
    EXPECT_GE(fit->points.back().x, 16.0);
    for (const PlotPoint& p : fit->points) ExpectRel(p.y, vmax * p.x / (km + p.x), 1e-9);
    const PlotSeries* res = plot.FindSeries("residuals");
    ASSERT_TRUE(res != nullptr && plot.hasResidualAxis);
    const std::vector<PlotPoint>& data = plot.FindSeries("data")->points;
    ASSERT_EQ(res->points.size(), data.size());
    for (size_t i = 0; i < data.size(); ++i) {
        ExpectRel(res->points[i].y, data[i].y - vmax * data[i].x / (km + data[i].x), 1e-9);
        EXPECT_GE(res->points[i].y, plot.residualAxis.min);
        EXPECT_LE(res->points[i].y, plot.residualAxis.max);
    }
    // Nothing drawn at the top of the y range is cut: the largest point lies inside it.
    EXPECT_GT(plot.yAxis.max, 4.8);
    EXPECT_EQ(DrawnPoints(plot, {0, 0, 800, 300},
                          0.9 * PlotLayout(plot, RecordingSurface(), {0, 0, 800, 300}).markerRadius)
                  .size(),
              data.size());
}

TEST(CurvePlot, PreferredBindingModelSolidTheOtherDashed) {
    // One site, Bmax 10, Kd 2, with a little noise: the two-site fit is not preferred. Rows
    // are B and B/F as the binding analyses read them.
    std::string text;
    const double fs[] = {0.5, 1, 2, 4, 8, 16, 32};
    const double noise[] = {0.02, -0.03, 0.01, 0.03, -0.02, 0.01, -0.01};
    for (size_t i = 0; i < 7; ++i) {
        const double b = 10 * fs[i] / (2 + fs[i]) + noise[i];
        text += std::to_string(b) + "," + std::to_string(b / fs[i]) + "\n";
    }
    test::AnalysisFixture f;
    const auto run = f.Run(OnBindingFit, text, "BindFitRes.txt");
    ASSERT_TRUE(run.reported);
    const PlotDescription& plot = f.doc.m_plot;
    ASSERT_EQ(plot.kind, PlotKind::kCurve);
    const bool two = run.record["comparison"]["preferred"] == "two_site";
    const PlotCurve* one = plot.FindCurve("one_site");
    ASSERT_TRUE(one != nullptr);
    EXPECT_EQ(one->style, two ? CurveStyle::kDashed : CurveStyle::kSolid);
    if (const PlotCurve* c2 = plot.FindCurve("two_site")) {
        EXPECT_EQ(c2->style, two ? CurveStyle::kSolid : CurveStyle::kDashed);
    }
    const double bmax = run.record["one_site"]["bmax"].get<double>();
    const double kd = run.record["one_site"]["kd"].get<double>();
    for (const PlotPoint& p : one->points) ExpectRel(p.y, bmax * p.x / (kd + p.x), 1e-9);
    EXPECT_EQ(plot.xAxis.title, "F");
    EXPECT_EQ(plot.yAxis.title, "B");
}

TEST(LineweaverBurkPlot, LineRunsAlongTheFitFromMinusOneOverKm) {
    // Rows from high to low [s]: the classic line ended at the first row, a stub.
    test::AnalysisFixture f;
    const auto run =
        f.Run(OnLineweaverBurkPlots, "4,0.8\n2,0.62\n1,0.42\n0.5,0.27\n", "LinewRes.txt");
    ASSERT_TRUE(run.reported);
    const PlotDescription& plot = f.doc.m_plot;
    ASSERT_EQ(plot.kind, PlotKind::kLineweaverBurk);
    const PlotCurve* fit = plot.FindCurve("fit");
    ASSERT_TRUE(fit != nullptr);
    const double slope = f.doc.m_dLbSlope;
    const double intercept = f.doc.m_dLbIntercept;
    ExpectRel(fit->points.front().x, -intercept / slope, 1e-12);
    EXPECT_NEAR(fit->points.front().y, 0.0, 1e-12);
    EXPECT_EQ(fit->points.back().x, 2.0);  // the largest 1/[s]
    for (const PlotPoint& p : fit->points) ExpectRel(p.y, slope * p.x + intercept, 1e-9);

    // The scaled picture: the red line ends above the largest 1/[s], on the fit.
    for (const bool scales : {false, true}) {
        RecordingSurface surface;
        DrawPlot(f.doc, surface, PlotOptions{scales});
        const std::vector<Segment> red = surface.SegmentsWith(kCurvePen);
        ASSERT_EQ(red.size(), 1u);
        const double sx = f.doc.m_dXMax * kScaleFraction;
        const double sy = f.doc.m_dYMax * kScaleFraction;
        const double endX = scales ? 2.0 : f.doc.m_dX[0];
        const double endY = scales ? slope * 2.0 + intercept : f.doc.m_dY[0];
        EXPECT_EQ(red[0].to.x, static_cast<int>(endX / sx) + kLineweaverOriginX);
        EXPECT_EQ(red[0].to.y, kOriginY - static_cast<int>(endY / sy));
    }
}

TEST(PlotDescriptionJson, FieldsAsDocumentedAndNullWhenEmpty) {
    EXPECT_TRUE(PlotJson(PlotDescription{}).is_null());
    const std::vector<double> groups[] = {{1, 2, 3}, {4}};
    const std::string names[] = {"A"};
    auto json = PlotJson(GroupPlot(groups, names, "y", GroupCentre::kMedian));
    // 1 to 4 with 5 % of room either side.
    EXPECT_NEAR(json["y_axis"]["min"].get<double>(), 0.85, 1e-12);
    EXPECT_NEAR(json["y_axis"]["max"].get<double>(), 4.15, 1e-12);
    json["y_axis"].erase("min");
    json["y_axis"].erase("max");
    EXPECT_EQ(json.dump(),
              R"({"kind":"groups","x_axis":{"title":"","min":0.5,"max":2.5,"log":false,)"
              R"("labels":[{"at":1.0,"text":"A"},{"at":2.0,"text":"2"}]},)"
              R"("y_axis":{"title":"y","log":false},)"
              R"("series":[{"name":"data","points":[[1.0,1.0],[1.0,2.0],[1.0,3.0],[2.0,4.0]]}],)"
              R"("curves":[],"marks":[],"error_bars":[)"
              R"({"group":1,"measure":"iqr","center":2.0,"low":1.5,"high":2.5},)"
              R"({"group":2,"measure":"iqr","center":4.0,"low":4.0,"high":4.0}]})");
}

}  // namespace
}  // namespace lumo
