#include "worksheet/number_text.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace lumo {

double AtoF(const char* text) {
    return AtoF(std::string_view(text, std::strlen(text)));
}

double AtoF(std::string_view text) {
    return AtoF(text, nullptr);
}

double AtoF(std::string_view text, size_t* used) {
    if (used != nullptr) *used = 0;
    size_t i = 0;
    auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    while (i < text.size() && isSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const size_t start = i;
    size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return 0.0;
    size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j])) ++j;
            end = j;
        }
    }
    if (used != nullptr) *used = end;
    double value = 0.0;
    // from_chars rounds correctly like strtod and gives ±inf or 0 with result_out_of_range,
    // in which case `value` is left alone; strtod gives ±HUGE_VAL or the tiny result.
    const auto ec = std::from_chars(text.data() + start, text.data() + end, value).ec;
    if (ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: strtod's answer is ±HUGE_VAL or 0. Which one
        // follows from the position of the first significant digit.
        long intDigits = 0, leadingFractionZeros = 0;
        bool seenPoint = false, seenDigit = false;
        size_t k = start;
        for (; k < end && text[k] != 'e' && text[k] != 'E'; ++k) {
            if (text[k] == '.') {
                seenPoint = true;
            } else if (!seenDigit && text[k] == '0') {
                if (seenPoint) ++leadingFractionZeros;
            } else {
                seenDigit = true;
                if (!seenPoint) ++intDigits;
            }
        }
        const long magnitude = intDigits > 0 ? intDigits : -leadingFractionZeros;
        long exponent = 0;
        if (k < end) {
            const bool negativeExponent = text[k + 1] == '-';
            const size_t digitsAt = k + (text[k + 1] == '+' || negativeExponent ? 2 : 1);
            // Saturated: any exponent past this is beyond every double either way, and the
            // sum with the digit position below must not overflow.
            constexpr long kBeyondAnyDouble = 1000000;
            if (std::from_chars(text.data() + digitsAt, text.data() + end, exponent).ec !=
                    std::errc() ||
                exponent > kBeyondAnyDouble) {
                exponent = kBeyondAnyDouble;
            }
            if (negativeExponent) exponent = -exponent;
        }
        const bool overflow = seenDigit && (magnitude + exponent > 0);
        value = overflow ? HUGE_VAL : 0.0;
    }
    return negative ? -value : value;
}

std::string SigText(double v) {
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v < 0 ? "-inf" : "inf";
    if (v == 0.0) return "0";
    char buffer[64];
    const double magnitude = std::fabs(v);
    std::to_chars_result res;
    if (magnitude >= 1e-4 && magnitude < 1e6) {
        // Decimals so that the fourth significant digit shows; rounding may carry into a new
        // leading digit (9.9996 -> "10.000"), which only adds one.
        const int leading = static_cast<int>(std::floor(std::log10(magnitude)));
        const int decimals = leading >= 3 ? 0 : 3 - leading;
        res = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, decimals);
    } else {
        res = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::scientific, 3);
    }
    return std::string(buffer, res.ptr);
}

std::string PValueText(double p) {
    if (p < 1e-4) return "p < 0.0001";
    return "p= " + SigText(p);
}

std::string FormatArgs(std::string_view format, const FormatArg* args, std::size_t count) {
    std::string out;
    out.reserve(format.size() + 16 * count);
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%' || i + 1 == format.size()) {
            out += c;
            continue;
        }
        const char conv = format[++i];
        if (conv == '%') {
            out += '%';
            continue;
        }
        if (next >= count) continue;  // a missing argument prints nothing
        const FormatArg& arg = args[next++];
        double d = arg.kind_ == FormatArg::Kind::kDouble ? arg.d_ : static_cast<double>(arg.i_);
        switch (conv) {
            case 'f': {
                if (std::isnan(d)) {
                    out += "nan";
                } else if (std::isinf(d)) {
                    out += d < 0 ? "-inf" : "inf";
                } else {
                    char buffer[400];
                    const auto res = std::to_chars(buffer, buffer + sizeof buffer, d,
                                                   std::chars_format::fixed, 6);
                    out.append(buffer, res.ptr);
                }
                break;
            }
            case 'd': {
                char buffer[32];
                const auto res = std::to_chars(buffer, buffer + sizeof buffer, arg.i_);
                out.append(buffer, res.ptr);
                break;
            }
            case 'c':
                out += static_cast<char>(arg.i_);
                break;
            case 's':
                out.append(arg.s_);
                break;
            default:
                out += '%';
                out += conv;
                break;
        }
    }
    return out;
}

}  // namespace lumo
