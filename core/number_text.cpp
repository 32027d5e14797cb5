#include "core/number_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "core/run_error.h"

// Both number forms round half away from zero on the exact binary value of the double. A
// double is m x 2^e2 with m < 2^53, so scaling it by a power of ten and splitting off the
// integer part is exact integer arithmetic: 128 bits cover the fixed form entirely, 192 bits
// the general form for 1e-38 < |v| < 1e38, and a multi-limb expansion handles the rest.

namespace vantorel {
namespace {

using u128 = unsigned __int128;

// base^0 .. base^(N-1).
template <typename T, std::size_t N>
constexpr std::array<T, N> Powers(T base) {
    std::array<T, N> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < N; ++i) p[i] = p[i - 1] * base;
    return p;
}

// The powers of ten and the digit count are the inline path's, so both paths count alike.
constexpr const std::array<std::uint64_t, 20>& kPow10 = number_text_detail::kPowersOf10;

// 5^t for t in [0, 55]; 5^55 is the largest power of five below 2^128.
constexpr int kMaxPow5 = 55;
constexpr std::array<u128, kMaxPow5 + 1> kPow5 = Powers<u128, kMaxPow5 + 1>(5);

// 10^u for u in [0, 38].
constexpr int kMaxPow10Wide = 38;
constexpr std::array<u128, kMaxPow10Wide + 1> kPow10Wide = Powers<u128, kMaxPow10Wide + 1>(10);

constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> t{};
    for (int i = 0; i < 100; ++i) {
        t[2 * i] = static_cast<char>('0' + i / 10);
        t[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return t;
}();

int DigitCount(std::uint64_t v) { return number_text_detail::DecimalDigits(v); }

// Writes the lowest `count` decimal digits of v so that they end at `end`; v keeps the
// digits above them. Returns the start of what was written.
char* WriteDigitsBackward(char* end, std::uint64_t& v, int count) {
    for (; count >= 2; count -= 2) {
        end -= 2;
        std::memcpy(end, &kDigitPairs[2 * (v % 100)], 2);
        v /= 100;
    }
    if (count > 0) {
        *--end = static_cast<char>('0' + v % 10);
        v /= 10;
    }
    return end;
}

// The binary form of a finite double: |value| = mantissa x 2^exponent.
struct Binary {
    std::uint64_t mantissa;
    int exponent;
    bool negative;
};

Binary Decompose(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const int biased = static_cast<int>((bits >> 52) & 0x7ff);
    if (biased == 0x7ff) throw RunError(kFloatingOverflow);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    Binary b{fraction, -1074, (bits >> 63) != 0};
    if (biased != 0) {
        b.mantissa |= std::uint64_t{1} << 52;
        b.exponent = biased - 1075;
    }
    return b;
}

// floor(m x 2^e2 x 10^k) for k in [0, 18] when the result is known to fit in 64 bits.
std::uint64_t ScaledFloor(const Binary& b, int k) {
    const u128 product = static_cast<u128>(b.mantissa) * kPow10[k];
    if (b.exponent >= 0) return static_cast<std::uint64_t>(product << b.exponent);
    const int shift = -b.exponent;
    return shift > 127 ? 0 : static_cast<std::uint64_t>(product >> shift);
}

// The same, rounded half away from zero: up iff the first dropped bit is set.
std::uint64_t ScaledRound(const Binary& b, int k) {
    const u128 product = static_cast<u128>(b.mantissa) * kPow10[k];
    if (b.exponent >= 0) return static_cast<std::uint64_t>(product << b.exponent);
    const int shift = -b.exponent;
    if (shift > 128) return 0;  // product < 2^113: less than half a unit
    return static_cast<std::uint64_t>(((product >> (shift - 1)) + 1) >> 1);
}

// The value rounded to `precision` significant digits: |value| ~ 0.digits x 10^exponent,
// `digits` holding exactly `precision` digits (trailing zeros included).
struct Significant {
    std::uint64_t digits;
    int exponent;
};

// Bits [shift, shift + 64) of a 192-bit number held as three little-endian limbs.
std::uint64_t Bits192(const std::uint64_t (&limb)[3], int shift) {
    const int word = shift >> 6;
    const int offset = shift & 63;
    if (word >= 3) return 0;
    std::uint64_t v = limb[word] >> offset;
    if (offset != 0 && word + 1 < 3) v |= limb[word + 1] << (64 - offset);
    return v;
}

// Finishes the rounding from `scaled`, the exact floor of |value| x 10^(precision -
// estimate), which has precision or precision + 1 digits; `halfUp` says whether the dropped
// fraction of it is at least one half.
Significant RoundScaled(std::uint64_t scaled, bool halfUp, int estimate, int precision) {
    Significant s;
    if (DigitCount(scaled) > precision) {
        // One digit too many: round it off. (scaled + 5) / 10 rounds half up since the
        // fraction below `scaled` cannot reach the next ten by itself.
        s.digits = (scaled + 5) / 10;
        s.exponent = estimate + 1;
    } else {
        s.digits = scaled + (halfUp ? 1 : 0);
        s.exponent = estimate;
    }
    if (s.digits == kPow10[precision]) {
        s.digits = kPow10[precision - 1];
        ++s.exponent;
    }
    return s;
}

// Fast rounding to significant digits for 1e-38 < |value| < 2^127; false outside.
bool FastSignificant(const Binary& b, int precision, Significant& result) {
    const int binaryDigits = b.exponent + 64 - std::countl_zero(b.mantissa);
    // |value| lies in [2^(binaryDigits-1), 2^binaryDigits), so its decimal exponent is
    // `estimate` or `estimate + 1`.
    const int estimate = (((binaryDigits - 1) * 78913) >> 18) + 1;
    const int scale = precision - estimate;
    std::uint64_t scaled = 0;
    bool halfUp = false;
    if (scale >= 0) {
        // |value| x 10^scale = m x 5^scale x 2^(e2 + scale), the product in 192 bits.
        if (scale > kMaxPow5) return false;
        const u128 pow5 = kPow5[scale];
        const u128 low = static_cast<u128>(b.mantissa) * static_cast<std::uint64_t>(pow5);
        const u128 high = static_cast<u128>(b.mantissa) * static_cast<std::uint64_t>(pow5 >> 64);
        const u128 middle = (low >> 64) + static_cast<std::uint64_t>(high);
        const std::uint64_t limb[3] = {
            static_cast<std::uint64_t>(low), static_cast<std::uint64_t>(middle),
            static_cast<std::uint64_t>(high >> 64) + static_cast<std::uint64_t>(middle >> 64)};
        const int shift = b.exponent + scale;
        if (shift >= 0) {
            scaled = limb[0] << shift;  // a whole number of at most precision + 1 digits
        } else {
            scaled = Bits192(limb, -shift);
            halfUp = (Bits192(limb, -shift - 1) & 1) != 0;
        }
    } else {
        // |value| / 10^-scale: only the integer part of |value| matters, because half of
        // 10^-scale is a whole number.
        const int down = -scale;
        if (down > kMaxPow10Wide) return false;
        u128 whole;
        if (b.exponent >= 0) {
            if (b.exponent > 127 - 53) return false;
            whole = static_cast<u128>(b.mantissa) << b.exponent;
        } else {
            whole = b.mantissa >> -b.exponent;  // |value| >= 10 here, so the shift is < 53
        }
        const u128 divisor = kPow10Wide[down];
        u128 remainder;
        if ((whole >> 64) == 0 && (divisor >> 64) == 0) {
            const auto w = static_cast<std::uint64_t>(whole);
            const auto d = static_cast<std::uint64_t>(divisor);
            scaled = w / d;
            remainder = w % d;
        } else {
            scaled = static_cast<std::uint64_t>(whole / divisor);
            remainder = whole % divisor;
        }
        halfUp = remainder >= divisor / 2;
    }
    result = RoundScaled(scaled, halfUp, estimate, precision);
    return true;
}

// Exact expansion for any finite non-zero value, a few microseconds at worst: generates
// the leading decimal digits with multi-limb arithmetic.
Significant SlowSignificant(const Binary& b, int precision) {
    constexpr int kLimbs = 36;  // 1152 bits: 2^1024, or a 1074-bit fraction times 10^9
    constexpr std::uint32_t kChunk = 1000000000;
    char digits[400];
    int count = 0;
    int exponent = 0;
    auto emitChunk = [&](std::uint32_t chunk, int width) {
        char text[9];
        for (int i = width - 1; i >= 0; --i, chunk /= 10)
            text[i] = static_cast<char>('0' + chunk % 10);
        for (int i = 0; i < width && count < precision + 1; ++i) {
            if (count == 0 && text[i] == '0') {
                --exponent;  // a zero right after the point, before any significant digit
            } else {
                digits[count++] = text[i];
            }
        }
    };
    std::uint32_t limb[kLimbs] = {};
    if (b.exponent >= 0) {
        // A whole number: peel off base-10^9 chunks from the bottom.
        const int word = b.exponent / 32;
        const int offset = b.exponent % 32;
        const u128 placed = static_cast<u128>(b.mantissa) << offset;
        for (int i = 0; i < 3 && word + i < kLimbs; ++i)
            limb[word + i] = static_cast<std::uint32_t>(placed >> (32 * i));
        std::uint32_t chunks[kLimbs * 32 / 29 + 2];
        int chunkCount = 0;
        for (int top = kLimbs - 1; top >= 0;) {
            if (limb[top] == 0) {
                --top;
                continue;
            }
            std::uint64_t remainder = 0;
            for (int i = top; i >= 0; --i) {
                const std::uint64_t current = (remainder << 32) | limb[i];
                limb[i] = static_cast<std::uint32_t>(current / kChunk);
                remainder = current % kChunk;
            }
            chunks[chunkCount++] = static_cast<std::uint32_t>(remainder);
        }
        const int topWidth = DigitCount(chunks[chunkCount - 1]);
        exponent = topWidth + 9 * (chunkCount - 1);
        emitChunk(chunks[chunkCount - 1], topWidth);
        for (int i = chunkCount - 2; i >= 0 && count < precision + 1; --i) emitChunk(chunks[i], 9);
    } else {
        // Integer part, then the fraction F / 2^shift digit chunk by digit chunk.
        const int shift = -b.exponent;
        std::uint64_t whole = shift < 64 ? b.mantissa >> shift : 0;
        const std::uint64_t fraction =
            shift < 64 ? b.mantissa & ((std::uint64_t{1} << shift) - 1) : b.mantissa;
        if (whole != 0) {
            exponent = DigitCount(whole);
            char text[20];
            std::uint64_t rest = whole;
            WriteDigitsBackward(text + exponent, rest, exponent);
            for (int i = 0; i < exponent && count < precision + 1; ++i) digits[count++] = text[i];
        }
        limb[0] = static_cast<std::uint32_t>(fraction);
        limb[1] = static_cast<std::uint32_t>(fraction >> 32);
        const int word = shift / 32;
        const int offset = shift % 32;
        auto fractionIsZero = [&] {
            for (int i = 0; i <= word && i < kLimbs; ++i)
                if (limb[i] != 0) return false;
            return true;
        };
        while (count < precision + 1 && !fractionIsZero()) {
            std::uint64_t carry = 0;
            for (int i = 0; i <= word + 1 && i < kLimbs; ++i) {
                const std::uint64_t current = static_cast<std::uint64_t>(limb[i]) * kChunk + carry;
                limb[i] = static_cast<std::uint32_t>(current);
                carry = current >> 32;
            }
            // The next nine digits are the bits at and above `shift`.
            std::uint64_t chunk = limb[word] >> offset;
            if (word + 1 < kLimbs)
                chunk |= static_cast<std::uint64_t>(limb[word + 1]) << (32 - offset);
            limb[word] &= offset == 0 ? 0u : (std::uint32_t{1} << offset) - 1;
            if (word + 1 < kLimbs) limb[word + 1] = 0;
            emitChunk(static_cast<std::uint32_t>(chunk), 9);
        }
    }
    Significant s{0, exponent};
    for (int i = 0; i < precision; ++i)
        s.digits = s.digits * 10 + (i < count ? digits[i] - '0' : 0);
    if (count > precision && digits[precision] >= '5') ++s.digits;
    if (s.digits == kPow10[precision]) {
        s.digits = kPow10[precision - 1];
        ++s.exponent;
    }
    return s;
}

char* WriteGeneralText(char* out, const Binary& b, int precision) {
    if (b.mantissa == 0) {
        *out = '0';
        return out + 1;
    }
    Significant s;
    if (!FastSignificant(b, precision, s)) s = SlowSignificant(b, precision);
    std::uint64_t digits = s.digits;
    int length = precision;
    while (digits % 10 == 0) {
        digits /= 10;
        --length;
    }
    const int e = s.exponent;
    char* p = out;
    if (b.negative) *p++ = '-';
    if (e >= -3 && e <= precision) {
        if (e <= 0) {
            *p++ = '0';
            *p++ = '.';
            std::memset(p, '0', static_cast<std::size_t>(-e));
            p += -e;
            p += length;
            WriteDigitsBackward(p, digits, length);
        } else if (length <= e) {
            p += length;
            WriteDigitsBackward(p, digits, length);
            std::memset(p, '0', static_cast<std::size_t>(e - length));
            p += e - length;
        } else {
            char* point = p + e;
            p = point + 1 + (length - e);
            WriteDigitsBackward(p, digits, length - e);
            *point = '.';
            WriteDigitsBackward(point, digits, e);
        }
        return p;
    }
    // Scientific: the first digit, then the others after a point.
    if (length > 1) {
        char* end = p + 1 + length;
        WriteDigitsBackward(end, digits, length - 1);
        p[1] = '.';
        p[0] = static_cast<char>('0' + digits);
        p = end;
    } else {
        *p++ = static_cast<char>('0' + digits);
    }
    *p++ = 'E';
    int exponent = e - 1;
    if (exponent < 0) {
        *p++ = '-';
        exponent = -exponent;
    }
    std::uint64_t magnitude = static_cast<std::uint64_t>(exponent);
    const int width = DigitCount(magnitude);
    p += width;
    WriteDigitsBackward(p, magnitude, width);
    return p;
}

char* WriteFixedText(char* out, double value, int decimals, int precision) {
    const Binary b = Decompose(value);
    const double magnitude = value < 0 ? -value : value;
    // Beyond 10^17 there are more integer digits than the largest precision allows.
    if (!(magnitude < 1e17)) return WriteGeneralText(out, b, precision);
    int round;  // decimal place of the rounding
    if (magnitude >= 1.0) {
        const int integerDigits = DigitCount(static_cast<std::uint64_t>(magnitude));
        if (integerDigits > precision) return WriteGeneralText(out, b, precision);
        round = std::min(decimals, precision - integerDigits);
    } else if (decimals <= precision) {
        round = decimals;
    } else {
        // Zeros after the point move the precision-th digit to the right.
        const std::uint64_t scaled = ScaledFloor(b, decimals);
        round =
            scaled == 0 ? decimals : std::min(decimals, precision + decimals - DigitCount(scaled));
    }
    std::uint64_t q = ScaledRound(b, round);
    // Rounding may add an integer digit: 999.96 at precision 3 has four.
    if (precision + round < 20 && q >= kPow10[precision + round])
        return WriteGeneralText(out, b, precision);
    char* p = out;
    if (b.negative && q != 0) *p++ = '-';
    const int integerDigits = std::max(DigitCount(q) - round, 1);
    if (decimals == 0) {
        p += integerDigits;
        WriteDigitsBackward(p, q, integerDigits);
        return p;
    }
    char* point = p + integerDigits;
    char* end = point + 1 + decimals;
    std::memset(point + 1 + round, '0', static_cast<std::size_t>(decimals - round));
    WriteDigitsBackward(point + 1 + round, q, round);
    *point = '.';
    WriteDigitsBackward(point, q, integerDigits);
    return end;
}

int ClampDecimals(int decimals) { return std::clamp(decimals, 0, kMaxDecimals); }
int ClampPrecision(int precision) { return std::clamp(precision, 1, kMaxPrecision); }

// Reads the accepted number form; false when the text does not match it.
bool ReadStrict(std::string_view s, double& result) {
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n && s[i] == ' ') ++i;
    bool negative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    auto isDigit = [&](std::size_t at) { return at < n && s[at] >= '0' && s[at] <= '9'; };
    const std::size_t start = i;
    // Order of magnitude of the digits: the first non-zero digit stands at 10^(order - 1).
    long order = 0;
    bool nonZero = false;
    while (isDigit(i)) {
        if (nonZero || s[i] != '0') nonZero = true, ++order;
        ++i;
    }
    const bool anyIntegerDigit = i > start;
    bool point = false;
    if (i < n && s[i] == '.') {
        point = true;
        ++i;
        while (isDigit(i)) {
            if (!nonZero) {
                if (s[i] != '0')
                    nonZero = true;
                else
                    --order;
            }
            ++i;
        }
    }
    if (!anyIntegerDigit && !point) return false;
    std::size_t end = i;  // where the number handed to from_chars stops
    long exponent = 0;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        bool exponentNegative = false;
        if (j < n && (s[j] == '+' || s[j] == '-')) exponentNegative = s[j++] == '-';
        const std::size_t digitsStart = j;
        while (isDigit(j)) {
            if (exponent < 100000000) exponent = exponent * 10 + (s[j] - '0');
            ++j;
        }
        if (j > digitsStart) end = j;  // missing exponent digits count as exponent 0
        if (exponentNegative) exponent = -exponent;
        i = j;
    }
    while (i < n && s[i] == ' ') ++i;
    if (i != n) return false;
    if (!nonZero) {  // zero digits, or only the point
        result = negative ? -0.0 : 0.0;
        return true;
    }
    double value = 0.0;
    const auto [stop, ec] = std::from_chars(s.data() + start, s.data() + end, value);
    if (ec == std::errc::result_out_of_range) {
        // Beyond the range of a double counts as unreadable; below it reads as zero.
        if (order + exponent > 0) return false;
        value = 0.0;
    } else if (ec != std::errc() || stop != s.data() + end) {
        return false;
    }
    result = negative ? -value : value;
    return true;
}

}  // namespace

