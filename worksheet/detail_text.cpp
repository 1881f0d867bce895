#include "worksheet/detail_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace lumo {

const char kDetailHeading[] = "\n【詳細】\n";

namespace {

std::string NonFinite(double value) {
    if (std::isnan(value)) return "nan";
    return value < 0 ? "-inf" : "inf";
}

// The decimal exponent of `value` once rounded to `digits` significant figures, so that
// 0.00099996 at 4 figures counts as 1.000e-03.
int RoundedExponent(double value, int digits) {
    char buffer[64];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, value,
                                   std::chars_format::scientific, digits - 1);
    std::string_view text(buffer, static_cast<std::size_t>(res.ptr - buffer));
    const std::size_t e = text.find('e');
    return std::atoi(std::string(text.substr(e + 1)).c_str());
}

std::string Fixed(double value, int decimals) {
    char buffer[400];
    const auto res =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, res.ptr);
}

std::string Scientific(double value, int digits) {
    char buffer[64];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, value,
                                   std::chars_format::scientific, digits - 1);
    return std::string(buffer, res.ptr);
}

// `digits` significant figures, fixed form for exponents in [minExponent, maxExponent].
std::string Significant(double value, int digits, int minExponent, int maxExponent) {
    if (!std::isfinite(value)) return NonFinite(value);
    if (value == 0.0) return Fixed(0.0, digits - 1);
    const int exponent = RoundedExponent(value, digits);
    if (exponent < minExponent || exponent > maxExponent) return Scientific(value, digits);
    return Fixed(value, digits - 1 - exponent > 0 ? digits - 1 - exponent : 0);
}

}  // namespace

std::string DetailP(double p) {
    // Exactly zero only for an infinite statistic; "0.000e+00" would look like a rounding.
    if (p == 0.0) return "0";
    return Significant(p, 4, -3, 0);
}

std::string DetailNumber(double value) {
    return Significant(value, 6, -4, 5);
}

std::string DetailInterval(double lo, double hi) {
    return "[" + DetailNumber(lo) + ", " + DetailNumber(hi) + "]";
}

nlohmann::ordered_json RecordPair(double lo, double hi) {
    return nlohmann::ordered_json::array({lo, hi});
}

}  // namespace lumo
