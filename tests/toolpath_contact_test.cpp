// The exact contact tests against the dense-sampling reference, on random triangles and tool
// positions for every tool: exact is never below sampled, and above it by no more than the
// sampling can miss.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/toolpath_reference.h"
#include "toolpath/cutter.h"

namespace vantorel {
namespace {

using testing::SampledTriangle;

double ExactTriangle(const Cutter& cutter, const LocalPoint& a, const LocalPoint& b,
                     const LocalPoint& c) {
    return std::max({FacetContact(cutter, a, b, c), EdgeContact(cutter, a, b),
                     EdgeContact(cutter, b, c), EdgeContact(cutter, c, a)});
}

const char* const kTools[] = {"ball:3",    "ball:0.8",     "flat:2",        "vee:60:3",
                              "vee:120:2", "taper:1:20:4", "taper:0.5:40:3"};

TEST(ContactTest, ExactAgreesWithDenseSamplingOnRandomTriangles) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> spread(-2.0, 2.0);
    std::uniform_real_distribution<double> height(-1.0, 1.0);
    for (const char* text : kTools) {
        SCOPED_TRACE(text);
        const Tool tool = *ParseTool(text);
        const Cutter cutter(tool);
        int touching = 0;
        for (int trial = 0; trial < 150; ++trial) {
            LocalPoint p[3];
            for (LocalPoint& point : p) point = {spread(random), spread(random), height(random)};
            // Some triangles lie nearly flat, some stand steep, some are slivers.
            if (trial % 3 == 0) p[2] = {p[0].u + 0.01 * spread(random), p[0].v, p[1].h};
            const double exact = ExactTriangle(cutter, p[0], p[1], p[2]);
            constexpr int kSamples = 120;
            const double sampled = SampledTriangle(tool, p[0], p[1], p[2], kSamples);
            if (sampled == kNoContact) {
                EXPECT_TRUE(exact == kNoContact || exact < 1e9);
                continue;
            }
            ++touching;
            ASSERT_NE(exact, kNoContact) << "trial " << trial;
            EXPECT_GE(exact, sampled - 1e-9) << "trial " << trial;
            // Between samples the clearance changes at most by the spacing times (1 + the
            // profile's slope); steeper rims are reached on the finely sampled edges.
            double longest = 0;
            for (int k = 0; k < 3; ++k) {
                const LocalPoint& a = p[k];
                const LocalPoint& b = p[(k + 1) % 3];
                longest = std::max(longest, std::hypot(a.u - b.u, a.v - b.v, a.h - b.h));
            }
            const double slope = std::max(cutter.coneSlope, cutter.ballRadius > 0 ? 2.1 : 0.0);
            EXPECT_LE(exact, sampled + longest / kSamples * (1 + slope) + 1e-6)
                << "trial " << trial;
        }
        EXPECT_GT(touching, 50);
    }
}

// Closed forms: a ball on a plane tilted by 45 degrees, and tools against a level edge.
TEST(ContactTest, KnownContacts) {
    struct Case {
        const char* tool;
        LocalPoint a, b, c;
        double height;
    };
    const double s2 = std::sqrt(2.0);
    const Case cases[] = {
        // The plane h = u: a ball of radius 1 touches it where its normal points, the tip
        // ends 1 - sqrt 2 below the plane over the axis.
        {"ball:2", {-5, -5, -5}, {5, -5, 5}, {0, 5, 0}, s2 - 1},
        // A flat end meets the same plane with its rim: h at u = 1.
        {"flat:2", {-5, -5, -5}, {5, -5, 5}, {0, 5, 0}, 1},
        // A 90 degree V-bit has the plane's own slope: the whole side touches, tip on it.
        {"vee:90:2", {-5, -5, -5}, {5, -5, 5}, {0, 5, 0}, 0},
        // A level ridge at height 1, 0.6 to the side of a ball of radius 1: sqrt(1 - 0.36).
        {"ball:2", {-5, 0.6, 1}, {5, 0.6, 1}, {0, 0.6, -9}, 1 - (1 - 0.8)},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.tool);
        const Cutter cutter(*ParseTool(k.tool));
        EXPECT_NEAR(ExactTriangle(cutter, k.a, k.b, k.c), k.height, 1e-12);
    }
}

}  // namespace
}  // namespace vantorel
