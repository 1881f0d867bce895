// `lumo --run ANALYSIS FILE [--save] [--plot OUT]`: an analysis on a worksheet file without a
// window.
#pragma once

namespace lumo {

// True when the arguments ask for --run (or --help/--version), which need no display.
bool IsCommandLineRun(int argc, char** argv);

// Runs the command line and returns the process's exit status: 0 when a report was appended,
// 1 when the analysis stopped with a message instead, 2 for a usage or file error.
int RunCommandLine(int argc, char** argv);

}  // namespace lumo
