// Every number the system writes as text goes through here.
//
// Fixed-point forms follow one rule: the value is rounded once, at the
// coarser of `decimals` places and `precision` significant digits (ties to
// even), then shown with exactly `decimals` digits after the point, trailing
// zeros kept, "-" for negatives, no "+". A value that rounds to zero at the
// digits written has no sign ("0.0000", never "-0.0000"), so equal points
// compare equal as text. A value with more than `precision` integer digits
// is written with all of them and `decimals` decimals ("123456789.000"):
// nothing is ever written in exponent form.
#pragma once

#include <string>
#include <string_view>

namespace tolva {

std::string FixedText(long double value, int decimals, int precision);
// For DXF files only: "1.23457E+006" (`precision` significant digits).
std::string ExponentText(long double value, int precision);
// The coordinate form of program text: 7 significant digits.
inline std::string CoordinateText(long double value, int decimals) {
    return FixedText(value, decimals, 7);
}

// The form of the numbers the geometric modifiers write: rounded once at
// `decimals` places (0..9; ties to even), exactly that many decimals, a
// leading 0 before the point, "-" for negatives, no "+". No significant-digit
// limit below 8 integer digits, so 1234.5678 stays 1234.5678 and a difference
// of two written numbers is written exactly; a value with more than 7 integer
// digits is written as CoordinateText writes it. `value` must be finite.
void AppendProgramNumber(std::string& out, double value, int decimals);

// The form of coordinates taken from a drawing (the DXF import): rounded
// once at `decimals` places (0..18; ties to even), exactly that many
// decimals, no significant-digit limit, so 123456.789 keeps every digit at 3
// decimals; otherwise as AppendProgramNumber writes. Never an exponent.
std::string DecimalText(double value, int decimals);

// Reads a real written as text by us or by a settings field: blanks and tabs
// around it allowed, an optional "+", the period as decimal point, an optional
// exponent. False for anything else and for values that are not finite.
bool ReadPlainReal(std::string_view text, double& out);

// Integer rounding of the system: ties go to the even neighbour.
long long RoundHalfEven(long double value);

}  // namespace tolva
