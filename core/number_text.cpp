#include "core/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/run_error.h"

namespace vantorel {
namespace {

// Parses the accepted form strictly; returns false when the text does not match it.
bool ReadStrict(std::string_view s, double& result) {
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n && s[i] == ' ') ++i;
    bool negative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    std::string canonical;
    bool anyDigit = false;
    bool point = false;
    while (i < n && s[i] >= '0' && s[i] <= '9') canonical += s[i++], anyDigit = true;
    if (i < n && s[i] == '.') {
        point = true;
        canonical += s[i++];
        while (i < n && s[i] >= '0' && s[i] <= '9') canonical += s[i++], anyDigit = true;
    }
    if (!anyDigit && !point) return false;
    std::string exponent;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-')) {
            if (s[i] == '-') exponent += '-';
            ++i;
        }
        bool expDigit = false;
        while (i < n && s[i] >= '0' && s[i] <= '9') exponent += s[i++], expDigit = true;
        if (!expDigit) exponent.clear();
    }
    while (i < n && s[i] == ' ') ++i;
    if (i != n) return false;
    if (!anyDigit) {  // a lone point reads as zero
        result = negative ? -0.0 : 0.0;
        return true;
    }
    bool allZero = std::all_of(canonical.begin(), canonical.end(),
                               [](char c) { return c == '0' || c == '.'; });
    if (allZero) {
        result = negative ? -0.0 : 0.0;
        return true;
    }
    std::string text = canonical;
    if (!exponent.empty()) text += "e" + exponent;
    double value = 0.0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as zero; overflow is beyond the range of a double: unreadable.
        double probe = std::strtod(text.c_str(), nullptr);
        if (std::isinf(probe)) return false;
        value = probe;
    } else if (ec != std::errc() || end != text.data() + text.size()) {
        return false;
    }
    if (!std::isfinite(value)) return false;
    result = negative ? -value : value;
    return true;
}

// The exact decimal digits of |value| (no leading zeros) and the decimal exponent of the
// first digit: |value| = 0.d1d2d3... x 10^exponent.
void ExactDigits(double value, std::string& digits, int& exponent) {
    char buffer[1200];
    std::snprintf(buffer, sizeof buffer, "%.800e", std::fabs(value));
    digits.clear();
    const char* p = buffer;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits += *p;
    exponent = std::atoi(p + 1) + 1;
}

// Rounds the digit string half away from zero keeping `keep` digits (keep may be <= 0).
// Returns the kept digits; `exponent` grows by one when the rounding carries.
std::string RoundDigits(const std::string& digits, int keep, int& exponent) {
    if (keep < 0) return "";
    std::string kept = digits.substr(0, static_cast<std::size_t>(keep));
    bool up = static_cast<std::size_t>(keep) < digits.size() && digits[keep] >= '5';
    if (!up) return kept;
    int k = keep - 1;
    while (k >= 0 && kept[k] == '9') kept[k--] = '0';
    if (k >= 0) {
        ++kept[k];
    } else {
        kept.insert(kept.begin(), '1');
        kept.pop_back();
        ++exponent;
        if (keep == 0) kept = "1";
    }
    return kept;
}

void RequireFinite(double value) {
    if (!std::isfinite(value)) throw RunError(kFloatingOverflow);
}

std::string General(double value, int precision) {
    RequireFinite(value);
    if (value == 0.0) return "0";
    std::string digits;
    int exponent = 0;
    ExactDigits(value, digits, exponent);
    std::string kept = RoundDigits(digits, precision, exponent);
    while (kept.size() > 1 && kept.back() == '0') kept.pop_back();
    std::string out = value < 0 ? "-" : "";
    const int e = exponent;
    if (e >= -3 && e <= precision) {
        if (e <= 0) {
            out += "0.";
            out.append(static_cast<std::size_t>(-e), '0');
            out += kept;
        } else if (static_cast<int>(kept.size()) <= e) {
            out += kept;
            out.append(static_cast<std::size_t>(e) - kept.size(), '0');
        } else {
            out += kept.substr(0, e) + "." + kept.substr(e);
        }
    } else {
        out += kept[0];
        if (kept.size() > 1) out += "." + kept.substr(1);
        out += "E" + std::to_string(e - 1);
    }
    return out;
}

