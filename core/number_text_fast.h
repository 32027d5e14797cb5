#pragma once

// The inline part of WriteFixed and WriteGeneral: the common case (a normal double below
// 2^52, no more than 16 digits to write) done with one 64 x 64 -> 128-bit product and a
// shift, which is the exact scaled value, and the digits made eight at a time. Anything
// else goes to the out-of-line exact routines, which give the same text for every value.

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vantorel {
namespace number_text_detail {

char* WriteGeneralExact(char* out, double value, int precision);
char* WriteFixedExact(char* out, double value, int decimals, int precision);

inline constexpr std::array<std::uint64_t, 20> kPowersOf10 = [] {
    std::array<std::uint64_t, 20> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 10;
    return p;
}();

// 5^t for t in [0, 27], the powers of five below 2^63.
inline constexpr int kMaxFastPow5 = 27;
inline constexpr std::array<std::uint64_t, kMaxFastPow5 + 1> kPowersOf5 = [] {
    std::array<std::uint64_t, kMaxFastPow5 + 1> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 5;
    return p;
}();

// Decimal digits of v (1 for 0).
inline int DecimalDigits(std::uint64_t v) {
    const int bits = 64 - std::countl_zero(v | 1);
    const int guess = (bits * 1233) >> 12;  // floor(bits * log10(2))
    return guess + 1 - (v < kPowersOf10[static_cast<std::size_t>(guess)]);
}

// The eight decimal digits of x < 10^8 as byte values 0..9, the first digit in the lowest
// byte (so a plain little-endian store writes them in reading order). Each step splits every
// lane in two with a multiply-shift that is exact for the lane's range: 10^4, then 100, then
// 10; no lane can carry into the next.
inline std::uint64_t EightDigitValues(std::uint32_t x) {
    const std::uint64_t upper = x / 10000;
    std::uint64_t v = upper | (static_cast<std::uint64_t>(x - upper * 10000) << 32);
    const std::uint64_t hundreds = ((v * 10486) >> 20) & 0x0000007F0000007FULL;
    v = hundreds | ((v - 100 * hundreds) << 16);
    const std::uint64_t tens = ((v * 103) >> 10) & 0x000F000F000F000FULL;
    return tens | ((v - 10 * tens) << 8);
}

using Digits16 = unsigned __int128;

inline constexpr std::uint64_t kAsciiZeros = 0x3030303030303030ULL;
inline constexpr Digits16 kAsciiZeros16 = (Digits16{kAsciiZeros} << 64) | kAsciiZeros;

// The digit values of q < 10^16 as 16 digits with leading zeros, the first in the lowest byte.
// The text is shifted and stored from registers: storing it to a scratch buffer and copying
// out from an offset would stall on the reload.
inline Digits16 SixteenDigitValues(std::uint64_t q) {
    const auto high = static_cast<std::uint32_t>(q / 100000000);
    const auto low = static_cast<std::uint32_t>(q - std::uint64_t{high} * 100000000);
    return (Digits16{EightDigitValues(low)} << 64) | EightDigitValues(high);
}

// Stores 16 digit values as text; the zero bytes shifted in above the digits become '0'.
inline void StoreDigits(char* at, Digits16 values) {
    const Digits16 text = values + kAsciiZeros16;
    std::memcpy(at, &text, sizeof text);
}

#if defined(__SSE2__)
// The digit values of q < 10^16 as 16 digits with leading zeros in a vector register.
inline __m128i DigitVector(std::uint64_t q) {
    const auto high = static_cast<std::uint32_t>(q / 100000000);
    const auto low = static_cast<std::uint32_t>(q - std::uint64_t{high} * 100000000);
    // The same three splits as EightDigitValues, both halves at once: 10^4 in 64-bit lanes,
    // 100 and 10 in 16-bit lanes by multiply-high.
    const __m128i x = _mm_set_epi64x(low, high);
    const __m128i quotient = _mm_srli_epi64(_mm_mul_epu32(x, _mm_set1_epi64x(109951163)), 40);
    const __m128i remainder = _mm_sub_epi64(x, _mm_mul_epu32(quotient, _mm_set1_epi64x(10000)));
    const __m128i fours = _mm_or_si128(quotient, _mm_slli_epi64(remainder, 32));
    const __m128i hundreds = _mm_srli_epi16(_mm_mulhi_epu16(fours, _mm_set1_epi32(5243)), 3);
    const __m128i twos = _mm_or_si128(
        hundreds,
        _mm_slli_epi32(_mm_sub_epi16(fours, _mm_mullo_epi16(hundreds, _mm_set1_epi32(100))), 16));
    const __m128i tens = _mm_mulhi_epu16(twos, _mm_set1_epi16(6554));
    const __m128i ones = _mm_sub_epi16(twos, _mm_mullo_epi16(tens, _mm_set1_epi16(10)));
    return _mm_or_si128(tens, _mm_slli_epi16(ones, 8));
}

// For a point after `whole` digits (16: no point): 0xFF on the bytes before it, and on it.
struct PointMask {
    std::uint8_t before[16];
    std::uint8_t at[16];
};
inline constexpr std::array<PointMask, 17> kPointMasks = [] {
    std::array<PointMask, 17> masks{};
    for (int whole = 0; whole <= 16; ++whole)
        for (int k = 0; k < 16; ++k) {
            masks[static_cast<std::size_t>(whole)].before[k] = k < whole ? 0xFF : 0;
            masks[static_cast<std::size_t>(whole)].at[k] = k == whole ? 0xFF : 0;
        }
    return masks;
}();

// Writes 40 bytes at `at`: the 16 digits of `digits` (the first at byte 0) with a point
// after the first `whole` of them (none for 16), then '0' characters. The point goes in by
// a constant one-byte shift and two masks, with no shift by a variable amount.
inline void StoreWithPoint(char* at, __m128i digits, int whole) {
    const PointMask& mask = kPointMasks[static_cast<std::size_t>(whole)];
    const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mask.before));
    const __m128i point = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mask.at));
    const __m128i zeros = _mm_set1_epi8('0');
    // Digit values are stored as characters by adding '0'; the point's value wraps to '.'.
    const __m128i head = _mm_or_si128(
        _mm_or_si128(_mm_and_si128(before, digits),
                     _mm_andnot_si128(_mm_or_si128(before, point), _mm_slli_si128(digits, 1))),
        _mm_and_si128(point, _mm_set1_epi8(static_cast<char>('.' - '0'))));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), _mm_add_epi8(head, zeros));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at + 16),
                     _mm_add_epi8(_mm_srli_si128(digits, 15), zeros));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(at + 32), zeros);
}
#endif

}  // namespace number_text_detail

