// The analyses by the names `lumo --run` knows them.
#pragma once

#include <span>
#include <string_view>

#include "worksheet/report.h"

namespace lumo {

struct AnalysisEntry {
    const char* name;         // as typed after --run
    const char* description;  // for --help
    bool (*run)(AnalysisContext& ctx);
};

std::span<const AnalysisEntry> Analyses();
const AnalysisEntry* FindAnalysis(std::string_view name);

}  // namespace lumo
