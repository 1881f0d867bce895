// Number conversion both ways, independent of the locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>

#include "worksheet/number_text.h"

namespace lumo {
namespace {

TEST(AtoF, ConvertsTheLongestDecimalPrefix) {
    EXPECT_EQ(AtoF("  -12.5e1xyz"), -125.0);
    EXPECT_EQ(AtoF("12abc"), 12.0);
    EXPECT_EQ(AtoF("abc"), 0.0);
    EXPECT_EQ(AtoF(".5"), 0.5);
    EXPECT_EQ(AtoF("5."), 5.0);
    EXPECT_EQ(AtoF("."), 0.0);
    EXPECT_EQ(AtoF("-"), 0.0);
    EXPECT_EQ(AtoF("1e"), 1.0);
    EXPECT_EQ(AtoF("1e+"), 1.0);
    EXPECT_EQ(AtoF("\t+7"), 7.0);
    EXPECT_EQ(AtoF("0.1"), 0.1);  // correctly rounded, like strtod
    EXPECT_EQ(AtoF("inf"), 0.0);
    EXPECT_EQ(AtoF("nan"), 0.0);
    EXPECT_EQ(AtoF("0x1p3"), 0.0);
}

TEST(AtoF, OverflowAndUnderflowAsTheCLibraryGivesThem) {
    EXPECT_EQ(AtoF("1e400"), HUGE_VAL);
    EXPECT_EQ(AtoF("-1e400"), -HUGE_VAL);
    EXPECT_EQ(AtoF("1e-400"), 0.0);
    EXPECT_EQ(AtoF("0.000001e-320"), 0.0);
    EXPECT_EQ(AtoF("1e99999999999999999999"), HUGE_VAL);
    EXPECT_EQ(AtoF("1e-99999999999999999999"), 0.0);
    EXPECT_EQ(AtoF("0e999999"), 0.0);
    // Exponents at the very end of the integer range still saturate.
    EXPECT_EQ(AtoF("1e9223372036854775807"), HUGE_VAL);
    EXPECT_EQ(AtoF("-1e9223372036854775807"), -HUGE_VAL);
    EXPECT_EQ(AtoF("0.001e9223372036854775807"), HUGE_VAL);
    EXPECT_EQ(AtoF("0.001e-9223372036854775807"), 0.0);
    EXPECT_EQ(AtoF("123e-9223372036854775808"), 0.0);
}

TEST(AtoF, IgnoresTheLocale) {
    const char* old = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(AtoF("1.5"), 1.5);
    EXPECT_EQ(Format("%f", 1.5), "1.500000");
    if (old != nullptr) std::setlocale(LC_NUMERIC, "C");
}

TEST(Format, AgreesWithTheCLibraryOnFiniteValues) {
    const double values[] = {0.0,    1.0 / 3, -2.5,      0.0000005, 0.0000015, 123456.654321,
                             1e-300, 1e300,   2.0000005, -1e15,     0.125,     4.9999995};
    for (const double v : values) {
        char expected[512];
        std::snprintf(expected, sizeof expected, "%f", v);
        EXPECT_EQ(Format("%f", v), expected) << v;
    }
}

TEST(Format, PrintsLikePrintfWithPortableNonFiniteValues) {
    EXPECT_EQ(Format("%f", 2.0), "2.000000");
    EXPECT_EQ(Format("%f", -0.0000004), "-0.000000");
    EXPECT_EQ(Format("%f", 1e20), "100000000000000000000.000000");
    EXPECT_EQ(Format("%f", std::numeric_limits<double>::quiet_NaN()), "nan");
    EXPECT_EQ(Format("%f", -std::numeric_limits<double>::quiet_NaN()), "nan");
    EXPECT_EQ(Format("%f", HUGE_VAL), "inf");
    EXPECT_EQ(Format("%f", -HUGE_VAL), "-inf");
    EXPECT_EQ(Format("No.=%d; %c:%s 100%%", 12, 'A', "x"), "No.=12; A:x 100%");
    EXPECT_EQ(Format("(%f, %f), ", 1.0, 2.886), "(1.000000, 2.886000), ");
}

TEST(SigText, KeepsFourSignificantDigitsAtEverySize) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {2.5, "2.500"},
        {-0.00123456, "-0.001235"},
        {12345.6, "12346"},
        {9.99996, "10.000"},
        {0.0001, "0.0001000"},
        {8.1e-08, "8.100e-08"},
        {12345678.0, "1.235e+07"},
        {0.0, "0"},
        {-HUGE_VAL, "-inf"},
    };
    for (const auto& c : cases) EXPECT_EQ(SigText(c.value), c.text) << c.value;
    EXPECT_EQ(SigText(std::nan("")), "nan");
    EXPECT_EQ(PValueText(8.1e-08), "p < 0.0001");
    EXPECT_EQ(PValueText(0.0001), "p= 0.0001000");
    EXPECT_EQ(PValueText(0.04321), "p= 0.04321");
}

}  // namespace
}  // namespace lumo