// Both fast paths avoid branches on the value itself (its sign, whether it is below 1, where
// the point falls): the writers' numbers vary in exactly those ways, and a mispredicted
// branch costs more than the work it would skip.

inline char* WriteFixed(char* out, double value, int decimals, int precision) {
    using namespace number_text_detail;
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    precision = std::clamp(precision, 1, kMaxPrecision);
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const int biased = static_cast<int>((bits >> 52) & 0x7ff);
    // |value| = mantissa / 2^shift. At or above 2^52 (and for infinities and NaNs) the exact
    // routine decides; below 2^-75 the shift is held at 127, where any value rounds to 0.
    if (biased >= 1075) return WriteFixedExact(out, value, decimals, precision);
    const int shift = std::min(1075 - biased, 127);
    const std::uint64_t mantissa =
        (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{biased != 0} << 52);
    const std::uint64_t whole = shift < 64 ? mantissa >> shift : 0;
    const int wholeDigits = DecimalDigits(whole) - (whole == 0);  // 0 below 1
    // Too many digits before the point, or, below 1 with more decimals than digits, leading
    // zeros that move the rounding place: the exact routine's cases.
    if (wholeDigits > precision || (whole == 0 && decimals > precision))
        return WriteFixedExact(out, value, decimals, precision);
    const int round = std::min(decimals, precision - wholeDigits);  // decimal place of the rounding
    if (round > 15) return WriteFixedExact(out, value, decimals, precision);
    // Rounded half away from zero: up iff the first dropped bit of the exact product is set.
    const unsigned __int128 product =
        static_cast<unsigned __int128>(mantissa) * kPowersOf10[static_cast<std::size_t>(round)];
    const auto q = static_cast<std::uint64_t>(((product >> (shift - 1)) + 1) >> 1);
    // A carry into an integer digit beyond the precision, or more than 16 digits.
    if (q >= kPowersOf10[static_cast<std::size_t>(std::min(precision + round, 16))])
        return WriteFixedExact(out, value, decimals, precision);

    const int integerDigits = std::max(DecimalDigits(q) - round, 1);
    char* p = out;
    *p = '-';
    p += (bits >> 63) != 0 && q != 0;
#if defined(__SSE2__)
    if (integerDigits > 15) return WriteFixedExact(out, value, decimals, precision);
    // Scaled up to 16 digits, the integer digits come first and the decimals follow with
    // the zeros after them.
    const std::uint64_t aligned =
        q * kPowersOf10[static_cast<std::size_t>(16 - integerDigits - round)];
    StoreWithPoint(p, DigitVector(aligned), decimals == 0 ? 16 : integerDigits);
    return p + integerDigits + (decimals == 0 ? 0 : 1 + decimals);
#else
    const Digits16 values = SixteenDigitValues(q);
    // Whole 16- and 8-byte stores: the bytes past each part are overwritten or left beyond
    // the end, all within kMaxNumberText.
    StoreDigits(p, values >> (8 * (16 - round - integerDigits)));
    p += integerDigits;
    if (decimals == 0) return p;
    *p++ = '.';
    StoreDigits(p, (values >> (8 * (15 - round))) >> 8);
    std::memcpy(p + 16, &kAsciiZeros, 8);
    return p + decimals;
#endif
}

