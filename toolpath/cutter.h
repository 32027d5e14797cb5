#pragma once

// The tool as the drop-cutter sees it, and the exact contact tests against one point, one
// segment and one triangle. Coordinates are in the tool's frame: the tool's axis is the line
// u = v = 0, heights h run along it, the tip sits at height Z and the body fills every point
// at lateral distance d <= R from the axis and height >= Z + profile(d). Each test gives the
// lowest Z at which the body touches the element without entering it, or kNoContact when the
// element lies out of the tool's reach.

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/tool.h"

namespace vantorel {

inline constexpr double kNoContact = -std::numeric_limits<double>::infinity();

struct LocalPoint {
    double u;  // along the rotary axis, from the tool's axis
    double v;  // across
    double h;  // along the tool's axis, from the rotary axis
};

// The tool's constants, worked out once. Every profile here is convex and rises with d,
// which the contact tests rely on: along a line or over a plane the clearance is concave,
// so its one stationary point (or the end of the reach) is the contact.
struct Cutter {
    explicit Cutter(const Tool& tool);

    ToolShape shape;
    double radius;      // R, the widest radius (the shank's)
    double radius2;     // R²
    double ballRadius;  // the ball's radius (ball, taper)
    double ballRadius2;
    double coneStart;  // taper: where the ball meets the cone; vee: 0
    double coneBase;   // taper: the height there
    double coneSlope;  // dh/dd on the cone: 1 / tan(half-angle) (vee, taper)

    double Profile(double d) const {
        switch (shape) {
            case ToolShape::Ball:
                return ballRadius - std::sqrt(std::max(0.0, ballRadius2 - d * d));
            case ToolShape::Flat:
                return 0;
            case ToolShape::Vee:
                return d * coneSlope;
            case ToolShape::TaperedBall:
                if (d <= coneStart)
                    return ballRadius - std::sqrt(std::max(0.0, ballRadius2 - d * d));
                return coneBase + (d - coneStart) * coneSlope;
        }
        return 0;
    }

    // Largest lateral distance d at which Profile(d) < gap (so a point that rises `gap`
    // above the tip's height can reach the body only closer than that), squared.
    double ReachWithin2(double gap) const {
        if (!(gap > 0)) return -1;
        double d = radius;
        switch (shape) {
            case ToolShape::Ball:
                if (gap < ballRadius) return gap * (2 * ballRadius - gap);
                break;
            case ToolShape::Flat:
                break;
            case ToolShape::Vee:
                d = std::min(radius, gap / coneSlope);
                break;
            case ToolShape::TaperedBall:
                if (gap <= coneBase) return gap * (2 * ballRadius - gap);
                d = std::min(radius, coneStart + (gap - coneBase) / coneSlope);
                break;
        }
        return d * d;
    }
};

double VertexContact(const Cutter& cutter, const LocalPoint& p);
double EdgeContact(const Cutter& cutter, const LocalPoint& p, const LocalPoint& q);
// The triangle's interior only: its edges and corners are left to EdgeContact.
double FacetContact(const Cutter& cutter, const LocalPoint& p0, const LocalPoint& p1,
                    const LocalPoint& p2);

}  // namespace vantorel
