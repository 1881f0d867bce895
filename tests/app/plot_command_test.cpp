// `lumo --run ANALYSIS FILE --plot OUT`: the graph pane's picture without a display.
#include <gtest/gtest.h>

#include <QImage>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "app/analysis_table.h"
#include "app/commands.h"
#include "app/lumo_view.h"
#include "app/my_view.h"
#include "tests/app/app_test_support.h"
#include "worksheet/text_worksheet.h"

namespace lumo {
namespace {

using test::Q;
using test::ReadFile;
using test::RunLumo;
using test::TempDir;
using test::WriteFile;

// The PNG is the pane: what the desktop program shows after the same run, pixel for pixel.
TEST(PlotCommand, PngShowsWhatThePaneShowsAtTheSamePixels) {
    if (FindAnalysis("lineweaver-burk") == nullptr) GTEST_SKIP() << "not part of this build";
    TempDir dir;
    const std::string data = "1, 0.5\r\n2, 0.8\r\n4, 1.0\r\n";
    WriteFile(dir.File("lb.txt"), data);
    const auto r =
        RunLumo({"--run", "lineweaver-burk", dir.File("lb.txt"), "--plot", "lb.png"}, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Km= "), std::string::npos);
    EXPECT_TRUE(test::FileExists(dir.File("LinewRes.txt")));
    EXPECT_EQ(ReadFile(dir.File("lb.txt")), data);  // no --save: the file stays
    const QImage png(Q(dir.File("lb.png")));
    ASSERT_EQ(png.size(), QSize(640, 460));

    test::FrameFixture f;
    f.Graph().ShowScalesAction()->setChecked(true);  // the picture carries the scales
    f.Type(Q(Cp932ToWorksheetText(data)));
    f.Trigger(cmd::kLineweaverBurkPlots);
    EXPECT_EQ(f.GraphImage().copy(0, 0, 640, 460), png.convertToFormat(QImage::Format_RGB32));
    EXPECT_TRUE(test::IsColor(png, 200, 100, QColor(0, 0, 255)));
    EXPECT_TRUE(test::HasColorNear(png, 308, 210, QColor(255, 0, 0)));
}

TEST(PlotCommand, SvgAndPdfByTheNamesEnding) {
    if (FindAnalysis("scatchard") == nullptr) GTEST_SKIP() << "not part of this build";
    TempDir dir;
    const std::string data = ReadFile(test::ExamplePath("scatchard.txt"));
    WriteFile(dir.File("s.txt"), data);
    auto r = RunLumo({"--run", "scatchard", dir.File("s.txt"), "--plot", "s.SVG"}, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string svg = ReadFile(dir.File("s.SVG"));
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("viewBox=\"0 0 640 460\""), std::string::npos);
    r = RunLumo({"--run", "scatchard", dir.File("s.txt"), "--plot", dir.File("s.pdf")}, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadFile(dir.File("s.pdf")).rfind("%PDF", 0), 0u);
}

TEST(PlotCommand, AnAnalysisWithoutAPlotGivesAWhitePicture) {
    TempDir dir;
    const auto r = RunLumo(
        {"--run", "rejection", test::ExamplePath("rejection.txt"), "--plot", "c.png"}, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QImage png(Q(dir.File("c.png")));
    ASSERT_FALSE(png.isNull());
    EXPECT_GE(png.width(), 640);
    EXPECT_GE(png.height(), 440);
    EXPECT_TRUE(test::IsBlank(png.convertToFormat(QImage::Format_RGB32)));
}

TEST(PlotCommand, BadPlotNamesAreUsageErrorsBeforeAnythingRuns) {
    TempDir dir;
    WriteFile(dir.File("c.txt"), "1,2\r\n2,4\r\n3,6\r\n");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--run", "correlation", dir.File("c.txt"), "--plot", "c.gif"},
             {"--run", "correlation", dir.File("c.txt"), "--plot"},
             {"--plot", "c.png", dir.File("c.txt")},
         }) {
        const auto r = RunLumo(args, dir.path());
        EXPECT_EQ(r.exitCode, 2) << args.back();
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("lumo: "), std::string::npos);
    }
    EXPECT_FALSE(test::FileExists(dir.File("SokanRes.txt")));
    EXPECT_FALSE(test::FileExists(dir.File("c.gif")));
}

TEST(PlotCommand, APictureThatCannotBeWrittenIsAFileError) {
    TempDir dir;
    WriteFile(dir.File("c.txt"), "1,2\r\n2,4\r\n3,6\r\n");
    const auto r = RunLumo(
        {"--run", "correlation", dir.File("c.txt"), "--plot", dir.File("none/c.png")}, dir.path());
    EXPECT_EQ(r.exitCode, 2);
    // Found out before the run, so nothing was written.
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("c.png"), std::string::npos);
    EXPECT_FALSE(test::FileExists(dir.File("SokanRes.txt")));
}

