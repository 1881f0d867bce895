#include "binding/binding_results.h"

#include <string>

#include "binding/simplex_fit.h"
#include "worksheet/detail_text.h"

namespace lumo {
namespace {

std::string N(double value) {
    return DetailNumber(value);
}

nlohmann::ordered_json ConicRecord(const Conic& conic) {
    return {{"A", conic[0]}, {"B", conic[1]}, {"C", conic[2]}, {"D", conic[3]}};
}

std::string ConicText(const Conic& conic) {
    return "A = " + N(conic[0]) + ",  B = " + N(conic[1]) + ",  C = " + N(conic[2]) +
           ",  D = " + N(conic[3]);
}

void WriteLine(ReportFile& report, const std::string& line) {
    report.Write(line + "\n");
}

}  // namespace

void AddLineweaverBurkResults(AnalysisContext& ctx, ReportFile& report, const double* s,
                              const double* v, int n, double slope, double intercept, double r) {
    const double km = slope / intercept;
    const double vmax = 1.0 / intercept;
    nlohmann::ordered_json& rec = ctx.Record();
    rec["n"] = n;
    rec["s"] = nlohmann::ordered_json::array();
    rec["v"] = nlohmann::ordered_json::array();
    for (int i = 0; i < n; ++i) {
        rec["s"].push_back(s[i]);
        rec["v"].push_back(v[i]);
    }
    rec["slope"] = slope;
    rec["intercept"] = intercept;
    rec["r"] = r;
    rec["km"] = km;
    rec["vmax"] = vmax;

    if (!ctx.Details()) return;
    report.Write(kDetailHeading);
    WriteLine(report, "データ数 n = " + std::to_string(n));
    WriteLine(report, "1/[v] = " + N(slope) + " × 1/[s] ＋ " + N(intercept) + ",  r = " + N(r));
    WriteLine(report, "Km = " + N(km) + ",  Vmax = " + N(vmax));
}

void AddScatchardResults(AnalysisContext& ctx, ReportFile& report, int n,
                         const ConicPoint (&marked)[4], const Conic& conic, const ConicFit* fit,
                         const Conic* start) {
    const ConicLines lines = ConicAsymptotes(conic);
    const double kd1 = 1.0 / lines.m1;
    const double kd2 = 1.0 / lines.m2;
    const double slope1 = -lines.m1;
    const double slope2 = -lines.m2;
    const double intercept1 = lines.m1 * lines.b1;
    const double intercept2 = lines.m2 * lines.b2;

    nlohmann::ordered_json& rec = ctx.Record();
    rec["n"] = n;
    rec["points"] = nlohmann::ordered_json::array();
    for (const ConicPoint& p : marked) rec["points"].push_back(RecordPair(p.x, p.y));
    rec["A"] = conic[0];
    rec["B"] = conic[1];
    rec["C"] = conic[2];
    rec["D"] = conic[3];
    rec["kd1"] = kd1;
    rec["bmax1"] = lines.b1;
    rec["kd2"] = kd2;
    rec["bmax2"] = lines.b2;
    rec["slope1"] = slope1;
    rec["intercept1"] = intercept1;
    rec["slope2"] = slope2;
    rec["intercept2"] = intercept2;
    if (fit != nullptr) {
        rec["passes"] = fit->passes;
        rec["converged"] = fit->converged;
    }
    if (start != nullptr) rec["start"] = ConicRecord(*start);

    if (!ctx.Details()) return;
    report.Write(kDetailHeading);
    WriteLine(report, "データ数 n = " + std::to_string(n));
    WriteLine(report, "AX^2+BXY+Y^2+CX+DY=0：  " + ConicText(conic));
    if (start != nullptr) WriteLine(report, "初期値：  " + ConicText(*start));
    if (fit != nullptr) {
        WriteLine(report, "反復回数 = " + std::to_string(fit->passes) +
                              (fit->converged ? "（収束）" : "（上限で打ち切り、収束せず）"));
    }
    WriteLine(report, "直線１： Y = " + N(slope1) + " X ＋ " + N(intercept1) + ",  Kd = " + N(kd1) +
                          ",  Bmax = " + N(lines.b1));
    WriteLine(report, "直線２： Y = " + N(slope2) + " X ＋ " + N(intercept2) + ",  Kd = " + N(kd2) +
                          ",  Bmax = " + N(lines.b2));
}

}  // namespace lumo
