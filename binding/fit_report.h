// What the direct least-squares fits share in their reports: the refusal of unusable data
// lines, the reason a fit gives no result, the parameter lines and the record fields.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "binding/least_squares.h"
#include "worksheet/line_reader.h"
#include "worksheet/report.h"

namespace lumo {

// Why a fit has no result to show, in plain Japanese, or "" when its estimates and standard
// errors can be presented. Signs are the caller's to check.
// The common start of a direct fit: blanks the graph until the data pass their checks, opens
// the report file and reads up to kMaxDataRows rows; false when the run has already stopped
// with a message. The plot record holds only the first kMaxPoints of them (PlotRows).
// With `unknownRows`, rows "?, y" are kept as unknowns (rows.unknown) rather than refused.
bool StartFit(AnalysisContext& ctx, ReportFile& report, const char* reportName, PairRows& rows,
              bool unknownRows = false);

std::string FitFailureReason(const CurveFit& fit);

// How many of `n` rows the plot record's arrays can hold.
int PlotRows(int n);

// "反復回数= %d  収束しました" or the same with "収束しませんでした".
void WriteIterations(ReportFile& report, const CurveFit& fit);
// Written beside a parameter that the data do not fix.
extern const char kUndeterminedFlag[];

// "<name>= v ± se   95%信頼区間 [lo, hi]" for parameter `j`, numbers by SigText. With
// `flagUndetermined`, an error larger than the estimate adds kUndeterminedFlag; a fit without
// errors shows the estimate alone with that flag.
void WriteParameter(ReportFile& report, std::string_view name, const CurveFit& fit, size_t j,
                    bool flagUndetermined = false);
// "SS= …  df= %d  Sy.x= …  R^2= …".
void WriteFitSummary(ReportFile& report, const CurveFit& fit);
// "ss", "df", "sy_x", "r_squared" (nulls unless `usable`), "iterations", "converged".
void RecordFitSummary(nlohmann::ordered_json& out, const CurveFit& fit, bool usable);

// "Vmax = 1.234 ± 0.05678" for the legend of a fitted curve (the estimate alone without errors).
std::string ParameterNote(std::string_view name, const CurveFit& fit, size_t j);

// The estimates under `names` (when the fit has them), then their "_se", then their "_ci95"
// as [lower, upper]; nulls where the fit has no errors.
void RecordParameters(nlohmann::ordered_json& out, std::initializer_list<const char*> names,
                      const CurveFit& fit);

}  // namespace lumo
