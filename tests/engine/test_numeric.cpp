// The conversions every stored value goes through: float and 16-bit rounding,
// the file's number text and the 9-digit writer.
#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "engine_support.h"
#include "numeric.h"
#include "vintroperror.h"

namespace vintrop {
namespace {

using testing::Bits;

TEST(ToSingle, RoundsToNearestFloat) {
    EXPECT_EQ(ToSingle(0.1), 0.1f);
    EXPECT_EQ(ToSingle(-2.5), -2.5f);
    EXPECT_EQ(ToSingle(FLT_MAX), FLT_MAX);
    EXPECT_EQ(ToSingle(1e-50), 0.0f); // underflow is not an error
}

TEST(ToSingle, RejectsWhatNoFloatCanHold) {
    EXPECT_VINTROP_ERROR(ToSingle(1e39), err::Overflow);
    EXPECT_VINTROP_ERROR(ToSingle(-1e39), err::Overflow);
    EXPECT_VINTROP_ERROR(ToSingle(std::numeric_limits<double>::infinity()), err::Overflow);
    EXPECT_VINTROP_ERROR(ToSingle(std::numeric_limits<double>::quiet_NaN()), err::Overflow);
}

struct IntRow {
    const char* situation;
    double in;
    int16_t out;
};

class ToInt16Rounding : public ::testing::TestWithParam<IntRow> {};

TEST_P(ToInt16Rounding, RoundsHalvesToEven) {
    EXPECT_EQ(ToInt16(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ToInt16Rounding,
    ::testing::Values(IntRow{"two_and_a_half_down", 2.5, 2}, IntRow{"three_and_a_half_up", 3.5, 4},
                      IntRow{"minus_two_and_a_half", -2.5, -2}, IntRow{"half_to_zero", 0.5, 0},
                      IntRow{"just_above_half", 0.5000001, 1}, IntRow{"largest", 32767, 32767},
                      IntRow{"smallest", -32768, -32768}, IntRow{"rounds_into_range", 32767.4, 32767},
                      IntRow{"negative_rounds_into_range", -32768.5, -32768}),
    [](const auto& info) { return std::string(info.param.situation); });

TEST(ToInt16, ReportsOverflowOutsideSixteenBits) {
    for (double v : {32767.5, 32768.0, -32769.0, -32768.6, 1e10, -1e300})
        EXPECT_VINTROP_ERROR(ToInt16(v), err::Overflow);
    EXPECT_VINTROP_ERROR(ToInt16(std::numeric_limits<double>::quiet_NaN()), err::Overflow);
}

TEST(ToInt32, ReportsOverflowOutsideThirtyTwoBits) {
    EXPECT_EQ(ToInt32(2147483647.0), INT32_MAX);
    EXPECT_EQ(ToInt32(-2147483648.0), INT32_MIN);
    EXPECT_VINTROP_ERROR(ToInt32(2147483647.5), err::Overflow);
    EXPECT_VINTROP_ERROR(ToInt32(-2147483649.0), err::Overflow);
}

struct ParseRow {
    const char* situation;
    const char* text;
    double value;
};

class ParseAccepts : public ::testing::TestWithParam<ParseRow> {};

TEST_P(ParseAccepts, TheFormsAScenarioLineMayTake) {
    EXPECT_EQ(ParseNumber(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ParseAccepts,
    ::testing::Values(ParseRow{"whole", "50", 50}, ParseRow{"negative", "-1", -1},
                      ParseRow{"explicit_plus", "+7", 7}, ParseRow{"blanks_around", "  12.5 \t", 12.5},
                      ParseRow{"fraction_without_leading_zero", ".5", 0.5},
                      ParseRow{"negative_fraction_without_zero", "-.25", -0.25},
                      ParseRow{"trailing_point", "5.", 5}, ParseRow{"exponent", "1e3", 1000},
                      ParseRow{"signed_exponent", "1.5E-2", 0.015},
                      ParseRow{"nine_digit_float", "0.100000001", 0.100000001},
                      ParseRow{"negative_zero", "-0", -0.0}),
    [](const auto& info) { return std::string(info.param.situation); });

class ParseRejects : public ::testing::TestWithParam<ParseRow> {};

TEST_P(ParseRejects, AnythingElseAsTypeMismatch) {
    EXPECT_VINTROP_ERROR(ParseNumber(GetParam().text), err::TypeMismatch);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ParseRejects,
    ::testing::Values(ParseRow{"empty", "", 0}, ParseRow{"blanks_only", "   ", 0},
                      ParseRow{"word", "abc", 0}, ParseRow{"comma_decimal", "1,5", 0},
                      ParseRow{"lonely_sign", "-", 0}, ParseRow{"lonely_point", ".", 0},
                      ParseRow{"two_signs", "--1", 0}, ParseRow{"two_numbers", "1 2", 0},
                      ParseRow{"exponent_without_digits", "1e", 0}, ParseRow{"hexadecimal", "0x10", 0},
                      ParseRow{"infinity", "inf", 0}, ParseRow{"not_a_number", "nan", 0},
                      ParseRow{"trailing_letter", "12a", 0}, ParseRow{"thousands_grouping", "1.500,5", 0}),
    [](const auto& info) { return std::string(info.param.situation); });

TEST(ParseNumber, TooLargeForADoubleIsOverflow) {
    EXPECT_VINTROP_ERROR(ParseNumber("1e400"), err::Overflow);
    EXPECT_VINTROP_ERROR(ParseNumber("-0.0001e313"), err::Overflow);
    EXPECT_VINTROP_ERROR(ParseNumber("1" + std::string(400, '0')), err::Overflow);
    EXPECT_VINTROP_ERROR(ParseNumber("1e99999999999999999999999"), err::Overflow);
}

TEST(ParseNumber, TooSmallForADoubleIsZeroWithItsSign) {
    for (const char* text : {"1e-400", "0.0001e-330", "123456e-400", "1e-99999999999999999999999"}) {
        const double v = ParseNumber(text);
        EXPECT_EQ(v, 0.0) << text;
        EXPECT_FALSE(std::signbit(v)) << text;
    }
    for (const char* text : {"-1e-400", "-.5e-330"}) {
        const double v = ParseNumber(text);
        EXPECT_EQ(v, 0.0) << text;
        EXPECT_TRUE(std::signbit(v)) << text;
    }
}

TEST(FormatG9, WritesShortWholeNumbersAndNineDigitFractions) {
    EXPECT_EQ(FormatG9(50), "50");
    EXPECT_EQ(FormatG9(-1), "-1");
    EXPECT_EQ(FormatG9(0), "0");
    EXPECT_EQ(FormatG9(1500), "1500");
    EXPECT_EQ(FormatG9(0.1f), "0.100000001");
    EXPECT_EQ(FormatG9(-2.5), "-2.5");
}

// The text "%.9g" gives, computed the slow and certain way: the C++
// library's where it has floating-point to_chars, else the C library's (the
// tests run in the C locale).
std::string ReferenceG9(double v) {
    char buf[64];
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 9).ptr);
#else
    return std::string(buf, static_cast<std::size_t>(std::snprintf(buf, sizeof buf, "%.9g", v)));
#endif
}

TEST(FormatG9, WritesExactlyWhatPrintfG9Writes) {
    std::vector<double> values = {0.0, -0.0, 1e-5, 1e-4, 0.0001234567891, 99999.99995, 999999999, 999999999.5,
                                  1e9, 123456789.5, 123456788.5, 0.5, 2.5, 1e-300, 5e-324, 1.7e308, 6e-8,
                                  -3.40282347e38, 1.17549435e-38, 1e27, 1e28, 1e-19, 1e-20};
    // Exact halves between nine-digit neighbours: ties go to even.
    for (double base = 1e-3; base < 1e12; base *= 10) values.push_back(base * 1.234567885);
    for (int p = -30; p <= 30; ++p) {
        values.push_back(std::pow(10.0, p));
        values.push_back(std::nextafter(std::pow(10.0, p), 0.0));
        values.push_back(std::nextafter(std::pow(10.0, p), 1e300));
    }
    std::mt19937_64 gen(77);
    for (int i = 0; i < 300000; ++i) {
        const uint64_t bits = gen();
        float f;
        const auto low = static_cast<uint32_t>(bits);
        std::memcpy(&f, &low, sizeof f);
        values.push_back(f);
        double d;
        std::memcpy(&d, &bits, sizeof d);
        values.push_back(d);
        // The values a scene has: positions and velocities as floats.
        values.push_back(static_cast<float>(std::ldexp(static_cast<double>(bits >> 40), -static_cast<int>(bits % 40))));
    }
    for (double v : values) {
        if (!std::isfinite(v)) continue;
        ASSERT_EQ(FormatG9(v), ReferenceG9(v)) << std::hexfloat << v;
        ASSERT_EQ(FormatG9(-v), ReferenceG9(-v)) << std::hexfloat << -v;
    }
}

// A seeded sweep over random bit patterns: every finite float written with
// nine significant digits must read back to the same bits.
TEST(FormatG9, EveryFiniteFloatReadsBackBitExact) {
    std::mt19937 gen(20240517);
    int checked = 0;
    for (int i = 0; i < 20000; ++i) {
        const uint32_t bits = gen();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        if (!std::isfinite(f)) continue;
        const float back = static_cast<float>(ParseNumber(FormatG9(f)));
        ASSERT_EQ(Bits(back), Bits(f)) << FormatG9(f);
        ++checked;
    }
    EXPECT_GT(checked, 19000);
    for (float f : {FLT_MAX, -FLT_MAX, FLT_MIN, FLT_TRUE_MIN, 8085.0f, 61.7537918f})
        EXPECT_EQ(Bits(static_cast<float>(ParseNumber(FormatG9(f)))), Bits(f)) << FormatG9(f);
}

} // namespace
} // namespace vintrop
