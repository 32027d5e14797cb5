// Grid points on the cylinder and triangle normals.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "core/geometry.h"
#include "tests/model_test_support.h"

namespace vantorel {
namespace {

using testing::MakeGrid;
using testing::MakeParameters;

void ExpectPoint(const nodalposition& actual, const nodalposition& expected, double tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// W = 3, H = 4 from X 5 to 15, a full turn: XStep 5, a quarter turn per row.
class ThreeByFour : public ::testing::Test {
protected:
    const DepthGrid grid = MakeGrid(3, 4, GridShape::Closed, [](int c, int r) {
        return c == 2 && r == 1 ? 0.5 : 0.1 * c * r;
    });
    const WrapParameters p = MakeParameters({.leftX = 5, .wrapAngle = 360, .imageLength = 10}, 3, 4);
};

TEST_F(ThreeByFour, PlacesPointsByColumnAngleAndRadius) {
    EXPECT_EQ(p.XStep, 5.0);
    const struct {
        int c, r;
        nodalposition expected;
        double tolerance;
    } cases[] = {
        {0, 0, {5, 7.5, 0}, 0},
        {2, 1, {15, 0, 7}, 1e-15},   // depth 0.5, a quarter turn
        {1, 2, {10, -7.3, 0}, 1e-15},  // half a turn
        {1, 3, {10, 0, -7.2}, 1e-14},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "point " << c.c << ", " << c.r);
        ExpectPoint(NodePosition(grid, p, c.c, c.r), c.expected, c.tolerance);
    }
    // Exact where the arithmetic is: x, and the radius at angles 0, pi/2 and pi.
    EXPECT_EQ(NodePosition(grid, p, 2, 1).x, 15.0);
    EXPECT_EQ(NodePosition(grid, p, 2, 1).z, 7.0);
    EXPECT_EQ(NodePosition(grid, p, 1, 2).y, -(7.5 - 0.1 * 1 * 2));
}

TEST_F(ThreeByFour, WrapRowMeetsRowZeroAtAFullTurn) {
    for (int c = 0; c < 3; ++c) {
        const nodalposition start = NodePosition(grid, p, c, 0);
        const nodalposition wrap = NodePosition(grid, p, c, 4);
        EXPECT_EQ(wrap.x, start.x);
        EXPECT_NEAR(wrap.y, start.y, 1e-15 * 7.5);
        EXPECT_NEAR(wrap.z, start.z, 1e-15 * 7.5);
    }
}

TEST_F(ThreeByFour, AxisPointsLieAtTheEndColumns) {
    const nodalposition left = LeftAxisPoint(p);
    const nodalposition right = RightAxisPoint(grid, p);
    EXPECT_EQ(left.x, 5.0);
    EXPECT_EQ(right.x, NodePosition(grid, p, 2, 0).x);
    EXPECT_EQ(left.y, 0.0);
    EXPECT_EQ(left.z, 0.0);
    EXPECT_EQ(right.y, 0.0);
    EXPECT_EQ(right.z, 0.0);
}

TEST(Geometry, PlacerGivesNodePositionsBitForBit) {
    // The writers place points with row angles worked out once; a file must not change by it.
    const int width = 7, height = 13;
    const DepthGrid grid = MakeGrid(width, height, GridShape::Closed,
                                    [](int c, int r) { return 0.37 * c - 0.11 * r * r; });
    const WrapParameters p =
        MakeParameters({.leftX = -3.3, .wrapAngle = 417.5, .imageLength = 29.1}, width, height);
    const GridPlacer place(grid, p);
    for (int c = 0; c < width; ++c)
        for (int r = 0; r <= height; ++r) {
            const nodalposition expected = NodePosition(grid, p, c, r);
            const nodalposition actual = place.At(c, r);
            EXPECT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0) << c << ", " << r;
        }
}

TEST(Geometry, ColumnOrderWalkCanStartAndStopMidColumn) {
    std::vector<std::pair<int, int>> visited;
    ForEachInColumnOrder(5, 11, 3, [&](int c, int r) { visited.emplace_back(c, r); });
    const std::vector<std::pair<int, int>> expected = {{1, 2}, {2, 0}, {2, 1},
                                                       {2, 2}, {3, 0}, {3, 1}};
    EXPECT_EQ(visited, expected);
}

TEST(Geometry, DepthBeyondTheWorkSurfaceCrossesTheAxis) {
    const DepthGrid grid = MakeGrid(2, 1, GridShape::Plain, [](int, int) { return 9.5; });
    const WrapParameters p = MakeParameters({.workSurface = 7.5}, 2, 1);
    EXPECT_EQ(NodePosition(grid, p, 0, 0).y, -2.0);
}

TEST(Geometry, VectorOperationsKeepTheirArgumentOrder) {
    const nodalposition a{1, 2, 3};
    const nodalposition b{4, 6, 8};
    ExpectPoint(VectorDifference(a, b), {3, 4, 5}, 0);
    // The second argument crossed with the first: y × x = −z.
    ExpectPoint(CrossProduct({1, 0, 0}, {0, 1, 0}), {0, 0, -1}, 0);
    ExpectPoint(CrossProduct(a, b), {6 * 3 - 8 * 2, 8 * 1 - 4 * 3, 4 * 2 - 6 * 1}, 0);
    ExpectPoint(NormalizeVector({3, 0, 4}), {0.6, 0, 0.8}, 1e-16);
    ExpectPoint(NormalizeVector({0, 0, 0}), {1, 0, 0}, 0);
    ExpectPoint(NormalizeVector({-0.0, 0, 0}), {1, 0, 0}, 0);
}

TEST(Geometry, FacetNormalFollowsTheCornerOrder) {
    const struct {
        const char* name;
        nodalposition p0, p1, p2, normal;
    } cases[] = {
        {"counter-clockwise from +z", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        {"clockwise from +z", {0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
        {"off the origin", {1, 1, 1}, {1, 3, 1}, {1, 1, 4}, {1, 0, 0}},
        {"no area: a point", {2, 2, 2}, {2, 2, 2}, {2, 2, 2}, {1, 0, 0}},
        {"no area: a line", {0, 0, 0}, {0, 1, 0}, {0, 2, 0}, {1, 0, 0}},
        {"tilted", {0, 0, 0}, {1, 0, 0}, {0, 1, 1}, {0, -std::sqrt(0.5), std::sqrt(0.5)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectPoint(FacetNormal(c.p0, c.p1, c.p2), c.normal, 1e-15);
    }
}

TEST(Geometry, FlatReliefHasRadialNormalsAtTheMiddleOfEachCell) {
    const int width = 3, height = 6;
    const DepthGrid grid = MakeGrid(width, height, GridShape::Closed, testing::Uniform(0.4));
    const WrapParameters p = MakeParameters({.wrapAngle = 300}, width, height);
    for (int c = 0; c + 1 < width; ++c)
        for (int r = 0; r < height; ++r) {
            SCOPED_TRACE(::testing::Message() << "cell " << c << ", " << r);
            const nodalposition c0 = NodePosition(grid, p, c, r);
            const nodalposition c1 = NodePosition(grid, p, c + 1, r);
            const nodalposition c2 = NodePosition(grid, p, c + 1, r + 1);
            const nodalposition c3 = NodePosition(grid, p, c, r + 1);
            const double middle = (r + 0.5) * p.AngleStep;
            const nodalposition radial{0, std::cos(middle), std::sin(middle)};
            ExpectPoint(FacetNormal(c0, c2, c1), radial, 1e-12);
            ExpectPoint(FacetNormal(c0, c3, c2), radial, 1e-12);
        }
}

TEST(Geometry, NoWrapFlattensTheReliefIntoAPlane) {
    // WrapAngle 0: every point at z = 0. Triangle A has no area when column c + 1 is level,
    // triangle B when column c is; any other triangle faces along z.
    const DepthGrid grid = MakeGrid(2, 2, GridShape::Closed, [](int c, int r) {
        return c == 0 ? 0.0 : 0.3 * r;
    });
    const WrapParameters p = MakeParameters({.wrapAngle = 0}, 2, 2);
    EXPECT_EQ(NodePosition(grid, p, 1, 1).z, 0.0);
    const auto normalA = [&](int r) {
        return FacetNormal(NodePosition(grid, p, 0, r), NodePosition(grid, p, 1, r + 1),
                           NodePosition(grid, p, 1, r));
    };
    const auto normalB = [&](int r) {
        return FacetNormal(NodePosition(grid, p, 0, r), NodePosition(grid, p, 0, r + 1),
                           NodePosition(grid, p, 1, r + 1));
    };
    ExpectPoint(normalB(0), {1, 0, 0}, 0);  // column 0 is level
    const nodalposition a = normalA(0);     // column 1 is not (row 2 is the copy of row 0)
    EXPECT_EQ(std::fabs(a.z), 1.0);
    EXPECT_EQ(a.x, 0.0);
}

}  // namespace
}  // namespace vantorel
