// Tail probabilities of the F and Student's t distributions for whole-number degrees of freedom,
// by their exact finite series (no iteration to convergence, no tables).
#pragma once

namespace lumo {

// P(F > f) for the F distribution with df1 numerator and df2 denominator degrees of freedom,
// that is the regularized incomplete beta function I_x(df2/2, df1/2) at x = df2/(df2 + df1 f).
// Any f that is not greater than 0 (a not-a-number included) gives 1. Degrees of freedom
// below 1 give a not-a-number.
double ProbFUpper(int df1, int df2, double f);

// P(T <= t) for Student's t with df degrees of freedom (its distribution function). Degrees of
// freedom below 1 give a not-a-number.
double ProbTLower(int df, double t);

// P(T > t) = 1 - ProbTLower(df, t), the upper one-sided probability.
double ProbTUpper(int df, double t);

}  // namespace lumo
