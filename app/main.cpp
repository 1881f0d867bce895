#include <clocale>
#include <cstdio>
#include <string>

#include "app/command_line.h"
#include "app/gui_module.h"

int main(int argc, char** argv) {
    // --run, --help and --version need no display and no Qt.
    if (lumo::IsCommandLineRun(argc, argv)) return lumo::RunCommandLine(argc, argv);

    // The user's locale, as Qt takes it when the application starts: the warm-up then reads
    // what the window will need, and Qt setting it again changes nothing under it.
    std::setlocale(LC_ALL, "");
    // Read on a second core while the module loads.
    lumo::StartupWarmUp warmUp;
    std::string error;
    const auto guiMain =
        reinterpret_cast<lumo::GuiMainFunction>(lumo::LoadGuiEntry(lumo::kGuiMainSymbol, &error));
    if (guiMain == nullptr) {
        std::fprintf(stderr, "lumo: %s\n", error.c_str());
        return 2;
    }
    warmUp.WaitForLocale();
    return guiMain(argc, argv);
}
