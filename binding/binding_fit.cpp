#include "binding/binding_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "binding/fit_report.h"
#include "worksheet/line_reader.h"

namespace lumo {
namespace {

constexpr char kReportName[] = "BindFitRes.txt";
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kMinRows = 3;             // two parameters and one degree of freedom
constexpr double kSignificance = 0.05;  // two sites only when the F test rejects one

// Two-site starts: the one-site capacity split between the sites in these shares, and the
// one-site Kd spread apart by these factors (Kd/√r for site 1, Kd·√r for site 2). The fit
// from each is kept when it is the best; a single start often ends in a local minimum where
// one site takes everything.
constexpr double kStartShares[] = {0.25, 0.5, 0.75};
constexpr double kStartSpreads[] = {10.0, 100.0, 1000.0};

void EvaluateOneSite(const double* p, double f, double* value, double* gradient) {
    const double denominator = p[1] + f;
    *value = p[0] * f / denominator;
    gradient[0] = f / denominator;
    gradient[1] = -p[0] * f / (denominator * denominator);
}

void EvaluateTwoSites(const double* p, double f, double* value, double* gradient) {
    const double d1 = p[1] + f;
    const double d2 = p[3] + f;
    *value = p[0] * f / d1 + p[2] * f / d2;
    gradient[0] = f / d1;
    gradient[1] = -p[0] * f / (d1 * d1);
    gradient[2] = f / d2;
    gradient[3] = -p[2] * f / (d2 * d2);
}

bool AllPositive(const CurveFit& fit) {
    return std::all_of(fit.parameters.begin(), fit.parameters.end(),
                       [](double p) { return p > 0.0; });
}

bool Usable(const CurveFit& fit) {
    return FitFailureReason(fit).empty() && AllPositive(fit);
}

// The extra-sum-of-squares F test stays valid however loosely the two-site parameters are
// determined: it needs only a minimum of the two-site sum of squares, and the sites must be
// physical (positive) for the model to mean binding.
bool Comparable(const CurveFit& fit) {
    return fit.Converged() && fit.parameters.size() == 4 && AllPositive(fit);
}

// Site 1 is the one with the smaller Kd.
void OrderSites(CurveFit& fit) {
    if (!(fit.parameters[3] < fit.parameters[1])) return;
    auto swapPairs = [](std::vector<double>& v) {
        if (v.size() != 4) return;
        std::swap(v[0], v[2]);
        std::swap(v[1], v[3]);
    };
    swapPairs(fit.parameters);
    swapPairs(fit.standardErrors);
    swapPairs(fit.ciLower);
    swapPairs(fit.ciUpper);
}

CurveFit FitTwoSites(std::span<const double> f, std::span<const double> b, double bmax, double kd) {
    CurveFit best;
    bool haveBest = false;
    // The least-squares solution is the converged fit with the smallest SS; whether it makes
    // physical sense is judged afterwards, not by looking for another minimum that does.
    auto rank = [](const CurveFit& fit) { return fit.Converged() ? 1 : 0; };
    for (const double share : kStartShares) {
        for (const double spread : kStartSpreads) {
            const double root = std::sqrt(spread);
            const double start[] = {share * bmax, kd / root, (1.0 - share) * bmax, kd * root};
            CurveFit fit = FitCurve(kTwoSiteModel, f, b, start);
            const bool better = !haveBest || rank(fit) > rank(best) ||
                                (rank(fit) == rank(best) && rank(fit) > 0 && fit.ss < best.ss);
            if (better) {
                best = std::move(fit);
                haveBest = true;
            }
        }
    }
    OrderSites(best);
    return best;
}

// The prompt for the first line that cannot enter the fit, or "" when all can.
std::string RowProblem(const PairRows& rows, const std::vector<double>& free) {
    for (int i = 0; i < rows.Count(); ++i) {
        const double b = rows.x[i];
        const double ratio = rows.y[i];
        if (!std::isfinite(b) || !std::isfinite(ratio)) {
            return Format("%d 行目の値が大きすぎて、数として扱えません。\r\n",
                          rows.line[static_cast<size_t>(i)] + 1);
        }
        if (!(b > 0.0) || !(ratio > 0.0)) {
            return Format(
                "%d 行目の B か B/F が０以下か、数ではありません。B と B/F は０より大きい数にして"
                "下さい。\r\n",
                rows.line[static_cast<size_t>(i)] + 1);
        }
        if (!std::isfinite(free[i]) || !(free[i] > 0.0)) {
            return Format("%d 行目の遊離濃度 F（B ÷ B/F）が数として扱えません。\r\n",
                          rows.line[static_cast<size_t>(i)] + 1);
        }
    }
    if (rows.Count() < kMinRows) {
        return "直接フィットには３行以上のデータが必要です。\r\n";
    }
    const double first = free[0];
    if (std::all_of(free.begin() + 1, free.end(), [first](double f) { return f == first; })) {
        return "遊離濃度 F（B ÷ B/F）がすべて同じ値です。Kd と Bmax を求めるには、異なる F が"
               "２つ以上必要です。\r\n";
    }
    return "";
}

void WriteAicc(ReportFile& report, double aicc) {
    if (std::isfinite(aicc)) {
        report.Printf("AICc= %s\n", SigText(aicc));
    } else {
        report.Printf("AICc: データ数が少ないか残差が０のため、求められません。\n");
    }
}

// B against F on natural axes: the one-site curve and, when fitted, the two-site curve, the
// preferred one solid and the other dashed; residuals of the preferred one.
PlotDescription BindingPlot(const BindingFit& fits, std::span<const double> f,
                            std::span<const double> b) {
    const std::vector<double> p1 = fits.oneSite.parameters;
    const auto one = [p1](double x) { return p1[0] * x / (p1[1] + x); };
    PlotDescription plot = XyPlot(f, b, "F", "B");
    plot.kind = PlotKind::kCurve;
    plot.xAxis.includeZero = plot.yAxis.includeZero = true;
    plot.series.front().legend = "データ";
    const double to = SeriesXRange(plot).second;
    const bool two = fits.twoSiteUsable;
    const bool prefer2 = fits.preferTwoSites;
    AddCurve(plot, "one_site", prefer2 ? CurveStyle::kDashed : CurveStyle::kSolid, one, 0.0, to,
             "１部位");
    if (!prefer2) {
        plot.notes = {ParameterNote("Bmax", fits.oneSite, 0), ParameterNote("Kd", fits.oneSite, 1)};
        AddResiduals(plot, one);
    }
    if (two) {
        const std::vector<double> p2 = fits.twoSite.parameters;
        const auto both = [p2](double x) {
            return p2[0] * x / (p2[1] + x) + p2[2] * x / (p2[3] + x);
        };
        AddCurve(plot, "two_site", prefer2 ? CurveStyle::kSolid : CurveStyle::kDashed, both, 0.0,
                 to, "２部位");
        if (prefer2) {
            plot.notes = {
                ParameterNote("Bmax1", fits.twoSite, 0), ParameterNote("Kd1", fits.twoSite, 1),
                ParameterNote("Bmax2", fits.twoSite, 2), ParameterNote("Kd2", fits.twoSite, 3)};
            AddResiduals(plot, both);
        }
    }
    FitAxes(plot);
    return plot;
}

}  // namespace

const CurveModel kOneSiteModel = {2, EvaluateOneSite};
const CurveModel kTwoSiteModel = {4, EvaluateTwoSites};

double Aicc(double ss, int n, int parameters) {
    // The residual variance is estimated too, so it counts as one more parameter.
    const int k = parameters + 1;
    const int rest = n - k - 1;
    if (rest < 1 || !(ss > 0.0)) return kNaN;
    const double dn = n;
    const double dk = k;
    return dn * std::log(ss / dn) + 2.0 * dk + 2.0 * dk * (dk + 1.0) / rest;
}

BindingFit FitBinding(std::span<const double> f, std::span<const double> b) {
    BindingFit result;
    const int n = static_cast<int>(f.size());
    // One site from the largest B as the capacity and the median F as Kd: the curve's
    // half-saturation point lies inside the data for any sensible experiment.
    auto finite = [](double d) { return std::isfinite(d); };
    if (!std::all_of(f.begin(), f.end(), finite) || !std::all_of(b.begin(), b.end(), finite)) {
        const double none[] = {kNaN, kNaN};
        result.oneSite = FitCurve(kOneSiteModel, f, b, none);
        result.aicc1 = result.aicc2 = result.f = result.p = kNaN;
        return result;
    }
    std::vector<double> sorted(f.begin(), f.end());
    std::sort(sorted.begin(), sorted.end());
    const double medianF = sorted.empty() ? 0.0 : sorted[sorted.size() / 2];
    const double maxB = b.empty() ? 0.0 : *std::max_element(b.begin(), b.end());
    const double start[] = {maxB, medianF};
    result.oneSite = FitCurve(kOneSiteModel, f, b, start);
    result.oneSiteUsable = Usable(result.oneSite);
    result.aicc1 = Aicc(result.oneSite.ss, n, 2);
    result.aicc2 = kNaN;
    result.f = kNaN;
    result.p = kNaN;
    if (!result.oneSiteUsable || n < kMinTwoSitePoints) return result;

    result.twoSiteTried = true;
    result.twoSite = FitTwoSites(f, b, result.oneSite.parameters[0], result.oneSite.parameters[1]);
    result.twoSiteUsable = Comparable(result.twoSite);
    result.twoSiteDetermined = result.twoSiteUsable && result.twoSite.Determined();
    if (!result.twoSiteUsable) return result;
    const double ss1 = result.oneSite.ss;
    const double ss2 = result.twoSite.ss;
    result.aicc2 = Aicc(ss2, n, 4);
    result.f = ((ss1 - ss2) / 2.0) / (ss2 / (n - 4));
    if (ss2 == 0.0) result.f = ss1 > 0.0 ? std::numeric_limits<double>::infinity() : kNaN;
    result.p = FUpperTail(result.f, 2, n - 4);
    result.preferTwoSites = result.p < kSignificance;
    return result;
}

bool OnBindingFit(AnalysisContext& ctx) {
    CLumoDoc& doc = ctx.Doc();
    ReportFile report;
    PairRows rows;
    if (!StartFit(ctx, report, kReportName, rows)) return false;
    std::vector<double> free(rows.x.size());
    for (size_t i = 0; i < free.size(); ++i) free[i] = rows.x[i] / rows.y[i];
    if (const std::string problem = RowProblem(rows, free); !problem.empty()) {
        ctx.AppendPrompt(problem);
        doc.UpdateAllViews(ctx.Sender());
        return false;
    }

    const int n = rows.Count();
    const std::span<const double> f(free);
    const std::span<const double> b(rows.x);
    const BindingFit fits = FitBinding(f, b);
    const CurveFit& one = fits.oneSite;
    const CurveFit& two = fits.twoSite;

    report.Printf("結合（直接フィット：１部位／２部位）\n");
    report.Printf("(B, B/F, F)\n");
    for (int i = 0; i < n; ++i) {
        report.Printf("(%s, %s, %s)\n", SigText(rows.x[i]), SigText(rows.y[i]), SigText(free[i]));
    }

    report.Printf("\n１部位  B = Bmax・F / (Kd + F)\n");
    WriteIterations(report, one);
    if (fits.oneSiteUsable) {
        WriteParameter(report, "Bmax", one, 0);
        WriteParameter(report, "Kd", one, 1);
        WriteFitSummary(report, one);
        WriteAicc(report, fits.aicc1);
    } else {
        std::string reason = FitFailureReason(one);
        if (reason.empty()) {
            reason = "Bmax か Kd が正の値になりません。このデータは結合の式に合いません。";
        }
        report.Printf("%s Bmax と Kd は求められません。\n", reason);
    }

    if (fits.oneSiteUsable) {
        report.Printf("\n２部位  B = Bmax1・F / (Kd1 + F) + Bmax2・F / (Kd2 + F)\n");
        if (!fits.twoSiteTried) {
            report.Printf("２部位のフィットには５行以上のデータが必要です。\n");
        } else {
            WriteIterations(report, two);
            if (fits.twoSiteUsable) {
                WriteParameter(report, "Bmax1", two, 0, true);
                WriteParameter(report, "Kd1", two, 1, true);
                WriteParameter(report, "Bmax2", two, 2, true);
                WriteParameter(report, "Kd2", two, 3, true);
                WriteFitSummary(report, two);
                WriteAicc(report, fits.aicc2);
            } else {
                // A converged two-site fit fails here only by a site that is not positive.
                std::string reason = two.Converged() ? std::string() : FitFailureReason(two);
                if (reason.empty()) {
                    reason = "Bmax か Kd の一つが正の値になりません。";
                }
                report.Printf("%s ２部位のパラメータは求められません。\n", reason);
            }
        }

        report.Printf("\n比較\n");
        if (fits.twoSiteUsable) {
            report.Printf("F= %s  (2, %d)  %s\n", SigText(fits.f), n - 4, PValueText(fits.p));
            if (std::isfinite(fits.aicc1) && std::isfinite(fits.aicc2)) {
                report.Printf("ΔAICc（１部位－２部位）= %s\n", SigText(fits.aicc1 - fits.aicc2));
            }
            report.Printf(fits.preferTwoSites ? "採用するモデル: ２部位（p < 0.05）\n"
                                              : "採用するモデル: １部位（p ≧ 0.05）\n");
        } else {
            report.Printf("採用するモデル: １部位（２部位のフィットがありません）\n");
        }
    }

    // The pane's Scatchard mode: the points, and the preferred model as its site lines
    // (Ka = 1/Kd) and two-site curve; one site leaves site 2 empty.
    for (int i = 0; i < kMaxPoints; ++i) doc.m_nMark[i] = 0;
    double xMax = 0.0;
    double yMax = 0.0;
    double xMin = 999999999.0;
    const int plotted = PlotRows(n);
    for (int i = 0; i < n; ++i) {
        if (i < plotted) {
            doc.m_dX[i] = rows.x[i];
            doc.m_dY[i] = rows.y[i];
        }
        if (rows.x[i] >= xMax) xMax = rows.x[i];
        if (rows.y[i] >= yMax) yMax = rows.y[i];
        if (rows.x[i] <= xMin) xMin = rows.x[i];
    }
    doc.m_nScatchard = 1;
    doc.m_nCount = plotted;
    doc.m_dXMax = xMax;
    doc.m_dYMax = yMax;
    doc.m_dXMin = xMin;
    if (fits.preferTwoSites) {
        doc.m_dBmax1 = two.parameters[0];
        doc.m_dKa1 = 1.0 / two.parameters[1];
        doc.m_dBmax2 = two.parameters[2];
        doc.m_dKa2 = 1.0 / two.parameters[3];
    } else if (fits.oneSiteUsable) {
        doc.m_dBmax1 = one.parameters[0];
        doc.m_dKa1 = 1.0 / one.parameters[1];
        doc.m_dBmax2 = 0.0;
        doc.m_dKa2 = 0.0;
    } else {
        doc.m_dBmax1 = doc.m_dKa1 = doc.m_dBmax2 = doc.m_dKa2 = kNaN;
    }
    doc.UpdateAllViews(ctx.Sender());

    if (fits.oneSiteUsable) {
        doc.m_plot = BindingPlot(fits, f, b);
    }

    nlohmann::ordered_json& record = ctx.Record();
    record["n"] = n;
    nlohmann::ordered_json oneRecord = nlohmann::ordered_json::object();
    RecordParameters(oneRecord, {"bmax", "kd"}, fits.oneSiteUsable ? one : CurveFit{});
    RecordFitSummary(oneRecord, one, fits.oneSiteUsable);
    oneRecord["aicc"] = fits.oneSiteUsable ? fits.aicc1 : kNaN;
    record["one_site"] = oneRecord;
    if (fits.twoSiteTried) {
        nlohmann::ordered_json twoRecord = nlohmann::ordered_json::object();
        RecordParameters(twoRecord, {"bmax1", "kd1", "bmax2", "kd2"},
                         fits.twoSiteUsable ? two : CurveFit{});
        RecordFitSummary(twoRecord, two, fits.twoSiteUsable);
        twoRecord["aicc"] = fits.aicc2;
        twoRecord["determined"] = fits.twoSiteDetermined;
        record["two_site"] = twoRecord;
    } else {
        record["two_site"] = nullptr;
    }
    nlohmann::ordered_json comparison = nlohmann::ordered_json::object();
    comparison["f"] = fits.f;
    comparison["df1"] = fits.twoSiteUsable ? nlohmann::ordered_json(2) : nullptr;
    comparison["df2"] = fits.twoSiteUsable ? nlohmann::ordered_json(n - 4) : nullptr;
    comparison["p"] = fits.p;
    comparison["delta_aicc"] = fits.aicc1 - fits.aicc2;
    comparison["preferred"] = fits.preferTwoSites ? "two_site" : "one_site";
    record["comparison"] = comparison;

    const bool finished = ctx.FinishReport(report, kReportName);
    return finished && fits.oneSiteUsable;
}

}  // namespace lumo
