// The graph pane: what it shows after each kind of run, its pictures and its context menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTest>

#include "app/analysis_table.h"
#include "app/commands.h"
#include "app/lumo_view.h"
#include "app/my_view.h"
#include "app/painter_surface.h"
#include "app/plot_export.h"
#include "graph/plot_drawing.h"
#include "tests/app/app_test_support.h"

namespace lumo {
namespace {

using test::FrameFixture;
using test::HasColorNear;
using test::HasDarkPixelIn;
using test::IsColor;
using test::Q;

const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);

// The Lineweaver-Burk picture: markers centred 7 pixels right of and below (593, 3),
// (393, 153), (293, 203); the line from (16, 410) to (600, 10); the axes through x = 200 and
// along y = 410.
void ExpectLineweaverExamplePixels(const QImage& image) {
    EXPECT_TRUE(IsColor(image, 200, 100, kBlue));
    EXPECT_TRUE(IsColor(image, 200, 399, kBlue));
    EXPECT_TRUE(IsColor(image, 100, 410, kBlue));
    EXPECT_TRUE(IsColor(image, 500, 410, kBlue));
    EXPECT_TRUE(IsColor(image, 200, 5, kWhite));    // the axis starts at y = 10
    EXPECT_TRUE(IsColor(image, 605, 410, kWhite));  // and ends at x = 600
    // The line rises 400 pixels over 584: (308, 210) is on it, (308, 300) is not.
    EXPECT_TRUE(HasColorNear(image, 308, 210, kRed));
    EXPECT_TRUE(HasColorNear(image, 600, 10, kRed));
    EXPECT_TRUE(IsColor(image, 308, 300, kWhite));
    for (const QPoint& p : {QPoint(600, 10), QPoint(400, 160), QPoint(300, 210)}) {
        EXPECT_TRUE(HasDarkPixelIn(image, QRect(p.x() - 3, p.y() - 3, 7, 7))) << p.x();
    }
    // The titles: "1/[s]" at (390, 420), "1/[v]" at (160, 200).
    EXPECT_TRUE(HasDarkPixelIn(image, QRect(390, 420, 30, 16)));
    EXPECT_TRUE(HasDarkPixelIn(image, QRect(160, 200, 30, 16)));
}

TEST(GraphPane, BlankAtStart) {
    FrameFixture f;
    EXPECT_TRUE(test::IsBlank(f.GraphImage()));
}

TEST(GraphPane, LineweaverBurkRunDrawsAxesPointsAndLineWhereTheyBelong) {
    FrameFixture f;
    if (FindAnalysis("lineweaver-burk") == nullptr) GTEST_SKIP() << "not part of this build";
    // [s], [v] whose reciprocals are (1, 2), (0.5, 1.25), (0.25, 1): the hand-worked plot.
    f.Type(QStringLiteral("1, 0.5\n2, 0.8\n4, 1.0\n"));
    f.Trigger(cmd::kLineweaverBurkPlots);
    ASSERT_EQ(f.Doc().m_nLineweaver, 1);
    ExpectLineweaverExamplePixels(f.GraphImage());
}

TEST(GraphPane, ScatchardRecordDrawsCirclesCurveAndSiteLines) {
    FrameFixture f;
    test::FillScatchardExample(f.Doc());
    f.Doc().UpdateAllViews(nullptr);
    const QImage image = f.GraphImage();
    // Axes: up the y axis at x = 50 and along y = 410 to x = 450.
    EXPECT_TRUE(IsColor(image, 50, 100, kBlue));
    EXPECT_TRUE(IsColor(image, 300, 410, kBlue));
    EXPECT_TRUE(IsColor(image, 460, 410, kWhite));
    // Site line 1 from (150, 410) to (50, 210), site line 2 from (450, 410) to (50, 210).
    EXPECT_TRUE(HasColorNear(image, 100, 310, kRed));
    EXPECT_TRUE(HasColorNear(image, 350, 360, kRed));
    // The curve from (50, 10) through (150, 122) and (350, 284).
    EXPECT_TRUE(HasColorNear(image, 150, 122, kRed));
    EXPECT_TRUE(HasColorNear(image, 350, 284, kRed));
    // The marked point (150, 210) is a white circle, the other (250, 310) a black one.
    EXPECT_TRUE(IsColor(image, 148, 212, kWhite));
    EXPECT_TRUE(IsColor(image, 148, 205, kBlack));  // its outline
    EXPECT_TRUE(IsColor(image, 248, 312, kBlack));
    // Titles "B/F" at (20, 180) and "Bound" at (230, 425).
    EXPECT_TRUE(HasDarkPixelIn(image, QRect(20, 180, 25, 16)));
    EXPECT_TRUE(HasDarkPixelIn(image, QRect(230, 425, 40, 16)));
}

TEST(GraphPane, BlankAfterAnAnalysisWithoutAPlot) {
    FrameFixture f;
    test::FillScatchardExample(f.Doc());
    f.Doc().UpdateAllViews(nullptr);
    ASSERT_FALSE(test::IsBlank(f.GraphImage()));
    f.Type(QStringLiteral("1,2\n2,4\n3,6"));
    f.Trigger(cmd::kCorrelation);
    EXPECT_EQ(f.Doc().m_nCount, 3);
    EXPECT_TRUE(test::IsBlank(f.GraphImage()));
}

TEST(GraphPane, ClearScreenKeepsThePicture) {
    FrameFixture f;
    test::FillLineweaverExample(f.Doc());
    f.Doc().UpdateAllViews(nullptr);
    const QImage before = f.GraphImage();
    f.Type(QStringLiteral("1,2"));
    f.dialogs.saveAnswers.push_back(SaveAnswer::kNo);
    f.Trigger(cmd::kFileNew);
    EXPECT_EQ(f.View().GetText(), "");
    EXPECT_EQ(f.GraphImage(), before);
}

TEST(GraphPane, UnusableValuesDrawNothingFromGarbage) {
    FrameFixture f;
    // Zero extents make every scale zero and every quotient infinite or not a number.
    test::FillScatchardExample(f.Doc());
    f.Doc().m_dXMax = 0.0;
    f.Doc().m_dYMax = 0.0;
    f.Doc().UpdateAllViews(nullptr);
    const QImage image = f.GraphImage();
    EXPECT_TRUE(IsColor(image, 50, 100, kBlue));  // the axes need no scale
    EXPECT_EQ(test::CountPixels(image, kRed), 0);
}

TEST(GraphPane, PictureUsesThePanesOwnCoordinates) {
    FrameFixture f;
    test::FillLineweaverExample(f.Doc());
    f.Doc().UpdateAllViews(nullptr);
    const QImage screen = f.GraphImage();
    const QImage picture = RenderPlotImage(f.Doc());
    ASSERT_EQ(picture.size(), QSize(640, 460));
    ASSERT_GE(screen.width(), 640);
    ASSERT_GE(screen.height(), 460);
    EXPECT_EQ(screen.copy(0, 0, 640, 460), picture.convertToFormat(QImage::Format_RGB32));
    ExpectLineweaverExamplePixels(picture);
}

TEST(GraphPane, ContextMenuCopiesThePictureToTheClipboard) {
    FrameFixture f;
    test::FillScatchardExample(f.Doc());
    ASSERT_NE(f.Graph().CopyPlotAction(), nullptr);
    EXPECT_FALSE(f.Graph().CopyPlotAction()->text().isEmpty());
    f.Graph().CopyPlotAction()->trigger();
    const QImage copied = QApplication::clipboard()->image();
    EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32),
              RenderPlotImage(f.Doc()).convertToFormat(QImage::Format_RGB32));
}

