// The dexel stock and the tool sweep: where a ray first meets each tool's body, against a
// brute-force march along the ray; and whole programs whose cut is known in closed form.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "sim/dexel_stock.h"
#include "tests/sim_test_support.h"

namespace vantorel {
namespace {

using testing::MustParseTool;
using testing::SimJob;
using testing::SimulateText;
using testing::Uniform;
using testing::Wrap;

// Inside the body: within the shank's radius and above the profile (the tip at height z).
bool InBody(const Tool& tool, double dx, double phi, double z, double rho) {
    const double lateral = rho * std::sin(phi);
    const double d = std::sqrt(dx * dx + lateral * lateral);
    return d <= tool.Radius() && rho * std::cos(phi) >= z + tool.ProfileHeight(d);
}

TEST(RayEntry, MeetsEveryToolWhereAMarchAlongTheRayFirstEntersIt) {
    const char* tools[] = {"ball:3", "flat:2", "vee:60:4", "vee:150:6", "taper:1:20:4"};
    std::mt19937 random(7);
    std::uniform_real_distribution<double> offset(-2.2, 2.2), angle(-0.5, 0.5), height(4, 10);
    const double step = 1e-3, limit = 12;
    for (const char* text : tools) {
        const Tool tool = MustParseTool(text);
        int hits = 0;
        for (int trial = 0; trial < 150; ++trial) {
            const double dx = offset(random), phi = angle(random) * (trial % 3 == 0 ? 0.1 : 1);
            const double z = height(random);
            const double entry = RayEntry(tool, dx, phi, z, limit);
            double marched = -1;
            for (double rho = 0; rho <= limit; rho += step)
                if (InBody(tool, dx, phi, z, rho)) {
                    marched = rho;
                    break;
                }
            SCOPED_TRACE(std::string(text) + " dx " + std::to_string(dx) + " phi " +
                         std::to_string(phi) + " z " + std::to_string(z));
            if (marched < 0) {
                // Only a sliver thinner than the march's step may be missed by it.
                if (entry >= 0) {
                    EXPECT_TRUE(InBody(tool, dx, phi, z, entry + 1e-9));
                }
                continue;
            }
            ++hits;
            ASSERT_GE(entry, 0);
            EXPECT_LE(entry, marched + 1e-9);
            EXPECT_GE(entry, marched - step - 1e-9);
        }
        EXPECT_GT(hits, 20) << text;  // the cases reach the body often enough to prove it
    }
}

// A flat job: the relief is the uncut work surface, so every cut shows as a gouge.
const Wrap kFlat{0, 360, 20, 10};

TEST(Sweep, APassAlongXAtFixedALeavesAGrooveOfTheBallsProfile) {
    // Many rows, so that the relief's flat chords stay close to the cylinder.
    const SimJob job(21, 360, kFlat, Uniform(0));
    SimulationOptions options;
    options.resolution = 0.05;
    const auto result =
        SimulateText("G21 G90 G94\nG0 Z15\nG0 X2 A30\nG1 Z9.2 F100\nG1 X18\nG0 Z15\nM2\n", "ball:3",
                     job, options);
    ASSERT_FALSE(result.problem) << result.problem->message;
    const DexelLayout& layout = result.layout;
    const int i = static_cast<int>(std::lround((10 - layout.x0) / layout.dx));
    const double centre = 9.2 + 1.5;  // the ball's centre, from the axis
    // Walked in steps, the cut may fall short of the continuous groove by the walk's ridge.
    const double walk = options.tolerance / 4;
    int cut = 0;
    for (int j = 0; j < layout.rows; ++j) {
        const double phi = layout.CellAngle(j) - 30 * kPi / 180;
        const double rho = result.carved[static_cast<std::size_t>(j) * layout.columns + i];
        const double distance = std::hypot(rho * std::cos(phi) - centre, rho * std::sin(phi));
        if (rho < 10 - 1e-6) {
            ++cut;
            EXPECT_LE(distance, 1.5 + 2e-5) << j;  // on the groove's wall
            EXPECT_GE(distance, 1.5 - walk - 2e-5) << j;
        } else {
            EXPECT_GE(distance, 1.5 - walk - 2e-5) << j;  // the stock the ball never reached
        }
    }
    EXPECT_GT(cut, 20);
    EXPECT_NEAR(result.report.gouge.depth, 0.8, walk + 2e-4);
    EXPECT_NEAR(result.report.gouge.aDegrees, 30, 360.0 / layout.rows);
    EXPECT_EQ(result.report.gouge.row, 30);
    EXPECT_TRUE(result.report.Gouges());
}

// Volume of a ring groove: the ball's section below the work surface turned round the axis.
double RingGrooveVolume(double centre, double r, double work) {
    double volume = 0;
    const int n = 200000;
    for (int k = 0; k < n; ++k) {
        const double dx = -r + (k + 0.5) * 2 * r / n;
        const double low = centre - std::sqrt(r * r - dx * dx);
        if (low < work) volume += kPi * (work * work - low * low) * 2 * r / n;
    }
    return volume;
}

TEST(Sweep, ARingAtFixedXCutsTheSameGrooveAllRound) {
    const SimJob job(21, 36, kFlat, Uniform(0));
    SimulationOptions options;
    options.resolution = 0.05;
    const auto result =
        SimulateText("G21 G90 G94\nG0 Z15\nG0 X10 A0\nG1 Z9.5 F100\nG1 A360\nG0 Z15\nM2\n",
                     "ball:3", job, options);
    ASSERT_FALSE(result.problem) << result.problem->message;
    const DexelLayout& layout = result.layout;
    const double walk = options.tolerance / 4;
    for (int i = 0; i < layout.columns; ++i) {
        const double dx = layout.CellX(i) - 10;
        const double expected =
            std::fabs(dx) < 1.5 ? std::min(10.0, 11 - std::sqrt(2.25 - dx * dx)) : 10;
        // The walk's ridge grows up the ball's side, where its section round A is smaller.
        const double ridge = expected < 10 ? walk * 1.5 / std::sqrt(2.25 - dx * dx) : 0;
        for (int j = 0; j < layout.rows; j += 7) {
            const double rho = result.carved[static_cast<std::size_t>(j) * layout.columns + i];
            EXPECT_GE(rho, expected - 2e-5) << i << " " << j;
            EXPECT_LE(rho, expected + ridge + 2e-5) << i << " " << j;
        }
    }
    const double volume = RingGrooveVolume(11, 1.5, 10);
    EXPECT_NEAR(result.report.removedMm3, volume, volume * 0.01);
}

TEST(Sweep, ParallelRingsLeaveTheScallopOfTheirStepover) {
    const SimJob job(21, 36, kFlat, Uniform(0));
    SimulationOptions options;
    options.resolution = 0.05;
    // Rings a whole number of cells apart, so that a cell lies on each cusp.
    const DexelLayout layout = LayoutFor(-3, 23, 10, options.resolution);
    const int first = static_cast<int>(std::lround((6 - layout.x0) / layout.dx)), apart = 12;
    std::string program = "G21 G90 G94\nG0 Z15\n";
    for (int k = 0; k < 9; ++k) {
        program += "G0 X" + std::to_string(layout.CellX(first + apart * k)) + " A0\n";
        program += "G1 Z9.5 F100\nG1 A360\nG0 Z15\n";
    }
    const auto result = SimulateText(program + "M2\n", "ball:3", job, options);
    ASSERT_FALSE(result.problem) << result.problem->message;
    ASSERT_EQ(result.layout.columns, layout.columns);
    const double s = apart * layout.dx;
    const double scallop = 1.5 - std::sqrt(2.25 - s * s / 4);
    const double walk = options.tolerance / 4;
    for (int k = 0; k < 8; ++k)
        for (int j = 0; j < layout.rows; j += 11) {
            const float* row = &result.carved[static_cast<std::size_t>(j) * layout.columns];
            const double cusp = row[first + apart * k + apart / 2] - 9.5;
            EXPECT_GE(cusp, scallop - 2e-5);
            EXPECT_LE(cusp, scallop + 1.05 * walk + 2e-5);
            EXPECT_NEAR(row[first + apart * k] - 9.5, walk / 2, walk / 2 + 2e-5);
        }
}

TEST(Sweep, CountsRapidsThatGoThroughTheStock) {
    const SimJob job(21, 36, kFlat, Uniform(0));
    SimulationOptions options;
    options.resolution = 0.1;
    const auto result = SimulateText(
        "G21 G90 G94\n"
        "G0 Z15\n"
        "G0 X10 A0\n"
        "G0 Z8\n"  // straight down into the stock
        "G0 Z15\n"
        "G0 X-20 Z9\n"  // beyond the stock's end: both ends are clear of it
        "G0 X40\n"      // ... but the way between is not
        "G0 X-20\n"     // the same way again, cut free by now
        "G0 Z15\n"
        "G0 A90\n"
        "G1 X10 Z9 F100\n"  // a feed move cuts, as it should
        "G0 Z15\n"
        "M2\n",
        "ball:3", job, options);
    ASSERT_FALSE(result.problem) << result.problem->message;
    EXPECT_EQ(result.report.rapidsThroughStock, 2);
    EXPECT_EQ(result.report.firstRapidThroughStockLine, 4);
    EXPECT_EQ(result.report.rapids, 10);
    EXPECT_EQ(result.report.feedMoves, 1);
}

TEST(Sweep, WalksEachToolFinelyEnoughForTheRidgeItWouldLeave) {
    // A ball's ridge between two positions a step apart is step² / 8r; a cone's point leaves
    // step / 2 tan(half-angle): a sharp tool needs far more steps over the same move.
    const double ballStep = std::sqrt(8 * 2 * 0.0005);
    EXPECT_EQ(WalkSteps(MustParseTool("ball:4"), 10, 0, 0, 10, 0.0005), 112);
    EXPECT_EQ(WalkSteps(MustParseTool("ball:4"), 0, 0, kPi, 10, 0.0005),
              static_cast<std::int64_t>(std::ceil(10 * kPi / ballStep)));
    EXPECT_NEAR(WalkSteps(MustParseTool("vee:90:4"), 1, 0, 0, 10, 0.0005), 1000, 1);
    EXPECT_EQ(WalkSteps(MustParseTool("flat:2"), 0, 0, 0, 10, 0.0005), 1);
}

}  // namespace
}  // namespace vantorel
