// The number forms of the detail block.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "worksheet/detail_text.h"

namespace lumo {
namespace {

TEST(DetailText, PValuesHaveFourFiguresAndExponentsBelowAThousandth) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double p;
        const char* text;
    } cases[] = {
        {6.7731e-09, "6.773e-09"},
        {0.00035842, "3.584e-04"},
        {0.00099996, "0.001000"},
        {0.001, "0.001000"},
        {0.0421876, "0.04219"},
        {0.5, "0.5000"},
        {1.0, "1.000"},
        {0.0, "0"},
        {nan, "nan"},
    };
    for (const auto& c : cases) EXPECT_EQ(DetailP(c.p), c.text) << c.p;
}

TEST(DetailText, OtherValuesHaveSixFigures) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {2.0, "2.00000"},          {-0.0123456789, "-0.0123457"},
        {37.285126167, "37.2851"}, {999999.7, "1.00000e+06"},
        {123456.4, "123456"},      {0.00001234567, "1.23457e-05"},
        {0.0, "0.00000"},          {-inf, "-inf"},
    };
    for (const auto& c : cases) EXPECT_EQ(DetailNumber(c.value), c.text) << c.value;
    EXPECT_EQ(DetailInterval(-1.5, 2.25), "[-1.50000, 2.25000]");
    EXPECT_EQ(RecordPair(1.0, std::nan("")).dump(), "[1.0,null]");
}

}  // namespace
}  // namespace lumo
