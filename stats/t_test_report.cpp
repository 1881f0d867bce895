#include "stats/t_test_report.h"

#include <cmath>

#include "stats/probability.h"
#include "stats/statistical_tables.h"

namespace lumo {

const char kLongRule[] = "-----------------------------------------------\n";

void WriteTTableBlock(ReportFile& report, int df) {
    report.Write("\n*******************************************\n");
    report.Write("\t\tα点におけるｔ分布 \n");
    report.Write("------------------------------\n");
    for (int j = 0; j < kTTableLevels; ++j) {
        report.Printf("\t%s\t\t%f\n", kAlphaLabels[j], kTTable[df - 1][j]);
    }
    report.Write("------------------------------\n");
}

bool IsSignificantByTable(int df, double absT) {
    return absT > kTTable[df - 1][kTTableDecisionColumn];
}

double TwoSidedProbability(int df, double absT) {
    return 2.0 * ProbTUpper(df, absT);
}

bool IsSignificantProbability(double p) {
    return p <= 0.05;
}

void WriteConclusion(ReportFile& report, bool significant) {
    report.Write(significant ? "有意水準0.05で、差があるといえる。\n"
                             : "有意水準0.05で、差があるとはいえない。\n");
}

}  // namespace lumo
