// The two-site curve: its per-unit samples addressed without walking through them, and its
// per-column drawing checked pixel for pixel against the plain loop that draws one segment per
// sample.
#include "graph/two_site_curve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "graph/plot_drawing.h"
#include "graph/recording_surface.h"

namespace lumo {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kTwoPow52 = 4503599627370496.0;
constexpr double kTwoPow53 = 9007199254740992.0;

// E = first, then E + 1.0 while E < limit, stopping where the sum no longer moves.
std::vector<double> LoopSamples(double first, double limit) {
    std::vector<double> out;
    for (double e = first; e < limit;) {
        out.push_back(e);
        const double next = e + 1.0;
        if (next == e) {
            break;
        }
        e = next;
    }
    return out;
}

TEST(UnitSteps, MatchesRepeatedAdditionAcrossRoundingPlaces) {
    struct Case {
        double first;
        double limit;
    };
    // Starting values with many fraction bits lose some at each power of two and when crossing
    // zero; near 2^53 the spacing reaches 1 and then 2, where the sum rounds to even and stops.
    const Case cases[] = {
        {1.0, 4.0},
        {0.1, 5000.0},
        {-3000.3, 3000.7},
        {-0.7, 3.0},
        {-1e-300, 2.5},
        {5e-324, 3.0},
        {0.0, 1.0},
        {-0.0, 0.5},
        {1.0 / 3.0, 1025.0},
        {kTwoPow52 - 100.5, kTwoPow52 + 100.0},
        {kTwoPow53 - 5.0, kTwoPow53 + 10.0},
        {kTwoPow53 + 2.0, kTwoPow53 + 10.0},
        {-kTwoPow53 - 10.0, -kTwoPow53 + 5.0},
        {-kTwoPow53 - 2.0, -kTwoPow53 + 3.0},
        {1e17, 1e18},
        {-1e17, 1e18},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << " to " << c.limit);
        const std::vector<double> loop = LoopSamples(c.first, c.limit);
        const UnitSteps steps(c.first, c.limit);
        ASSERT_EQ(steps.Size(), static_cast<std::int64_t>(loop.size()));
        for (std::size_t i = 0; i < loop.size(); ++i) {
            ASSERT_EQ(steps.At(static_cast<std::int64_t>(i)), loop[i]) << i;
            EXPECT_EQ(steps.LastAtOrBelow(loop[i]), static_cast<std::int64_t>(i));
        }
        EXPECT_EQ(steps.LastAtOrBelow(std::nextafter(c.first, -kInf)), -1);
    }
}

TEST(UnitSteps, FiniteForEveryStartAndLimit) {
    EXPECT_EQ(UnitSteps(kNan, 10.0).Size(), 0);
    EXPECT_EQ(UnitSteps(0.0, kNan).Size(), 0);
    EXPECT_EQ(UnitSteps(5.0, 5.0).Size(), 0);
    EXPECT_EQ(UnitSteps(4.5, 5.0).Size(), 1);
    EXPECT_EQ(UnitSteps(-kInf, 10.0).Size(), 1);
    EXPECT_EQ(UnitSteps(-1e300, 1e300).Size(), 1);
    // Without a finite limit the samples run up to where adding 1.0 stops changing them.
    const UnitSteps open(0.5, kInf);
    ASSERT_GT(open.Size(), 0);
    EXPECT_EQ(open.At(0), 0.5);
    EXPECT_EQ(open.At(1000), 1000.5);
    const double last = open.At(open.Size() - 1);
    EXPECT_GE(last, kTwoPow52);
    EXPECT_EQ(last + 1.0, last);
}

// A surface that keeps what a drawing covers, so that two drawings can be compared by their
// pixels: the slanted segments, and per pixel column the rows covered by vertical segments and
// by the ends of slanted ones (merging samples only changes the vertical segments). Only what
// lies within `reach` pixels of the origin sideways is kept.
class CoverageSurface : public IDrawSurface {
  public:
    using Rows = std::vector<std::pair<std::int64_t, std::int64_t>>;
    using Place = std::pair<std::int64_t, std::int64_t>;

