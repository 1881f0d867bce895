// The Shapiro-Wilk test of normality for samples of 3 to 5000 values.
#pragma once

#include <span>

namespace lumo {

struct ShapiroWilk {
    double w;  // not a number outside 3..5000 values or without spread
    double p;
};

ShapiroWilk ShapiroWilkTest(std::span<const double> values);

}  // namespace lumo
