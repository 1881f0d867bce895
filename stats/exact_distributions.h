// Tail probabilities and quantiles of Student's t and the F distribution for any positive
// degrees of freedom, fractional ones included, accurate to the last few bits. The classic
// reports keep deciding with ProbTUpper/ProbFUpper and the tables; these serve the detail
// block and the run record.
#pragma once

namespace lumo {

struct Interval {
    double lo = 0.0;
    double hi = 0.0;
};

// 2 P(T > |t|) for Student's t with df degrees of freedom. Not a number when df is not
// positive or either argument is not a number; an infinite df is the normal distribution.
double TTwoSidedP(double df, double t);

// P(T > t) with df degrees of freedom.
double TUpperP(double df, double t);

// The t with P(T > t) = alpha, for 0 < alpha < 1.
double TUpperQuantile(double df, double alpha);

// P(F > f) for the F distribution with df1 numerator and df2 denominator degrees of freedom.
double FUpperP(double df1, double df2, double f);

// estimate ± t(0.975, df) · se, the two-sided 95% interval.
Interval TInterval95(double estimate, double se, double df);

// The 95% interval of a correlation coefficient r of n pairs by Fisher's z with standard error
// 1/sqrt(n - 3). Not a number for n < 4.
Interval FisherZInterval95(double r, int n);

}  // namespace lumo
