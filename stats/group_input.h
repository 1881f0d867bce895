// What the newer analyses share around their computation: reading groups or pairs of up to
// kMaxDataRows values with the checks and messages every one of them makes, the report's
// number lines, and the detail block.
#pragma once

#include <string>
#include <vector>

#include "worksheet/line_reader.h"
#include "worksheet/report.h"

namespace lumo {

// The most groups the k-group analyses compare pair by pair.
constexpr int kMaxGroups = 20;

struct GroupData {
    std::vector<std::vector<double>> values;
    std::vector<std::vector<int>> lines;  // each value's worksheet line, from 0
    std::vector<std::string> titles;      // "" for a group without one
};

// Reads groups separated by "////" lines, from `minGroups` to `maxGroups` of them (kMaxGroups at
// most), at least two values each, kMaxDataRows finite values in all. `oneGroup` reads a single
// group (no separator allowed) of at least three values. False when the run stopped with a message.
bool ReadGroupsFor(AnalysisContext& ctx, int minGroups, int maxGroups, GroupData* out);
bool ReadOneGroupFor(AnalysisContext& ctx, GroupData* out);

// Pairs, one per line, at least two of them and kMaxDataRows at most.
bool ReadPairsFor(AnalysisContext& ctx, PairRows* out);

// "第1群" or "第1群（title）".
std::string GroupName(const GroupData& data, size_t group);

// The lines of the detail block, written only when the user asked for details; the heading
// comes with the first line.
class DetailBlock {
  public:
    DetailBlock(const AnalysisContext& ctx, ReportFile& report)
        : m_on(ctx.Details()), m_report(report) {}
    void operator()(const std::string& line);

  private:
    bool m_on;
    bool m_started = false;
    ReportFile& m_report;
};

// The Shapiro-Wilk result of each sample for `--json` ("normality") and the detail block;
// groups are numbered from `firstGroup`.
nlohmann::ordered_json NormalityRecord(const std::vector<std::vector<double>>& samples,
                                       int firstGroup);
std::string NormalityLine(const std::string& name, const std::vector<double>& sample);

// Degrees of freedom: a whole number as an integer ("27"), a fractional one by SigText.
std::string DfText(double df);

// The closing line at the 5% level, as the classic tests conclude.
void WriteConclusionAt5(ReportFile& report, double p);

}  // namespace lumo