// A picture goes where report files go and no further: a link, a FIFO or a device put at its
// name, by this user or another one in a shared folder, is refused before anything runs and
// the file it leads to keeps its bytes.
TEST(PlotCommand, LinksFifosAndDevicesAtThePicturesNameAreRefused) {
    TempDir dir;
    ::chmod(dir.path().c_str(), 01777);  // a shared folder, sticky as /tmp is
    WriteFile(dir.File("c.txt"), "1,2\r\n2,4\r\n3,6\r\n");
    WriteFile(dir.File("precious.txt"), "notes");
    ::chmod(dir.File("precious.txt").c_str(), 0666);
    ::chmod(dir.File("c.txt").c_str(), 0666);
    ASSERT_EQ(::symlink(dir.File("precious.txt").c_str(), dir.File("link.png").c_str()), 0);
    ASSERT_EQ(::symlink(dir.File("nowhere.txt").c_str(), dir.File("dangling.svg").c_str()), 0);
    ASSERT_EQ(::mkfifo(dir.File("fifo.pdf").c_str(), 0666), 0);
    ASSERT_EQ(::symlink("/dev/null", dir.File("null.png").c_str()), 0);
    const test::UnprivilegedUser other;
    for (const bool asOther : {false, true}) {
        if (asOther && !other.ok()) {
            std::printf("as another user: skipped, %s\n", other.why().c_str());
            continue;
        }
        for (const char* name : {"link.png", "dangling.svg", "fifo.pdf", "null.png"}) {
            const std::vector<std::string> args = {"--run", "correlation", dir.File("c.txt"),
                                                   "--plot", name};
            const auto r =
                asOther ? other.Run(LUMO_BINARY, args, dir.path()) : RunLumo(args, dir.path());
            EXPECT_EQ(r.exitCode, 2) << name << asOther;
            EXPECT_NE(r.err.find(name), std::string::npos) << r.err;
            EXPECT_NE(r.err.find("リンク、FIFO"), std::string::npos) << r.err;
            EXPECT_EQ(ReadFile(dir.File("precious.txt")), "notes");
            EXPECT_FALSE(test::FileExists(dir.File("nowhere.txt")));
            EXPECT_FALSE(test::FileExists(dir.File("SokanRes.txt")));
        }
    }
}

// A name in Shift_JIS bytes, not text in a UTF-8 session, still names the file written.
TEST(PlotCommand, APictureNameThatIsNoTextKeepsItsBytes) {
    TempDir dir;
    WriteFile(dir.File("c.txt"), "1,2\r\n2,4\r\n3,6\r\n");
    const std::string name = "\x83\x4F\x83\x89\x83\x74.png";  // グラフ.png in Shift_JIS
    const auto r = RunLumo({"--run", "correlation", dir.File("c.txt"), "--plot", name}, dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadFile(dir.File(name)).substr(1, 3), "PNG");
    EXPECT_FALSE(
        test::FileExists(dir.File("\xEF\xBF\xBD\x4F\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
                                  "t.png")));
}

// The graph pane's save dialog writes the same way.
TEST(PlotCommand, TheSavePictureDialogRefusesALinkAndSaysSo) {
    test::FrameFixture f;
    WriteFile(f.dir.File("precious.txt"), "notes");
    ASSERT_EQ(::symlink(f.dir.File("precious.txt").c_str(), f.dir.File("graph.png").c_str()), 0);
    f.dialogs.savePlotFileNames = {Q(f.dir.File("graph.png"))};
    f.Graph().OnSavePlotAs();
    ASSERT_EQ(f.dialogs.messages.size(), 1u);
    EXPECT_NE(f.dialogs.messages[0].find("graph.png"), std::string::npos);
    EXPECT_NE(f.dialogs.messages[0].find("リンク、FIFO"), std::string::npos);
    EXPECT_EQ(ReadFile(f.dir.File("precious.txt")), "notes");
}

TEST(PlotCommand, NeedsNoDisplayAndNoPlatformSetting) {
    TempDir dir;
    WriteFile(dir.File("c.txt"), "1,2\r\n2,4\r\n3,6\r\n");
    const std::string command = "cd '" + dir.path() +
                                "' && env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY '" +
                                LUMO_BINARY +
                                "' --run correlation c.txt --plot c.png "
                                ">/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_FALSE(QImage(Q(dir.File("c.png"))).isNull());
}

