#include "tests/number_reference.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace vantorel::reference {
namespace {

// Rounds half away from zero keeping `keep` leading digits (keep may be <= 0, meaning the
// rounding point lies above the first digit). `exponent` grows by one when the rounding
// carries into a new leading digit.
std::string RoundDigits(const std::string& digits, int keep, int& exponent) {
    if (keep < 0) return "";  // below a tenth of the rounding unit: rounds to zero
    std::string kept = digits.substr(0, static_cast<std::size_t>(keep));
    const bool up = static_cast<std::size_t>(keep) < digits.size() && digits[keep] >= '5';
    if (!up) return kept;
    int k = keep - 1;
    while (k >= 0 && kept[k] == '9') kept[k--] = '0';
    if (k >= 0) {
        ++kept[k];
        return kept;
    }
    // All kept digits were 9 (or none were kept): the result is 1 followed by zeros.
    ++exponent;
    if (kept.empty()) return "1";
    kept.insert(kept.begin(), '1');
    kept.pop_back();
    return kept;
}

}  // namespace

ExactValue Exact(double value) {
    ExactValue exact;
    exact.negative = std::signbit(value);
    if (value == 0.0) return exact;
    // 801 significant digits cover the longest exact expansion of a double (767 digits), so
    // the C library has nothing left to round.
    char buffer[1200];
    std::snprintf(buffer, sizeof buffer, "%.800e", std::fabs(value));
    const char* p = buffer;
    for (; *p != '\0' && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') exact.digits += *p;
    exact.exponent = std::atoi(p + 1) + 1;
    while (!exact.digits.empty() && exact.digits.back() == '0') exact.digits.pop_back();
    return exact;
}

std::string ReferenceGeneral(const ExactValue& value, int precision) {
    if (value.digits.empty()) return "0";
    int e = value.exponent;
    std::string kept = RoundDigits(value.digits, precision, e);
    while (kept.size() > 1 && kept.back() == '0') kept.pop_back();
    std::string out = value.negative ? "-" : "";
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

std::string ReferenceFixed(const ExactValue& value, int decimals, int precision) {
    // Integer digits, then decimals, of the value rounded at the coarser of the last decimal
    // and the precision-th significant digit.
    std::string integerPart = "0";
    std::string fractionPart;
    if (!value.digits.empty()) {
        // The fallback depends on the integer digits after rounding at `precision` digits.
        int generalExponent = value.exponent;
        RoundDigits(value.digits, precision, generalExponent);
        if (generalExponent > precision) return ReferenceGeneral(value, precision);

        const int keep = std::min(precision, value.exponent + decimals);
        int e = value.exponent;
        const std::string kept = RoundDigits(value.digits, keep, e);
        if (!kept.empty()) {
            // kept x 10^(e - kept.size()): `e` digits stand before the point.
            if (e <= 0) {
                fractionPart = std::string(static_cast<std::size_t>(-e), '0') + kept;
            } else if (static_cast<int>(kept.size()) <= e) {
                integerPart = kept + std::string(e - kept.size(), '0');
            } else {
                integerPart = kept.substr(0, e);
                fractionPart = kept.substr(e);
            }
        }
    }
    fractionPart.resize(static_cast<std::size_t>(decimals), '0');
    const bool zero =
        integerPart == "0" && fractionPart.find_first_not_of('0') == std::string::npos;
    std::string out = value.negative && !zero ? "-" : "";
    out += integerPart;
    if (decimals > 0) out += "." + fractionPart;
    return out;
}

std::string ReferenceGeneral(double value, int precision) {
    return ReferenceGeneral(Exact(value), precision);
}

std::string ReferenceFixed(double value, int decimals, int precision) {
    return ReferenceFixed(Exact(value), decimals, precision);
}

}  // namespace vantorel::reference
