#pragma once

#include <stdexcept>
#include <string>

namespace vantorel {

// An error that ends a conversion run after the controls were disabled. Its text is shown
// to the user as it stands, after the run's end-of-run steps.
class RunError : public std::runtime_error {
public:
    explicit RunError(const std::string& message) : std::runtime_error(message) {}
};

inline constexpr const char* kDivisionByZero = "Floating point division by zero";
inline constexpr const char* kFloatingOverflow = "Floating point overflow";

// Doubles do not trap: every division the run makes goes through here so that a zero divisor
// stops the run the way the user expects, and a result that is not finite never travels on.
double CheckedDivide(double dividend, double divisor);

// Raises the overflow error when a derived value is infinite or not a number.
double CheckedFinite(double value);

}  // namespace vantorel
