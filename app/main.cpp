#include <cstdio>
#include <string>

#include "app/command_line.h"
#include "app/gui_module.h"

int main(int argc, char** argv) {
    // --run, --help and --version need no display and no Qt.
    if (lumo::IsCommandLineRun(argc, argv)) return lumo::RunCommandLine(argc, argv);

    // Read on a second core while the module loads.
    const lumo::FontConfigWarmUp fontConfig;
    std::string error;
    const auto guiMain =
        reinterpret_cast<lumo::GuiMainFunction>(lumo::LoadGuiEntry(lumo::kGuiMainSymbol, &error));
    if (guiMain == nullptr) {
        std::fprintf(stderr, "lumo: %s\n", error.c_str());
        return 2;
    }
    return guiMain(argc, argv);
}
