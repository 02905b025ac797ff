// Numbers typed into the utility's boxes and found in device names.
//
// The number grammar: an optional sign, digits, an optional decimal point
// with a fraction, an optional exponent (E or D, with its own sign and
// digits); or "&H" followed by hexadecimal digits, or "&O" followed by octal
// digits. A hexadecimal or octal number of up to 32 bits is taken as a
// 32-bit two's complement ("&HFFFFFFFF" is -1).
#pragma once

#include <cstdint>
#include <string>

namespace trellup {

// The number a text begins with. Blanks, tabs, carriage returns and line
// feeds are skipped wherever they stand, also between digits; reading stops
// at the first character that does not continue the number. A text that
// does not begin with a number gives 0. "12abc" is 12, " 250ms" is 250,
// "1 2" is 12, "abc" is 0.
double LeadingNumber(const std::string& text);

// The whole text as one number: blanks before and after it are allowed,
// anything else makes it no number. False leaves *value untouched.
bool WholeNumber(const std::string& text, double* value);

// Rounds to the nearest integer, halves to the even one, when the result
// fits; false (and *out untouched) when it does not, or for NaN.
bool RoundToInt32(double value, int32_t* out);
bool RoundToInt16(double value, int16_t* out);

}  // namespace trellup
