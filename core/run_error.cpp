#include "core/run_error.h"

#include <cmath>

namespace vantorel {

double CheckedDivide(double dividend, double divisor) {
    if (divisor == 0.0) throw RunError(kDivisionByZero);
    return CheckedFinite(dividend / divisor);
}

double CheckedFinite(double value) {
    if (!std::isfinite(value)) throw RunError(kFloatingOverflow);
    return value;
}

}  // namespace vantorel
