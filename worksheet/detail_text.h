// The number forms of the detail block that follows a classic report when the user asks for
// exact results, and the record's form of an interval.
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace lumo {

// The empty line and the heading that open the detail block; the classic report before it
// ends with a line break.
extern const char kDetailHeading[];  // UTF-8

// A probability with 4 significant figures: fixed form from 0.001 up ("0.04219", "1.000"),
// exponent form below ("6.773e-09"), so that a small p is never clipped to a bound.
std::string DetailP(double p);

// Any other value with 6 significant figures, trailing zeros kept ("2.00000", "-0.0123457"),
// in exponent form below 1e-4 and from 1e6 in magnitude. Non-finite values print as "nan",
// "inf" and "-inf", as in the classic reports.
std::string DetailNumber(double value);

// "[lo, hi]" with both ends as DetailNumber.
std::string DetailInterval(double lo, double hi);

// [lo, hi] for the run record; a non-finite end is written as null.
nlohmann::ordered_json RecordPair(double lo, double hi);

}  // namespace lumo
