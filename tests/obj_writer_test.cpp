// The OBJ model: the worked example byte for byte, its numbering on a grid that is not
// square, and the number of lines for several sizes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/model_test_support.h"

namespace vantorel {
namespace {

using testing::SplitCrLf;
using testing::Uniform;
using testing::WriteObj;

TEST(ObjWriter, WorkedExampleByteForByte) {
    const std::string expected =
        "# OBJ File Produced by the Quennock Vantorel Program\r\n"
        "v 0.0000000000 6.5000000000 0.0000000000\r\n"
        "v 0.0000000000 0.0000000000 6.5000000000\r\n"
        "v 0.0000000000 -6.5000000000 0.0000000000\r\n"
        "v 100.0000000000 6.5000000000 0.0000000000\r\n"
        "v 100.0000000000 0.0000000000 6.5000000000\r\n"
        "v 100.0000000000 -6.5000000000 0.0000000000\r\n"
        "v 0.0000000000 0.0000000000 0.0000000000\r\n"
        "v 100.0000000000 0.0000000000 0.0000000000\r\n"
        "vt 0.0000000000 1.0000000000\r\n"
        "vt 0.0000000000 0.5000000000\r\n"
        "vt 0.0000000000 0.0000000000\r\n"
        "vt 1.0000000000 1.0000000000\r\n"
        "vt 1.0000000000 0.5000000000\r\n"
        "vt 1.0000000000 0.0000000000\r\n"
        "vn 0.0000000000 1.0000000000 0.0000000000\r\n"
        "vn 0.0000000000 0.0000000000 1.0000000000\r\n"
        "vn 0.0000000000 -1.0000000000 0.0000000000\r\n"
        "vn -1.0000000000 0.0000000000 0.0000000000\r\n"
        "vn 1.0000000000 0.0000000000 0.0000000000\r\n"
        "g cylinder\r\n"
        "usemtl cylindermaterial\r\n"
        "f 1/1/1 2/2/2 5/5/2 4/4/1\r\n"
        "f 2/2/2 3/3/3 6/6/3 5/5/2\r\n"
        "g ends\r\n"
        "usemtl endmaterial\r\n"
        "f 2//4 1//4 7//4\r\n"
        "f 4//5 5//5 8//5\r\n"
        "f 3//4 2//4 7//4\r\n"
        "f 5//5 6//5 8//5\r\n"
        "# end\r\n";
    EXPECT_EQ(WriteObj(2, 2, {.wrapAngle = 180, .imageLength = 100}, Uniform(1)), expected);
}

TEST(ObjWriter, FullTurnPutsTheWrapRowOnRowZeroWithoutSignedZeros) {
    const std::vector<std::string> lines =
        SplitCrLf(WriteObj(2, 2, {.wrapAngle = 360, .imageLength = 100}, Uniform(1)));
    ASSERT_EQ(lines.size(), 31u);
    EXPECT_EQ(lines[1], "v 0.0000000000 6.5000000000 0.0000000000");
    EXPECT_EQ(lines[2], "v 0.0000000000 -6.5000000000 0.0000000000");  // row 1 at 180 degrees
    EXPECT_EQ(lines[3], "v 0.0000000000 6.5000000000 0.0000000000");   // wrap row: sin is -2e-16
    EXPECT_EQ(lines[17], "vn 0.0000000000 1.0000000000 0.0000000000");
    // The seam keeps its own vertex numbers: the last strip uses row 2, never row 1 again.
    EXPECT_EQ(lines[23], "f 2/2/2 3/3/3 6/6/3 5/5/2");
}

TEST(ObjWriter, NumbersCornersOnAGridWiderThanHigh) {
    // W = 3, H = 2: N = 9 grid vertices, axis points 10 and 11, normals 1-3 radial, 4 and 5
    // the ends.
    const std::vector<std::string> lines =
        SplitCrLf(WriteObj(3, 2, {.leftX = 1.5, .wrapAngle = 90, .imageLength = 10}, Uniform(0.5)));
    ASSERT_EQ(lines.size(), 2u * 9 + 2 * 2 + 3 * 2 + 11);
    const std::vector<std::string> ending(lines.end() - 11, lines.end());
    const std::vector<std::string> expected = {
        "f 1/1/1 2/2/2 5/5/2 4/4/1",
        "f 2/2/2 3/3/3 6/6/3 5/5/2",
        "f 4/4/1 5/5/2 8/8/2 7/7/1",
        "f 5/5/2 6/6/3 9/9/3 8/8/2",
        "g ends",
        "usemtl endmaterial",
        "f 2//4 1//4 10//4",
        "f 7//5 8//5 11//5",
        "f 3//4 2//4 10//4",
        "f 8//5 9//5 11//5",
        "# end",
    };
    EXPECT_EQ(ending, expected);
    EXPECT_EQ(lines[10], "v 1.5000000000 0.0000000000 0.0000000000");
    EXPECT_EQ(lines[11], "v 11.5000000000 0.0000000000 0.0000000000");
}

TEST(ObjWriter, TextureCoordinatesSpanThePicture) {
    // U = i / (W - 1), V = 1 - j / H, rounded at ten decimals.
    const std::vector<std::string> lines = SplitCrLf(WriteObj(4, 3, {}, Uniform(0.5)));
    const int n = 4 * 4;
    const int firstTexture = 1 + n + 2;
    EXPECT_EQ(lines[firstTexture + 0], "vt 0.0000000000 1.0000000000");
    EXPECT_EQ(lines[firstTexture + 1], "vt 0.0000000000 0.6666666667");
    EXPECT_EQ(lines[firstTexture + 2], "vt 0.0000000000 0.3333333333");
    EXPECT_EQ(lines[firstTexture + 3], "vt 0.0000000000 0.0000000000");
    EXPECT_EQ(lines[firstTexture + 4], "vt 0.3333333333 1.0000000000");
    EXPECT_EQ(lines[firstTexture + 9], "vt 0.6666666667 0.6666666667");
    EXPECT_EQ(lines[firstTexture + 15], "vt 1.0000000000 0.0000000000");
}

TEST(ObjWriter, LineCountFollowsTheGridSize) {
    const struct {
        int width, height;
    } sizes[] = {{2, 1}, {2, 2}, {5, 1}, {3, 4}, {11, 7}, {4, 500}, {300, 3}};
    for (const auto& s : sizes) {
        const std::vector<std::string> lines = SplitCrLf(WriteObj(s.width, s.height, {}, Uniform(1)));
        const std::size_t n = static_cast<std::size_t>(s.width) * (s.height + 1);
        EXPECT_EQ(lines.size(), 2 * n + (s.width - 1) * s.height + 3 * s.height + 11)
            << s.width << " x " << s.height;
        if (s.height == 1) {
            EXPECT_EQ(lines.size(), 5u * s.width + 13u);
        }
        EXPECT_EQ(lines.back(), "# end");
    }
}

}  // namespace
}  // namespace vantorel
