#include "binding/dose_response.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "binding/fit_report.h"
#include "worksheet/line_reader.h"

namespace lumo {
namespace {

constexpr char kReportName[] = "DoseRespRes.txt";
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kLn10 = std::numbers::ln10;
// Hill slopes tried after the first start of ±1, when that one finds no usable fit: steep
// and shallow curves can lead the first search away from the sigmoid.
constexpr double kFallbackSlopes[] = {3.0, 1.0 / 3.0};

void EvaluateLogistic(const double* p, double x, double* value, double* gradient) {
    const double bottom = p[0];
    const double top = p[1];
    const double logEc50 = p[2];
    const double hill = p[3];
    // s = 1 / (1 + 10^z) computed on the side where the power cannot overflow, so points far
    // out on a plateau give exact 0 or 1 and their derivatives s·(1 − s) vanish, not NaN.
    const double z = (logEc50 - x) * hill * kLn10;
    double s = 0.0;
    if (z > 0.0) {
        const double e = std::exp(-z);
        s = e / (1.0 + e);
    } else {
        s = 1.0 / (1.0 + std::exp(z));
    }
    const double span = top - bottom;
    const double slope = span * s * (1.0 - s) * kLn10;
    *value = bottom + span * s;
    gradient[0] = 1.0 - s;
    gradient[1] = s;
    gradient[2] = -slope * hill;
    gradient[3] = -slope * (logEc50 - x);
}

// The same curve is Bottom and Top swapped with the slope negated; the report keeps
// Bottom < Top so that the sign of the slope tells a rising from a falling curve.
void OrderPlateaus(CurveFit& fit) {
    if (fit.parameters.size() != 4 || !(fit.parameters[0] > fit.parameters[1])) return;
    std::swap(fit.parameters[0], fit.parameters[1]);
    fit.parameters[3] = -fit.parameters[3];
    if (!fit.HasErrors()) return;
    std::swap(fit.standardErrors[0], fit.standardErrors[1]);
    std::swap(fit.ciLower[0], fit.ciLower[1]);
    std::swap(fit.ciUpper[0], fit.ciUpper[1]);
    const double lower = fit.ciLower[3];
    fit.ciLower[3] = -fit.ciUpper[3];
    fit.ciUpper[3] = -lower;
}

// LogEC50 and HillSlope fixed by the data. The slope's error is judged against the slope, as
// for any parameter; LogEC50 moves with the unit of concentration (it is 0 at an EC50 of one
// unit), so its error is judged against the spread of the log concentrations instead.
bool CurveDetermined(const CurveFit& fit, double xSpan) {
    if (!fit.Converged() || !fit.HasErrors()) return false;
    return fit.standardErrors[2] <= xSpan && fit.standardErrors[3] <= std::abs(fit.parameters[3]);
}

double Span(std::span<const double> x) {
    if (x.empty()) return 0.0;
    const auto [lo, hi] = std::minmax_element(x.begin(), x.end());
    return *hi - *lo;
}

struct DoseRows {
    std::vector<double> conc;  // fitted rows, concentration > 0
    std::vector<double> x;     // their log10
    std::vector<double> y;
    int controls = 0;
    struct Unknown {
        int line;  // 1-based, as the user sees it
        double response;
    };
    std::vector<Unknown> unknowns;
};

// Sorts the rows into fitted points, controls and unknowns; the prompt for the first line
// that cannot be used, or "" when all can.
std::string SortRows(const PairRows& rows, DoseRows& out) {
    for (int i = 0; i < rows.Count(); ++i) {
        const auto k = static_cast<size_t>(i);
        const int line = rows.line[k] + 1;
        const double c = rows.x[k];
        const double r = rows.y[k];
        if (!std::isfinite(r) || (!rows.unknown[k] && !std::isfinite(c))) {
            return Format("%d 行目の値が大きすぎて、数として扱えません。\r\n", line);
        }
        if (rows.unknown[k]) {
            out.unknowns.push_back({line, r});
            continue;
        }
        if (c < 0.0) {
            return Format(
                "%d 行目の濃度が負の値です。濃度は０より大きい数（対照は０）にして下さい。"
                "\r\n",
                line);
        }
        if (c == 0.0) {
            ++out.controls;
            continue;
        }
        const double x = std::log10(c);
        if (!std::isfinite(x)) {
            return Format("%d 行目の値が大きすぎて、数として扱えません。\r\n", line);
        }
        out.conc.push_back(c);
        out.x.push_back(x);
        out.y.push_back(r);
    }
    const int n = static_cast<int>(out.x.size());
    if (n < kMinDoseResponsePoints) {
        return Format(
            "用量反応曲線のフィットには、濃度が０より大きい行が５行以上必要です（いまは %d 行）。"
            "\r\n",
            n);
    }
    const double first = out.conc[0];
    if (std::all_of(out.conc.begin(), out.conc.end(), [first](double c) { return c == first; })) {
        return "濃度がすべて同じ値です。用量反応曲線を求めるには、異なる濃度が必要です。\r\n";
    }
    return "";
}

std::string Ec50Name(const DoseResponseFit& dr) {
    return dr.Falling() ? "IC50" : "EC50";
}

}  // namespace

const CurveModel kFourParameterLogisticModel = {4, EvaluateLogistic};

double InterpolateConcentration(std::span<const double> p, double response) {
    if (p.size() != 4) return kNaN;
    const double bottom = std::min(p[0], p[1]);
    const double top = std::max(p[0], p[1]);
    if (!(response > bottom && response < top) || p[3] == 0.0) return kNaN;
    // Y − B = (T − B) / (1 + 10^((L − X)·H))  ⇒  X = L − log10((T − Y) / (Y − B)) / H, with
    // B and T as the parameters have them (a swapped pair negates H and the ratio alike).
    const double x = p[2] - std::log10((p[1] - response) / (response - p[0])) / p[3];
    const double c = std::pow(10.0, x);
    // A power that overflows or underflows names no concentration the user could have used.
    return std::isfinite(c) && c > 0.0 ? c : kNaN;
}

DoseResponseFit FitDoseResponse(std::span<const double> x, std::span<const double> y) {
    DoseResponseFit result;
    const size_t n = std::min(x.size(), y.size());
    // A value that is not finite has no place in the order of concentrations (and would
    // never equal itself when replicates are grouped): no start, and the solver refuses.
    const auto finite = [](double v) { return std::isfinite(v); };
    if (n == 0 || !std::all_of(x.begin(), x.end(), finite) ||
        !std::all_of(y.begin(), y.end(), finite)) {
        const double none[] = {kNaN, kNaN, kNaN, kNaN};
        result.fit = FitCurve(kFourParameterLogisticModel, x, y, none);
        return result;
    }
    // The mean response at each concentration, in the order of concentration: replicates
    // would otherwise make the half-way crossing jump back and forth.
    std::vector<std::pair<double, double>> points;
    for (size_t i = 0; i < n; ++i) points.emplace_back(x[i], y[i]);
    std::sort(points.begin(), points.end());
    std::vector<std::pair<double, double>> means;
    for (size_t i = 0; i < n;) {
        size_t j = i;
        double sum = 0.0;
        while (j < n && points[j].first == points[i].first) sum += points[j++].second;
        means.emplace_back(points[i].first, sum / static_cast<double>(j - i));
        i = j;
    }
    const auto [lo, hi] = std::minmax_element(y.begin(), y.begin() + static_cast<long>(n));
    const double bottom = *lo;
    const double top = *hi;
    const double half = 0.5 * (bottom + top);
    double logEc50 = means[means.size() / 2].first;
    for (size_t k = 0; k + 1 < means.size(); ++k) {
        const auto [x0, y0] = means[k];
        const auto [x1, y1] = means[k + 1];
        if ((y0 - half) * (y1 - half) <= 0.0 && y0 != y1) {
            logEc50 = x0 + (half - y0) / (y1 - y0) * (x1 - x0);
            break;
        }
    }
    const double sign = means.back().second >= means.front().second ? 1.0 : -1.0;
    result.start[0] = bottom;
    result.start[1] = top;
    result.start[2] = logEc50;
    result.start[3] = sign;

    const double span = Span(x);
    result.fit = FitCurve(kFourParameterLogisticModel, x, y, result.start);
    OrderPlateaus(result.fit);
    result.usable = CurveDetermined(result.fit, span);
    for (const double factor : kFallbackSlopes) {
        if (result.usable) break;
        const double start[] = {bottom, top, logEc50, sign * factor};
        CurveFit other = FitCurve(kFourParameterLogisticModel, x, y, start);
        OrderPlateaus(other);
        const bool otherUsable = CurveDetermined(other, span);
        if (otherUsable || (other.Converged() && !result.fit.Converged())) {
            result.fit = std::move(other);
            result.usable = otherUsable;
        }
    }
    return result;
}

bool OnDoseResponse(AnalysisContext& ctx) {
    CLumoDoc& doc = ctx.Doc();
    ReportFile report;
    PairRows rows;
    if (!StartFit(ctx, report, kReportName, rows, true)) return false;
    DoseRows data;
    if (const std::string problem = SortRows(rows, data); !problem.empty()) {
        ctx.AppendPrompt(problem);
        doc.UpdateAllViews(ctx.Sender());
        return false;
    }

    const int n = static_cast<int>(data.x.size());
    const DoseResponseFit dr = FitDoseResponse(data.x, data.y);
    const CurveFit& fit = dr.fit;
    std::string failure;
    if (!dr.usable) {
        failure = FitFailureReason(fit);
        if (failure.empty() || (fit.Converged() && fit.HasErrors())) {
            failure =
                "データにシグモイドの形が見られず、LogEC50 か HillSlope が定まりません"
                "（標準誤差が大きすぎます）。";
        }
    }

    report.Printf(
        "用量反応曲線（４パラメータ）  Y = Bottom + (Top - Bottom) / (1 + 10^((LogEC50 - X)・"
        "HillSlope))  X = log10(濃度)\n");
    report.Printf("(濃度, 反応)\n");
    for (int i = 0; i < n; ++i) {
        const auto k = static_cast<size_t>(i);
        report.Printf("(%s, %s)\n", SigText(data.conc[k]), SigText(data.y[k]));
    }
    if (data.controls > 0) {
        report.Printf("濃度が０の行（対照） %d 行はフィットから除きました。\n", data.controls);
    }
    report.Printf("\n初期値: Bottom= %s  Top= %s  LogEC50= %s  HillSlope= %s\n",
                  SigText(dr.start[0]), SigText(dr.start[1]), SigText(dr.start[2]),
                  SigText(dr.start[3]));
    WriteIterations(report, fit);
    const std::string ec50Name = Ec50Name(dr);
    double ec50 = kNaN, ec50Lower = kNaN, ec50Upper = kNaN;
    if (dr.usable) {
        ec50 = std::pow(10.0, fit.parameters[2]);
        ec50Lower = std::pow(10.0, fit.ciLower[2]);
        ec50Upper = std::pow(10.0, fit.ciUpper[2]);
        report.Printf("\n");
        WriteParameter(report, "Bottom", fit, 0);
        WriteParameter(report, "Top", fit, 1);
        WriteParameter(report, "LogEC50", fit, 2);
        WriteParameter(report, "HillSlope", fit, 3);
        report.Printf("%s= %s   95%%信頼区間 [%s, %s]\n", ec50Name, SigText(ec50),
                      SigText(ec50Lower), SigText(ec50Upper));
        WriteFitSummary(report, fit);
    } else {
        report.Printf("\n%s %s は求められません。\n", failure, ec50Name);
    }

    nlohmann::ordered_json unknowns = nlohmann::ordered_json::array();
    if (!data.unknowns.empty()) {
        report.Printf("\n未知試料（標準曲線から読んだ濃度）\n");
    }
    for (const DoseRows::Unknown& u : data.unknowns) {
        const double c = dr.usable ? InterpolateConcentration(fit.parameters, u.response) : kNaN;
        if (!dr.usable) {
            report.Printf("%d 行目  反応= %s  曲線が求められないため、濃度は読めません。\n", u.line,
                          SigText(u.response));
        } else if (std::isfinite(c)) {
            report.Printf("%d 行目  反応= %s  濃度= %s\n", u.line, SigText(u.response), SigText(c));
        } else {
            report.Printf(
                "%d 行目  反応= %s  曲線の範囲 (Bottom, Top) の外にあり、濃度は読めません。\n",
                u.line, SigText(u.response));
        }
        nlohmann::ordered_json entry = nlohmann::ordered_json::object();
        entry["line"] = u.line;
        entry["response"] = u.response;
        entry["concentration"] = c;
        unknowns.push_back(entry);
    }

    // The classic record keeps log10 concentration against response (no classic mode draws
    // it); the description draws response against concentration on a log axis, with the curve,
    // its residuals, the EC50 mark and the unknowns read off it.
    const int plotted = PlotRows(n);
    for (int i = 0; i < plotted; ++i) {
        doc.m_dX[i] = data.x[static_cast<size_t>(i)];
        doc.m_dY[i] = data.y[static_cast<size_t>(i)];
    }
    doc.m_nCount = plotted;
    // The axes carry the user's column titles when the worksheet has them.
    PlotDescription plot = XyPlot(data.conc, data.y, TitleOr(rows.titles, 0, "濃度"),
                                  LastTitleOr(rows.titles, "反応"));
    plot.kind = PlotKind::kCurve;
    plot.xAxis.log = true;
    plot.series.front().legend = "データ";
    if (dr.usable) {
        const std::vector<double> p = fit.parameters;
        const auto curve = [p](double c) {
            double value = 0.0;
            double gradient[4];
            EvaluateLogistic(p.data(), std::log10(c), &value, gradient);
            return value;
        };
        AddCurve(plot, "fit", CurveStyle::kSolid, curve, "４パラメータ・ロジスティック");
        AddResiduals(plot, curve);
        plot.marks.push_back({"EC50", ec50, curve(ec50)});
        PlotSeries read{"unknowns", {}, "未知試料"};
        for (const nlohmann::ordered_json& u : unknowns) {
            const double c = u["concentration"].get<double>();
            if (std::isfinite(c)) read.points.push_back({c, u["response"].get<double>()});
        }
        if (!read.points.empty()) plot.series.push_back(std::move(read));
        plot.notes = {ec50Name + " = " + SigText(ec50), ParameterNote("LogEC50", fit, 2),
                      ParameterNote("HillSlope", fit, 3)};
    }
    FitAxes(plot);
    doc.m_plot = std::move(plot);
    doc.UpdateAllViews(ctx.Sender());

    nlohmann::ordered_json& record = ctx.Record();
    record["n"] = n;
    record["excluded_zero"] = data.controls;
    RecordParameters(record, {"bottom", "top", "log_ec50", "hill_slope"},
                     dr.usable ? fit : CurveFit{});
    record["ec50"] = ec50;
    record["ec50_ci95"] =
        dr.usable ? nlohmann::ordered_json{ec50Lower, ec50Upper} : nlohmann::ordered_json(nullptr);
    RecordFitSummary(record, fit, dr.usable);
    record["direction"] = dr.usable ? nlohmann::ordered_json(dr.Falling() ? "falling" : "rising")
                                    : nlohmann::ordered_json(nullptr);
    record["unknowns"] = unknowns;

    const bool finished = ctx.FinishReport(report, kReportName);
    return finished && dr.usable;
}

}  // namespace lumo
