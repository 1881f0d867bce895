#include <cstdio>

#include "app/command_line.h"

int main(int argc, char** argv) {
    if (lumo::IsCommandLineRun(argc, argv)) return lumo::RunCommandLine(argc, argv);
    std::fprintf(stderr,
                 "lumo: the desktop window is not built yet; use lumo --run (see --help)\n");
    return 2;
}
