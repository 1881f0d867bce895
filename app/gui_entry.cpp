// The entry points of the desktop program's module (see gui_module.h).
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImageReader>
#include <QString>
#include <QStringList>
#ifdef LUMO_HAVE_QT_DBUS
#include <QDBusConnection>
#endif

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <system_error>
#include <thread>

#include "app/gui_module.h"
#include "app/lumo_app.h"
#include "app/plot_export.h"

namespace {

// Building the first window waits, one after another, for work that needs nothing of the
// window: the font database (the worksheet's first layout), the fonts that give the menus'
// Japanese letters (looked up once for the whole process), the index of Qt's image-format
// plugins (the menu bar's overflow arrow) and the session bus, which the menu bar asks whether
// the desktop shows menus of its own. Started here on two threads as soon as the application
// exists, they are ready by the time the window asks; Qt makes all of it safe to do from any
// thread and shares it across the process. The destructor waits for both threads.
class FirstWindowWarmUp {
  public:
    FirstWindowWarmUp() {
        try {
            m_fonts = std::jthread([] {
                QFontDatabase::families();
                QImageReader::supportedImageFormats();
                QFontMetrics(QGuiApplication::font()).horizontalAdvance(QStringLiteral("ｱァあ漢"));
            });
#ifdef LUMO_HAVE_QT_DBUS
            m_bus = std::jthread([] { QDBusConnection::sessionBus(); });
#endif
        } catch (const std::system_error&) {
            // Without threads the window does the same work itself, only later.
        }
    }

  private:
    std::jthread m_fonts;
    std::jthread m_bus;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) int lumo_gui_main(int argc, char** argv) {
    // Without a display Qt can only abort; say what to do instead.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fprintf(stderr,
                     "lumo: no display to open a window on (DISPLAY is not set). Start lumo in a "
                     "desktop session, or analyse without a window: lumo --run ANALYSIS FILE "
                     "(see lumo --help)\n");
        return 2;
    }
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QString error;
    if (!lumo::CLumoApp::CheckArguments(arguments, &error)) {
        std::fprintf(stderr, "lumo: %s (see lumo --help)\n", qPrintable(error));
        return 2;
    }
    lumo::CLumoApp app(argc, argv);
    const FirstWindowWarmUp warmUp;
    if (!app.InitInstance()) return 2;
    return app.exec();
}

extern "C" __attribute__((visibility("default"))) int lumo_gui_save_plot(
    const lumo::CLumoDoc* doc, const char* path, int resolution, char* error,
    std::size_t errorCapacity) {
    // Drawing the picture needs fonts, so a GUI application, but never a display: the
    // offscreen platform draws just as well when the user has not asked for another.
    std::unique_ptr<QGuiApplication> app;
    if (QCoreApplication::instance() == nullptr) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "lumo";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    QString message;
    // The name keeps its bytes: one that is not text in the locale's encoding still names the
    // file the user asked for.
    if (lumo::SavePlotPicture(*doc, std::string(path), QString::fromLocal8Bit(path), &message,
                              {true, resolution})) {
        return 0;
    }
    if (error != nullptr && errorCapacity > 0) {
        const QByteArray utf8 = message.toUtf8();
        const std::size_t n = std::min<std::size_t>(utf8.size(), errorCapacity - 1);
        std::memcpy(error, utf8.constData(), n);
        error[n] = '\0';
    }
    return 1;
}
