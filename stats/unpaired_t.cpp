#include "stats/unpaired_t.h"

#include <cmath>
#include <vector>

#include "stats/exact_results.h"
#include "stats/probability.h"
#include "stats/sample_stats.h"
#include "stats/statistical_tables.h"
#include "stats/t_test_report.h"
#include "worksheet/line_reader.h"

namespace lumo {

int g_nWelch = 0;

namespace {

constexpr char kReportName[] = "TkenteiRes.txt";

constexpr char kSeparatorPrompt[] =
    "各データを縦一列に入力し、２群の間を////で区切って下さい。\r\n";
constexpr char kOneSeparatorPrompt[] =
    "２群の間の区切り（////）は１行だけにして下さい。３群以上は比較できません。\r\n";
constexpr char kGroupSizePrompt[] =
    "各群に２つ以上のデータを入力して下さい。１つだけの群は比較できません。\r\n";

// Welch-Satterthwaite degrees of freedom, truncated toward zero. Where the exact value is a
// whole number (one group without spread gives N - 1 of the other), rounding can leave it a
// hair below and the truncation would lose a whole degree, so a value that close counts as
// the whole number. The exact value always lies between the smaller of N1 - 1 and N2 - 1 and
// N1 + N2 - 2; infinite variances must not take it outside (there is no table row for 0, and
// a not-a-number has no integer).
int WelchDegreesOfFreedom(double nu, int N1, int N2) {
    const int lower = (N1 < N2 ? N1 : N2) - 1;
    const int upper = N1 + N2 - 2;
    if (!(nu >= lower)) return lower;
    if (nu >= upper) return upper;
    const double nearest = std::round(nu);
    if (std::fabs(nu - nearest) <= 1e-9 * nearest) return static_cast<int>(nearest);
    return static_cast<int>(nu);
}

// The table block or the probability, then the conclusion. Student's test prints the
// probability it decides on; Welch's test does not print it. Returns the conclusion.
bool WriteDecision(ReportFile& report, int df, double absT, bool printProbability) {
    if (df <= kTTableMaxDf) {
        report.Write(kLongRule);
        WriteTTableBlock(report, df);
        const bool significant = IsSignificantByTable(df, absT);
        WriteConclusion(report, significant);
        return significant;
    }
    const double p = TwoSidedProbability(df, absT);
    if (printProbability) report.Printf("確率＝%f\n", p);
    const bool significant = IsSignificantProbability(p);
    WriteConclusion(report, significant);
    return significant;
}

}  // namespace

void TestVarianceRatio(int N1, double SD1, int N2, double SD2) {
    g_nWelch = 0;
    // The larger sample variance goes on top, with its own degrees of freedom first.
    const double v1 = SD1 * SD1;
    const double v2 = SD2 * SD2;
    double p;
    if (v1 >= v2) {
        p = ProbFUpper(N1 - 1, N2 - 1, v1 / v2);
    } else {
        p = ProbFUpper(N2 - 1, N1 - 1, v2 / v1);
    }
    // Two-sided at 5%: the upper 2.5% of the ratio. A probability that is not a number counts
    // as a difference.
    if (!(p > 0.025)) g_nWelch = 1;
}

bool OnUnpairedTTest(AnalysisContext& ctx) {
    CLumoDoc& doc = ctx.Doc();
    doc.m_nScatchard = 0;
    doc.m_nLineweaver = 0;

    ReportFile report;
    if (!ctx.OpenReport(report, kReportName, "w")) return false;

    const GroupValues groups = ReadGroupValues(ctx.Sheet());
    if (!ctx.AcceptReading(groups)) return false;
    if (groups.separators == 0) {
        ctx.AppendPrompt(kSeparatorPrompt);
        return false;
    }
    // A third group would be merged into the second without a word.
    if (groups.separators > 1) {
        ctx.AppendPrompt(kOneSeparatorPrompt);
        return false;
    }
    const std::vector<double>& group1 = groups.groups[0].values;
    const std::vector<double>& group2 = groups.groups[1].values;
    const int N1 = static_cast<int>(group1.size());
    const int N2 = static_cast<int>(group2.size());
    if (N1 < 2 || N2 < 2) {
        ctx.AppendPrompt(kGroupSizePrompt);
        return false;
    }

    const SampleStats g1 = ComputeSampleStats(group1.data(), N1);
    const SampleStats g2 = ComputeSampleStats(group2.data(), N2);
    report.Printf("\n\nMean1= %f; SD1= %f; No.=%d\n", g1.mean, g1.sd, N1);
    report.Printf("Mean2= %f; SD2= %f; No.=%d\n", g2.mean, g2.sd, N2);

    g_nWelch = 0;
    TestVarianceRatio(N1, g1.sd, N2, g2.sd);
    ctx.Messages().MessageBox(g_nWelch == 1 ? "Go Welch's test" : "Go to Student's test");

    const double n1 = N1;
    const double n2 = N2;
    UnpairedClassic classic;
    classic.welch = g_nWelch == 1;
    if (g_nWelch == 0) {
        const int df = N1 + N2 - 2;
        const double pooled = (n1 - 1.0) * g1.sd * g1.sd + (n2 - 1.0) * g2.sd * g2.sd;
        const double ts = (g1.mean - g2.mean) * std::sqrt(n1 * n2 * df / ((n1 + n2) * pooled));
        report.Write("\n\n 母分散に有意差がないので、Student検定をします。\n");
        report.Write(kLongRule);
        report.Printf(" 計算値：Ts= %f;   \t\t自由度(N-2)= %d\n", std::fabs(ts), df);
        classic.df = df;
        classic.significant = WriteDecision(report, df, std::fabs(ts), true);
    } else {
        // Variances with divisor N, then the unbiased ones.
        const double v1 = NotBelowZero(g1.sumSquares - g1.sum * g1.sum / n1) / n1;
        const double v2 = NotBelowZero(g2.sumSquares - g2.sum * g2.sum / n2) / n2;
        const double u1 = v1 * n1 / (n1 - 1.0);
        const double u2 = v2 * n2 / (n2 - 1.0);
        const double w = u1 / n1 + u2 / n2;
        const double tw = (g1.mean - g2.mean) / std::sqrt(w);
        const double nu =
            w * w / (u1 * u1 / (n1 * n1 * (n1 - 1.0)) + u2 * u2 / (n2 * n2 * (n2 - 1.0)));
        const int df = WelchDegreesOfFreedom(nu, N1, N2);
        report.Write("\n\n 母分散に有意差がありますので、Welch検定をします。\n");
        report.Write(kLongRule);
        report.Printf(" 計算値：Tw= %f;   \t\t自由度= %d\n", std::fabs(tw), df);
        classic.df = df;
        classic.significant = WriteDecision(report, df, std::fabs(tw), false);
    }
    AddUnpairedResults(ctx, report, group1.data(), N1, group2.data(), N2, classic);
    const std::vector<double> plotted[] = {group1, group2};
    const std::string names[] = {groups.groups[0].title, groups.groups[1].title};
    doc.m_plot = GroupPlot(plotted, names, "値", GroupCentre::kMean);
    doc.UpdateAllViews(ctx.Sender());
    return ctx.FinishReport(report, kReportName);
}

}  // namespace lumo
