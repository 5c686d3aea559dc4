#include "numbertexts.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vintrop::text {

namespace {

// Adds one unit in the last place of a string of decimal digits (and one
// '.'), carrying leftwards: "9.99" becomes "10.00".
void CarryUp(std::string& digits) {
    for (std::size_t k = digits.size(); k-- > 0;) {
        if (digits[k] == '.') continue;
        if (digits[k] != '9') {
            ++digits[k];
            return;
        }
        digits[k] = '0';
    }
    digits.insert(digits.begin(), '1');
}

// |v| in plain digits with `decimals` decimals, "." as the point, rounded
// half away from zero. printf rounds the exact binary value correctly but
// sends exact ties to the even digit; the ties of n decimals are the odd
// multiples of 2^-(n+1), which print exactly with one decimal more, and
// are rounded up from there.
std::string PlainDigits(double a, int decimals) {
    char buffer[400];
    const double scaled = std::ldexp(a, decimals + 1);   // exact: a power of two
    const bool tie = std::isfinite(scaled) && std::floor(scaled) == scaled && std::fmod(scaled, 2.0) == 1.0;
    if (!tie) {
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, a);
        return buffer;
    }
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals + 1, a);
    std::string digits(buffer);
    digits.pop_back();   // the 5 of the tie
    if (decimals == 0 && !digits.empty() && digits.back() == '.') digits.pop_back();
    CarryUp(digits);
    return digits;
}

// Plain digits with the locale's separators: groups of three in the whole
// part when `group` is set.
std::string Localised(const std::string& plain, const Separators& s, bool group) {
    const std::size_t point = plain.find('.');
    const std::string whole = plain.substr(0, point);
    std::string out;
    for (std::size_t k = 0; k < whole.size(); ++k) {
        if (group && k > 0 && (whole.size() - k) % 3 == 0) out += s.group;
        out += whole[k];
    }
    if (point != std::string::npos) out += s.decimal + plain.substr(point + 1);
    return out;
}

std::string NonFinite(double v) { return std::isnan(v) ? "nan" : (v < 0 ? "-inf" : "inf"); }

} // namespace

std::string Fixed(double v, const Separators& s) {
    if (!std::isfinite(v)) return NonFinite(v);
    if (std::fabs(v) < 0.005) v = 0.0;
    const std::string digits = Localised(PlainDigits(std::fabs(v), 2), s, true);
    return v < 0 ? "-" + digits : digits;
}

std::string General(float f, const Separators& s) {
    const double d = f;
    if (!std::isfinite(d)) return NonFinite(d);
    if (d == 0) return "0";
    const double a = std::fabs(d);
    const std::string sign = d < 0 ? "-" : "";
    if (a >= 1e7 || a < 1e-4) {
        // A mantissa of up to 7 significant digits and a two-digit exponent.
        int exp = static_cast<int>(std::floor(std::log10(a)));
        std::string m = PlainDigits(a / std::pow(10.0, exp), 6);
        // Rounding can carry into a new digit (9.9999999 -> 10.000000).
        if (std::strtod(m.c_str(), nullptr) >= 10.0) {
            ++exp;
            m = PlainDigits(a / std::pow(10.0, exp), 6);
        }
        while (m.back() == '0') m.pop_back();
        if (m.back() == '.') m.pop_back();
        char e[16];
        std::snprintf(e, sizeof e, "E%c%02d", exp < 0 ? '-' : '+', std::abs(exp));
        return sign + Localised(m, s, false) + e;
    }
    // Seven significant digits: as many decimals as the digits left after
    // the whole part, exact from a float's value in this range.
    const int wholeDigits = a >= 1 ? static_cast<int>(std::floor(std::log10(a))) + 1 : 0;
    int decimals = 7 - wholeDigits;
    if (a < 1) {
        // Leading zeros after the point do not count.
        decimals = 6 - static_cast<int>(std::floor(std::log10(a)));
    }
    std::string m = PlainDigits(a, decimals);
    // A carry into a new digit leaves one decimal too many (0.09999999 -> 0.1000000).
    if (m.find('.') != std::string::npos) {
        while (m.back() == '0') m.pop_back();
        if (m.back() == '.') m.pop_back();
    }
    return sign + Localised(m, s, false);
}

std::string Integer(long long v) { return std::to_string(v); }

} // namespace vintrop::text