TEST(GraphPane, ContextMenuSavesPngSvgAndPdf) {
    FrameFixture f;
    test::FillLineweaverExample(f.Doc());
    for (const char* name : {"g.png", "g.svg", "g.pdf"}) {
        f.dialogs.savePlotFileNames.push_back(Q(f.dir.File(name)));
        f.Graph().SavePlotAction()->trigger();
    }
    EXPECT_TRUE(f.dialogs.messages.empty());
    const QImage png(Q(f.dir.File("g.png")));
    EXPECT_EQ(png.size(), QSize(640, 460));
    ExpectLineweaverExamplePixels(png.convertToFormat(QImage::Format_RGB32));
    const std::string svg = test::ReadFile(f.dir.File("g.svg"));
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("viewBox=\"0 0 640 460\""), std::string::npos);
    EXPECT_EQ(test::ReadFile(f.dir.File("g.pdf")).rfind("%PDF", 0), 0u);

    // A name the program cannot write is refused with a message; nothing is left behind.
    f.dialogs.savePlotFileNames.push_back(Q(f.dir.File("g.gif")));
    f.Graph().SavePlotAction()->trigger();
    f.dialogs.savePlotFileNames.push_back(Q(f.dir.File("no/such/folder/g.png")));
    f.Graph().SavePlotAction()->trigger();
    ASSERT_EQ(f.dialogs.messages.size(), 2u);
    EXPECT_NE(f.dialogs.messages[0].find("g.gif"), std::string::npos);
    EXPECT_FALSE(test::FileExists(f.dir.File("g.gif")));
    EXPECT_NE(f.dialogs.messages[1].find("保存できませんでした"), std::string::npos);
}