double ParseNumber(std::string_view text, double defaultValue) {
    if (text.empty()) return defaultValue;
    double value = 0.0;
    if (ReadStrict(text, value)) return value;
    // Second chance: keep only the characters a number is made of ("12,5" reads 125).
    std::string kept;
    for (char c : text)
        if ((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-')
            kept += c;
    if (ReadStrict(kept, value)) return value;
    return defaultValue;
}

namespace number_text_detail {

char* WriteGeneralExact(char* out, double value, int precision) {
    return WriteGeneralText(out, Decompose(value), ClampPrecision(precision));
}

char* WriteFixedExact(char* out, double value, int decimals, int precision) {
    return WriteFixedText(out, value, ClampDecimals(decimals), ClampPrecision(precision));
}

}  // namespace number_text_detail

std::string FormatGeneral(double value, int precision) {
    char buffer[kMaxNumberText];
    return std::string(buffer, WriteGeneral(buffer, value, precision));
}

std::string FormatFixed(double value, int decimals, int precision) {
    char buffer[kMaxNumberText];
    return std::string(buffer, WriteFixed(buffer, value, decimals, precision));
}

std::optional<double> ParseStrictNumber(std::string_view text) {
    if (text.empty()) return std::nullopt;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return std::nullopt;
    const double value = ParseNumber(text, std::numeric_limits<double>::quiet_NaN());
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace vantorel
