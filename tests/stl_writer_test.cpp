// The STL solid, byte for byte where it is worked out by hand, and its shape elsewhere.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "tests/model_test_support.h"

namespace vantorel {
namespace {

using testing::SplitCrLf;
using testing::Uniform;
using testing::Wrap;
using testing::WriteStl;

// 2 × 4 pixels, every one cut to the full depth of 1: radius 6.5, a quarter turn per row.
const Wrap kQuarterTurns{.leftX = 0, .wrapAngle = 360, .imageLength = 10, .workSurface = 7.5};

std::vector<std::string> Lines(int first, int last, const std::vector<std::string>& lines) {
    return {lines.begin() + (first - 1), lines.begin() + last};
}

TEST(StlWriter, WorkedExampleOpeningCapsAndEnd) {
    const std::string text = WriteStl(2, 4, kQuarterTurns, Uniform(1), "C:\\jobs\\part.dxf");
    const std::vector<std::string> lines = SplitCrLf(text);
    ASSERT_EQ(lines.size(), 114u);
    EXPECT_EQ(text.substr(text.size() - 10), "endsolid\r\n");

    const std::vector<std::string> opening = {
        "solid part.stl",
        "    facet normal 0.0000000000 0.7071067812 0.7071067812",
        "      outer loop",
        "        vertex 0.0000000000 6.5000000000 0.0000000000",
        "        vertex 10.0000000000 0.0000000000 6.5000000000",
        "        vertex 10.0000000000 6.5000000000 0.0000000000",
        "      endloop",
        "    endfacet",
        "    facet normal 0.0000000000 0.7071067812 0.7071067812",
        "      outer loop",
        "        vertex 0.0000000000 6.5000000000 0.0000000000",
        "        vertex 0.0000000000 0.0000000000 6.5000000000",
        "        vertex 10.0000000000 0.0000000000 6.5000000000",
        "      endloop",
        "    endfacet",
    };
    EXPECT_EQ(Lines(1, 15, lines), opening);

    const std::vector<std::string> caps = {
        "    facet normal -1.0 0.0 0.0",
        "      outer loop",
        "        vertex 0.0000000000 0.0000000000 6.5000000000",
        "        vertex 0.0000000000 6.5000000000 0.0000000000",
        "        vertex 0.0000000000 0.0000000000 0.0000000000",
        "      endloop",
        "    endfacet",
        "    facet normal 1 0 0",
        "      outer loop",
        "        vertex 10.0000000000 6.5000000000 0.0000000000",
        "        vertex 10.0000000000 0.0000000000 6.5000000000",
        "        vertex 10.0000000000 0.0000000000 0.0000000000",
        "      endloop",
        "    endfacet",
    };
    EXPECT_EQ(Lines(58, 71, lines), caps);
    EXPECT_EQ(lines[113], "endsolid");
}

// Facet k (from 0) takes lines 2 + 7k to 8 + 7k; its corners are lines 4 + 7k to 6 + 7k.
std::string CornerLine(const std::vector<std::string>& lines, int facet, int corner) {
    return lines[static_cast<std::size_t>(3 + 7 * facet + corner)];
}

TEST(StlWriter, FullTurnClosesOnRowZeroText) {
    // Varied depths, so a corner taken from the wrong column or row would show.
    const int width = 3, height = 5;
    const auto depth = [](int c, int r) { return 0.1 * c + 0.07 * r; };
    const std::vector<std::string> lines =
        SplitCrLf(WriteStl(width, height, {.wrapAngle = 360}, depth));
    for (int c = 0; c + 1 < width; ++c) {
        const int a = 2 * (c * height + height - 1);  // triangle A of the column's last cell
        const int b = a + 1;
        const int firstA = 2 * (c * height);  // triangle A of the column's first cell
        // Row 0 of columns c and c + 1, as the first cell writes them.
        const std::string leftRow0 = CornerLine(lines, firstA, 0);
        const std::string rightRow0 = CornerLine(lines, firstA, 2);
        EXPECT_EQ(CornerLine(lines, a, 1), rightRow0) << "column " << c;  // c2 on the wrap row
        EXPECT_EQ(CornerLine(lines, b, 1), leftRow0) << "column " << c;   // c3
        EXPECT_EQ(CornerLine(lines, b, 2), rightRow0) << "column " << c;  // c2
    }
}

TEST(StlWriter, QuarterWrapKeepsItsLengthAndEndsAtNinetyDegrees) {
    const std::vector<std::string> lines =
        SplitCrLf(WriteStl(2, 4, {.wrapAngle = 90, .imageLength = 10}, Uniform(1)));
    ASSERT_EQ(lines.size(), 114u);
    // The last cell of column 0 reaches the wrap row at 90 degrees with row 0's radius.
    const int a = 2 * 3;
    EXPECT_EQ(CornerLine(lines, a, 1), "        vertex 10.0000000000 0.0000000000 6.5000000000");
    EXPECT_EQ(lines[57], "    facet normal -1.0 0.0 0.0");
}

TEST(StlWriter, CellOnTheAxisGetsTheFallbackNormal) {
    const std::vector<std::string> lines =
        SplitCrLf(WriteStl(2, 1, {.workSurface = 7.5}, Uniform(7.5)));
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_EQ(lines[1], "    facet normal 1.0000000000 0.0000000000 0.0000000000");
    EXPECT_EQ(lines[8], "    facet normal 1.0000000000 0.0000000000 0.0000000000");
}

TEST(StlWriter, CapNormalsStayFixedWhateverTheTurn) {
    // A negative wrap turns the other way; the caps keep their fixed lines all the same.
    const std::vector<std::string> lines =
        SplitCrLf(WriteStl(3, 2, {.wrapAngle = -90}, Uniform(0.5)));
    const int firstCap = 2 * 2 * 2;
    for (int r = 0; r < 2; ++r) {
        EXPECT_EQ(lines[static_cast<std::size_t>(1 + 7 * (firstCap + 2 * r))],
                  "    facet normal -1.0 0.0 0.0");
        EXPECT_EQ(lines[static_cast<std::size_t>(1 + 7 * (firstCap + 2 * r + 1))],
                  "    facet normal 1 0 0");
    }
}

TEST(StlWriter, SolidIsNamedAfterTheOutputFileWithItsStlExtension) {
    const struct {
        const char* outputPath;
        const char* firstLine;
    } cases[] = {
        {"C:\\jobs\\vase.dxf", "solid vase.stl"},
        {"C:\\jobs.old\\part", "solid part.stl"},
        {"/home/me/Vase Job.DXF", "solid Vase Job.stl"},
        {"D:vase.Vantorel.dxf", "solid vase.Vantorel.stl"},
        {"part", "solid part.stl"},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> lines =
            SplitCrLf(WriteStl(2, 1, {}, Uniform(1), c.outputPath));
        EXPECT_EQ(lines.front(), c.firstLine) << c.outputPath;
    }
}

TEST(StlWriter, LineCountIsFourteenPerPixelPlusTwo) {
    const struct {
        int width, height;
    } sizes[] = {{2, 1}, {2, 2}, {2, 4}, {3, 1}, {7, 5}, {40, 3}, {3, 300}};
    for (const auto& s : sizes) {
        const std::string text = WriteStl(s.width, s.height, {}, Uniform(0.25));
        const std::vector<std::string> lines = SplitCrLf(text);
        EXPECT_EQ(lines.size(), 14u * s.width * s.height + 2) << s.width << " x " << s.height;
        EXPECT_EQ(lines.back(), "endsolid") << s.width << " x " << s.height;
    }
}

TEST(StlWriter, ManyPiecesComeOutInCellOrder) {
    // Large enough to be formatted in many pieces: every facet must still sit where its cell
    // (column-major, A before B) puts it.
    const int width = 60, height = 400;
    const auto depth = [](int c, int r) { return 0.001 * ((c * 7 + r * 3) % 11); };
    const WrapParameters p = testing::MakeParameters({}, width, height);
    const std::vector<std::string> lines = SplitCrLf(WriteStl(width, height, {}, depth));
    ASSERT_EQ(lines.size(), 14u * width * height + 2);
    for (int facet = 0; facet < 2 * (width - 1) * height; ++facet) {
        const int c = facet / (2 * height);
        const int r = (facet / 2) % height;
        std::istringstream corner(CornerLine(lines, facet, 0));
        std::string word;
        double x = 0, y = 0, z = 0;
        corner >> word >> x >> y >> z;
        const double radius = p.WorkSurface - depth(c, r);
        ASSERT_NEAR(x, c * p.XStep, 1e-7) << "facet " << facet;
        ASSERT_NEAR(y, std::cos(r * p.AngleStep) * radius, 1e-7) << "facet " << facet;
        ASSERT_NEAR(z, std::sin(r * p.AngleStep) * radius, 1e-7) << "facet " << facet;
    }
}

}  // namespace
}  // namespace vantorel
