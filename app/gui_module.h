// The desktop program lives in a module of its own (liblumo_gui.so) that `lumo` loads only
// when it needs Qt's windows or painting, so that `lumo --run` starts as fast as a small
// command-line tool: it maps none of Qt's libraries.
#pragma once

#include <cstddef>
#include <latch>
#include <string>
#include <thread>

namespace lumo {

class CLumoDoc;

extern "C" {
// Runs the desktop program; returns the process's exit status.
using GuiMainFunction = int (*)(int argc, char** argv);
// Writes the graph pane's picture of `doc` with its scales to `path` (.png, .svg or .pdf), a
// PNG at `resolution` pixels per pane pixel; returns 0, or 1 with a UTF-8 message for the user
// in `error`.
using SavePlotFunction = int (*)(const CLumoDoc* doc, const char* path, int resolution, char* error,
                                 std::size_t errorCapacity);
}

constexpr const char kGuiMainSymbol[] = "lumo_gui_main";
constexpr const char kSavePlotSymbol[] = "lumo_gui_save_plot";

// Finds the module beside the program (build tree) or in ../lib/lumo (installation) and
// returns the named entry point, or nullptr with the reason in `error`.
void* LoadGuiEntry(const char* symbol, std::string* error);

// Reads, on a second thread while the module and Qt's libraries load on the first, what the
// first window would otherwise wait for and the libraries keep for the whole process: Xlib's
// description of the user's locale (the window's title goes to the X display in the locale's
// encoding) and the system's font configuration (fontconfig's XML files and caches, for the
// Japanese menus). Qt later finds both read. The user's locale must be set before, as Qt sets
// it, and WaitForLocale() called before Qt starts, since Qt then sets it again. The
// destructor waits for the thread.
class StartupWarmUp {
  public:
    StartupWarmUp();
    ~StartupWarmUp();
    StartupWarmUp(const StartupWarmUp&) = delete;
    StartupWarmUp& operator=(const StartupWarmUp&) = delete;

    void WaitForLocale();

  private:
    std::latch m_localeRead{1};
    std::thread m_thread;
};

}  // namespace lumo
