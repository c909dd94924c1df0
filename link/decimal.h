// Decimal conversions of the texts the logger sends and the record keeps:
// numbers by their leading part, and one-decimal formatting. None of them
// depends on the process locale (the Qt application sets it from the
// environment, and a comma as decimal separator would break the protocol),
// and none of them has undefined behaviour on any input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace brisko {

// Optional white space, an optional sign, then decimal digits up to the first
// other character; no digits give 0. Values beyond the int32 range saturate.
std::int32_t LeadingInt(std::string_view text);

// Optional white space, an optional sign, digits with an optional point and
// fraction (at least one digit), an optional exponent; no number gives 0.
// Only decimal notation counts: "inf", "nan" and hexadecimal give 0 here.
// Overflow gives an infinity of the number's sign, underflow a zero.
double LeadingReal(std::string_view text);

// A real number at the front of text, as the "%lf" conversion of a scan reads
// it: white space skipped, then a decimal number as for LeadingReal. Returns
// the number of characters consumed (white space included), or 0 when no
// number is there. A dangling exponent marker ("1e", "1e+") is consumed with
// the number but does not count, as the C library's scan does.
std::size_t ScanReal(std::string_view text, double& value);

// An integer at the front of text, as the "%d" conversion of a scan reads it:
// white space skipped, an optional sign, at least one digit. Returns the number
// of characters consumed, or 0 when no number is there. Saturates like
// LeadingInt.
std::size_t ScanInt(std::string_view text, std::int32_t& value);

// "%.1f" of value: "12.6", "-0.5", "0.0". Infinities and NaN give "inf",
// "-inf" and "nan".
std::string OneDecimal(double value);

// A value in tenths written with one decimal: 18 gives "1.8", -5 gives "-0.5".
std::string Tenths(std::int32_t tenths);

}  // namespace brisko