// Below 1 the tenth significant digit is never before the tenth decimal, so the rounding
// place is always the tenth decimal: q = |value| x 10^10 rounded, at most 10^10 (exactly 1
// is the same text). The text is "i.dddddddddd", with i = q / 10^10 (0 or 1).
inline char* WriteFixed10Unit(char* out, double value) {
    using namespace number_text_detail;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const std::uint64_t magnitude = bits & ~(std::uint64_t{1} << 63);
    if (magnitude > 0x3FF0000000000000ULL) [[unlikely]]  // above 1, infinities and NaNs
        return WriteFixed(out, value, 10, 10);
    const int biased = static_cast<int>(magnitude >> 52);
    const std::uint64_t mantissa =
        (magnitude & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{biased != 0} << 52);
    // |value| = mantissa / 2^shift with shift = 1075 - biased >= 52. The exact product
    // mantissa x 10^10 x 2^30 puts the first dropped bit, bit shift + 29, in the high half,
    // so rounding needs only that half and one 64-bit shift (held at 63 from where any value
    // rounds to 0). Half away from zero: up iff the first dropped bit is set.
    const std::uint64_t high = static_cast<std::uint64_t>(
        (static_cast<unsigned __int128>(mantissa) * (kPowersOf10[10] << 30)) >> 64);
    const unsigned below = 1040u - static_cast<unsigned>(biased);  // shift - 35
    const std::uint64_t q = ((high >> (below < 63u ? below : 63u)) + 1) >> 1;
    const auto head = static_cast<std::uint32_t>(q / 100000000);  // 0 .. 100
    const auto low = static_cast<std::uint32_t>(q - std::uint64_t{head} * 100000000);
    const std::uint32_t whole = (head * 41) >> 12;  // head / 100 for head <= 100
    const std::uint32_t pair = head - 100 * whole;
    const std::uint32_t tens = (pair * 103) >> 10;  // pair / 10 for pair < 100
    const std::uint32_t start = ('0' + whole) | (std::uint32_t{'.'} << 8) |
                                (('0' + tens) << 16) | (('0' + pair - 10 * tens) << 24);
    const std::uint64_t rest = EightDigitValues(low) + kAsciiZeros;
    char* p = out;
    *p = '-';
    p += (bits >> 63) != 0 && q != 0;
    std::memcpy(p, &start, 4);
    std::memcpy(p + 4, &rest, 8);
    return p + 12;
}

