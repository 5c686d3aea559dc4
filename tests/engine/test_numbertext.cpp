// The portable number text against the C++ library's floating-point
// from_chars and to_chars: the same doubles bit for bit, the same text byte
// for byte, over the scenario files and millions of seeded random cases.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "numbertext.h"
#include "numeric.h"

namespace vintrop {
namespace {

#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
uint64_t Bits(double v) {
    uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    return u;
}

// What ReadDecimal gives through std::from_chars: its grammar starts with a digit or a point.
std::errc FromChars(const std::string& text, double& v) {
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '.'))
        return std::errc::invalid_argument;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), v);
    return res.ec != std::errc::invalid_argument && res.ptr != text.data() + text.size() ? std::errc::invalid_argument
                                                                                          : res.ec;
}

void ExpectReadsAsFromChars(const std::string& text) {
    double want = 0, got = 0;
    const std::errc wantEc = FromChars(text, want);
    const std::errc gotEc = ReadDecimalPortable(text.data(), text.data() + text.size(), got);
    ASSERT_EQ(static_cast<int>(gotEc), static_cast<int>(wantEc)) << text;
    if (wantEc == std::errc()) {
        ASSERT_EQ(Bits(got), Bits(want)) << text;
    }
}

TEST(ReadDecimalPortable, ReadsEveryLineOfTheScenarioFilesAsFromChars) {
    int numbers = 0;
    for (const char* dir : {VINTROP_EXAMPLES_DIR, VINTROP_FUZZ_CORPUS_DIR}) {
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            std::ifstream in(entry.path(), std::ios::binary);
            for (std::string line; std::getline(in, line);) {
                // A number line or an option's value, without blanks, CR and sign.
                line = line.substr(line.find('=') + 1);
                const auto b = line.find_first_not_of(" \t\r+-"), e = line.find_last_not_of(" \t\r");
                if (b == std::string::npos) continue;
                const std::string text = line.substr(b, e + 1 - b);
                ExpectReadsAsFromChars(text);
                double v;
                numbers += FromChars(text, v) == std::errc();
            }
        }
    }
    EXPECT_GT(numbers, 10000);
}

TEST(ReadDecimalPortable, ReadsTheEdgesOfTheDoubleRangeAsFromChars) {
    for (const char* text :
         {"0", "000", "0.", ".0e-5", "0e999999999999", "5.e3", "2.4703282292062327e-324", "2.4703282292062328e-324",
          "4.9406564584124654e-324", "1e-324", "1e-310", "2.2250738585072011e-308", "2.2250738585072012e-308",
          "1.7976931348623157e308", "1.7976931348623158e308", "1.7976931348623159e308", "1e309", "9007199254740993",
          "9007199254740993.00000000000000000000001", "1e22", "1e23", "123456789012345678901234567890e-330",
          "1e", "1e+", ".", "1.2.3", "e5", "1x", "-1", "+1", "inf", "nan", " 1", "0x1p3"})
        ExpectReadsAsFromChars(text);
    ExpectReadsAsFromChars("1" + std::string(400, '0'));
    // The midpoint between the largest double and 2^1024, and next to it.
    char top[400];
    std::snprintf(top, sizeof top, "%.0Lf", std::ldexp(1.0L, 1024) - std::ldexp(1.0L, 970));
    std::string under = top;
    --under.back();
    for (const std::string& t : {std::string(top), std::string(top) + ".0001", under}) ExpectReadsAsFromChars(t);
    ExpectReadsAsFromChars("0." + std::string(400, '0') + "1e400");
}

// Random texts in the grammar: 1 to 20 digits (a few with hundreds), the
// point anywhere, leading and trailing zeros, exponents across the whole
// range and past it; and midpoints between neighbouring doubles written out
// exactly, alone, nudged up by a digit 1 past the 800th, and one below.
TEST(ReadDecimalPortable, ReadsRandomDecimalsAndMidpointsAsFromChars) {
    std::mt19937_64 gen(2026);
    const auto below = [&](uint64_t n) { return gen() % n; };
    for (int i = 0; i < 200000; ++i) {
        std::string digits;
        const uint64_t count = below(50) ? 1 + below(20) : 1 + below(900);
        for (uint64_t d = 0; d < count; ++d) digits += static_cast<char>('0' + below(10));
        if (i % 4 == 0) {
            // The exact midpoint above a random double, from its long double
            // sum (exact: 54 bits); its digits replace the random ones.
            double d;
            const uint64_t bits = gen() % 0x7ff0000000000000u + 1;   // finite, above zero
            std::memcpy(&d, &bits, sizeof d);
            char text[1024];
            std::snprintf(text, sizeof text, "%.780Le", (static_cast<long double>(d) + std::nextafter(d, 0.0)) / 2);
            std::string mid = text;
            const auto e = mid.find('e');
            digits = mid.substr(0, 1) + mid.substr(2, e - 2);
            digits.erase(digits.find_last_not_of('0') + 1);
            if (i % 12 == 4) digits.resize(800 + below(9), '0'), digits += '1';   // midpoints: < 800 digits
            if (i % 12 == 8 && digits.back() > '0') --digits.back();
            ExpectReadsAsFromChars(digits + "e" + std::to_string(std::stol(mid.substr(e + 1)) - long(digits.size()) + 1));
            continue;
        }
        const long exponent = below(2) ? static_cast<long>(below(61)) - 30 : static_cast<long>(below(700)) - 360;
        const auto point = below(digits.size() + 1);
        std::string text = std::string(below(3), '0') + digits.substr(0, point);
        if (point < digits.size() || below(2)) text += "." + digits.substr(point) + std::string(below(3), '0');
        text += (below(2) ? "e" : "E") + std::string(below(2) ? "+" : "") + std::to_string(exponent);
        ExpectReadsAsFromChars(text);
    }
}

// Any double, "%.9g" as to_chars writes it.
TEST(FormatG9Portable, WritesRandomDoublesAsToChars) {
    std::mt19937_64 gen(9);
    const auto expect = [](double v) {
        char want[64], got[64];
        const std::string w(want, std::to_chars(want, want + sizeof want, v, std::chars_format::general, 9).ptr);
        ASSERT_EQ(std::string(got, FormatG9Portable(got, v)), w) << std::hexfloat << v;
    };
    for (double v : {0.0, -0.0, 1e300 * 1e300, -1e300 * 1e300, std::nan(""), -std::nan(""), 5e-324, 1e-5, 1e-4,
                     123456789.5, 123456788.5, 999999999.5, 1e9})
        expect(v);
    for (int i = 0; i < 500000; ++i) {
        double v;
        const uint64_t bits = gen();
        std::memcpy(&v, &bits, sizeof v);
        expect(v);
    }
}
#else
TEST(ReadDecimalPortable, ComparedWithTheLibrary) {
    GTEST_SKIP() << "the C++ library has no floating-point from_chars/to_chars to compare with";
}
#endif

} // namespace
} // namespace vintrop
