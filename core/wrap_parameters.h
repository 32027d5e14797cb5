#pragma once

#include <string>

#include "core/fields.h"

namespace vantorel {

inline constexpr double kPi = 3.141592653589793;

// The job parameters of one run, read afresh from the field texts, with the derived steps.
struct WrapParameters {
    double LeftX = DefaultOf(Field::LeftX).value;  // mm, X of the picture's first column
    double WrapAngle = DefaultOf(Field::WrapAngle).value;  // degrees the height is wrapped through
    double ImageLength = DefaultOf(Field::ImageLength).value;
    double WorkSurface = DefaultOf(Field::WorkSurface).value;  // mm, radius of the uncut surface
    double DepthofCut = DefaultOf(Field::DepthofCut).value;    // mm given to the brightest pixel
    double Feedrate = DefaultOf(Field::Feedrate).value;        // mm/min (NC only)
    double Clearance = DefaultOf(Field::Clearance).value;      // mm, Z of the retract plane (NC only)
    std::string Header;        // one free G-code line (NC only)
    std::string Footer;

    double XStep = 0;             // mm per column: ImageLength / (W - 1)
    double AngleStep = 0;         // radians per row: (pi * WrapAngle) / (180 * H)
    double AngleStepDegrees = 0;  // degrees per row: WrapAngle / H
};

// The derived steps, with the run's checks on their divisions.
double ComputeXStep(double imageLength, int width);
double ComputeAngleStep(double wrapAngle, int height);
double ComputeAngleStepDegrees(double wrapAngle, int height);

}  // namespace vantorel