TEST(GraphPane, PrintedPageCarriesTheTitlesAndMarkersAndFitsThePage) {
    // Draw the print onto an image standing in for a page, as the printer would get it.
    CLumoDoc doc;
    test::FillLineweaverExample(doc);
    QImage page(1320, 1800, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    QPainterSurface surface(painter, PlotFont(), 300, QRectF(0, 0, 1320, 1800));
    DrawPlot(doc, surface);
    painter.end();
    // The pane's area from x = -30 to 630 fills the page's width: two page pixels per pane
    // pixel, so the y axis (x = 200) lies at 460 and the x axis (y = 410) at 820.
    EXPECT_TRUE(HasColorNear(page, 460, 400, kBlue));
    EXPECT_TRUE(HasColorNear(page, 800, 820, kBlue));
    EXPECT_TRUE(IsColor(page, 460, 1000, kWhite));
    // Markers and titles are on the page as well as on the screen.
    EXPECT_TRUE(HasDarkPixelIn(page, QRect(2 * 600 + 60 - 6, 2 * 10 - 6, 12, 12)));
    EXPECT_TRUE(HasDarkPixelIn(page, QRect(2 * 390 + 60, 2 * 420, 60, 30)));
}

// On a first run the scales show and the picture fits the pane; both choices are kept.
TEST(GraphPane, ViewOptionsStartWithScalesAndFittingAndPersist) {
    QSettings(QStringLiteral("lumo"), QStringLiteral("lumo")).clear();
    {
        FrameFixture f(false);
        QAction* scales = f.Graph().ShowScalesAction();
        QAction* actual = f.Graph().ActualSizeAction();
        EXPECT_EQ(scales->text(), QStringLiteral("目盛りを表示"));
        EXPECT_EQ(actual->text(), QStringLiteral("実寸で表示"));
        EXPECT_TRUE(scales->isCheckable() && actual->isCheckable());
        EXPECT_TRUE(f.Graph().ShowScales());
        EXPECT_FALSE(f.Graph().ActualSize());
        scales->setChecked(false);
        actual->setChecked(true);
    }
    FrameFixture again(false);
    EXPECT_FALSE(again.Graph().ShowScales());
    EXPECT_TRUE(again.Graph().ActualSize());
}

// With the scales, a t-test draws its group plot across the pane; the bars follow the
// context menu's choice on screen and in copies, and the choice is kept.
TEST(GraphPane, GroupPlotFillsThePaneAndFollowsTheErrorBarChoice) {
    QImage sd;
    {
        FrameFixture f;
        f.Graph().ShowScalesAction()->setChecked(true);
        f.Type(QStringLiteral("3.1\n2.7\n4.4\n3.9\n////\n6\n7\n8\n"));
        f.Trigger(cmd::kUnpairedTTest);
        ASSERT_EQ(f.Doc().m_plot.kind, PlotKind::kGroups);
        sd = f.GraphImage();
        EXPECT_FALSE(test::IsBlank(sd));
        // Drawn in the pane's own size: something dark near its right and bottom edges.
        EXPECT_TRUE(HasDarkPixelIn(sd, QRect(sd.width() * 2 / 3, 0, sd.width() / 3, sd.height())));
        EXPECT_EQ(f.Graph().ErrorBars(), ErrorMeasure::kSd);
        f.Graph().ErrorBarAction(ErrorMeasure::kCi95)->setChecked(true);
        EXPECT_NE(f.GraphImage(), sd);
        f.Graph().OnCopyPlot();
        EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
                  RenderPlotImage(f.Doc(), {true, 1, ErrorMeasure::kCi95}));
        EXPECT_NE(RenderPlotImage(f.Doc(), {true, 1, ErrorMeasure::kCi95}),
                  RenderPlotImage(f.Doc(), {true, 1, ErrorMeasure::kSd}));
    }
    FrameFixture again(false);
    EXPECT_EQ(again.Graph().ErrorBars(), ErrorMeasure::kCi95);
    again.Graph().ErrorBarAction(ErrorMeasure::kSd)->setChecked(true);
}