inline char* WriteGeneral(char* out, double value, int precision) {
    using namespace number_text_detail;
    precision = std::clamp(precision, 1, kMaxPrecision);
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const int biased = static_cast<int>((bits >> 52) & 0x7ff);
    if (biased == 0 || biased == 0x7ff || precision > 16)
        return WriteGeneralExact(out, value, precision);
    const std::uint64_t mantissa = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int exponent2 = biased - 1075;
    // |value| lies in [2^(exponent2 + 52), 2^(exponent2 + 53)), so its decimal exponent is
    // `estimate` or `estimate + 1`.
    const int estimate = (((exponent2 + 52) * 78913) >> 18) + 1;
    const int scale = precision - estimate;
    // |value| x 10^scale = mantissa x 5^scale x 2^(exponent2 + scale), exact in 128 bits.
    const int shift = -(exponent2 + scale);
    if (scale < 0 || scale > kMaxFastPow5 || shift <= 0 || shift > 127)
        return WriteGeneralExact(out, value, precision);
    const unsigned __int128 product =
        static_cast<unsigned __int128>(mantissa) * kPowersOf5[static_cast<std::size_t>(scale)];
    const auto scaled = static_cast<std::uint64_t>(product >> shift);
    const auto halfUp = static_cast<std::uint64_t>((product >> (shift - 1)) & 1);
    // `scaled` has precision or precision + 1 digits; with one too many, that digit's own
    // value decides the rounding.
    const std::uint64_t limit = kPowersOf10[static_cast<std::size_t>(precision)];
    const bool extra = scaled >= limit;
    std::uint64_t digits = extra ? (scaled + 5) / 10 : scaled + halfUp;
    int decimalExponent = estimate + extra;  // |rounded| = 0.digits x 10^decimalExponent
    const bool carried = digits == limit;
    digits = carried ? limit / 10 : digits;
    decimalExponent += carried;
    // Scientific notation is rare in the files: the exact routine writes it.
    if (decimalExponent < -3 || decimalExponent > precision)
        return WriteGeneralExact(out, value, precision);

    char* p = out;
    *p = '-';
    p += (bits >> 63) != 0;
    const bool below1 = decimalExponent <= 0;
#if defined(__SSE2__)
    // The digits scaled up to 16, so they start at byte 0; trailing zero digits are the zero
    // bytes after the last non-zero one (digits != 0).
    const __m128i values =
        DigitVector(digits * kPowersOf10[static_cast<std::size_t>(16 - precision)]);
    const auto nonZero =
        static_cast<std::uint32_t>(~_mm_movemask_epi8(_mm_cmpeq_epi8(values, _mm_setzero_si128())) & 0xFFFF);
    const int length = 32 - std::countl_zero(nonZero);
    // Below 1: "0." and up to three zeros before the digits.
    std::memcpy(p, "0.000", 5);
    p += below1 ? 2 - decimalExponent : 0;
    const bool point = !below1 && decimalExponent < length;
    StoreWithPoint(p, values, point ? decimalExponent : 16);
    return p + (below1 ? length : point ? length + 1 : decimalExponent);
#else
    const Digits16 all = SixteenDigitValues(digits);
    const Digits16 text = all >> (8 * (16 - precision));
    // Trailing zero digits are the zero bytes at the top of `all` (digits != 0).
    const auto last = static_cast<std::uint64_t>(all >> 64);
    const int trailingZeros = last != 0 ? std::countl_zero(last) / 8
                                        : 8 + std::countl_zero(static_cast<std::uint64_t>(all)) / 8;
    const int length = precision - trailingZeros;
    // Below 1: "0." and up to three zeros before the digits.
    std::memcpy(p, "0.000", 5);
    p += below1 ? 2 - decimalExponent : 0;
    StoreDigits(p, text);
    // The point after the whole part, where it is overwritten or past the end when there
    // is no fraction; below 1 it goes past the end.
    const int at = below1 ? length : decimalExponent;
    p[at] = '.';
    StoreDigits(p + at + 1, (text >> (8 * (at - 1))) >> 8);
    return p + (below1 ? length : length > decimalExponent ? length + 1 : decimalExponent);
#endif
}

}  // namespace vantorel
