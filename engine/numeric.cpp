#include "numeric.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "numbertext.h"
#include "vintroperror.h"

namespace vintrop {

void RaiseOverflow() { err::Raise(err::Overflow); }

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

namespace {
using Wide = unsigned __int128;

// 10^p for 0 <= p <= 27; 10^27 < 2^90.
constexpr int kMaxPower = 27;
Wide PowerOfTen(int p) {
    static const auto table = [] {
        std::array<Wide, kMaxPower + 1> t{};
        Wide x = 1;
        for (auto& power : t) {
            power = x;
            x *= 10;
        }
        return t;
    }();
    return table[static_cast<std::size_t>(p)];
}

// The nine significant digits of a float a > 0 as a whole number in
// [1e8, 1e9), correctly rounded (halves to even), and the decimal exponent of
// the first digit. Exact: a = m * 2^k with m below 2^24, and a * 10^p is a
// quotient of integers that fit in 128 bits for every float from about
// 1e-19 up. False outside that range; the caller then takes the slow path.
bool NineDigitsOfFloat(double a, uint32_t& digits, int& exponent) {
    int b = 0;
    const double fraction = std::frexp(a, &b);   // a = fraction * 2^b, fraction in [0.5, 1)
    const auto m = static_cast<uint64_t>(std::ldexp(fraction, 24));
    const int k = b - 24;
    // floor(log10 a) is floor((b - 1) * log10 2) or one more; the loop settles it.
    int e = b - 1 >= 0 ? ((b - 1) * 78913) >> 18 : -((-(b - 1) * 78913 + (1 << 18) - 1) >> 18);
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int p = 8 - e;
        Wide quotient = 0, remainder = 0, divisor = 0;
        if (p >= 0) {
            // a * 10^p = m * 10^p / 2^-k (k >= 0 only when a >= 2^23: then p <= 2 and k <= 6)
            if (p > kMaxPower || k < -120) return false;
            Wide n = m * PowerOfTen(p);
            if (k >= 0) {
                quotient = n << k;
                divisor = 1;
            } else {
                divisor = Wide(1) << -k;
                quotient = n >> -k;
                remainder = n & (divisor - 1);
            }
        } else {
            // a >= 1e9 is a whole number: a / 10^-p = (m * 2^k) / 10^-p
            if (-p > kMaxPower || k < 0) return false;
            const Wide n = Wide(m) << k;   // below 2^128: no float reaches it
            divisor = PowerOfTen(-p);
            quotient = n / divisor;
            remainder = n % divisor;
        }
        if (quotient < 100000000u) {
            --e;
            continue;
        }
        if (quotient >= 1000000000u) {
            ++e;
            continue;
        }
        auto n = static_cast<uint32_t>(quotient);
        const Wide twice = remainder * 2;   // divisor <= 2^120: no overflow
        if (twice > divisor || (twice == divisor && (n & 1u))) ++n;
        if (n == 1000000000u) {
            n = 100000000u;
            ++e;
        }
        digits = n;
        exponent = e;
        return true;
    }
    return false;
}

// Writes digits (nine, the first non-zero) with decimal exponent e as "%.9g"
// does: fixed notation for -4 <= e < 9, else d.ddde+XX; trailing zeros go.
char* WriteNineDigits(char* out, bool negative, uint32_t digits, int e) {
    char d[9];
    for (int i = 8; i >= 0; --i) {
        d[i] = static_cast<char>('0' + digits % 10);
        digits /= 10;
    }
    int last = 8;
    while (last > 0 && d[last] == '0') --last;
    if (negative) *out++ = '-';
    if (e < -4 || e >= 9) {
        *out++ = d[0];
        if (last > 0) {
            *out++ = '.';
            for (int i = 1; i <= last; ++i) *out++ = d[i];
        }
        *out++ = 'e';
        *out++ = e < 0 ? '-' : '+';
        int x = e < 0 ? -e : e;
        if (x >= 100) {
            *out++ = static_cast<char>('0' + x / 100);
            x %= 100;
        }
        *out++ = static_cast<char>('0' + x / 10);
        *out++ = static_cast<char>('0' + x % 10);
    } else if (e >= 0) {
        for (int i = 0; i <= e; ++i) *out++ = d[i];
        if (last > e) {
            *out++ = '.';
            for (int i = e + 1; i <= last; ++i) *out++ = d[i];
        }
    } else {
        *out++ = '0';
        *out++ = '.';
        for (int i = 0; i < -e - 1; ++i) *out++ = '0';
        for (int i = 0; i <= last; ++i) *out++ = d[i];
    }
    return out;
}
} // namespace

char* FormatG9(char* first, double v) {
    // The runner prints thousands of floats a step, so they take a fast
    // exact path; other doubles go through to_chars where the library has
    // it. All give the same text. "-1.23456789e-308" is the longest:
    // 16 characters.
    if (v == 0) return WriteNineDigits(first, std::signbit(v), 0, 0);
    uint32_t digits = 0;
    int exponent = 0;
    const double a = std::fabs(v);
    if (std::isfinite(v) && static_cast<double>(static_cast<float>(a)) == a && NineDigitsOfFloat(a, digits, exponent))
        return WriteNineDigits(first, std::signbit(v), digits, exponent);
#if VINTROP_LIBRARY_NUMBERS
    return std::to_chars(first, first + 32, v, std::chars_format::general, 9).ptr;
#else
    return FormatG9Portable(first, v);
#endif
}

char* FormatG9Portable(char* first, double v) {
    const auto copy = [first](const char* text) {
        char* out = first;
        while (*text) *out++ = *text++;
        return out;
    };
    if (std::isnan(v)) return copy(std::signbit(v) ? "-nan" : "nan");
    if (std::isinf(v)) return copy(v < 0 ? "-inf" : "inf");
    if (v == 0) return WriteNineDigits(first, std::signbit(v), 0, 0);
    // printf's "%.8e" gives the nine correctly rounded digits (halves to
    // even) in glibc and musl alike; only its decimal point follows the
    // locale, so just the digits and the exponent are taken from it.
    char text[40];
    std::snprintf(text, sizeof text, "%.8e", std::fabs(v));
    uint32_t digits = 0;
    const char* p = text;
    for (; *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits = digits * 10 + static_cast<uint32_t>(*p - '0');
    const auto exponent = static_cast<int>(std::strtol(p + 1, nullptr, 10));
    return WriteNineDigits(first, std::signbit(v), digits, exponent);
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
    const std::errc res = ReadDecimal(text.data() + mantissa, text.data() + e, value);
    if (res == std::errc::result_out_of_range) {
        // Too small for a double is zero, keeping its sign; too large, no
        // stored value can take it.
        if (DecimalMagnitude(text.data() + mantissa, text.data() + e) < 0) return negative ? -0.0 : 0.0;
        err::Raise(err::Overflow);
    }
    if (res != std::errc()) err::Raise(err::TypeMismatch);
    return negative ? -value : value;
}

} // namespace vintrop
