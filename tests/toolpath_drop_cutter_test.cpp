// The rotary drop-cutter on small random reliefs: its pruned search against every triangle
// of the relief tested exactly, and against dense samples of the relief and of the uncut
// stock beyond it, for every tool, full and partial wraps, both borders.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/wrap_parameters.h"
#include "tests/model_test_support.h"
#include "tests/toolpath_reference.h"
#include "toolpath/drop_cutter.h"

namespace vantorel {
namespace {

using testing::SampledPoint;
using testing::SampledTriangle;

struct Job {
    DepthGrid grid;
    WrapParameters parameters;
};

Job RandomJob(int width, int height, double wrap, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> depth(0.0, 1.5);
    DepthGrid grid = testing::MakeGrid(width, height, GridShape::Plain, [&](int, int) {
        // Mostly uncut with some deep pixels: steep walls, spikes, grooves.
        const double d = depth(random);
        return d < 0.5 ? 0.0 : d;
    });
    WrapParameters p = testing::MakeParameters({1.0, wrap, 4.0, 4.0}, width, height);
    return {std::move(grid), p};
}

// The surface in the tool's frame at (x, a), straight from the grid: grid point (c, r) at
// angle r × step, the wrap row again at the wrap angle.
LocalPoint Local(const Job& job, int c, int r, double x, double a) {
    const int rows = job.grid.PictureHeight();
    const double theta = r * job.parameters.WrapAngle * kPi / (180.0 * rows);
    const double radius = job.parameters.WorkSurface - job.grid.At(c, r % rows);
    return {job.parameters.LeftX + c * job.parameters.XStep - x, radius * std::sin(theta - a),
            radius * std::cos(theta - a)};
}

template <typename Fn>
void ForEachTriangle(const Job& job, double x, double a, Fn&& fn) {
    for (int c = 0; c + 1 < job.grid.Width(); ++c)
        for (int r = 0; r < job.grid.PictureHeight(); ++r) {
            const LocalPoint p0 = Local(job, c, r, x, a), p1 = Local(job, c + 1, r, x, a);
            const LocalPoint p2 = Local(job, c + 1, r + 1, x, a), p3 = Local(job, c, r + 1, x, a);
            fn(p0, p2, p1);
            fn(p0, p3, p2);
        }
}

double ExhaustiveRelief(const Job& job, const Cutter& cutter, double x, double a) {
    double best = kNoContact;
    ForEachTriangle(job, x, a, [&](const LocalPoint& p, const LocalPoint& q, const LocalPoint& s) {
        best = std::max({best, FacetContact(cutter, p, q, s), EdgeContact(cutter, p, q),
                         EdgeContact(cutter, q, s), EdgeContact(cutter, s, p)});
    });
    return best;
}

// The stock beyond the picture as points on the work-surface cylinder.
double SampledStock(const Job& job, const Tool& tool, double x, double a) {
    const WrapParameters& p = job.parameters;
    const double left = p.LeftX, right = p.LeftX + p.ImageLength, ws = p.WorkSurface;
    const double r = tool.Radius();
    double best = kNoContact;
    const int n = 400;
    for (int i = 0; i <= n; ++i) {
        const double px = x - r + 2 * r * i / n;
        for (int k = 0; k <= n; ++k) {
            const double theta = a - kPi / 2 + kPi * k / n;
            double t = std::fmod(theta, 2 * kPi);
            if (t < 0) t += 2 * kPi;
            const bool beyond = px <= left || px >= right || t >= p.WrapAngle * kPi / 180;
            if (!beyond) continue;
            best = std::max(best, SampledPoint(tool, {px - x, ws * std::sin(theta - a),
                                                      ws * std::cos(theta - a)}));
        }
    }
    return best;
}

const char* const kTools[] = {"ball:3", "flat:2", "vee:60:3", "taper:1:20:3.5"};

TEST(DropCutterTest, PrunedSearchFindsTheHighestContactOfAllTriangles) {
    struct Case {
        int width, height;
        double wrap;
    };
    const Case cases[] = {{9, 12, 360}, {7, 5, 200}, {12, 40, 360}, {6, 3, 360}};
    std::mt19937 random(5);
    for (const Case& k : cases)
        for (const char* text : kTools) {
            SCOPED_TRACE(std::string(text) + " wrap " + std::to_string(k.wrap) + " rows " +
                         std::to_string(k.height));
            const Job job = RandomJob(k.width, k.height, k.wrap, 17 + k.height);
            const Tool tool = *ParseTool(text);
            const ReliefSurface surface(job.grid, job.parameters, Border::Free);
            const DropCutter dropCutter(surface, tool);
            std::uniform_real_distribution<double> along(job.parameters.LeftX,
                                                         job.parameters.LeftX + 4);
            std::uniform_real_distribution<double> round(0, k.wrap * kPi / 180);
            for (int trial = 0; trial < 60; ++trial) {
                const double x = along(random), a = round(random);
                EXPECT_NEAR(dropCutter.Height(x, a),
                            ExhaustiveRelief(job, dropCutter.cutterShape(), x, a), 1e-12)
                    << x << " " << a;
            }
        }
}

TEST(DropCutterTest, AgreesWithDenseSamplesOfReliefAndStock) {
    struct Case {
        double wrap;
        Border border;
    };
    const Case cases[] = {{360, Border::Stock}, {250, Border::Stock}, {250, Border::Free}};
    std::mt19937 random(9);
    for (const Case& k : cases)
        for (const char* text : kTools) {
            SCOPED_TRACE(std::string(text) + " wrap " + std::to_string(k.wrap));
            const Job job = RandomJob(6, 8, k.wrap, 3);
            const Tool tool = *ParseTool(text);
            const ReliefSurface surface(job.grid, job.parameters, k.border);
            const DropCutter dropCutter(surface, tool);
            std::uniform_real_distribution<double> along(job.parameters.LeftX - 1,
                                                         job.parameters.LeftX + 5);
            // With nothing beyond the picture, the tool works over the sector only.
            std::uniform_real_distribution<double> round(
                0, k.border == Border::Stock ? 2 * kPi : k.wrap * kPi / 180);
            for (int trial = 0; trial < 6; ++trial) {
                const double x = along(random), a = round(random);
                double sampled = kNoContact;
                ForEachTriangle(job, x, a,
                                [&](const LocalPoint& p, const LocalPoint& q, const LocalPoint& s) {
                                    sampled = std::max(sampled, SampledTriangle(tool, p, q, s, 40));
                                });
                if (k.border == Border::Stock)
                    sampled = std::max(sampled, SampledStock(job, tool, x, a));
                const double exact = dropCutter.Height(x, a);
                EXPECT_GE(exact, sampled - 1e-9) << x << " " << a;
                // Cells are about 1 mm across: 40 samples leave 0.025 mm, the stock samples less.
                const double slope = std::max(dropCutter.cutterShape().coneSlope, 2.1);
                EXPECT_LE(exact, sampled + 0.03 * (1 + slope)) << x << " " << a;
            }
        }
}

}  // namespace
}  // namespace vantorel
