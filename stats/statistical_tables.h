// The critical-value tables of the statistical tests. The values are printed in reports as
// they stand, so they are kept exactly as the printed tables have them, to five figures.
#pragma once

namespace lumo {

// Degrees of freedom covered by kTTable: row df - 1 for df = 1 .. kTTableMaxDf.
constexpr int kTTableMaxDf = 30;
constexpr int kTTableLevels = 8;
// The column of the two-sided 5% level, on which the t-tests decide.
constexpr int kTTableDecisionColumn = 3;

// Two-sided critical values of Student's t: kTTable[df - 1][j] is the t with P(|T| > t) equal
// to the level of column j, 0.50, 0.25, 0.10, 0.05, 0.025, 0.01, 0.005, 0.0025.
extern const double kTTable[kTTableMaxDf][kTTableLevels];

// The printed label of each column of kTTable; the blanks and asterisks are part of the text.
extern const char* const kAlphaLabels[kTTableLevels];

// Sample sizes covered by kRejectionTable: row N - kRejectionMinN.
constexpr int kRejectionMinN = 3;
constexpr int kRejectionMaxN = 18;

// Critical values of T = |x - mean| / s (s with divisor N) for one outlier in a sample of N:
// kRejectionTable[N - 3][0] at the 1% level, [1] at the 5% level.
extern const double kRejectionTable[kRejectionMaxN - kRejectionMinN + 1][2];

}  // namespace lumo