    explicit CoverageSurface(std::int64_t reach = std::numeric_limits<std::int64_t>::max())
        : m_reach(reach) {}

    bool IsPrinting() const override { return false; }
    int ClientHeight() const override { return 440; }
    void SetPrintMapping(int) override {}
    Pen CurrentPen() const override { return {}; }
    void SetPen(const Pen&) override {}
    void SetBrush(StockBrush) override {}
    void MoveTo(int x, int y) override { m_at = {x, y}; }
    void LineTo(int x, int y) override {
        const Place to{x, y};
        if (to.first == m_at.first) {
            Cover(x, std::min(m_at.second, to.second), std::max(m_at.second, to.second));
        } else if (std::max(m_at.first, to.first) >= -m_reach &&
                   std::min(m_at.first, to.first) <= m_reach) {
            m_slanted.insert(std::minmax(m_at, to));
            Cover(m_at.first, m_at.second, m_at.second);
            Cover(to.first, to.second, to.second);
        }
        m_at = to;
        ++lines;
        columns.insert(x);
    }
    void Ellipse(int, int, int, int) override {}
    void TextOut(int, int, std::string_view) override {}

    // The rows covered in each column, as disjoint sorted ranges.
    std::map<std::int64_t, Rows> Columns() const {
        std::map<std::int64_t, Rows> out;
        for (auto [x, rows] : m_rows) {
            std::sort(rows.begin(), rows.end());
            Rows merged;
            for (const auto& r : rows) {
                if (!merged.empty() && r.first <= merged.back().second + 1) {
                    merged.back().second = std::max(merged.back().second, r.second);
                } else {
                    merged.push_back(r);
                }
            }
            out[x] = merged;
        }
        return out;
    }
    const std::set<std::pair<Place, Place>>& Slanted() const { return m_slanted; }
    bool Empty() const { return m_rows.empty(); }

    std::set<int> columns;
    std::int64_t lines = 0;

  private:
    void Cover(std::int64_t x, std::int64_t from, std::int64_t to) {
        if (x >= -m_reach && x <= m_reach) {
            m_rows[x].emplace_back(from, to);
        }
    }

    std::int64_t m_reach;
    Place m_at{0, 0};
    std::set<std::pair<Place, Place>> m_slanted;
    std::map<std::int64_t, Rows> m_rows;
};

struct CurveCase {
    TwoSiteCurve curve;
    double xMin;
    double xMax;
    double yMax;
};

// The plain drawing: one segment to every sample, from the curve's start on the y axis.
void DrawPerUnit(IDrawSurface& surface, const CurveCase& c) {
    const double sx = c.xMax * kScaleFraction;
    const double sy = c.yMax * kScaleFraction;
    PlotPainter p(surface);
    p.MoveTo(50.0, 410.0 - PixelCount(c.curve.ka1 * c.curve.bmax1, sy));
    for (const double e : LoopSamples(c.xMin, c.xMax)) {
        p.LineTo(PixelCount(e, sx) + 50.0, 410.0 - PixelCount(c.curve.Ratio(e), sy));
    }
}

void DrawMerged(IDrawSurface& surface, const CurveCase& c) {
    const double sx = c.xMax * kScaleFraction;
    const double sy = c.yMax * kScaleFraction;
    PlotPainter p(surface);
    p.MoveTo(50.0, 410.0 - PixelCount(c.curve.ka1 * c.curve.bmax1, sy));
    DrawTwoSiteCurve(p, c.curve, c.xMin, c.xMax, sx, sy, 50.0, 410.0);
}

// Columns of the plain drawing in which some sample lies beyond the rows of the column's first
// and last sample, so that merging has to find more than the ends.
int TurningColumns(const CurveCase& c) {
    const double sx = c.xMax * kScaleFraction;
    const double sy = c.yMax * kScaleFraction;
    int turning = 0;
    double column = kNan;
    double first = 0.0;
    double last = 0.0;
    double low = 0.0;
    double high = 0.0;
    auto close = [&] {
        if (std::isfinite(column) &&
            (low < std::min(first, last) || high > std::max(first, last))) {
            ++turning;
        }
    };
    for (const double e : LoopSamples(c.xMin, c.xMax)) {
        const double x = PixelCount(e, sx);
        const double y = 410.0 - PixelCount(c.curve.Ratio(e), sy);
        if (!std::isfinite(y)) {
            continue;
        }
        if (x != column) {
            close();
            column = x;
            first = low = high = y;
        }
        last = y;
        low = std::min(low, y);
        high = std::max(high, y);
    }
    close();
    return turning;
}

