#pragma once

// The cutter in the spindle, as the toolpath and the simulation see it: a body of revolution
// about the tool's axis, its tip at height 0, the shank going straight up above the cutting
// profile. Every length is in millimetres, every angle in degrees.

#include <optional>
#include <string>
#include <string_view>

namespace vantorel {

enum class ToolShape {
    Ball,         // ball nose: diameter
    Flat,         // flat end mill: diameter
    Vee,          // V-bit: included angle, diameter at the top of the cone
    TaperedBall,  // tapered ball nose: tip (ball) diameter, included taper angle, shank diameter
};

struct Tool {
    ToolShape shape = ToolShape::Ball;
    double diameter = 0;  // the body's widest diameter: the shank's (ball, flat, vee, taper)
    double tipDiameter = 0;     // the ball's diameter at the tip (taper only)
    double includedAngle = 0;   // the cone's included angle (vee and taper)

    double Radius() const { return diameter / 2; }

    // Height above the tip of the body's surface at distance d (0 <= d <= Radius()) from the
    // tool's axis: where the cutting profile ends the shank goes straight up, so the height
    // is that of the profile's rim for every point on the rim circle. The body does not
    // reach beyond Radius().
    double ProfileHeight(double d) const;

    // Height above the tip at which the cutting profile meets the shank.
    double ProfileTop() const;
};

// Reads "ball:D", "flat:D", "vee:ANGLE:D" or "taper:TIPD:ANGLE:SHANKD". On a bad text gives
// nothing and says why in `problem`, in words a machinist understands.
std::optional<Tool> ParseTool(std::string_view text, std::string* problem = nullptr);

// The tool in words, for program headers and reports: "3 mm ball nose".
std::string DescribeTool(const Tool& tool);

}  // namespace vantorel
