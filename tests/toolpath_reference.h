#pragma once

// The slow reference for the drop-cutter tests: the tool as its profile, the surface as
// dense points sampled from its triangles. Sampled heights can only be lower than the exact
// one, by no more than the spacing lets a contact slip between samples.

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/tool.h"
#include "toolpath/cutter.h"

namespace vantorel::testing {

inline double SampledPoint(const Tool& tool, const LocalPoint& p) {
    const double d = std::sqrt(p.u * p.u + p.v * p.v);
    if (d > tool.Radius()) return kNoContact;
    return p.h - tool.ProfileHeight(d);
}

inline LocalPoint Mix(const LocalPoint& a, const LocalPoint& b, double t) {
    return {a.u + (b.u - a.u) * t, a.v + (b.v - a.v) * t, a.h + (b.h - a.h) * t};
}

// Barycentric samples n per edge over the triangle, and edges sampled ten times finer (the
// contacts at the rim of a ball fall on edges and are the steepest).
inline double SampledTriangle(const Tool& tool, const LocalPoint& a, const LocalPoint& b,
                              const LocalPoint& c, int n) {
    double best = kNoContact;
    for (int i = 0; i <= n; ++i)
        for (int j = 0; i + j <= n; ++j) {
            const double s = static_cast<double>(i) / n, t = static_cast<double>(j) / n;
            const LocalPoint p{a.u + (b.u - a.u) * s + (c.u - a.u) * t,
                               a.v + (b.v - a.v) * s + (c.v - a.v) * t,
                               a.h + (b.h - a.h) * s + (c.h - a.h) * t};
            best = std::max(best, SampledPoint(tool, p));
        }
    const int fine = 10 * n;
    for (const auto& [p, q] : {std::pair{a, b}, std::pair{b, c}, std::pair{c, a}})
        for (int k = 0; k <= fine; ++k)
            best = std::max(best, SampledPoint(tool, Mix(p, q, static_cast<double>(k) / fine)));
    return best;
}

}  // namespace vantorel::testing