// Same pixels: the same slanted segments and the same rows in every column, within `reach`
// pixels of the origin.
void ExpectSamePixels(const CurveCase& c, bool drawsSomething = true,
                      std::int64_t reach = std::numeric_limits<std::int64_t>::max()) {
    CoverageSurface perUnit(reach);
    DrawPerUnit(perUnit, c);
    CoverageSurface merged(reach);
    DrawMerged(merged, c);
    if (drawsSomething) {
        EXPECT_FALSE(perUnit.Empty());
    }
    EXPECT_TRUE(perUnit.Slanted() == merged.Slanted());
    EXPECT_TRUE(perUnit.Columns() == merged.Columns());
    // A few segments per pixel column at most.
    EXPECT_LE(merged.lines, 4 * static_cast<std::int64_t>(merged.columns.size()) + 2);
}

// The same for drawings that pass over stretches far beside the pane: same pixels in reach of
// any screen or page.
void ExpectSamePixelsInView(const CurveCase& c) {
    ExpectSamePixels(c, true, static_cast<std::int64_t>(kOffPaneX));
}

// Positive site constants give a curve falling monotonically to zero at B1 + B2.
const TwoSiteCurve kFalling{0.01, 2000.0, 0.001, 5000.0};

TEST(TwoSiteCurve, DocumentedExampleHasTheSamePixels) {
    ExpectSamePixels({{2.0, 1.0, 0.5, 4.0}, 1.0, 4.0, 4.0});
}

TEST(TwoSiteCurve, MonotoneCurveOverThousandsOfUnitsHasTheSamePixels) {
    // About 17.5 samples per column, a few per column, and one column per sample.
    ExpectSamePixels({kFalling, 0.5, 7000.0, 25.0});
    ExpectSamePixels({kFalling, 0.1, 7000.0, 25.0});  // samples that round at powers of two
    ExpectSamePixels({kFalling, 0.0, 2000.0, 25.0});
    ExpectSamePixels({kFalling, 3.25, 300.0, 25.0});
    // Wider columns: 250 samples each.
    ExpectSamePixels({kFalling, 0.5, 100000.0, 25.0});
}

TEST(TwoSiteCurve, CurveTurningInsideAColumnHasTheSamePixels) {
    // Curves with a minimum or maximum between the first and the last sample of a column.
    for (const CurveCase& c : {CurveCase{{-0.297, 2278.0, 0.1746, -754.6}, 0.5, 7000.0, 50.0},
                               CurveCase{{1.591, 1745.5, -0.0951, -215.1}, 0.5, 7000.0, 5.0},
                               CurveCase{{-0.263, 2701.0, 0.171, -1667.5}, 0.5, 7000.0, 5.0}}) {
        SCOPED_TRACE(c.curve.ka1);
        ASSERT_GT(TurningColumns(c), 0);
        ExpectSamePixels(c);
    }
}

TEST(TwoSiteCurve, GapWithoutRealValuesInsideColumnsHasTheSamePixels) {
    // F·F − 4·G < 0 for E between about 1600 and 7300, 25 samples per column.
    ExpectSamePixels({{2e-3, 1000.0, -0.5e-3, 4000.0}, 0.0, 10000.0, 10.0});
    ExpectSamePixels({{2e-3, 1000.0, -0.5e-3, 4000.0}, 0.3, 10000.0, 0.1});
}

TEST(TwoSiteCurve, RowsBeyond32BitsInsideColumnsHaveTheSamePixels) {
    // With a tiny y scale the first part of the curve lies beyond 2^31 pixels above the axis.
    ExpectSamePixels({kFalling, 0.5, 7000.0, 1e-6});
    ExpectSamePixels({kFalling, 0.5, 7000.0, -1e-6});
    ExpectSamePixels({kFalling, 0.5, 7000.0, -25.0});
}

