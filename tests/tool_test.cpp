// The tool texts a machinist types, the body's profile each gives, and the words a
// refusal uses.

#include <gtest/gtest.h>

#include <cmath>

#include "core/tool.h"

namespace vantorel {
namespace {

TEST(ToolTest, ReadsEveryShape) {
    struct Case {
        const char* text;
        ToolShape shape;
        double diameter, tip, angle;
        const char* words;
    };
    const Case cases[] = {
        {"ball:3", ToolShape::Ball, 3, 0, 0, "3 mm ball nose"},
        {"flat:6.35", ToolShape::Flat, 6.35, 0, 0, "6.35 mm flat end"},
        {"vee:60:3", ToolShape::Vee, 3, 0, 60, "60 degree V-bit, 3 mm"},
        {"taper:0.5:15:3.175", ToolShape::TaperedBall, 3.175, 0.5, 15,
         "0.5 mm tapered ball nose, 15 degree taper, 3.175 mm shank"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        std::string problem;
        const auto tool = ParseTool(k.text, &problem);
        ASSERT_TRUE(tool) << problem;
        EXPECT_EQ(tool->shape, k.shape);
        EXPECT_EQ(tool->diameter, k.diameter);
        EXPECT_EQ(tool->tipDiameter, k.tip);
        EXPECT_EQ(tool->includedAngle, k.angle);
        EXPECT_EQ(DescribeTool(*tool), k.words);
    }
}

TEST(ToolTest, RefusesWithTheReason) {
    struct Case {
        const char* text;
        const char* words;
    };
    const Case cases[] = {
        {"ball:0", "diameter must be more than 0"},
        {"flat:-2", "diameter must be more than 0"},
        {"ball:abc", "\"abc\" where a number belongs"},
        {"ball:", "\"\" where a number belongs"},
        {"ball:3:4", "should be written ball:DIAMETER"},
        {"vee:3", "should be written vee:ANGLE:DIAMETER"},
        {"vee:180:3", "included angle must lie between 0 and 180"},
        {"vee:0:3", "included angle must lie between 0 and 180"},
        {"taper:1:20:0.8", "shank (0.8 mm) must be wider than its tip (1 mm)"},
        {"taper:1:20:1", "must be wider than its tip"},
        {"taper:0:20:3", "tip diameter must be more than 0"},
        {"drill:3", "unknown tool \"drill:3\""},
        {"", "unknown tool"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        std::string problem;
        EXPECT_FALSE(ParseTool(k.text, &problem));
        EXPECT_NE(problem.find(k.words), std::string::npos) << problem;
    }
}

TEST(ToolTest, ProfileHeights) {
    const double tan10 = std::tan(10 * 3.141592653589793 / 180);
    const double d0 = 0.5 * std::cos(10 * 3.141592653589793 / 180);
    const double z0 = 0.5 - 0.5 * std::sin(10 * 3.141592653589793 / 180);
    struct Case {
        const char* tool;
        double d, height;
    };
    const Case cases[] = {
        {"ball:3", 0, 0},
        {"ball:3", 1.5, 1.5},
        {"ball:3", 0.9, 1.5 - 1.2},
        {"ball:3", 4, 1.5},  // beyond the rim: the rim's height (the shank)
        {"flat:2", 0.7, 0},
        {"vee:90:4", 1, 1},
        {"vee:60:2", 1, std::sqrt(3.0)},
        {"taper:1:20:3", 0.3, 0.5 - 0.4},
        {"taper:1:20:3", d0, z0},
        {"taper:1:20:3", 1.5, z0 + (1.5 - d0) / tan10},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.tool) + " at " + std::to_string(k.d));
        const Tool tool = *ParseTool(k.tool);
        EXPECT_NEAR(tool.ProfileHeight(k.d), k.height, 1e-12);
    }
    EXPECT_NEAR(ParseTool("taper:1:20:3")->ProfileTop(), z0 + (1.5 - d0) / tan10, 1e-12);
}

}  // namespace
}  // namespace vantorel
