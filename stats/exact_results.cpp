#include "stats/exact_results.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "stats/exact_distributions.h"
#include "stats/group_input.h"
#include "worksheet/detail_text.h"

namespace lumo {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Mean and sum of squared deviations in two passes, the mean refined by the mean residual:
// the one-pass sums of the classic reports lose figures when the spread is small beside the
// values.
struct Moments {
    double mean = kNaN;
    double squares = kNaN;
};

Moments CenteredMoments(const double* v, int n) {
    Moments m;
    if (n < 1) return m;
    const double count = n;
    double sum = 0.0;
    for (int i = 0; i < n; ++i) sum += v[i];
    double mean = sum / count;
    double residual = 0.0;
    for (int i = 0; i < n; ++i) residual += v[i] - mean;
    if (std::isfinite(residual)) mean += residual / count;
    double squares = 0.0;
    for (int i = 0; i < n; ++i) squares += (v[i] - mean) * (v[i] - mean);
    m.mean = mean;
    m.squares = squares;
    return m;
}

double CrossDeviations(const double* x, double mx, const double* y, double my, int n) {
    double sum = 0.0;
    for (int i = 0; i < n; ++i) sum += (x[i] - mx) * (y[i] - my);
    return n < 1 ? kNaN : sum;
}

double Variance(const Moments& m, int n) {
    return m.squares / (static_cast<double>(n) - 1.0);
}

double Pearson(const double* x, const double* y, int n) {
    const Moments mx = CenteredMoments(x, n);
    const Moments my = CenteredMoments(y, n);
    return CrossDeviations(x, mx.mean, y, my.mean, n) / std::sqrt(mx.squares * my.squares);
}

// The detail block's lines: each call is one line.
class DetailLines {
  public:
    DetailLines(const AnalysisContext& ctx, ReportFile& report)
        : m_on(ctx.Details()), m_report(report) {
        if (m_on) m_report.Write(kDetailHeading);
    }
    void operator()(const std::string& line) {
        if (m_on) m_report.Write(line + "\n");
    }

  private:
    bool m_on;
    ReportFile& m_report;
};

std::string N(double value) {
    return DetailNumber(value);
}
std::string P(double p) {
    return DetailP(p);
}
std::string I(const Interval& interval) {
    return DetailInterval(interval.lo, interval.hi);
}
std::string D(int n) {
    return std::to_string(n);
}
// Degrees of freedom: a whole number as it is, Welch's fractional value with its figures.
std::string Df(double df) {
    if (std::isfinite(df) && df == std::floor(df) && std::fabs(df) < 1e9) {
        return D(static_cast<int>(df));
    }
    return DetailNumber(df);
}

nlohmann::ordered_json Pair(const Interval& interval) {
    return RecordPair(interval.lo, interval.hi);
}

// One t statistic with its degrees of freedom, p and interval of the estimate.
struct TResult {
    double t = kNaN;
    double df = kNaN;
    double p = kNaN;
    double estimate = kNaN;
    Interval ci95{kNaN, kNaN};
};

TResult TestOf(double estimate, double se, double df) {
    TResult r;
    r.estimate = estimate;
    r.t = estimate / se;
    r.df = df;
    r.p = TTwoSidedP(df, r.t);
    r.ci95 = TInterval95(estimate, se, df);
    return r;
}

nlohmann::ordered_json TRecord(const TResult& r) {
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    out["t"] = r.t;
    out["df"] = r.df;
    out["p"] = r.p;
    out["mean_difference"] = r.estimate;
    out["ci95"] = Pair(r.ci95);
    return out;
}

std::string TLine(const TResult& r) {
    return "t = " + N(r.t) + ",  自由度 = " + Df(r.df) + ",  p（両側）= " + P(r.p) +
           ",  平均の差 = " + N(r.estimate) + ",  95％信頼区間 = " + I(r.ci95);
}

}  // namespace

