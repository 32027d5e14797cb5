#pragma once

#include <string>

namespace vantorel {

inline constexpr double kPi = 3.141592653589793;

// The job parameters of one run, read afresh from the field texts, with the derived steps.
struct WrapParameters {
    double LeftX = 0;        // mm, X of the picture's first column
    double WrapAngle = 360;  // degrees the picture's height is wrapped through
    double ImageLength = 100;
    double WorkSurface = 7.5;  // mm, radius of the uncut surface
    double DepthofCut = 1;     // mm given to the brightest pixel
    double Feedrate = 200;     // mm/min (NC only)
    double Clearance = 10;     // mm, Z of the retract plane (NC only)
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
