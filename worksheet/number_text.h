// Number conversion in both directions, independent of the process's locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lumo {

// `atof` as the worksheet has always read numbers: leading white space is skipped, then the
// longest prefix of the form [sign] digits [. digits] [e|E [sign] digits] is converted; without
// one the result is 0. Unlike the C library's strtod it reads no "inf", "nan" or hexadecimal
// forms, and a decimal comma of the user's locale is never taken for a point.
double AtoF(const char* text);
double AtoF(std::string_view text);
// The same, telling in `used` how many bytes of `text` the number took (0 when there was none).
double AtoF(std::string_view text, size_t* used);

// One argument of Format: a double, an integer, a character or a text.
class FormatArg {
  public:
    FormatArg(double v) : kind_(Kind::kDouble), d_(v) {}
    FormatArg(int v) : kind_(Kind::kInt), i_(v) {}
    FormatArg(long v) : kind_(Kind::kInt), i_(v) {}
    FormatArg(char v) : kind_(Kind::kInt), i_(v) {}
    FormatArg(const char* v) : kind_(Kind::kText), s_(v) {}
    FormatArg(std::string_view v) : kind_(Kind::kText), s_(v) {}
    FormatArg(const std::string& v) : kind_(Kind::kText), s_(v) {}

  private:
    friend std::string FormatArgs(std::string_view, const FormatArg*, std::size_t);
    enum class Kind { kDouble, kInt, kText } kind_;
    double d_ = 0.0;
    std::int64_t i_ = 0;
    std::string_view s_;
};

// printf-style formatting of the conversions the reports use: %f (six decimals), %d, %c, %s
// and %%. It formats the same on every platform and in every locale: a not-a-number prints as
// "nan" whatever its sign bit, infinities as "inf" and "-inf".
std::string FormatArgs(std::string_view format, const FormatArg* args, std::size_t count);

// A number for the newer reports, with at least four significant digits whatever its size:
// fixed notation from 0.0001 up to a million ("2.500", "0.001235", "12346"), else scientific
// ("8.100e-08", "1.235e+07"); "0" for zero and "nan", "inf", "-inf" as %f prints them.
std::string SigText(double v);
// A p-value as the newer reports print it: "p < 0.0001" below 0.0001, else "p= " and the
// value by SigText.
std::string PValueText(double p);

template <typename... Args>
std::string Format(std::string_view format, const Args&... args) {
    const FormatArg list[] = {FormatArg(args)..., FormatArg(0)};
    return FormatArgs(format, list, sizeof...(Args));
}

}  // namespace lumo
