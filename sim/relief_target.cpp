#include "sim/relief_target.h"

#include <algorithm>
#include <cmath>

namespace vantorel {
namespace {

struct Hit {
    double t;
    double outside;  // how far the barycentric coordinates lie outside the triangle
};

// The ray (x, 0, 0) + t (0, dy, dz) against the plane of triangle q0 q1 q2.
Hit RayTriangle(double x, double dy, double dz, const nodalposition& q0, const nodalposition& q1,
                const nodalposition& q2) {
    const double e1x = q1.x - q0.x, e1y = q1.y - q0.y, e1z = q1.z - q0.z;
    const double e2x = q2.x - q0.x, e2y = q2.y - q0.y, e2z = q2.z - q0.z;
    // h = D × e2, with D = (0, dy, dz)
    const double hx = dy * e2z - dz * e2y, hy = dz * e2x, hz = -dy * e2x;
    const double det = e1x * hx + e1y * hy + e1z * hz;
    if (std::fabs(det) < 1e-300) return {0, 1e300};
    const double inv = 1 / det;
    const double sx = x - q0.x, sy = -q0.y, sz = -q0.z;
    const double u = inv * (sx * hx + sy * hy + sz * hz);
    const double qx = sy * e1z - sz * e1y, qy = sz * e1x - sx * e1z, qz = sx * e1y - sy * e1x;
    const double v = inv * (dy * qy + dz * qz);
    const double t = inv * (e2x * qx + e2y * qy + e2z * qz);
    const double outside = std::max({0.0, -u, -v, u + v - 1});
    return {t, outside};
}

}  // namespace

ReliefTarget::ReliefTarget(const DepthGrid& grid, const WrapParameters& parameters)
    : grid_(grid), parameters_(parameters), placer_(grid, parameters) {}

ReliefPoint ReliefTarget::At(double x, double theta) const {
    const int width = grid_.Width();
    const int height = grid_.PictureHeight();
    ReliefPoint point;
    point.radius = parameters_.WorkSurface;
    theta = std::fmod(theta, 2 * kPi);
    if (theta < 0) theta += 2 * kPi;
    const double u = (x - parameters_.LeftX) / parameters_.XStep;
    const double w = theta / parameters_.AngleStep;
    point.column = std::clamp(static_cast<int>(std::lround(u)), -1, width);
    point.row = static_cast<int>(std::lround(w));
    if (point.row >= height && parameters_.WrapAngle >= 360) point.row = 0;
    // Beyond the wrapped sector rows go on counting, so a gouge there still says where.
    const bool inX = u >= 0 && u <= width - 1;
    const bool inAngle = w <= height;
    if (!inX || !inAngle || width < 2) return point;
    point.inPicture = true;
    const int c = std::min(width - 2, static_cast<int>(u));
    const int r = std::min(height - 1, static_cast<int>(w));
    const nodalposition p0 = placer_.At(c, r), p1 = placer_.At(c + 1, r);
    const nodalposition p2 = placer_.At(c + 1, r + 1), p3 = placer_.At(c, r + 1);
    const double dy = std::cos(theta), dz = std::sin(theta);
    const Hit a = RayTriangle(x, dy, dz, p0, p2, p1);
    const Hit b = RayTriangle(x, dy, dz, p0, p3, p2);
    point.radius = a.outside <= b.outside ? a.t : b.t;
    return point;
}

}  // namespace vantorel
