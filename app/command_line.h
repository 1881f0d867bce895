// `lumo --run ANALYSIS FILE [--save] [--plot OUT]`: an analysis on a worksheet file without a
// window.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace lumo {

// The object `--json` prints: the analysis, the titles of the data's title line (an empty list
// without one), whether it "reported" (then every field the analysis recorded) or "stopped"
// (then the message it appended, as UTF-8), and last the "plot" that --plot draws (null when
// the run stopped or draws nothing new).
std::string RunRecordJson(std::string_view analysis, bool reported, std::string_view appended,
                          const nlohmann::ordered_json& record,
                          const std::vector<std::string>& titles,
                          const nlohmann::ordered_json& plot = nullptr);

// True when the arguments ask for --run (or --help/--version), which need no display.
bool IsCommandLineRun(int argc, char** argv);

// Runs the command line and returns the process's exit status: 0 when a report was appended,
// 1 when the analysis stopped with a message instead, 2 for a usage or file error.
int RunCommandLine(int argc, char** argv);

}  // namespace lumo
