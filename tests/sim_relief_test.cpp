// The comparison with the relief: the target along each ray is the STL's own surface, and
// the original tip-following program, simulated with a real ball, cuts into a steep wall by
// what plane geometry says.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "sim/relief_target.h"
#include "tests/sim_test_support.h"
#include "writers/writer_job.h"

namespace vantorel {
namespace {

using testing::SimJob;
using testing::Wrap;

struct Triangle {
    nodalposition p[3];
};

std::vector<Triangle> StlTriangles(const std::string& stl) {
    std::vector<Triangle> triangles;
    std::istringstream in(stl);
    std::string word;
    std::vector<nodalposition> corners;
    while (in >> word) {
        if (word != "vertex") continue;
        nodalposition p;
        in >> p.x >> p.y >> p.z;
        corners.push_back(p);
        if (corners.size() == 3) {
            triangles.push_back({{corners[0], corners[1], corners[2]}});
            corners.clear();
        }
    }
    return triangles;
}

// The nearest crossing of the ray (x, 0, 0) + t (0, cos θ, sin θ), t > 0, with any triangle.
double NearestCrossing(const std::vector<Triangle>& triangles, double x, double theta) {
    double nearest = -1;
    const double d[3] = {0, std::cos(theta), std::sin(theta)};
    for (const Triangle& tri : triangles) {
        const double a[3] = {tri.p[0].x, tri.p[0].y, tri.p[0].z};
        const double b[3] = {tri.p[1].x, tri.p[1].y, tri.p[1].z};
        const double c[3] = {tri.p[2].x, tri.p[2].y, tri.p[2].z};
        // Solve o + t d = a + u (b − a) + v (c − a) by Cramer's rule.
        const double e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const double e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const double s[3] = {x - a[0], -a[1], -a[2]};
        auto det = [](const double* p, const double* q, const double* r) {
            return p[0] * (q[1] * r[2] - q[2] * r[1]) - q[0] * (p[1] * r[2] - p[2] * r[1]) +
                   r[0] * (p[1] * q[2] - p[2] * q[1]);
        };
        const double md[3] = {-d[0], -d[1], -d[2]};
        const double whole = det(e1, e2, md);
        if (std::fabs(whole) < 1e-15) continue;
        const double u = det(s, e2, md) / whole, v = det(e1, s, md) / whole;
        const double t = det(e1, e2, s) / whole;
        if (u < -1e-9 || v < -1e-9 || u + v > 1 + 1e-9 || t <= 0) continue;
        if (nearest < 0 || t < nearest) nearest = t;
    }
    return nearest;
}

TEST(ReliefTarget, IsTheStlsSurfaceAlongEveryRayAndTheStockBesideIt) {
    const Wrap wraps[] = {{2, 360, 12, 8}, {-5, 270, 9, 6}};
    const auto depth = [](int c, int r) { return 0.4 * ((c * 3 + r * 5) % 7) / 6.0; };
    std::mt19937 random(3);
    for (const Wrap& wrap : wraps) {
        const int width = 7, height = 6;
        const SimJob job(width, height, wrap, depth);
        const std::vector<Triangle> triangles =
            StlTriangles(testing::WriteStl(width, height, wrap, depth));
        ASSERT_GT(triangles.size(), 2u * (width - 1) * height);
        const ReliefTarget target(job.grid, job.parameters);
        std::uniform_real_distribution<double> along(wrap.leftX - 2,
                                                     wrap.leftX + wrap.imageLength + 2);
        std::uniform_real_distribution<double> round(0, 2 * kPi);
        for (int k = 0; k < 400; ++k) {
            const double x = along(random), theta = round(random);
            const ReliefPoint point = target.At(x, theta);
            const bool inside = x >= wrap.leftX && x <= wrap.leftX + wrap.imageLength &&
                                theta <= wrap.wrapAngle * kPi / 180;
            SCOPED_TRACE("x " + std::to_string(x) + " theta " + std::to_string(theta));
            ASSERT_EQ(point.inPicture, inside);
            if (inside)
                EXPECT_NEAR(point.radius, NearestCrossing(triangles, x, theta), 1e-6);
            else
                EXPECT_EQ(point.radius, wrap.workSurface);
        }
    }
}

// The lowest the ball's tip reaches at x, walked finely along the tip's polyline in a
// plane through the axis.
double BallEnvelope(const std::vector<double>& xs, const std::vector<double>& zs, double r,
                    double x) {
    double lowest = 1e9;
    for (std::size_t k = 0; k + 1 < xs.size(); ++k) {
        if (std::min(xs[k], xs[k + 1]) > x + r || std::max(xs[k], xs[k + 1]) < x - r) continue;
        for (int s = 0; s <= 2000; ++s) {
            const double t = s / 2000.0;
            const double cx = xs[k] + (xs[k + 1] - xs[k]) * t;
            const double cz = zs[k] + (zs[k + 1] - zs[k]) * t + r;
            if (std::fabs(x - cx) > r) continue;
            lowest = std::min(lowest, cz - std::sqrt(r * r - (x - cx) * (x - cx)));
        }
    }
    return lowest;
}

TEST(OriginalProgram, FollowingTheTipWithABallGougesASteepWallAsGeometrySays) {
    // A step 1 mm down halfway along X, the same on every row.
    const int width = 41, height = 90;
    const Wrap wrap{0, 360, 20, 10};
    const auto depth = [](int c, int) { return c < 20 ? 0.0 : 1.0; };
    const SimJob job(width, height, wrap, depth);
    WrapParameters parameters = job.parameters;
    parameters.Clearance = 15;
    parameters.Feedrate = 300;
    parameters.Footer = "M2";
    const DepthGrid plain = testing::MakeGrid(width, height, GridShape::Plain, depth);
    MemoryOutputFile program;
    WriteNcFile(WriterJob{plain, parameters, "step.nc"}, program);
    program.Commit();

    SimulationOptions options;
    options.resolution = 0.05;
    std::istringstream in(program.Bytes());
    const SimulationResult result =
        Simulate(in, testing::MustParseTool("ball:3"), job.grid, parameters, options);
    ASSERT_FALSE(result.problem) << result.problem->message;

    // In the plane of a row: the tip's polyline, the relief's profile, the ball's envelope.
    std::vector<double> xs, zs;
    for (int c = 0; c < width; ++c) xs.push_back(c * 0.5), zs.push_back(10 - depth(c, 0));
    double gouge = 0, at = 0;
    for (double x = 8; x <= 12; x += 0.001) {
        const double u = std::clamp(x / 0.5, 0.0, 39.999);
        const int c = static_cast<int>(u);
        const double relief = zs[c] + (zs[c + 1] - zs[c]) * (u - c);
        const double cut = relief - BallEnvelope(xs, zs, 1.5, x);
        if (cut > gouge) gouge = cut, at = x;
    }
    ASSERT_GT(gouge, 0.5);  // the geometry: the ball's side sinks into the top of the wall
    EXPECT_NEAR(result.report.gougeRelief.depth, gouge, 0.005);
    EXPECT_NEAR(result.report.gougeRelief.x, at, 0.1);
    EXPECT_EQ(result.report.gougeRelief.column, static_cast<int>(std::lround(at / 0.5)));
    EXPECT_TRUE(result.report.Gouges());
    // The last column is 1 mm deep: the ball's side goes on into the stock beyond the end.
    EXPECT_NEAR(result.report.gougeStock.depth, 1, 0.002);
    EXPECT_EQ(result.report.rapidsThroughStock, 0);
}

}  // namespace
}  // namespace vantorel
