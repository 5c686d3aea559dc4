#include "numeric.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>

#include "vintroperror.h"

namespace vintrop {

float ToSingle(double v) {
    if (std::isnan(v)) err::Raise(err::Overflow);
    const float f = static_cast<float>(v);
    if (std::isinf(f)) err::Raise(err::Overflow);
    return f;
}

namespace {
template <typename Int>
Int RoundToInt(double v) {
    if (std::isnan(v)) err::Raise(err::Overflow);
    // nearbyint uses the default rounding mode: nearest, ties to even.
    const double r = std::nearbyint(v);
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max()))
        err::Raise(err::Overflow);
    return static_cast<Int>(r);
}
} // namespace

int16_t ToInt16(double v) { return RoundToInt<int16_t>(v); }
int32_t ToInt32(double v) { return RoundToInt<int32_t>(v); }

std::string FormatG9(double v) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 9);
    return std::string(buf, res.ptr);
}

double ParseNumber(const std::string& text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t b = 0, e = text.size();
    while (b < e && isBlank(text[b])) ++b;
    while (e > b && isBlank(text[e - 1])) --e;

    std::size_t p = b;
    bool negative = false;
    if (p < e && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
    const std::size_t mantissa = p;
    std::size_t digits = 0;
    while (p < e && isDigit(text[p])) ++p, ++digits;
    if (p < e && text[p] == '.') {
        ++p;
        while (p < e && isDigit(text[p])) ++p, ++digits;
    }
    if (digits == 0) err::Raise(err::TypeMismatch);
    if (p < e && (text[p] == 'e' || text[p] == 'E')) {
        ++p;
        if (p < e && (text[p] == '+' || text[p] == '-')) ++p;
        std::size_t expDigits = 0;
        while (p < e && isDigit(text[p])) ++p, ++expDigits;
        if (expDigits == 0) err::Raise(err::TypeMismatch);
    }
    if (p != e) err::Raise(err::TypeMismatch);

    double value = 0;
    const auto res = std::from_chars(text.data() + mantissa, text.data() + e, value);
    if (res.ec == std::errc::result_out_of_range) {
        // Too large for a double: no stored value can take it.
        err::Raise(err::Overflow);
    }
    if (res.ec != std::errc() || res.ptr != text.data() + e) err::Raise(err::TypeMismatch);
    return negative ? -value : value;
}

} // namespace vintrop
