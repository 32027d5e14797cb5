#include "toolpath/cutter.h"

#include <algorithm>

#include "core/wrap_parameters.h"

namespace vantorel {
namespace {

// The clearance F(s) = h(s) - profile(sqrt(e² + s²)) of a point s along a line whose foot
// (the point nearest the tool's axis) is at lateral distance e and height hFoot, rising m
// per unit of s.
struct LineClearance {
    const Cutter& cutter;
    double e2;
    double hFoot;
    double m;
    double At(double s) const { return hFoot + m * s - cutter.Profile(std::sqrt(e2 + s * s)); }
};

// The s where a ball of radius `ball` meets the line, were it the whole profile: the circle
// the vertical plane through the line cuts from the sphere touches the line there.
double BallStationary(double ball2, double e2, double m) {
    if (e2 >= ball2) return 0;
    return m * std::sqrt(ball2 - e2) / std::sqrt(1 + m * m);
}

// The same for a cone of slope k: the hyperbola the plane cuts from the cone.
bool ConeStationary(double k, double e2, double m, double* s) {
    if (!(std::abs(m) < k)) return false;
    *s = std::sqrt(e2) * m / std::sqrt(k * k - m * m);
    return true;
}

// Lateral distance of the stationary contact with a plane rising `slope` per unit of
// lateral distance (the same rule for a ball's sphere and a cone, capped at the rim).
double FacetStationary(const Cutter& c, double slope) {
    switch (c.shape) {
        case ToolShape::Ball:
            return c.ballRadius * slope / std::sqrt(1 + slope * slope);
        case ToolShape::Flat:
            return slope > 0 ? c.radius : 0;
        case ToolShape::Vee:
            return slope > c.coneSlope ? c.radius : 0;
        case ToolShape::TaperedBall:
            if (slope <= c.coneSlope) return c.ballRadius * slope / std::sqrt(1 + slope * slope);
            return c.radius;
    }
    return 0;
}

}  // namespace

Cutter::Cutter(const Tool& tool)
    : shape(tool.shape),
      radius(tool.Radius()),
      radius2(tool.Radius() * tool.Radius()),
      ballRadius(0),
      ballRadius2(0),
      coneStart(0),
      coneBase(0),
      coneSlope(0) {
    const double halfAngle = tool.includedAngle * kPi / 360;
    switch (shape) {
        case ToolShape::Ball:
            ballRadius = radius;
            break;
        case ToolShape::Flat:
            break;
        case ToolShape::Vee:
            coneSlope = 1 / std::tan(halfAngle);
            break;
        case ToolShape::TaperedBall:
            ballRadius = tool.tipDiameter / 2;
            coneStart = ballRadius * std::cos(halfAngle);
            coneBase = ballRadius - ballRadius * std::sin(halfAngle);
            coneSlope = 1 / std::tan(halfAngle);
            break;
    }
    ballRadius2 = ballRadius * ballRadius;
}

double VertexContact(const Cutter& cutter, const LocalPoint& p) {
    const double d2 = p.u * p.u + p.v * p.v;
    if (d2 > cutter.radius2) return kNoContact;
    return p.h - cutter.Profile(std::sqrt(d2));
}

double EdgeContact(const Cutter& cutter, const LocalPoint& p, const LocalPoint& q) {
    const double du = q.u - p.u;
    const double dv = q.v - p.v;
    const double length2 = du * du + dv * dv;
    const double length = std::sqrt(length2);
    // An edge seen end on (along the tool's axis): its higher end is the contact.
    if (length <= 1e-12 * (1 + std::abs(p.u) + std::abs(p.v)))
        return std::max(VertexContact(cutter, p), VertexContact(cutter, q));
    const double tu = du / length;
    const double tv = dv / length;
    const double sP = p.u * tu + p.v * tv;  // p's place along the line, from the foot
    const double e2 = std::max(0.0, p.u * p.u + p.v * p.v - sP * sP);
    if (e2 >= cutter.radius2) return kNoContact;
    const double reach = std::sqrt(cutter.radius2 - e2);
    const double lo = std::max(sP, -reach);
    const double hi = std::min(sP + length, reach);
    if (lo > hi) return kNoContact;
    const double m = (q.h - p.h) / length;
    const LineClearance f{cutter, e2, p.h - m * sP, m};
    double best = std::max(f.At(lo), f.At(hi));
    auto candidate = [&](double s) { best = std::max(best, f.At(std::clamp(s, lo, hi))); };
    double s = 0;
    switch (cutter.shape) {
        case ToolShape::Ball:
            candidate(BallStationary(cutter.ballRadius2, e2, m));
            break;
        case ToolShape::Flat:
            break;
        case ToolShape::Vee:
            if (ConeStationary(cutter.coneSlope, e2, m, &s)) candidate(s);
            break;
        case ToolShape::TaperedBall:
            candidate(BallStationary(cutter.ballRadius2, e2, m));
            if (ConeStationary(cutter.coneSlope, e2, m, &s)) candidate(s);
            break;
    }
    return best;
}

double FacetContact(const Cutter& cutter, const LocalPoint& p0, const LocalPoint& p1,
                    const LocalPoint& p2) {
    const double au = p1.u - p0.u, av = p1.v - p0.v, ah = p1.h - p0.h;
    const double bu = p2.u - p0.u, bv = p2.v - p0.v, bh = p2.h - p0.h;
    const double nu = av * bh - ah * bv;
    const double nv = ah * bu - au * bh;
    const double nh = au * bv - av * bu;  // twice the projected area, signed
    const double size = std::abs(nu) + std::abs(nv) + std::abs(nh);
    // A facet standing on edge in the tool's frame has no interior contact.
    if (!(std::abs(nh) > 1e-12 * size)) return kNoContact;
    const double gu = -nu / nh;
    const double gv = -nv / nh;
    const double slope = std::sqrt(gu * gu + gv * gv);
    const double d = FacetStationary(cutter, slope);
    const double cu = slope > 0 ? gu / slope * d : 0;
    const double cv = slope > 0 ? gv / slope * d : 0;
    // The contact must lie inside the triangle's shadow: barycentric signs against nh.
    const double w1 = (cu - p0.u) * bv - (cv - p0.v) * bu;
    const double w2 = au * (cv - p0.v) - av * (cu - p0.u);
    const double w0 = nh - w1 - w2;
    if (nh > 0 ? (w0 < 0 || w1 < 0 || w2 < 0) : (w0 > 0 || w1 > 0 || w2 > 0)) return kNoContact;
    const double hCentre = p0.h - gu * p0.u - gv * p0.v;
    return hCentre + slope * d - cutter.Profile(d);
}

}  // namespace vantorel