TEST(TwoSiteCurve, StretchFarBesideThePaneHasTheSamePixelsInView) {
    const TwoSiteCurve example{2.0, 1.0, 0.5, 4.0};
    // Samples from 200000 pixels left of the axis; the first segment crosses the view.
    ExpectSamePixelsInView({example, -2000.0, 4.0, 4.0});
    ExpectSamePixelsInView({kFalling, -50000.0, 7000.0, 25.0});
    // A negative extent puts the samples right of the axis, far beyond at first.
    ExpectSamePixelsInView({example, -5000.0, -4.0, 4.0});
    ExpectSamePixelsInView({example, -5000.0, -4.0, -4.0});
    // Within 32000 pixels of the pane nothing is passed over.
    ExpectSamePixels({kFalling, -10000.0, 7000.0, 25.0});
}

TEST(TwoSiteCurve, RandomCurvesHaveTheSamePixels) {
    std::mt19937 random(20240601);
    std::uniform_real_distribution<double> constant(-2.0, 2.0);
    std::uniform_real_distribution<double> capacity(-3000.0, 3000.0);
    std::uniform_real_distribution<double> start(-100.0, 100.0);
    std::uniform_real_distribution<double> extent(1.0, 8000.0);
    std::uniform_real_distribution<double> magnitude(-3.0, 4.0);
    int drawn = 0;
    int turning = 0;
    for (int i = 0; i < 300; ++i) {
        const double height = std::pow(10.0, magnitude(random)) * (i % 3 == 0 ? -1.0 : 1.0);
        const CurveCase c{
            {constant(random), capacity(random), constant(random) * 0.1, capacity(random)},
            start(random),
            extent(random),
            height};
        SCOPED_TRACE(testing::Message() << i << ": " << c.curve.ka1 << " " << c.curve.bmax1 << " "
                                        << c.curve.ka2 << " " << c.curve.bmax2 << " x " << c.xMin
                                        << " to " << c.xMax << " y " << c.yMax);
        ExpectSamePixels(c, false);
        drawn += c.xMin < c.xMax ? 1 : 0;
        turning += TurningColumns(c) > 0 ? 1 : 0;
    }
    // The sample is varied enough to matter.
    EXPECT_GT(drawn, 250);
    EXPECT_GT(turning, 10);
}

TEST(TwoSiteCurve, HugeSpansCostAFewSegmentsPerColumn) {
    for (const double xMax : {1e7, 1e12}) {
        SCOPED_TRACE(xMax);
        CLumoDoc doc;
        doc.m_nScatchard = 1;
        doc.m_dXMax = xMax;
        doc.m_dYMax = 25.0;
        doc.m_dXMin = 0.5;
        doc.m_dKa1 = 0.01 * 7000.0 / xMax;
        doc.m_dBmax1 = 2000.0 * xMax / 7000.0;
        doc.m_dKa2 = 0.001 * 7000.0 / xMax;
        doc.m_dBmax2 = 5000.0 * xMax / 7000.0;
        RecordingSurface s;
        DrawPlot(doc, s);
        const auto red = s.SegmentsWith(kCurvePen);
        EXPECT_GT(red.size(), 300u);
        EXPECT_LE(red.size(), 4u * 401u + 2u);
    }
    // Beyond 2^53 adding 1.0 no longer moves E: the samples end there, at the first column.
    CLumoDoc doc;
    doc.m_nScatchard = 1;
    doc.m_dXMax = 1e300;
    doc.m_dYMax = 1.0;
    doc.m_dKa1 = 1.0;
    doc.m_dBmax1 = 1.0;
    RecordingSurface s;
    DrawPlot(doc, s);
    EXPECT_LE(s.SegmentsWith(kCurvePen).size(), 6u);
    // A start a trillion units left of the axis: only the columns within 32000 pixels of the
    // pane are drawn, the stretch before them is passed over.
    CoverageSurface merged;
    DrawMerged(merged, {kFalling, -1e12, 7000.0, 25.0});
    EXPECT_LE(merged.lines, 4 * (64001 + 401) + 4);
}

}  // namespace
}  // namespace lumo