void AddCorrelationResults(AnalysisContext& ctx, ReportFile& report, const double* x,
                           const double* y, int n) {
    const double count = n;
    const Moments mx = CenteredMoments(x, n);
    const Moments my = CenteredMoments(y, n);
    const double spxy = CrossDeviations(x, mx.mean, y, my.mean, n);
    const double r = spxy / std::sqrt(mx.squares * my.squares);
    const double df = count - 2.0;
    const Interval rCi = FisherZInterval95(r, n);

    const double slope = spxy / mx.squares;
    const double intercept = my.mean - slope * mx.mean;
    // The residual sum of squares from the residuals themselves: Syy − b·Sxy subtracts two
    // nearly equal numbers on a near-perfect line and keeps only the last few figures.
    double residual = 0.0;
    for (int i = 0; i < n; ++i) {
        const double e = y[i] - (intercept + slope * x[i]);
        residual += e * e;
    }
    const double s2 = residual / df;
    const double slopeSe = std::sqrt(s2 / mx.squares);
    const double interceptSe = std::sqrt(s2 * (1.0 / count + mx.mean * mx.mean / mx.squares));
    // The test of no correlation is the test of a zero slope; through the slope's own error it
    // keeps its figures where r·√(df/(1 − r²)) would divide by a difference from 1.
    const double t = slope / slopeSe;
    const double p = TTwoSidedP(df, t);
    const Interval slopeCi = TInterval95(slope, slopeSe, df);
    const Interval interceptCi = TInterval95(intercept, interceptSe, df);

    nlohmann::ordered_json& rec = ctx.Record();
    rec["n"] = n;
    rec["mean_x"] = mx.mean;
    rec["mean_y"] = my.mean;
    rec["var_x"] = Variance(mx, n);
    rec["var_y"] = Variance(my, n);
    rec["sxy"] = spxy;
    rec["cov"] = spxy / (count - 1.0);
    rec["r"] = r;
    rec["r_squared"] = r * r;
    rec["t"] = t;
    rec["df"] = n - 2;
    rec["p"] = p;
    rec["r_ci95"] = n < 4 ? nlohmann::ordered_json(nullptr) : Pair(rCi);
    rec["slope"] = slope;
    rec["intercept"] = intercept;
    rec["slope_se"] = slopeSe;
    rec["intercept_se"] = interceptSe;
    rec["slope_ci95"] = Pair(slopeCi);
    rec["intercept_ci95"] = Pair(interceptCi);

    DetailLines line(ctx, report);
    line("データ数 n = " + D(n));
    line("相関係数 r = " + N(r) + ",  決定係数 r^2 = " + N(r * r));
    line("無相関の検定： t = " + N(t) + ",  自由度 = " + Df(df) + ",  p（両側）= " + P(p));
    line("r の95％信頼区間（Fisherのz変換）= " +
         (n < 4 ? std::string("（n < 4 では求めない）") : I(rCi)));
    line("傾き = " + N(slope) + ",  標準誤差 = " + N(slopeSe) + ",  95％信頼区間 = " + I(slopeCi));
    line("切片 = " + N(intercept) + ",  標準誤差 = " + N(interceptSe) +
         ",  95％信頼区間 = " + I(interceptCi));
}

void AddUnpairedResults(AnalysisContext& ctx, ReportFile& report, const double* group1, int n1,
                        const double* group2, int n2, const UnpairedClassic& classic) {
    const double c1 = n1;
    const double c2 = n2;
    const Moments m1 = CenteredMoments(group1, n1);
    const Moments m2 = CenteredMoments(group2, n2);
    const double v1 = Variance(m1, n1);
    const double v2 = Variance(m2, n2);
    const double difference = m1.mean - m2.mean;

    // The larger variance on top, group 1 when they are equal, as the classic test has it.
    const bool firstOnTop = !(v1 < v2);
    const double f = firstOnTop ? v1 / v2 : v2 / v1;
    const double fDf1 = (firstOnTop ? c1 : c2) - 1.0;
    const double fDf2 = (firstOnTop ? c2 : c1) - 1.0;
    const double fUpper = FUpperP(fDf1, fDf2, f);
    const double fP = std::isnan(fUpper) ? kNaN : std::fmin(1.0, 2.0 * fUpper);

    const double studentDf = c1 + c2 - 2.0;
    const double pooled = std::sqrt(((c1 - 1.0) * v1 + (c2 - 1.0) * v2) / studentDf);
    const TResult student = TestOf(difference, pooled * std::sqrt(1.0 / c1 + 1.0 / c2), studentDf);
    const double w1 = v1 / c1;
    const double w2 = v2 / c2;
    const double welchDf = (w1 + w2) * (w1 + w2) / (w1 * w1 / (c1 - 1.0) + w2 * w2 / (c2 - 1.0));
    const TResult welch = TestOf(difference, std::sqrt(w1 + w2), welchDf);
    const double cohenD = difference / pooled;

    nlohmann::ordered_json& rec = ctx.Record();
    rec["n1"] = n1;
    rec["n2"] = n2;
    rec["mean1"] = m1.mean;
    rec["mean2"] = m2.mean;
    rec["sd1"] = std::sqrt(v1);
    rec["sd2"] = std::sqrt(v2);
    rec["variance_ratio"] = {{"f", f}, {"df1", fDf1}, {"df2", fDf2}, {"p", fP}};
    rec["chosen"] = classic.welch ? "welch" : "student";
    rec["student"] = TRecord(student);
    rec["welch"] = TRecord(welch);
    rec["cohen_d"] = cohenD;
    rec["classic_df"] = classic.df;
    rec["classic_significant"] = classic.significant;
    const std::vector<std::vector<double>> samples = {std::vector<double>(group1, group1 + n1),
                                                      std::vector<double>(group2, group2 + n2)};
    rec["normality"] = NormalityRecord(samples, 1);

    DetailLines line(ctx, report);
    line("第１群： n = " + D(n1) + ",  平均 = " + N(m1.mean) + ",  SD = " + N(std::sqrt(v1)));
    line("第２群： n = " + D(n2) + ",  平均 = " + N(m2.mean) + ",  SD = " + N(std::sqrt(v2)));
    line("分散比 F = " + N(f) + ",  自由度 = (" + Df(fDf1) + ", " + Df(fDf2) +
         "),  p（両側）= " + P(fP));
    line("Student検定： " + TLine(student));
    line("Welch検定： " + TLine(welch));
    line(std::string("判定に使った検定： ") + (classic.welch ? "Welch検定" : "Student検定") +
         "（t と平均の差は 第１群－第２群）");
    line("効果量 Cohen's d = " + N(cohenD));
    line(NormalityLine("第１群", samples[0]));
    line(NormalityLine("第２群", samples[1]));
}

