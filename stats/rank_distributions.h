// The exact null distributions of the two Wilcoxon statistics, for samples without ties.
#pragma once

namespace lumo {

// Two-sided exact p of the rank-sum statistic U (rank sum of the first sample minus
// m(m+1)/2) for samples of m and n values: twice the smaller tail, at most 1.
double RankSumExactP(double u, int m, int n);

// Two-sided exact p of the signed-rank statistic V (sum of the ranks of the positive
// differences) over n non-zero differences.
double SignedRankExactP(double v, int n);

}  // namespace lumo
