#pragma once
// Numeric conversions shared by the whole program. Stored values are 32-bit
// floats computed in double; whole numbers are 16- or 32-bit with halves
// rounded to even. Every conversion reports an out-of-range value as the
// overflow error instead of storing an infinity, a NaN or a wrapped integer.
#include <cmath>
#include <cstdint>
#include <string>

namespace vintrop {

// 16-bit booleans as the program stores them.
inline constexpr int16_t kTrue = -1;
inline constexpr int16_t kFalse = 0;
inline int16_t ToBool16(bool v) { return v ? kTrue : kFalse; }

// Throws the overflow error; out of line, so that the inline conversions
// below stay small.
[[noreturn]] void RaiseOverflow();

// Rounds a double to a 32-bit float; throws Overflow for NaN or out of range.
// Inline: a step calls it several times per bowl. The rounded float is
// finite exactly when the double is neither a NaN nor beyond the float range.
inline float ToSingle(double v) {
    const float f = static_cast<float>(v);
    if (!std::isfinite(f)) RaiseOverflow();
    return f;
}

// Rounds to the nearest whole number, halves to even; throws Overflow when
// the result does not fit.
int16_t ToInt16(double v);
int32_t ToInt32(double v);

// Shortest text with 9 significant digits ("%.9g" in the C locale), which
// reads back to the same 32-bit float whatever the user's locale.
std::string FormatG9(double v);
// The same text written at first (room for 32 characters); returns its end.
char* FormatG9(char* first, double v);
// The same text for any double (also "inf", "-nan") without std::to_chars,
// which FormatG9 uses where the C++ library has no floating-point to_chars.
char* FormatG9Portable(char* first, double v);

// Parses one scenario-file number: optional blanks, optional sign, digits
// with an optional fraction (".5" allowed), optional exponent, optional
// blanks. Throws TypeMismatch for anything else.
double ParseNumber(const std::string& text);

} // namespace vintrop