std::string Fixed(double value, int decimals, int precision) {
    RequireFinite(value);
    std::string out;
    if (value == 0.0) {
        out = "0";
        if (decimals > 0) out += "." + std::string(static_cast<std::size_t>(decimals), '0');
        return out;
    }
    std::string digits;
    int exponent = 0;
    ExactDigits(value, digits, exponent);
    // Keep digits down to the coarser of the last decimal and the precision-th digit.
    int keep = std::min(precision, exponent + decimals);
    int roundedExponent = exponent;
    std::string kept = RoundDigits(digits, keep, roundedExponent);
    if (keep <= 0 && !kept.empty()) {
        // The value rounded up to one unit of the last decimal (or of the precision digit).
        // roundedExponent was raised by the carry; place the single digit accordingly.
    }
    if (roundedExponent > precision) return General(value, precision);
    // Build the integer and decimal digit strings of kept x 10^(roundedExponent - size).
    std::string all = kept;
    int pointPos = roundedExponent;  // digits of `all` before the decimal point
    if (keep <= 0) {
        if (kept.empty()) {
            all = "";
            pointPos = 0;
        } else {
            all = "1";
            pointPos = roundedExponent;
        }
    }
    std::string integerPart, fractionPart;
    if (pointPos <= 0) {
        integerPart = "0";
        fractionPart = std::string(static_cast<std::size_t>(-pointPos), '0') + all;
    } else if (static_cast<int>(all.size()) <= pointPos) {
        integerPart = all + std::string(static_cast<std::size_t>(pointPos) - all.size(), '0');
    } else {
        integerPart = all.substr(0, pointPos);
        fractionPart = all.substr(pointPos);
    }
    if (static_cast<int>(fractionPart.size()) < decimals)
        fractionPart.append(static_cast<std::size_t>(decimals) - fractionPart.size(), '0');
    fractionPart.resize(static_cast<std::size_t>(decimals));
    bool isZero = std::all_of(integerPart.begin(), integerPart.end(), [](char c) { return c == '0'; }) &&
                  std::all_of(fractionPart.begin(), fractionPart.end(), [](char c) { return c == '0'; });
    if (value < 0 && !isZero) out += '-';
    out += integerPart;
    if (decimals > 0) out += "." + fractionPart;
    return out;
}

int ClampDecimals(int decimals) { return std::clamp(decimals, 0, kMaxDecimals); }
int ClampPrecision(int precision) { return std::clamp(precision, 1, kMaxPrecision); }

}  // namespace

double ParseNumber(std::string_view text, double defaultValue) {
    if (text.empty()) return defaultValue;
    double value = 0.0;
    if (ReadStrict(text, value)) return value;
    std::string kept;
    for (char c : text)
        if (std::strchr("1234567890.eE+-", c) != nullptr && c != '\0') kept += c;
    if (ReadStrict(kept, value)) return value;
    return defaultValue;
}

std::string FormatGeneral(double value, int precision) {
    return General(value, ClampPrecision(precision));
}

std::string FormatFixed(double value, int decimals, int precision) {
    return Fixed(value, ClampDecimals(decimals), ClampPrecision(precision));
}

char* WriteGeneral(char* out, double value, int precision) {
    std::string s = FormatGeneral(value, precision);
    std::memcpy(out, s.data(), s.size());
    return out + s.size();
}

char* WriteFixed(char* out, double value, int decimals, int precision) {
    std::string s = FormatFixed(value, decimals, precision);
    std::memcpy(out, s.data(), s.size());
    return out + s.size();
}

}  // namespace vantorel
