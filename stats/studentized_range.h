// The studentized range distribution: the range of k independent standard normal values over
// an independent estimate of their SD on df degrees of freedom, as Tukey's HSD uses it.
#pragma once

namespace lumo {

// P(Q > q) for k means and df degrees of freedom (df may be infinite). Not a number for
// k < 2, df <= 0 or a q that is not a number.
double StudentizedRangeUpperP(double q, int k, double df);

// The q with P(Q > q) = alpha, 0 < alpha < 1.
double StudentizedRangeUpperQuantile(double alpha, int k, double df);

}  // namespace lumo
