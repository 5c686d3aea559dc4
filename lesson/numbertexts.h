#pragma once
// The program's number texts, with the separators of the user's locale
// passed in: the desktop program gives Qt's, the web page the browser's.
// Both show the same digits for the same value.
#include <string>

namespace vintrop::text {

struct Separators {
    std::string group = ",";     // between groups of three integer digits
    std::string decimal = ".";   // before the decimals
};

// "###,###,###,##0.00": thousands grouped, exactly two decimals, rounded
// half away from zero; a value that rounds to zero is "0.00", never
// "-0.00". "inf", "-inf" and "nan" as they are.
std::string Fixed(double v, const Separators& s);
// A 32-bit float in up to 7 significant digits without grouping or trailing
// zeros; exponent form ("1.234568E+07") from ten million up and below
// 0.0001. Zero is "0".
std::string General(float v, const Separators& s);
// Plain decimal, leading minus when negative.
std::string Integer(long long v);

} // namespace vintrop::text
