// The program's number rules: integer conversions, integer parts and the texts that
// numbers take in captions. Pure functions, no toolkit.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace num {

// Raised when a value does not fit the integer it is converted to, or a text is no number.
class NumberError : public std::range_error {
  public:
    using std::range_error::range_error;
};

// Rounds to the nearest integer, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double v);

// Conversions to 16- and 32-bit integers, rounding half to even; NumberError when out of range
// or not finite.
std::int16_t CInt(double v);
std::int32_t CLng(double v);

// Floor and truncation of a double.
double Int(double v);
double Fix(double v);

// Rounds a double to the nearest single (the program's Single type).
inline float CSng(double v) {
    return static_cast<float>(v);
}

// The user's decimal separator ('.' under the C locale).
char DecimalSeparator();

// A double as text: shortest form with at most 15 significant digits, no trailing zeros,
// positional for ordinary magnitudes, an exponent (1E+15, 1E-05) otherwise.
std::string DoubleText(double v, char separator = DecimalSeparator());

// A single as text: the same with at most 7 significant digits.
std::string SingleText(float v, char separator = DecimalSeparator());

// An integer as plain decimal text.
std::string IntText(std::int64_t v);

// The number a text stands for (leading and trailing blanks allowed). NumberError when the
// text is empty or not a whole number.
double ParseNumber(std::string_view text, char separator = DecimalSeparator());

// The value of the number a text begins with, 0 when it begins with none ("16 bits" -> 16).
double LeadingNumber(std::string_view text, char separator = DecimalSeparator());

} // namespace num
