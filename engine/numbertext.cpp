#include "numbertext.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdint>

namespace vintrop {

namespace {
// An unsigned whole number in base 2^32, lowest limb first. 4,096 bits hold
// every number the reader forms (at most about 3,800 bits; see below).
class BigNum {
public:
    explicit BigNum(uint32_t v = 0) { if (v) m_Limb[m_Size++] = v; }

    // *this = *this * m + add
    void MulAdd(uint32_t m, uint32_t add) {
        uint64_t carry = add;
        for (int i = 0; i < m_Size; ++i) {
            carry += uint64_t(m_Limb[i]) * m;
            m_Limb[i] = static_cast<uint32_t>(carry);
            carry >>= 32;
        }
        if (carry) Push(static_cast<uint32_t>(carry));
    }
    void MulPow10(long p) {
        for (; p >= 9; p -= 9) MulAdd(1000000000u, 0);
        static constexpr uint32_t kSmall[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
        MulAdd(kSmall[p], 0);
    }
    void ShiftLeft(long bits) {
        if (m_Size == 0 || bits == 0) return;
        const int limbs = static_cast<int>(bits / 32), rest = static_cast<int>(bits % 32);
        assert(m_Size + limbs + 1 <= kLimbs);
        uint32_t spill = rest ? m_Limb[m_Size - 1] >> (32 - rest) : 0;
        for (int i = m_Size - 1; i >= 0; --i) {
            const uint32_t below = rest && i > 0 ? m_Limb[i - 1] >> (32 - rest) : 0;
            m_Limb[i + limbs] = rest ? (m_Limb[i] << rest) | below : m_Limb[i];
        }
        for (int i = 0; i < limbs; ++i) m_Limb[i] = 0;
        m_Size += limbs;
        if (spill) m_Limb[m_Size++] = spill;
    }
    void ShiftRightOne() {
        for (int i = 0; i < m_Size; ++i)
            m_Limb[i] = (m_Limb[i] >> 1) | (i + 1 < m_Size ? m_Limb[i + 1] << 31 : 0);
        Trim();
    }
    // *this -= o; o <= *this
    void Subtract(const BigNum& o) {
        int64_t borrow = 0;
        for (int i = 0; i < m_Size; ++i) {
            const int64_t d = int64_t(m_Limb[i]) - (i < o.m_Size ? o.m_Limb[i] : 0) - borrow;
            m_Limb[i] = static_cast<uint32_t>(d);
            borrow = d < 0;
        }
        Trim();
    }
    friend int Compare(const BigNum& a, const BigNum& b) {
        if (a.m_Size != b.m_Size) return a.m_Size < b.m_Size ? -1 : 1;
        for (int i = a.m_Size - 1; i >= 0; --i)
            if (a.m_Limb[i] != b.m_Limb[i]) return a.m_Limb[i] < b.m_Limb[i] ? -1 : 1;
        return 0;
    }
    long BitLength() const {
        if (m_Size == 0) return 0;
        long bits = 32L * (m_Size - 1);
        for (uint32_t top = m_Limb[m_Size - 1]; top; top >>= 1) ++bits;
        return bits;
    }

private:
    static constexpr int kLimbs = 128;
    void Push(uint32_t v) {
        assert(m_Size < kLimbs);
        m_Limb[m_Size++] = v;
    }
    void Trim() {
        while (m_Size > 0 && m_Limb[m_Size - 1] == 0) --m_Size;
    }
    uint32_t m_Limb[kLimbs] = {};
    int m_Size = 0;
};

// The double nearest to digits * 10^exp10 (halves to even), digits the
// decimal digits of a whole number with no leading zero; infinite when the
// rounded value is beyond the largest double. Exact: the value is the
// fraction num / den of whole numbers; its 53 leading bits are found by long
// division one bit at a time and the remainder decides the rounding.
double NearestDouble(const char* digits, int count, long exp10) {
    BigNum num, den(1);
    for (int i = 0; i < count;) {   // nine digits at a time
        uint32_t chunk = 0, scale = 1;
        for (int end = std::min(count, i + 9); i < end; ++i, scale *= 10)
            chunk = chunk * 10 + static_cast<uint32_t>(digits[i] - '0');
        num.MulAdd(scale, chunk);
    }
    if (exp10 >= 0)
        num.MulPow10(exp10);
    else
        den.MulPow10(-exp10);
    // floor(log2 value) is the difference of the bit lengths or one less.
    long lg = num.BitLength() - den.BitLength();
    {
        BigNum a = num, b = den;
        lg >= 0 ? b.ShiftLeft(lg) : a.ShiftLeft(-lg);
        if (Compare(a, b) < 0) --lg;
    }
    // value = (q + fraction) * 2^k, q below 2^53: 53 bits for a normal
    // double, fewer below the smallest normal, whose last bit is 2^-1074.
    const long k = std::max(lg - 52, -1074L);
    k >= 0 ? den.ShiftLeft(k) : num.ShiftLeft(-k);
    uint64_t q = 0;
    BigNum step = den;   // den * 2^bit
    step.ShiftLeft(52);
    for (int bit = 52; bit >= 0; --bit) {
        if (Compare(num, step) >= 0) {
            num.Subtract(step);
            q |= uint64_t(1) << bit;
        }
        step.ShiftRightOne();
    }
    // num is now the remainder: round up past the half, and at the half to even.
    num.ShiftLeft(1);
    const int half = Compare(num, den);
    if (half > 0 || (half == 0 && (q & 1))) ++q;
    return std::ldexp(static_cast<double>(q), static_cast<int>(k));   // exact, or infinite
}
} // namespace

std::errc ReadDecimalPortable(const char* first, const char* last, double& value) {
    // Every midpoint between neighbouring doubles has at most 768 significant
    // digits, so the first 800 and whether any later digit is non-zero (kept
    // as one more digit 1) compare with each midpoint as the whole text does.
    constexpr int kMaxDigits = 800;
    char digits[kMaxDigits + 1];
    int count = 0;
    long exp10 = 0;   // the value is digits * 10^exp10
    bool anyDigit = false, droppedNonZero = false;
    const char* p = first;
    const auto mantissa = [&](bool fraction) {
        for (; p != last && *p >= '0' && *p <= '9'; ++p) {
            anyDigit = true;
            if (count == 0 && *p == '0') {
                exp10 -= fraction;
            } else if (count < kMaxDigits) {
                digits[count++] = *p;
                exp10 -= fraction;
            } else {
                droppedNonZero |= *p != '0';
                exp10 += !fraction;
            }
        }
    };
    mantissa(false);
    if (p != last && *p == '.') {
        ++p;
        mantissa(true);
    }
    if (!anyDigit) return std::errc::invalid_argument;
    if (p != last && (*p == 'e' || *p == 'E')) {
        ++p;
        const bool negative = p != last && *p == '-';
        if (p != last && (*p == '+' || *p == '-')) ++p;
        if (p == last || *p < '0' || *p > '9') return std::errc::invalid_argument;
        // Saturated far beyond any double's range: a longer exponent cannot overflow.
        long e = 0;
        for (; p != last && *p >= '0' && *p <= '9'; ++p) e = std::min(1000000000L, e * 10 + (*p - '0'));
        exp10 += negative ? -e : e;
    }
    if (p != last) return std::errc::invalid_argument;
    if (droppedNonZero) {
        digits[count++] = '1';
        --exp10;
    }
    while (count > 0 && digits[count - 1] == '0') --count, ++exp10;
    if (count == 0) {
        value = 0;
        return std::errc();
    }

    // Up to 2^53 with a power of ten a double holds exactly (10^22 at most),
    // one multiplication or division rounds exactly once: the nearest double.
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (count <= 16 && exp10 >= -22 && exp10 <= 22) {
        uint64_t m = 0;
        for (int i = 0; i < count; ++i) m = m * 10 + static_cast<uint64_t>(digits[i] - '0');
        if (m <= (uint64_t(1) << 53)) {
            const auto d = static_cast<double>(m);
            value = exp10 < 0 ? d / kPow10[-exp10] : d * kPow10[exp10];
            return std::errc();
        }
    }
    // The value lies in [10^(top-1), 10^top): below 10^-324 it is under half
    // the smallest double and rounds to zero; from 10^309 on no double holds
    // it. Between the two, num and den stay below 2^3800.
    const long top = count + exp10;
    if (top <= -324 || top >= 310) return std::errc::result_out_of_range;
    const double v = NearestDouble(digits, count, exp10);
    if (v == 0 || std::isinf(v)) return std::errc::result_out_of_range;
    value = v;
    return std::errc();
}

std::errc ReadDecimal(const char* first, const char* last, double& value) {
#if VINTROP_LIBRARY_NUMBERS
    // from_chars also reads a sign, "inf" and "nan": this grammar starts with a digit or a point.
    if (first == last || !((*first >= '0' && *first <= '9') || *first == '.')) return std::errc::invalid_argument;
    const auto res = std::from_chars(first, last, value);
    if (res.ec != std::errc::invalid_argument && res.ptr != last) return std::errc::invalid_argument;
    return res.ec;
#else
    return ReadDecimalPortable(first, last, value);
#endif
}

} // namespace vintrop
