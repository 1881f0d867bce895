// The graph's drawing through a recording surface: the two plots primitive by primitive, the
// blank mode, the truncation of coordinates, the clips, printing, and unusable values.
#include "graph/plot_drawing.h"
#include "tests/graph/plot_examples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "graph/recording_surface.h"

namespace lumo {

void PrintTo(const Point& p, std::ostream* os) {
    *os << "(" << p.x << "," << p.y << ")";
}
void PrintTo(const Segment& s, std::ostream* os) {
    *os << "(" << s.from.x << "," << s.from.y << ")-(" << s.to.x << "," << s.to.y << ") width "
        << s.pen.width << " rgb " << s.pen.color.r << "," << s.pen.color.g << "," << s.pen.color.b;
}

namespace {

using test::FillLineweaverExample;
using test::FillScatchardExample;
using Log = std::vector<std::string>;
using Segments = std::vector<Segment>;

bool Has(const Log& log, const std::string& line) {
    return std::find(log.begin(), log.end(), line) != log.end();
}

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr Pen kDefaultPen{};

std::vector<std::string> Draw(const CLumoDoc& doc, bool printing = false) {
    RecordingSurface surface(printing, 300);
    DrawPlot(doc, surface);
    return surface.Log();
}

std::vector<Point> EllipseBoxes(const RecordingSurface& s) {
    std::vector<Point> corners;
    for (const Primitive& p : s.OfKind(PrimitiveKind::kEllipse)) {
        corners.push_back(p.at);
        corners.push_back(p.other);
    }
    return corners;
}

TEST(ScatchardPlot, DocumentedExampleDrawsEveryPrimitiveInOrder) {
    CLumoDoc doc;
    FillScatchardExample(doc);
    EXPECT_EQ(
        Draw(doc),
        (Log{// Points: the polyline in the default pen, the marked point ○, the other ●.
             "move 150,210", "brush black", "ellipse 145,205 155,215 black pen 1 0,0,0",
             "brush white", "ellipse 145,205 155,215 white pen 1 0,0,0", "line 150,210 250,310",
             "brush black", "ellipse 245,305 255,315 black pen 1 0,0,0",
             // Axes in the blue pen, then the previous pen back.
             "pen 3 0,0,255", "move 50,10", "line 50,10 50,410", "line 50,410 450,410",
             "pen 1 0,0,0",
             // The curve from the y axis through E = 1, 2, 3 (4 is not below m_dXMax).
             "move 50,10", "pen 1 255,0,0", "line 50,10 150,122", "line 150,122 250,210",
             "line 250,210 350,284",
             // The site lines, then the previous pen back.
             "move 150,410", "line 150,410 50,210", "move 450,410", "line 450,410 50,210",
             "pen 1 0,0,0",
             // Titles.
             "text 20,180 B/F", "text 230,425 Bound"}));
}

TEST(LineweaverBurkPlot, DocumentedExampleDrawsEveryPrimitiveInOrder) {
    CLumoDoc doc;
    FillLineweaverExample(doc);
    EXPECT_EQ(Draw(doc), (Log{"pen 3 0,0,255", "move 200,10", "line 200,10 200,410", "move 0,410",
                              "line 0,410 600,410", "pen 1 0,0,0", "text 593,3 ●", "text 393,153 ●",
                              "text 293,203 ●", "pen 1 255,0,0", "move 16,410",
                              "line 16,410 600,10", "pen 1 0,0,0", "text 390,420 1/[s]",
                              "text 160,200 1/[v]", "text -14,420 1/Km", "text 145,255 1/Vmax"}));
}

TEST(PlotMode, NothingIsDrawnUnlessAFlagIsExactlyOne) {
    CLumoDoc fresh;
    EXPECT_TRUE(Draw(fresh).empty());
    EXPECT_TRUE(Draw(fresh, true).empty());  // not even the page mapping

    // After a correlation the record holds points but no mode.
    CLumoDoc doc;
    FillScatchardExample(doc);
    doc.m_nScatchard = 0;
    EXPECT_TRUE(Draw(doc).empty());
    doc.m_nScatchard = 2;
    EXPECT_TRUE(Draw(doc).empty());
}

TEST(PlotMode, ScatchardWinsOverLineweaverBurk) {
    CLumoDoc doc;
    FillScatchardExample(doc);
    const auto scatchard = Draw(doc);
    doc.m_nLineweaver = 1;
    EXPECT_EQ(Draw(doc), scatchard);
}

TEST(ScatchardPlot, NoPointsStillDrawsAxesCurveAndSiteLines) {
    CLumoDoc doc;
    FillScatchardExample(doc);
    doc.m_nCount = 0;
    RecordingSurface s;
    DrawPlot(doc, s);
    EXPECT_EQ(s.Count(PrimitiveKind::kEllipse), 0u);
    EXPECT_TRUE(s.SegmentsWith(kDefaultPen).empty());
    EXPECT_EQ(s.SegmentsWith(kAxisPen).size(), 2u);
    EXPECT_EQ(s.SegmentsWith(kCurvePen).size(), 5u);  // 3 curve segments, 2 site lines
    EXPECT_EQ(s.Log().front(), "pen 3 0,0,255");
}

TEST(ScatchardPlot, CountBeyondTheRecordIsHeldToItsCapacity) {
    CLumoDoc doc;
    FillScatchardExample(doc);
    doc.m_nCount = 1000;
    RecordingSurface s;
    DrawPlot(doc, s);
    EXPECT_EQ(s.SegmentsWith(kDefaultPen).size(), 99u);
    doc.m_nCount = -5;
    s.Clear();
    DrawPlot(doc, s);
    EXPECT_EQ(s.Count(PrimitiveKind::kEllipse), 0u);
}

TEST(ScatchardPlot, CurveWithoutSamplesIsOnlyItsStart) {
    CLumoDoc doc;
    FillScatchardExample(doc);
    for (const double xMin : {4.0, 9.0}) {
        doc.m_dXMin = xMin;
        RecordingSurface s;
        DrawPlot(doc, s);
        // Only the two site lines are red; the curve's start is still moved to.
        EXPECT_EQ(s.SegmentsWith(kCurvePen).size(), 2u);
        EXPECT_TRUE(Has(s.Log(), "move 50,10"));
    }
}

TEST(ScatchardPlot, LessThanOneUnitOfXGivesOneSample) {
    CLumoDoc doc;
    FillScatchardExample(doc);
    doc.m_dXMin = 3.5;
    RecordingSurface s;
    DrawPlot(doc, s);
    EXPECT_EQ(s.SegmentsWith(kCurvePen).size(), 3u);
}

TEST(Coordinates, ExtentsLandOnTheLastPixelOrJustBeforeIt) {
    // m_dXMax / (m_dXMax * 0.0025) is exactly 400 for 4.0 but the largest double below 400 for
    // 7.0 and 0.9; the quotient is truncated, never rounded.
    struct Case {
        double extent;
        int scatchardX;
        int scatchardY;
        int lineweaverX;
    };
    for (const Case& c : {Case{4.0, 450, 10, 600}, Case{7.0, 449, 11, 599}, Case{0.9, 449, 11, 599},
                          Case{1.0, 450, 10, 600}}) {
        SCOPED_TRACE(c.extent);
        CLumoDoc doc;
        FillScatchardExample(doc);
        doc.m_nCount = 1;
        doc.m_dXMax = doc.m_dYMax = c.extent;
        doc.m_dX[0] = doc.m_dY[0] = c.extent;
        RecordingSurface s;
        DrawPlot(doc, s);
        EXPECT_EQ(s.OfKind(PrimitiveKind::kMoveTo).front().at, (Point{c.scatchardX, c.scatchardY}));

        FillLineweaverExample(doc);
        doc.m_dXMax = doc.m_dYMax = c.extent;
        doc.m_dX[0] = doc.m_dY[0] = c.extent;
        s.Clear();
        DrawPlot(doc, s);
        const auto red = s.SegmentsWith(kCurvePen);
        ASSERT_EQ(red.size(), 1u);
        EXPECT_EQ(red[0].to, (Point{c.lineweaverX, c.scatchardY}));
        EXPECT_EQ(s.OfKind(PrimitiveKind::kText)[0].at,
                  (Point{c.lineweaverX - 7, c.scatchardY - 7}));
    }
}

TEST(Coordinates, NegativeValuesTruncateTowardZero) {
    CLumoDoc doc;
    FillScatchardExample(doc);  // sx = sy = 0.01
    doc.m_nCount = 3;
    doc.m_dX[0] = -0.009;  // -0.9 pixel counts as 0
    doc.m_dY[0] = -0.009;
    doc.m_dX[1] = -1.5;  // left of and below the axes
    doc.m_dY[1] = -0.5;
    doc.m_dX[2] = -0.019;  // -1.9 pixels is -1
    doc.m_dY[2] = 0.019;
    doc.m_nMark[2] = 0;
    RecordingSurface s;
    DrawPlot(doc, s);
    EXPECT_EQ(s.SegmentsWith(kDefaultPen),
              (Segments{Segment{{50, 410}, {-100, 460}, kDefaultPen},
                        Segment{{-100, 460}, {49, 409}, kDefaultPen}}));
    EXPECT_EQ(EllipseBoxes(s).front(), (Point{45, 405}));

    FillLineweaverExample(doc);
    doc.m_dX[0] = -0.0009;  // -0.36 pixel
    doc.m_dY[0] = -0.5;     // -100 pixels
    s.Clear();
    DrawPlot(doc, s);
    EXPECT_EQ(s.OfKind(PrimitiveKind::kText)[0].at, (Point{193, 503}));
    EXPECT_EQ(s.SegmentsWith(kCurvePen).back().to, (Point{200, 510}));
}

TEST(Coordinates, MarkedPointIsDrawnWhiteOverBlackOthersBlackOnly) {
    CLumoDoc doc;
    FillScatchardExample(doc);
    doc.m_nMark[0] = 0;
    doc.m_nMark[1] = 1;
    RecordingSurface s;
    DrawPlot(doc, s);
    const auto ellipses = s.OfKind(PrimitiveKind::kEllipse);
    ASSERT_EQ(ellipses.size(), 3u);
    EXPECT_EQ(ellipses[0].brush, StockBrush::kBlack);
    EXPECT_EQ(ellipses[0].at, (Point{145, 205}));
    EXPECT_EQ(ellipses[1].brush, StockBrush::kBlack);
    EXPECT_EQ(ellipses[2].brush, StockBrush::kWhite);
    EXPECT_EQ(ellipses[2].at, ellipses[1].at);
    EXPECT_EQ(ellipses[2].other, ellipses[1].other);
    for (const Primitive& e : ellipses) {
        EXPECT_EQ(e.pen, kDefaultPen);
    }
}

TEST(Clips, CurveStartAndSecondSiteLineStopAt32000ButTheFirstSiteLineDoesNot) {
    CLumoDoc doc;
    FillScatchardExample(doc);  // sx = sy = 0.01
    doc.m_dKa1 = 1000.0;
    doc.m_dBmax1 = 500.0;   // K1·B1 = 500000: 50 million pixels up
    doc.m_dBmax2 = 1000.0;  // 100000 pixels right
    doc.m_dXMin = 10.0;     // no curve samples
    RecordingSurface s;
    DrawPlot(doc, s);
    const auto moves = s.OfKind(PrimitiveKind::kMoveTo);
    ASSERT_EQ(moves.size(), 5u);
    EXPECT_EQ(moves[2].at, (Point{50, 410 - 32000}));  // curve start, clipped
    EXPECT_EQ(moves[3].at, (Point{50050, 410}));       // site 1: 500 / 0.01 + 50, no clip
    EXPECT_EQ(moves[4].at, (Point{32000, 410}));       // site 2: clipped, nothing added
    const auto red = s.SegmentsWith(kCurvePen);
    ASSERT_EQ(red.size(), 2u);
    EXPECT_EQ(red[0].to, (Point{50, 410 - 50000000}));
    EXPECT_EQ(red[1].to, (Point{50, 410 - 50000}));

    // Just at the clip: 320 / 0.01 is not above 32000, so 50 is added.
    doc.m_dBmax2 = 320.0;
    s.Clear();
    DrawPlot(doc, s);
    EXPECT_EQ(s.OfKind(PrimitiveKind::kMoveTo)[4].at, (Point{32050, 410}));
}

TEST(Printing, MapsThePageOnceBeforeDrawingAndKeepsTheTexts) {
    for (const bool scatchard : {true, false}) {
        CLumoDoc doc;
        if (scatchard) {
            FillScatchardExample(doc);
        } else {
            FillLineweaverExample(doc);
        }
        RecordingSurface page(true, 321);
        DrawPlot(doc, page);
        const auto mappings = page.OfKind(PrimitiveKind::kPrintMapping);
        ASSERT_EQ(mappings.size(), 1u);
        EXPECT_EQ(mappings[0].clientHeight, 321);
        // Nothing but pen selections comes before it.
        for (const Primitive& p : page.Primitives()) {
            if (p.kind == PrimitiveKind::kPrintMapping) {
                break;
            }
            EXPECT_EQ(p.kind, PrimitiveKind::kPen);
        }
        // The page shows everything the screen shows, titles and markers included.
        std::vector<std::string> printed = page.Log();
        std::erase(printed, "print mapping 321");
        EXPECT_EQ(printed, Draw(doc, false));
        EXPECT_TRUE(Has(printed, scatchard ? "text 230,425 Bound" : "text 593,3 ●"));
    }
}

TEST(UnusableValues, ZeroXExtentSkipsWhatDependsOnIt) {
    CLumoDoc doc;
    FillScatchardExample(doc);
    doc.m_dXMax = 0.0;  // sx = 0: every x pixel is infinite
    doc.m_dXMin = -3.0;
    RecordingSurface s;
    DrawPlot(doc, s);
    EXPECT_EQ(s.Count(PrimitiveKind::kEllipse), 0u);
    EXPECT_TRUE(s.SegmentsWith(kDefaultPen).empty());
    EXPECT_EQ(s.SegmentsWith(kAxisPen).size(), 2u);
    // The curve and site line 1 have no x; site line 1's end must not be joined to whatever was
    // drawn before its skipped start. Site line 2's start is clipped to 32000, so it is drawn.
    EXPECT_EQ(s.SegmentsWith(kCurvePen), (Segments{Segment{{32000, 410}, {50, 210}, kCurvePen}}));
    EXPECT_TRUE(Has(s.Log(), "text 230,425 Bound"));
}

TEST(UnusableValues, ZeroYExtentSkipsWhatDependsOnIt) {
    CLumoDoc doc;
    FillScatchardExample(doc);
    doc.m_dYMax = 0.0;
    RecordingSurface s;
    DrawPlot(doc, s);
    EXPECT_EQ(s.Count(PrimitiveKind::kEllipse), 0u);
    EXPECT_EQ(s.SegmentsWith(kAxisPen).size(), 2u);
    EXPECT_TRUE(s.SegmentsWith(kCurvePen).empty());
}

TEST(UnusableValues, SkippedPointBreaksThePolylineInsteadOfJoiningAcrossIt) {
    CLumoDoc doc;
    FillScatchardExample(doc);
    doc.m_nCount = 4;
    doc.m_dX[1] = kNan;
    doc.m_dX[2] = 3.0;
    doc.m_dY[2] = 3.0;
    doc.m_dX[3] = 1e300;  // a pixel far beyond 32 bits
    RecordingSurface s;
    DrawPlot(doc, s);
    EXPECT_TRUE(s.SegmentsWith(kDefaultPen).empty());
    EXPECT_EQ(s.Count(PrimitiveKind::kEllipse), 3u);  // points 0 (twice) and 2

    // A point just inside the 32-bit range is drawn, one just outside is not.
    doc.m_nCount = 2;
    doc.m_dXMax = 400.0;
    ASSERT_EQ(doc.m_dXMax * kScaleFraction, 1.0);
    doc.m_dX[1] = 2147483597.0;  // 2147483597 + 50 = 2^31 - 1
    doc.m_dY[1] = 1.0;
    s.Clear();
    DrawPlot(doc, s);
    ASSERT_EQ(s.SegmentsWith(kDefaultPen).size(), 1u);
    EXPECT_EQ(s.SegmentsWith(kDefaultPen)[0].to.x, 2147483647);
    EXPECT_EQ(s.Count(PrimitiveKind::kEllipse), 2u);  // its box would pass 2^31 - 1
    doc.m_dX[1] = 2147483598.0;
    s.Clear();
    DrawPlot(doc, s);
    EXPECT_TRUE(s.SegmentsWith(kDefaultPen).empty());
}

TEST(UnusableValues, ZeroSlopeLeavesNoLineFromAStalePosition) {
    CLumoDoc doc;
    FillLineweaverExample(doc);
    doc.m_dLbSlope = 0.0;  // -1/Km at infinity
    RecordingSurface s;
    DrawPlot(doc, s);
    // The move to the intercept is skipped; the line must not start at the axis's end instead.
    EXPECT_TRUE(s.SegmentsWith(kCurvePen).empty());
    for (const std::string& line : s.Log()) {
        EXPECT_NE(line.rfind("text -", 0), 0u) << line;
    }
    EXPECT_TRUE(Has(s.Log(), "text 145,255 1/Vmax"));
    EXPECT_EQ(s.Count(PrimitiveKind::kText), 6u);  // 3 markers, 3 titles

    doc.m_dLbSlope = kNan;
    doc.m_dLbIntercept = kNan;
    s.Clear();
    DrawPlot(doc, s);
    EXPECT_TRUE(s.SegmentsWith(kCurvePen).empty());
    EXPECT_EQ(s.Count(PrimitiveKind::kText), 5u);
}

TEST(UnusableValues, ZeroExtentsInLineweaverBurkDrawOnlyTheAxesAndFixedTitles) {
    CLumoDoc doc;
    FillLineweaverExample(doc);
    doc.m_dXMax = 0.0;
    doc.m_dYMax = 0.0;
    RecordingSurface s;
    DrawPlot(doc, s);
    EXPECT_EQ(s.SegmentsWith(kAxisPen).size(), 2u);
    EXPECT_TRUE(s.SegmentsWith(kCurvePen).empty());
    std::vector<std::string> texts;
    for (const Primitive& p : s.OfKind(PrimitiveKind::kText)) {
        texts.push_back(p.text);
    }
    EXPECT_EQ(texts, (Log{"1/[s]", "1/[v]"}));
}

TEST(UnusableValues, NegativeSquareRootArgumentBreaksTheCurve) {
    // K2 < 0 makes F·F − 4·G negative for E between about 1.6 and 7.3.
    CLumoDoc doc;
    FillScatchardExample(doc);
    doc.m_dKa2 = -0.5;
    doc.m_dXMin = 0.0;
    doc.m_dXMax = 10.0;
    doc.m_dYMax = 10.0;
    RecordingSurface s;
    DrawPlot(doc, s);
    // Samples: E = 0 on the origin, E = 1 to 3 without a real value, E = 4 to 9 again.
    const auto red = s.SegmentsWith(kCurvePen);
    ASSERT_EQ(red.size(), 8u);  // 1 + 5 curve segments and the two site lines
    EXPECT_EQ(red[0], (Segment{{50, 410}, {50, 410}, kCurvePen}));
    EXPECT_GT(red[1].from.x, 200);  // restarts at E = 4 rather than joining E = 0 to it
    for (std::size_t i = 1; i <= 5; ++i) {
        EXPECT_NEAR(red[i].to.x - red[i].from.x, 40, 1) << i;
    }
}

TEST(UnusableValues, InfiniteAndNanRecordsNeverCrash) {
    const double values[] = {0.0, -0.0, 1.0, -1.0, 1e-310, 1e308, -1e308, kInf, -kInf, kNan};
    for (const double a : values) {
        for (const double b : values) {
            CLumoDoc doc;
            FillScatchardExample(doc);
            doc.m_dXMax = a;
            doc.m_dXMin = b;
            doc.m_dKa2 = b;
            doc.m_dYMax = a * b;
            doc.m_dX[1] = b;
            RecordingSurface s;
            DrawPlot(doc, s);
            EXPECT_EQ(s.SegmentsWith(kAxisPen).size(), 2u);
            FillLineweaverExample(doc);
            doc.m_dXMax = a;
            doc.m_dLbSlope = b;
            doc.m_dY[0] = a;
            s.Clear();
            DrawPlot(doc, s);
            EXPECT_EQ(s.SegmentsWith(kAxisPen).size(), 2u);
        }
    }
}

}  // namespace
}  // namespace lumo
