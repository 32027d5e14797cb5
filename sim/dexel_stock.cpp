#include "sim/dexel_stock.h"

#include <algorithm>
#include <cmath>

#include "core/wrap_parameters.h"

namespace vantorel {
namespace {

constexpr double kHalfPi = kPi / 2;

// The body in the tool's frame, along the ray at distance rho from the axis: positive
// inside the body (above the profile, within the shank's radius).
struct RayInBody {
    const Tool& tool;
    double dx2, c, s2, z;
    double operator()(double rho) const {
        const double d = std::sqrt(dx2 + rho * rho * s2);
        return rho * c - z - tool.ProfileHeight(d);
    }
};

}  // namespace

double DexelLayout::AngleStep() const { return 2 * kPi / rows; }

DexelLayout LayoutFor(double xBegin, double xEnd, double radius, double cell) {
    DexelLayout layout;
    // A span that is a whole number of cells stays so, whatever the last bit of the division.
    auto count = [](double span, double cell) {
        return static_cast<int>(std::ceil(span / cell * (1 - 1e-12)));
    };
    layout.rows = std::max(8, count(2 * kPi * radius, cell));
    layout.columns = std::max(1, count(xEnd - xBegin, cell) + 1);
    layout.dx = layout.columns > 1 ? (xEnd - xBegin) / (layout.columns - 1) : cell;
    layout.x0 = xBegin;
    return layout;
}

DexelStock::DexelStock(const DexelLayout& layout, double radius)
    : layout_(layout), radius_(radius), radii_(layout.Cells(), static_cast<float>(radius)) {}

double RayEntry(const Tool& tool, double dx, double phi, double z, double limit) {
    const double r = tool.Radius();
    if (std::fabs(dx) > r || std::fabs(phi) >= kHalfPi) return -1;
    // The axis itself inside the body: the tool reaches past it.
    if (z + tool.ProfileHeight(std::fabs(dx)) <= 0) return 0;
    const double c = std::cos(phi), s = std::sin(phi);
    if (tool.shape == ToolShape::Ball) {
        const double cz = z + r;
        const double q = r * r - dx * dx - cz * cz * s * s;
        if (q < 0) return -1;
        const double rho = std::max(0.0, cz * c - std::sqrt(q));
        return rho <= limit ? rho : -1;
    }
    // The ray moves away from the tool's axis as it goes out, so it leaves the body through
    // the shank's wall and enters it only through the profile.
    const double wall = s != 0 ? std::sqrt(r * r - dx * dx) / std::fabs(s) : limit;
    double lo = std::max(0.0, z / c);
    double hi = std::min(limit, wall);
    if (lo > hi) return -1;
    const RayInBody f{tool, dx * dx, c, s * s, z};
    if (f(lo) >= 0) return lo;
    // f is concave along the ray (the profile is convex), so where it is positive is one
    // stretch: find its start, first finding a point inside when the far end is outside.
    if (f(hi) < 0) {
        double a = lo, b = hi;
        for (int k = 0; k < 80 && b - a > 1e-10; ++k) {
            const double m1 = a + (b - a) * 0.382, m2 = a + (b - a) * 0.618;
            if (f(m1) < f(m2))
                a = m1;
            else
                b = m2;
        }
        hi = (a + b) / 2;
        if (f(hi) < 0) return -1;
    }
    for (int k = 0; k < 60 && hi - lo > 1e-10; ++k) {
        const double m = (lo + hi) / 2;
        (f(m) >= 0 ? hi : lo) = m;
    }
    return hi;
}

double DexelStock::Stamp(const Tool& tool, const ToolPose& pose, int rowBegin, int rowEnd) {
    const double r = tool.Radius();
    const double z = pose.z;
    if (z >= radius_) return 0;  // the body stays outside the uncut stock
    // Only rays this far round from the tool's axis can reach the body inside the stock.
    double reach = kHalfPi;
    if (z > 0) reach = std::min(std::atan2(r, z), std::acos(z / radius_));
    const double da = layout_.AngleStep();
    const long kBegin = static_cast<long>(std::ceil((pose.a - reach) / da));
    long kEnd = static_cast<long>(std::floor((pose.a + reach) / da)) + 1;
    if (kEnd - kBegin > layout_.rows) kEnd = kBegin + layout_.rows;
    double deepest = 0;
    const double r2 = r * r;
    for (long k = kBegin; k < kEnd; ++k) {
        const int j = static_cast<int>(((k % layout_.rows) + layout_.rows) % layout_.rows);
        if (j < rowBegin || j >= rowEnd) continue;
        const double phi = static_cast<double>(k) * da - pose.a;
        if (std::fabs(phi) >= kHalfPi) continue;
        const double c = std::cos(phi), s = std::sin(phi);
        const double lateral = z > 0 ? z * s / c : 0;
        const double w2 = r2 - lateral * lateral;
        if (w2 < 0) continue;
        const double w = std::sqrt(w2);
        const int i0 =
            std::max(0, static_cast<int>(std::ceil((pose.x - w - layout_.x0) / layout_.dx)));
        const int i1 =
            std::min(layout_.columns - 1,
                     static_cast<int>(std::floor((pose.x + w - layout_.x0) / layout_.dx)));
        if (i0 > i1) continue;
        float* row = &radii_[Index(0, j)];
        switch (tool.shape) {
            case ToolShape::Ball: {
                const double cz = z + r;
                const double base = cz * c;
                const double q0 = r2 - cz * cz * s * s;
                if (q0 < 0) break;
                for (int i = i0; i <= i1; ++i) {
                    const double d = layout_.x0 + i * layout_.dx - pose.x;
                    const double q = q0 - d * d;
                    if (q < 0) continue;
                    const double root = std::sqrt(q);
                    if (base + root < 0) continue;  // the ball lies behind the axis
                    const double rho = std::max(0.0, base - root);
                    const double left = row[i];
                    if (rho < left) {
                        deepest = std::max(deepest, left - rho);
                        row[i] = static_cast<float>(rho);
                    }
                }
                break;
            }
            case ToolShape::Flat: {
                const double rho = std::max(0.0, z / c);
                for (int i = i0; i <= i1; ++i) {
                    const double left = row[i];
                    if (rho < left) {
                        deepest = std::max(deepest, left - rho);
                        row[i] = static_cast<float>(rho);
                    }
                }
                break;
            }
            default:
                for (int i = i0; i <= i1; ++i) {
                    const double left = row[i];
                    const double d = layout_.x0 + i * layout_.dx - pose.x;
                    const double rho = RayEntry(tool, d, phi, z, left);
                    if (rho >= 0 && rho < left) {
                        deepest = std::max(deepest, left - rho);
                        row[i] = static_cast<float>(rho);
                    }
                }
                break;
        }
    }
    return deepest;
}

std::int64_t WalkSteps(const Tool& tool, double dx, double dz, double turn, double radius,
                       double error) {
    // The ridge two positions a step apart leave: a ball (or a flat end's rim) of radius q
    // leaves step² / (8 q); a cone's point leaves step / (2 tan(half-angle)).
    double step = 0;
    switch (tool.shape) {
        case ToolShape::Ball:
        case ToolShape::Flat:
            step = std::sqrt(8 * tool.Radius() * error);
            break;
        case ToolShape::Vee:
            step = 2 * error * std::tan(tool.includedAngle * kPi / 360);
            break;
        case ToolShape::TaperedBall:
            step = std::sqrt(4 * tool.tipDiameter * error);
            break;
    }
    const double arc = radius * std::fabs(turn);
    const double length = std::sqrt(dx * dx + dz * dz + arc * arc);
    const double steps = std::ceil(length / step);
    return std::max<std::int64_t>(1, static_cast<std::int64_t>(std::min(steps, 1e12)));
}

}  // namespace vantorel
