#include "numeric.h"

#include <algorithm>
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

char* FormatG9(char* first, double v) {
    // "-1.23456789e-308" is the longest: 16 characters.
    return std::to_chars(first, first + 32, v, std::chars_format::general, 9).ptr;
}

std::string FormatG9(double v) {
    char buf[32];
    return std::string(buf, FormatG9(buf, v));
}

namespace {
// The power of ten of the first significant digit of a well-formed decimal
// ("123.4" gives 2, "0.05e-3" gives -5), saturated far beyond any double's
// range so that a long exponent cannot overflow the count. Zero when no digit
// is significant.
long DecimalMagnitude(const char* p, const char* end) {
    constexpr long kFar = 1000000000;
    long magnitude = 0;
    bool significant = false, fraction = false;
    for (; p < end && *p != 'e' && *p != 'E'; ++p) {
        if (*p == '.') {
            fraction = true;
            continue;
        }
        if (!significant && *p == '0') {
            if (fraction) --magnitude;
            continue;
        }
        if (!significant) {
            significant = true;
            if (fraction) --magnitude;
        } else if (!fraction && magnitude < kFar) {
            ++magnitude;
        }
    }
    if (!significant) return 0;
    if (p < end) {
        ++p; // the 'e'
        bool below = false;
        if (*p == '+' || *p == '-') below = *p++ == '-';
        long exponent = 0;
        for (; p < end; ++p) exponent = std::min(kFar, exponent * 10 + (*p - '0'));
        magnitude += below ? -exponent : exponent;
    }
    return magnitude;
}
} // namespace

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
        // Too small for a double is zero, keeping its sign; too large, no
        // stored value can take it.
        if (DecimalMagnitude(text.data() + mantissa, text.data() + e) < 0) return negative ? -0.0 : 0.0;
        err::Raise(err::Overflow);
    }
    if (res.ec != std::errc() || res.ptr != text.data() + e) err::Raise(err::TypeMismatch);
    return negative ? -value : value;
}

} // namespace vintrop
