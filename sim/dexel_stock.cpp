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

// cells[k] = min(cells[k], base − sqrt(q0 − d²)) with d = first + k × step: a row of
// cells under a ball, written so that the compiler runs it several cells at a time.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
__attribute__((target_clones("avx2", "default")))
#endif
void LowerUnderSphere(float* __restrict cells, int n, float first, float step, float q0,
                      float base) {
    for (int k = 0; k < n; ++k) {
        const float d = first + static_cast<float>(k) * step;
        float q = q0 - d * d;
        q = q > 0.0f ? q : 0.0f;
        float rho = base - std::sqrt(q);
        rho = rho > 0.0f ? rho : 0.0f;
        const float left = cells[k];
        cells[k] = rho < left ? rho : left;
    }
}

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

double DexelStock::Stamp(const Tool& tool, const ToolPose& pose, int part, int parts,
                         bool measure) {
    const double r = tool.Radius();
    const double z = pose.z;
    if (z >= radius_) return 0;  // the body stays outside the uncut stock
    // Only rays this far round from the tool's axis can reach the body inside the stock.
    double reach = kHalfPi;
    if (z > 0) reach = std::min(std::atan2(r, z), std::acos(z / radius_));
    if (tool.shape == ToolShape::Ball && z + r > r) reach = std::min(reach, std::asin(r / (z + r)));
    const double da = layout_.AngleStep();
    long kBegin = static_cast<long>(std::ceil((pose.a - reach) / da));
    long kEnd = static_cast<long>(std::floor((pose.a + reach) / da)) + 1;
    if (kEnd - kBegin > layout_.rows) kEnd = kBegin + layout_.rows;
    // The first k of this part's rows.
    const long shift = ((kBegin % parts) + parts) % parts;
    kBegin += (part - shift + parts) % parts;
    double deepest = 0;
    const double r2 = r * r;
    const double x0 = layout_.x0 - pose.x, dx = layout_.dx, perCell = 1 / dx;
    auto columns = [&](double half, int& i0, int& i1) {
        i0 = std::max(0, static_cast<int>(std::ceil((-half - x0) * perCell)));
        i1 = std::min(layout_.columns - 1, static_cast<int>(std::floor((half - x0) * perCell)));
        return i0 <= i1;
    };
    // The rows' angles from the tool's axis, turned on from row to row.
    const double turnCos = std::cos(parts * da), turnSin = std::sin(parts * da);
    double c = std::cos(static_cast<double>(kBegin) * da - pose.a);
    double s = std::sin(static_cast<double>(kBegin) * da - pose.a);
    auto lower = [&](float* row, int i, double rho) {
        const double left = row[i];
        if (rho < left) {
            deepest = std::max(deepest, left - rho);
            row[i] = static_cast<float>(rho);
        }
    };
    for (long k = kBegin; k < kEnd; k += parts) {
        if (k != kBegin) {
            const double turned = c * turnCos - s * turnSin;
            s = s * turnCos + c * turnSin;
            c = turned;
        }
        const int j = static_cast<int>(((k % layout_.rows) + layout_.rows) % layout_.rows);
        const double phi = static_cast<double>(k) * da - pose.a;
        if (std::fabs(phi) >= kHalfPi) continue;
        float* row = &radii_[Index(0, j)];
        int i0, i1;
        if (tool.shape == ToolShape::Ball && z + r > 0) {
            // The ray meets the ball's sphere at cz c − sqrt(r² − dx² − cz² s²).
            const double cz = z + r;
            const double base = cz * c;
            const double q0 = r2 - cz * cz * s * s;
            if (q0 < 0 || !columns(std::sqrt(q0), i0, i1)) continue;
            if (measure) {
                for (int i = i0; i <= i1; ++i) {
                    const double d = x0 + i * dx;
                    lower(row, i, std::max(0.0, base - std::sqrt(std::max(0.0, q0 - d * d))));
                }
            } else {
                // Single precision from the first cell on: the offsets stay under the tool's
                // radius, so each radius keeps about a millionth of a millimetre, and the
                // loop runs four cells at a time.
                LowerUnderSphere(row + i0, i1 - i0 + 1, static_cast<float>(x0 + i0 * dx),
                                 static_cast<float>(dx), static_cast<float>(q0),
                                 static_cast<float>(base));
            }
            continue;
        }
        const double lateral = z > 0 ? z * s / c : 0;
        const double w2 = r2 - lateral * lateral;
        if (w2 < 0 || !columns(std::sqrt(w2), i0, i1)) continue;
        if (tool.shape == ToolShape::Flat) {
            const double rho = std::max(0.0, z / c);
            for (int i = i0; i <= i1; ++i) lower(row, i, rho);
            continue;
        }
        for (int i = i0; i <= i1; ++i) {
            const double rho = RayEntry(tool, x0 + i * dx, phi, z, row[i]);
            if (rho >= 0) lower(row, i, rho);
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
