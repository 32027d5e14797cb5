// The DXF drawing: both small examples byte for byte, the seam band, face order and the
// number of lines for several sizes.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/model_test_support.h"

namespace vantorel {
namespace {

using testing::SplitCrLf;
using testing::Uniform;
using testing::WriteDxf;

const char* const kOpening =
    "999\r\nDXF File Produced by the Quennock Vantorel Program\r\n"
    "999\r\nVantorel: depth map wrapped round a rotary axis as 3DFACE entities\r\n"
    " 0\r\nSECTION\r\n 2\r\nTABLES\r\n"
    " 0\r\nTABLE\r\n 2\r\nLTYPE\r\n70\r\n1\r\n"
    " 0\r\nLTYPE\r\n 2\r\nCONTINUOUS\r\n70\r\n64\r\n 3\r\nSolid Line\r\n72\r\n65\r\n73\r\n0\r\n"
    "40\r\n0.000000\r\n"
    " 0\r\nENDTAB\r\n"
    " 0\r\nTABLE\r\n 2\r\nLAYER\r\n70\r\n6\r\n"
    " 0\r\nLAYER\r\n 2\r\nQuennock\r\n70\r\n64\r\n62\r\n5\r\n 6\r\nCONTINUOUS\r\n"
    " 0\r\nENDTAB\r\n"
    " 0\r\nTABLE\r\n 2\r\nSTYLE\r\n70\r\n0\r\n 0\r\nENDTAB\r\n"
    " 0\r\nENDSEC\r\n"
    " 0\r\nSECTION\r\n 2\r\nENTITIES\r\n";
const char* const kClosing = " 0\r\nENDSEC\r\n 0\r\nEOF\r\n";
const char* const kFaceStart = " 0\r\n3DFACE\r\n 8\r\nQuennock\r\n62\r\n83\r\n";

// Four different radii, so that any corner out of place shows: 7.5, 7, 6.5 and 7.25.
double CornerDepth(int c, int r) {
    static const double depths[2][2] = {{0, 0.25}, {0.5, 1}};
    return depths[c][r];
}

TEST(DxfWriter, OneFaceForAQuarterWrapOfFourPixels) {
    const std::string expected = std::string(kOpening) + kFaceStart +
                                 "10\r\n0\r\n20\r\n7.5\r\n30\r\n0\r\n"
                                 "11\r\n100\r\n21\r\n7\r\n31\r\n0\r\n"
                                 "12\r\n100\r\n22\r\n4.59619407771256\r\n32\r\n4.59619407771256\r\n"
                                 "13\r\n0\r\n23\r\n5.12652416360247\r\n33\r\n5.12652416360247\r\n" +
                                 kClosing;
    const std::string text = WriteDxf(2, 2, {.wrapAngle = 90}, CornerDepth);
    EXPECT_EQ(SplitCrLf(text).size(), 96u);
    EXPECT_EQ(text, expected);
}

TEST(DxfWriter, FullTurnAddsTheSeamFaceBackToRowZero) {
    const std::string expected =
        std::string(kOpening) + kFaceStart +
        "10\r\n0\r\n20\r\n7.5\r\n30\r\n0\r\n"
        "11\r\n100\r\n21\r\n7\r\n31\r\n0\r\n"
        "12\r\n100\r\n22\r\n-6.5\r\n32\r\n7.9602041944578E-16\r\n"
        "13\r\n0\r\n23\r\n-7.25\r\n33\r\n8.87868929381831E-16\r\n" +
        kFaceStart +
        "10\r\n0\r\n20\r\n-7.25\r\n30\r\n8.87868929381831E-16\r\n"
        "11\r\n100\r\n21\r\n-6.5\r\n31\r\n7.9602041944578E-16\r\n"
        "12\r\n100\r\n22\r\n7\r\n32\r\n0\r\n"
        "13\r\n0\r\n23\r\n7.5\r\n33\r\n0\r\n" +
        kClosing;
    const std::string text = WriteDxf(2, 2, {.wrapAngle = 360}, CornerDepth);
    EXPECT_EQ(SplitCrLf(text).size(), 126u);
    EXPECT_EQ(text, expected);
}

// Lines 63 onwards hold the faces, 30 lines each; corner k's X, Y, Z are lines 7 + 6k,
// 9 + 6k and 11 + 6k of its face (from 0).
double Coordinate(const std::vector<std::string>& lines, int face, int corner, int axis) {
    return std::stod(lines[static_cast<std::size_t>(62 + 30 * face + 7 + 6 * corner + 2 * axis)]);
}

TEST(DxfWriter, FacesRunColumnByColumnThenTheSeam) {
    const int width = 4, height = 3;
    const auto depth = [](int c, int r) { return 0.1 * c + 0.01 * r; };
    const WrapParameters p = testing::MakeParameters({}, width, height);
    const std::vector<std::string> lines = SplitCrLf(WriteDxf(width, height, {}, depth));
    ASSERT_EQ(lines.size(), 62u + 30 * (3 * 2 + 3) + 4);

    auto expectCorner = [&](int face, int corner, int c, int r) {
        const double radius = p.WorkSurface - depth(c, r);
        EXPECT_NEAR(Coordinate(lines, face, corner, 0), c * p.XStep, 1e-12) << face << "/" << corner;
        EXPECT_NEAR(Coordinate(lines, face, corner, 1), std::cos(r * p.AngleStep) * radius, 1e-12)
            << face << "/" << corner;
        EXPECT_NEAR(Coordinate(lines, face, corner, 2), std::sin(r * p.AngleStep) * radius, 1e-12)
            << face << "/" << corner;
    };
    int face = 0;
    for (int c = 0; c + 1 < width; ++c)
        for (int r = 0; r + 1 < height; ++r, ++face) {
            expectCorner(face, 0, c, r);
            expectCorner(face, 1, c + 1, r);
            expectCorner(face, 2, c + 1, r + 1);
            expectCorner(face, 3, c, r + 1);
        }
    for (int c = 0; c + 1 < width; ++c, ++face) {
        expectCorner(face, 0, c, height - 1);
        expectCorner(face, 1, c + 1, height - 1);
        expectCorner(face, 2, c + 1, 0);
        expectCorner(face, 3, c, 0);
    }
}

TEST(DxfWriter, OneRowPictureHasOnlySeamFacesAtAFullTurn) {
    const std::vector<std::string> open = SplitCrLf(WriteDxf(5, 1, {.wrapAngle = 180}, Uniform(1)));
    EXPECT_EQ(open.size(), 66u);

    const std::vector<std::string> lines = SplitCrLf(WriteDxf(3, 1, {.wrapAngle = 360}, Uniform(1)));
    ASSERT_EQ(lines.size(), 66u + 30 * 2);
    for (int face = 0; face < 2; ++face)
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_EQ(Coordinate(lines, face, 0, axis), Coordinate(lines, face, 3, axis));
            EXPECT_EQ(Coordinate(lines, face, 1, axis), Coordinate(lines, face, 2, axis));
        }
}

TEST(DxfWriter, OnlyAWrapOfExactlyOneTurnIsClosed) {
    const struct {
        double wrapAngle;
        bool seam;
    } cases[] = {{360, true}, {359.9, false}, {360.00000000000006, false}, {720, false},
                 {-360, false}, {90, false}};
    for (const auto& c : cases) {
        const std::size_t surface = 30 * (4 - 1) * (3 - 1);
        const std::size_t seam = c.seam ? 30 * (4 - 1) : 0;
        EXPECT_EQ(SplitCrLf(WriteDxf(4, 3, {.wrapAngle = c.wrapAngle}, Uniform(1))).size(),
                  66 + surface + seam)
            << c.wrapAngle;
    }
}

TEST(DxfWriter, LineCountFollowsTheGridSize) {
    const struct {
        int width, height;
        double wrapAngle;
    } sizes[] = {{2, 2, 90}, {2, 2, 360}, {2, 1, 90}, {7, 3, 360}, {3, 200, 45}, {150, 4, 360}};
    for (const auto& s : sizes) {
        const std::size_t faces = static_cast<std::size_t>(s.width - 1) * (s.height - 1) +
                                  (s.wrapAngle == 360 ? s.width - 1 : 0);
        const std::vector<std::string> lines =
            SplitCrLf(WriteDxf(s.width, s.height, {.wrapAngle = s.wrapAngle}, Uniform(0.5)));
        EXPECT_EQ(lines.size(), 62 + 30 * faces + 4) << s.width << " x " << s.height;
        EXPECT_EQ(lines.back(), "EOF");
    }
}

}  // namespace
}  // namespace vantorel
