#include "binding/fit_report.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lumo {

const char kUndeterminedFlag[] = "パラメータが定まりません";

bool StartFit(AnalysisContext& ctx, ReportFile& report, const char* reportName, PairRows& rows,
              bool unknownRows) {
    CLumoDoc& doc = ctx.Doc();
    // Until the data pass their checks the pane shows nothing rather than an older plot.
    doc.m_nScatchard = 0;
    doc.m_nLineweaver = 0;
    if (!ctx.OpenReport(report, reportName, "w")) return false;

    ReadOptions options;
    options.capacity = kMaxDataRows;
    options.unknownX = unknownRows;
    rows = ReadPairRows(ctx.Sheet(), options);
    if (!ctx.AcceptReading(rows)) {
        doc.UpdateAllViews(ctx.Sender());
        return false;
    }
    return true;
}

int PlotRows(int n) {
    return std::min(n, kMaxPoints);
}

std::string FitFailureReason(const CurveFit& fit) {
    switch (fit.outcome) {
        case FitOutcome::kConverged:
            break;
        case FitOutcome::kIterationLimit:
            return Format("フィットが収束しませんでした（計算の回数が上限の %d 回に達しました）。",
                          kMaxFitEvaluations);
        case FitOutcome::kNotFinite:
            return "フィットの途中で値が有限の数でなくなり、収束しませんでした。";
        case FitOutcome::kBadInput:
            return "フィットを始められませんでした（データか初期値が使えません）。";
    }
    if (fit.singular) {
        return "パラメータが一つに定まりません（このデータでは互いに区別できません）。";
    }
    if (!fit.HasErrors()) return "自由度が足りず、標準誤差が求められません。";
    if (!fit.Determined()) {
        return "標準誤差が値そのものより大きいパラメータがあり、このデータでは定まりません。";
    }
    return "";
}

void WriteIterations(ReportFile& report, const CurveFit& fit) {
    report.Printf("反復回数= %d  %s\n", fit.iterations,
                  fit.Converged() ? "収束しました" : "収束しませんでした");
}

void WriteParameter(ReportFile& report, std::string_view name, const CurveFit& fit, size_t j,
                    bool flagUndetermined) {
    const double estimate = fit.parameters[j];
    if (!fit.HasErrors()) {
        // A singular Jacobian fixes none of the parameters on its own: the value stands, flagged.
        report.Printf("%s= %s  %s\n", name, SigText(estimate), kUndeterminedFlag);
        return;
    }
    const double se = fit.standardErrors[j];
    const bool flag = flagUndetermined && !(se <= std::abs(estimate));
    report.Printf("%s= %s ± %s   95%%信頼区間 [%s, %s]%s\n", name, SigText(estimate), SigText(se),
                  SigText(fit.ciLower[j]), SigText(fit.ciUpper[j]),
                  flag ? std::string("  ") + kUndeterminedFlag : std::string());
}

void WriteFitSummary(ReportFile& report, const CurveFit& fit) {
    report.Printf("SS= %s  df= %d  Sy.x= %s  R^2= %s\n", SigText(fit.ss), fit.df, SigText(fit.syx),
                  SigText(fit.rSquared));
}

void RecordFitSummary(nlohmann::ordered_json& out, const CurveFit& fit, bool usable) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    out["ss"] = usable ? fit.ss : kNaN;
    out["df"] = fit.df;
    out["sy_x"] = usable ? fit.syx : kNaN;
    out["r_squared"] = usable ? fit.rSquared : kNaN;
    out["iterations"] = fit.iterations;
    out["converged"] = fit.Converged();
}

void RecordParameters(nlohmann::ordered_json& out, std::initializer_list<const char*> names,
                      const CurveFit& fit) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    const bool errors = fit.HasErrors();
    const bool estimates = fit.parameters.size() == names.size();
    size_t j = 0;
    for (const char* name : names) out[name] = estimates ? fit.parameters[j++] : kNaN;
    j = 0;
    for (const char* name : names) {
        out[std::string(name) + "_se"] = errors ? fit.standardErrors[j++] : kNaN;
    }
    j = 0;
    for (const char* name : names) {
        const std::string key = std::string(name) + "_ci95";
        if (errors) {
            out[key] = {fit.ciLower[j], fit.ciUpper[j]};
            ++j;
        } else {
            out[key] = nullptr;
        }
    }
}

std::string ParameterNote(std::string_view name, const CurveFit& fit, size_t j) {
    std::string note = std::string(name) + " = " + SigText(fit.parameters[j]);
    if (fit.HasErrors()) note += " ± " + SigText(fit.standardErrors[j]);
    return note;
}

}  // namespace lumo
