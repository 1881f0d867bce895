// What the reports of the statistical tests share: the block of t critical values and the
// decision of the two t-tests, and the conclusion line of all three tests.
#pragma once

#include "worksheet/report.h"

namespace lumo {

// The block that lists the critical values of kTTable for df (1 .. kTTableMaxDf), each with
// its level: the asterisk line, the title and the eight levels between two 30-hyphen lines.
void WriteTTableBlock(ReportFile& report, int df);

// Whether |t| shows a difference at the two-sided 5% level. Up to kTTableMaxDf degrees of
// freedom the table decides (equality is no difference); above it the two-sided probability
// 2 P(T > |t|) is compared with 0.05. A statistic that is not a number never shows one.
bool IsSignificantByTable(int df, double absT);
double TwoSidedProbability(int df, double absT);
bool IsSignificantProbability(double p);

// The conclusion line at the 5% level.
void WriteConclusion(ReportFile& report, bool significant);

// A line of 47 hyphens, the rule around the statistic line of both t-tests.
extern const char kLongRule[];

}  // namespace lumo