TEST(PlotCommand, HelpDescribesPlot) {
    TempDir dir;
    const auto r = RunLumo({"--help"}, dir.path());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("--plot"), std::string::npos);
    EXPECT_NE(r.out.find(".svg"), std::string::npos);
}

TEST(PlotCommand, PictureCarriesTheScalesAndTakesAResolution) {
    if (FindAnalysis("lineweaver-burk") == nullptr) GTEST_SKIP() << "not part of this build";
    TempDir dir;
    WriteFile(dir.File("lb.txt"), "1, 0.5\r\n2, 0.8\r\n4, 1.0\r\n");
    auto r =
        RunLumo({"--run", "lineweaver-burk", dir.File("lb.txt"), "--plot", "lb.png"}, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QImage png = QImage(Q(dir.File("lb.png"))).convertToFormat(QImage::Format_RGB32);
    // The number of the tick 1/[v] = 1.5 (at y = 110) stands left of the y axis.
    EXPECT_TRUE(test::HasDarkPixelIn(png, QRect(150, 100, 43, 20)));

    r = RunLumo(
        {"--run", "lineweaver-burk", dir.File("lb.txt"), "--plot", "lb4.png", "--plot-scale", "4"},
        dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QImage fine(Q(dir.File("lb4.png")));
    ASSERT_EQ(fine.size(), QSize(2560, 1840));
    EXPECT_TRUE(
        test::IsColor(fine.convertToFormat(QImage::Format_RGB32), 801, 400, QColor(0, 0, 255)));
}

TEST(PlotCommand, BadResolutionsAreUsageErrorsBeforeAnythingRuns) {
    TempDir dir;
    WriteFile(dir.File("c.txt"), "1,2\r\n2,4\r\n3,6\r\n");
    for (const char* n : {"0", "9", "x", "2.5", "-1", ""}) {
        const auto r = RunLumo(
            {"--run", "correlation", dir.File("c.txt"), "--plot", "c.png", "--plot-scale", n},
            dir.path());
        EXPECT_EQ(r.exitCode, 2) << n;
        EXPECT_NE(r.err.find("--plot-scale"), std::string::npos) << n;
    }
    const auto r =
        RunLumo({"--run", "correlation", dir.File("c.txt"), "--plot-scale=2"}, dir.path());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_FALSE(test::FileExists(dir.File("SokanRes.txt")));
    EXPECT_FALSE(test::FileExists(dir.File("c.png")));
}

// The direct fits from the menu: the pane shows the points with the fitted line or site lines
// and curve, the same picture as lumo --run --plot, and the report behind the data.
TEST(PlotCommand, DirectFitsFromTheMenuShowWhatTheCommandLinePaints) {
    const struct {
        const char* analysis;
        int command;
        const char* example;
        const char* reportLine;
    } cases[] = {
        {"michaelis-menten", cmd::kMichaelisMentenFit, "michaelis-menten.txt", "Km= 0.06412 ± "},
        {"binding-fit", cmd::kBindingFit, "binding-fit.txt", "採用するモデル: ２部位"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.analysis);
        if (FindAnalysis(c.analysis) == nullptr) GTEST_SKIP() << "not part of this build";
        TempDir dir;
        const auto r = RunLumo(
            {"--run", c.analysis, test::ExamplePath(c.example), "--plot", "fit.png"}, dir.path());
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.out.find(c.reportLine), std::string::npos);
        // The fitted curve on natural axes, in the fit's red.
        const QColor fitRed(200, 30, 30);
        const QImage png = QImage(Q(dir.File("fit.png"))).convertToFormat(QImage::Format_RGB32);
        EXPECT_GT(test::CountPixels(png, fitRed), 100);

        test::FrameFixture f;
        f.Graph().ShowScalesAction()->setChecked(true);  // as the command line draws it
        f.Type(Q(Cp932ToWorksheetText(ReadFile(test::ExamplePath(c.example)))));
        f.Trigger(c.command);
        EXPECT_NE(f.View().toPlainText().indexOf(Q(c.reportLine)), -1);
        // The pane lays the same description out in its own size.
        EXPECT_EQ(f.Doc().m_plot.kind, PlotKind::kCurve);
        EXPECT_GT(test::CountPixels(f.GraphImage(), fitRed), 100);
    }
}

}  // namespace
}  // namespace lumo