TEST(GraphPane, FittedPictureFollowsThePanesSize) {
    FrameFixture f;
    test::FillLineweaverExample(f.Doc());
    f.Graph().ActualSizeAction()->setChecked(false);
    double previousScale = 0.0;
    for (const QSize& window : {QSize(700, 860), QSize(1400, 1300), QSize(420, 560)}) {
        f.frame->resize(window);
        QTest::qWait(20);
        const QImage image = f.GraphImage();
        const double scale = f.Graph().FitScale();
        const QRectF area = PrintedPlotArea();
        EXPECT_DOUBLE_EQ(
            scale, std::min(f.Graph().width() / area.width(), f.Graph().height() / area.height()));
        EXPECT_NE(scale, previousScale);
        previousScale = scale;
        // The y axis at x = 200 and the x axis at y = 410, where the scale puts them.
        const QPointF o = f.Graph().FitOffset();
        const auto at = [&](double x, double y) {
            return QPoint(static_cast<int>(o.x() + x * scale), static_cast<int>(o.y() + y * scale));
        };
        EXPECT_TRUE(HasColorNear(image, at(200, 200).x(), at(200, 200).y(), kBlue)) << scale;
        EXPECT_TRUE(HasColorNear(image, at(500, 410).x(), at(500, 410).y(), kBlue)) << scale;
        // The picture stands in the middle of the pane: as much white left as right of it.
        EXPECT_NEAR(o.x() + area.left() * scale, f.Graph().width() - (o.x() + area.right() * scale),
                    1.0);
    }
    // Actual size draws the classic picture again, whatever the pane's size.
    f.frame->resize(700, 860);
    f.Graph().ActualSizeAction()->setChecked(true);
    QTest::qWait(20);
    ExpectLineweaverExamplePixels(f.GraphImage());
}