void AddPairedResults(AnalysisContext& ctx, ReportFile& report, const double* first,
                      const double* second, int n, bool classicSignificant) {
    double differences[kMaxPoints];
    for (int i = 0; i < n && i < kMaxPoints; ++i) differences[i] = first[i] - second[i];
    const double count = n;
    const Moments d = CenteredMoments(differences, n);
    const double sd = std::sqrt(Variance(d, n));
    const double df = count - 1.0;
    const TResult test = TestOf(d.mean, sd / std::sqrt(count), df);
    const double dz = d.mean / sd;
    const double pairing = Pearson(first, second, n);

    nlohmann::ordered_json& rec = ctx.Record();
    rec["n"] = n;
    rec["mean_difference"] = d.mean;
    rec["sd_difference"] = sd;
    rec["t"] = test.t;
    rec["df"] = df;
    rec["p"] = test.p;
    rec["ci95"] = Pair(test.ci95);
    rec["cohen_dz"] = dz;
    rec["pairing_r"] = pairing;
    rec["classic_significant"] = classicSignificant;
    const std::vector<std::vector<double>> samples = {
        std::vector<double>(differences, differences + n)};
    rec["normality"] = NormalityRecord(samples, 0);

    DetailLines line(ctx, report);
    line("対の数 n = " + D(n) + ",  差の平均 = " + N(d.mean) + ",  差のSD = " + N(sd));
    line("t = " + N(test.t) + ",  自由度 = " + Df(df) + ",  p（両側）= " + P(test.p));
    line("差の平均の95％信頼区間 = " + I(test.ci95) + "（差は １列目－２列目）");
    line("効果量 dz = " + N(dz) + ",  ２列の相関係数 r = " + N(pairing));
    line(NormalityLine("差", samples[0]));
}

void AddRejectionResults(AnalysisContext& ctx, ReportFile& report, const double* values, int n,
                         const RejectionClassic& classic) {
    const double count = n;
    const Moments m = CenteredMoments(values, n);
    const double sd = std::sqrt(Variance(m, n));
    // Without spread there is no outlier to weigh: g is 0/0 then, never a huge number made by
    // rounding.
    const double g = sd > 0.0 ? std::fabs(classic.x - m.mean) / sd : kNaN;
    // The largest g a sample of n can reach; there the bound is 0.
    const double gMax = (count - 1.0) / std::sqrt(count);
    double p = kNaN;
    if (g >= gMax) {
        p = 0.0;
    } else if (!std::isnan(g)) {
        const double t = std::sqrt(count * (count - 2.0) * g * g /
                                   ((count - 1.0) * (count - 1.0) - count * g * g));
        p = std::fmin(1.0, 2.0 * count * TUpperP(count - 2.0, t));
    }

    nlohmann::ordered_json& rec = ctx.Record();
    rec["n"] = n;
    rec["mean"] = m.mean;
    rec["sd"] = sd;
    rec["x"] = classic.x;
    rec["t_classic"] = classic.t;
    rec["g"] = g;
    rec["critical_1"] = classic.critical1;
    rec["critical_5"] = classic.critical5;
    rec["p"] = p;
    rec["classic_significant"] = classic.significant;

    DetailLines line(ctx, report);
    line("データ数 n = " + D(n) + ",  平均 = " + N(m.mean) + ",  SD（N－1） = " + N(sd));
    line("検定する値 x = " + N(classic.x) + ",  G = |x－平均|/SD = " + N(g));
    line("Grubbs検定の p（両側、上限）= " + P(p));
}

}  // namespace lumo
