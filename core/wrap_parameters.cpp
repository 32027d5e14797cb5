#include "core/wrap_parameters.h"

#include "core/run_error.h"

namespace vantorel {

double ComputeXStep(double imageLength, int width) {
    return CheckedDivide(imageLength, static_cast<double>(width - 1));
}

double ComputeAngleStep(double wrapAngle, int height) {
    return CheckedDivide(CheckedFinite(kPi * wrapAngle), static_cast<double>(height) * 180.0);
}

double ComputeAngleStepDegrees(double wrapAngle, int height) {
    return CheckedDivide(wrapAngle, static_cast<double>(height));
}

}  // namespace vantorel
