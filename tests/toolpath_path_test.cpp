// Whole finishing paths on small pictures made to catch a path that cuts in: steep walls,
// a groove narrower than the tool, a single-pixel spike, a feature across the seam, deep
// cuts at the picture's edges. Every move, walked finely as the controller interpolates it,
// stays above the exact drop-cutter height within the tolerance, for every tool and pattern.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/model_test_support.h"
#include "toolpath/finishing_path.h"

namespace vantorel {
namespace {

constexpr int kWidth = 24;
constexpr int kHeight = 20;

double Hostile(int c, int r) {
    if (c >= 4 && c <= 8 && r >= 3 && r <= 8) return 1.0;  // a pit with steep walls
    if (c == 12 && r >= 2 && r <= 16) return 0.9;          // a groove one pixel wide
    if (c >= 15 && c <= 19 && r >= 10 && r <= 15)          // a spike in a deep floor
        return c == 17 && r == 12 ? 0.0 : 0.8;
    if (r == 0 || r == kHeight - 1) return 0.6;  // across the seam
    if (c == 0 || c == kWidth - 1) return 0.7;   // the picture's edges
    return 0.1 * ((c * 7 + r * 3) % 4);          // a rough floor
}

struct Case {
    const char* tool;
    Pattern pattern;
    double wrap;
    Border border;
};

void ExpectSafe(const Case& k, double tolerance) {
    SCOPED_TRACE(std::string(k.tool) + " " + PatternName(k.pattern) + " wrap " +
                 std::to_string(k.wrap) + " " + BorderName(k.border));
    const DepthGrid grid = testing::MakeGrid(kWidth, kHeight, GridShape::Plain, Hostile);
    const WrapParameters p = testing::MakeParameters({2.0, k.wrap, 6.0, 4.0}, kWidth, kHeight);
    const ReliefSurface surface(grid, p, k.border);
    ToolpathSettings settings;
    settings.tool = *ParseTool(k.tool);
    settings.pattern = k.pattern;
    settings.stepover = 0.3;
    settings.tolerance = tolerance;
    settings.border = k.border;
    const FinishingPath path(surface, settings);
    const DropCutter& dropCutter = path.dropCutter();
    const auto passes = ComputePasses(path, 2);
    std::vector<PathPoint> points;
    for (const auto& pass : passes) points.insert(points.end(), pass.begin(), pass.end());
    ASSERT_GT(points.size(), 10u);
    auto height = [&](double x, double a) { return dropCutter.Height(x, a * kPi / 180); };
    // Each position is the exact height rounded up to the text's 4 decimals, but for the
    // top of a lift (a straight rise before the side of the tool passes over a wall).
    for (std::size_t i = 0; i < points.size(); ++i) {
        const PathPoint& q = points[i];
        const double z = height(q.x, q.a);
        ASSERT_GE(q.z, z);
        auto liftBeside = [&](std::size_t j) {
            return j < points.size() && points[j].x == q.x && points[j].a == q.a;
        };
        if (!liftBeside(i - 1) && !liftBeside(i + 1)) {
            ASSERT_LE(q.z, z + 1.0001e-4) << i;
        }
    }
    double deepest = 0;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const PathPoint& from = points[i - 1];
        const PathPoint& to = points[i];
        const double length = std::hypot(to.x - from.x, (to.a - from.a) * kPi / 180 * 4.0);
        const int steps = std::max(8, static_cast<int>(length / 0.01));
        for (int s = 1; s < steps; ++s) {
            const double t = static_cast<double>(s) / steps;
            const double z = from.z + (to.z - from.z) * t;
            deepest = std::max(
                deepest, height(from.x + (to.x - from.x) * t, from.a + (to.a - from.a) * t) - z);
        }
    }
    EXPECT_LE(deepest, tolerance + 1e-9);
}

TEST(FinishingPathTest, NoMoveCutsInByMoreThanTheTolerance) {
    const char* const tools[] = {"ball:1", "flat:0.8", "vee:90:1.2", "taper:0.4:20:1.5"};
    for (const char* tool : tools) {
        ExpectSafe({tool, Pattern::Rows, 360, Border::Stock}, 0.002);
        ExpectSafe({tool, Pattern::Rings, 360, Border::Stock}, 0.002);
        ExpectSafe({tool, Pattern::Spiral, 360, Border::Free}, 0.002);
        ExpectSafe({tool, Pattern::Rows, 200, Border::Free}, 0.01);
        ExpectSafe({tool, Pattern::Rings, 200, Border::Stock}, 0.01);
    }
}

}  // namespace
}  // namespace vantorel
