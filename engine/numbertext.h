#pragma once
// Decimal text to double without depending on the C++ library's
// floating-point std::from_chars, which some libraries lack (libc++ before
// LLVM 17 or so, the one of emscripten 3.1). Where the library has it (it
// then defines __cpp_lib_to_chars), the library's is used, unless the build
// sets VINTROP_PORTABLE_NUMBERS to build and test the portable code instead.
#include <charconv>
#include <system_error>

#if !defined(VINTROP_PORTABLE_NUMBERS) && defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
#define VINTROP_LIBRARY_NUMBERS 1
#else
#define VINTROP_LIBRARY_NUMBERS 0
#endif

namespace vintrop {

// Reads the whole of [first, last) as an unsigned decimal: digits with an
// optional fraction ("5.", ".5"), then an optional exponent ("e-7", "E+3"),
// any number of digits in each. The value is the double nearest to it,
// halves to even, as std::from_chars gives. Returns std::errc() with the
// value; result_out_of_range, value untouched, when a value with a non-zero
// digit rounds to zero or is beyond the largest double; invalid_argument for
// any other text (a sign, "inf", "nan", blanks).
std::errc ReadDecimal(const char* first, const char* last, double& value);

// The same without std::from_chars, for every library; ReadDecimal is this
// where the library lacks a floating-point from_chars.
std::errc ReadDecimalPortable(const char* first, const char* last, double& value);

} // namespace vintrop
