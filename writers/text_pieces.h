#pragma once

// Small building blocks for writers that format straight into a TextBuffer's room.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/number_text.h"

namespace vantorel {

// Copies a literal; its length is known at compile time, so this is a few moves.
template <std::size_t N>
inline char* Put(char* at, const char (&text)[N]) {
    std::memcpy(at, text, N - 1);
    return at + N - 1;
}

inline char* PutLineEnd(char* at) { return Put(at, "\r\n"); }

// The text of a number kept for reuse: a grid point's coordinate is written by every cell or
// face that has it as a corner, so it is formatted once and copied.
struct NumberText {
    static constexpr std::size_t kCopy = 32;  // every text the writers keep is shorter
    char text[kMaxNumberText];
    std::uint8_t size;

    static_assert(kCopy <= kMaxNumberText);
};

inline void SetFixed(NumberText& n, double value, int decimals, int precision) {
    n.size = static_cast<std::uint8_t>(WriteFixed(n.text, value, decimals, precision) - n.text);
}
inline void SetGeneral(NumberText& n, double value, int precision = 15) {
    n.size = static_cast<std::uint8_t>(WriteGeneral(n.text, value, precision) - n.text);
}

// A fixed-size copy when the text fits it (always, for the writers' numbers), so no call to
// a general memcpy per number.
inline char* Put(char* at, const NumberText& n) {
    if (n.size <= NumberText::kCopy) [[likely]]
        std::memcpy(at, n.text, NumberText::kCopy);
    else
        std::memcpy(at, n.text, n.size);
    return at + n.size;
}

// Decimal digits of an unsigned integer below 10^16.
inline char* PutUnsigned(char* at, std::uint64_t value) {
    using namespace number_text_detail;
    const int digits = DecimalDigits(value);
    if (value < 100000000) {
        const std::uint64_t text =
            (EightDigitValues(static_cast<std::uint32_t>(value)) >> (8 * (8 - digits))) + kAsciiZeros;
        std::memcpy(at, &text, 8);
    } else {
        StoreDigits(at, SixteenDigitValues(value) >> (8 * (16 - digits)));
    }
    return at + digits;
}

}  // namespace vantorel
