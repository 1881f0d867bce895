// Mid-ranks of a sample and the tie sums the rank tests correct their variances with.
#pragma once

#include <span>
#include <vector>

namespace lumo {

struct Ranking {
    std::vector<double> rank;  // 1-based mid-ranks, in the order of the values
    double tieSum = 0.0;       // sum of t^3 - t over the groups of t equal values
    bool ties = false;
};

// Equal values (compared as parsed doubles) share the mean of the ranks they occupy.
Ranking MidRanks(std::span<const double> values);

// The median; not a number for an empty sample.
double Median(std::span<const double> values);

}  // namespace lumo