TEST(GraphPane, PrintedPageIsCentredWithMarginsAndCarriesTheScales) {
    CLumoDoc doc;
    test::FillLineweaverExample(doc);
    // An A4 page at 150 dots per inch.
    const QRectF page(0, 0, 1240, 1754);
    const QRectF plot = PrintedPlotRect(page, 150.0);
    EXPECT_NEAR(plot.left(), page.right() - plot.right(), 1.0);  // centred across
    EXPECT_GT(plot.left(), 50.0);                                // with margins
    EXPECT_GT(plot.width(), page.width() * 0.8);                 // using the width
    EXPECT_NEAR(plot.width() / plot.height(), 660.0 / 460.0, 0.01);

    const auto render = [&](bool scales) {
        QImage image(page.size().toSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        PaintPrintedPage(doc, painter, page, 150.0, 300, PlotOptions{scales},
                         QStringLiteral("lb.txt"));
        painter.end();
        return image;
    };
    // The y scale's "1.5" stands left of the axis at the height of 1/[v] = 1.5.
    const double scale = plot.width() / PrintedPlotArea().width();
    const QRect number(static_cast<int>(plot.left() + (150 + 30) * scale),
                       static_cast<int>(plot.top() + 100 * scale), static_cast<int>(43 * scale),
                       static_cast<int>(20 * scale));
    EXPECT_TRUE(HasDarkPixelIn(render(true), number));
    EXPECT_FALSE(HasDarkPixelIn(render(false), number));
    // The header line above the plot.
    EXPECT_TRUE(HasDarkPixelIn(render(false), QRect(0, 0, 1240, static_cast<int>(plot.top()))));
}

TEST(GraphPane, PrintingToAPdfGivesOnePage) {
    FrameFixture f;
    test::FillScatchardExample(f.Doc());
    f.Graph().ShowScalesAction()->setChecked(true);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Q(f.dir.File("graph.pdf")));
    f.Graph().Print(printer);
    const std::string pdf = test::ReadFile(f.dir.File("graph.pdf"));
    ASSERT_EQ(pdf.rfind("%PDF", 0), 0u);
    std::size_t pages = 0;
    for (std::size_t at = pdf.find("/Type /Page"); at != std::string::npos;
         at = pdf.find("/Type /Page", at + 1)) {
        if (pdf.compare(at, 12, "/Type /Pages") != 0) ++pages;
    }
    EXPECT_EQ(pages, 1u);
}

TEST(GraphPane, FineExportIsFourTimesThePictureAndVectorsStayVectors) {
    FrameFixture f;
    test::FillLineweaverExample(f.Doc());
    f.dialogs.savePlotFileNames.push_back(Q(f.dir.File("fine.png")));
    f.Graph().SavePlotFineAction()->trigger();
    f.dialogs.savePlotFileNames.push_back(Q(f.dir.File("fine.svg")));
    f.Graph().SavePlotFineAction()->trigger();
    EXPECT_TRUE(f.dialogs.messages.empty());
    const QImage png(Q(f.dir.File("fine.png")));
    ASSERT_EQ(png.size(), QSize(2560, 1840));
    EXPECT_TRUE(IsColor(png, 4 * 200 + 1, 4 * 100, kBlue));
    EXPECT_TRUE(IsColor(png, 4 * 605, 4 * 410, kWhite));
    EXPECT_NE(test::ReadFile(f.dir.File("fine.svg")).find("viewBox=\"0 0 640 460\""),
              std::string::npos);
}

TEST(GraphPane, FirstWindowFitsTheScreenWithTheWorksheetAtLeastHalf) {
    QSettings(QStringLiteral("lumo"), QStringLiteral("lumo")).clear();
    test::ScriptedDialogs dialogs;
    CMainFrame frame(&dialogs);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    const QSize screen = QApplication::primaryScreen()->availableSize();
    EXPECT_LT(frame.height(), screen.height());
    EXPECT_LE(frame.width(), screen.width());
    const QList<int> sizes = frame.Splitter()->sizes();
    ASSERT_EQ(sizes.size(), 2);
    // The pane is blank: the worksheet has at least half.
    EXPECT_GE(sizes[0], sizes[1]);
    EXPECT_GE(sizes[1], std::min(200, frame.height() / 3)) << frame.height() << " " << sizes[0];
}

}  // namespace
}  // namespace lumo
