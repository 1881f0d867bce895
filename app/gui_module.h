// The desktop program lives in a module of its own (liblumo_gui.so) that `lumo` loads only
// when it needs Qt's windows or painting, so that `lumo --run` starts as fast as a small
// command-line tool: it maps none of Qt's libraries.
#pragma once

#include <cstddef>
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

// Reads the system's font configuration (fontconfig's XML files and caches) on a second thread
// while the module and Qt's libraries load on the first. The first window's Japanese menus
// cannot be measured without it, and it is a third of the work before that window appears;
// Qt later finds the configuration already read. The destructor waits for the thread.
class FontConfigWarmUp {
  public:
    FontConfigWarmUp();
    ~FontConfigWarmUp();
    FontConfigWarmUp(const FontConfigWarmUp&) = delete;
    FontConfigWarmUp& operator=(const FontConfigWarmUp&) = delete;

  private:
    std::thread m_thread;
};

}  // namespace lumo
