#pragma once

// Number text: reading numbers typed in the window's fields and the two number forms every
// output file uses. Both forms round half away from zero on the exact value of the double,
// use "." as the decimal separator and never group thousands.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vantorel {

// Reads a field's text as a number. Empty text, or text that reads as no number even after
// dropping every character outside "1234567890.eE+-", gives `defaultValue`. A number beyond
// the range of a double counts as unreadable; one too small for it reads as a zero of its
// sign. Never fails, and takes time linear in the text's length.
double ParseNumber(std::string_view text, double defaultValue);

// A setting's number, read strictly: the whole text is a finite number (digits, ".", a sign,
// an exponent), or there is none.
std::optional<double> ParseStrictNumber(std::string_view text);

// The general number form: up to `precision` significant digits, trailing zeros dropped,
// fixed notation for 0.0001 <= |rounded| < 10^precision, otherwise scientific ("1.5E20").
std::string FormatGeneral(double value, int precision = 15);

// The fixed number form: exactly `decimals` decimals, rounded at the `precision`-th
// significant digit or the last decimal, whichever comes first. A value with more than
// `precision` digits before the point is written in the general form instead. A value that
// rounds to zero has no minus sign.
std::string FormatFixed(double value, int decimals, int precision = 15);

// Hot-path forms of the two above: write the text at `out` (which must have room for
// kMaxNumberText characters) and return the end of what was written.
inline constexpr std::size_t kMaxNumberText = 48;
inline constexpr int kMaxDecimals = 18;
inline constexpr int kMaxPrecision = 17;
inline char* WriteGeneral(char* out, double value, int precision = 15);
inline char* WriteFixed(char* out, double value, int decimals, int precision = 15);
// WriteFixed(out, value, 10, 10), the same text, with a shorter path for |value| <= 1 (the
// unit normals of a model).
inline char* WriteFixed10Unit(char* out, double value);

// Both forms raise RunError(kFloatingOverflow) for an infinity or a NaN: such a value never
// reaches a file. `decimals` is clamped to [0, kMaxDecimals], `precision` to [1, kMaxPrecision].

}  // namespace vantorel

#include "core/number_text_fast.h"
