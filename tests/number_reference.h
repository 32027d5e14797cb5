#pragma once

// Slow but plainly exact number forms: they round on the full decimal expansion of the
// double as the C library prints it, with strings throughout. The fast forms in
// core/number_text.cpp are checked against these.

#include <string>

namespace vantorel::reference {

// Every decimal digit of a finite double: |value| = 0.digits x 10^exponent, digits starting
// with a non-zero digit (empty for zero).
struct ExactValue {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

ExactValue Exact(double value);

// Same contracts as FormatGeneral and FormatFixed, for a finite value, precision in [1, 17]
// and decimals in [0, 18]. The ExactValue overloads let one expansion serve many forms.
std::string ReferenceGeneral(const ExactValue& value, int precision);
std::string ReferenceFixed(const ExactValue& value, int decimals, int precision);
std::string ReferenceGeneral(double value, int precision);
std::string ReferenceFixed(double value, int decimals, int precision);

}  // namespace vantorel::reference
