// The finishing settings as typed: defaults, each bad value refused with a message naming
// its setting, and the checks against the job.

#include <gtest/gtest.h>

#include <string>

#include "core/toolpath_settings.h"

namespace vantorel {
namespace {

TEST(ToolpathSettingsTest, DefaultsAndTheFeedModeOfEachPattern) {
    std::string problem;
    const auto rows = ParseToolpathSettings({"ball:3", "", "", "", "", "", ""}, &problem);
    ASSERT_TRUE(rows) << problem;
    EXPECT_EQ(rows->pattern, Pattern::Rows);
    EXPECT_EQ(rows->Stepover(), 0.3);
    EXPECT_EQ(rows->tolerance, 0.002);
    EXPECT_EQ(rows->border, Border::Stock);
    EXPECT_EQ(rows->rapidRate, 2000);
    EXPECT_EQ(rows->Feeds(), FeedMode::Units);
    EXPECT_EQ(ParseToolpathSettings({"ball:3", "rings", "", "", "", "", ""}, &problem)->Feeds(),
              FeedMode::InverseTime);
    EXPECT_EQ(ParseToolpathSettings({"ball:3", "spiral", "", "", "", "", ""}, &problem)->Feeds(),
              FeedMode::InverseTime);
    EXPECT_EQ(ParseToolpathSettings({"ball:3", "rings", "", "", "units", "free", ""}, &problem)->Feeds(),
              FeedMode::Units);
}

TEST(ToolpathSettingsTest, BadValuesNameTheirSetting) {
    struct Case {
        ToolpathTexts texts;
        const char* words;
    };
    const Case cases[] = {
        {{"", "rows", "", "", "", "", ""}, "--tool: choose a tool"},
        {{"ball:-1", "", "", "", "", "", ""}, "--tool: the tool's diameter"},
        {{"ball:3", "zigzag", "", "", "", "", ""}, "--pattern: \"zigzag\""},
        {{"ball:3", "", "0", "", "", "", ""}, "--stepover must be more than 0 mm"},
        {{"ball:3", "", "x", "", "", "", ""}, "--stepover: \"x\" is not a number"},
        {{"ball:3", "", "3.5", "", "", "", ""}, "--stepover: 3.5 mm is more than the tool's diameter"},
        {{"ball:3", "", "", "-0.1", "", "", ""}, "--tolerance must be more than 0 mm"},
        {{"ball:3", "", "", "", "g93", "", ""}, "--feed-mode: \"g93\""},
        {{"ball:3", "", "", "", "", "air", ""}, "--border: \"air\""},
        {{"ball:3", "", "", "", "", "", "0"}, "--rapid-rate must be more than 0 mm/min"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.words);
        std::string problem;
        EXPECT_FALSE(ParseToolpathSettings(k.texts, &problem));
        EXPECT_NE(problem.find(k.words), std::string::npos) << problem;
    }
}

TEST(ToolpathSettingsTest, ChecksAgainstTheJob) {
    std::string problem;
    const ToolpathSettings rows = *ParseToolpathSettings({"ball:3", "", "", "", "", "", ""}, &problem);
    const ToolpathSettings spiral = *ParseToolpathSettings({"ball:3", "spiral", "", "", "", "", ""}, &problem);
    auto job = [](double wrap, double surface, double depth, double clearance) {
        WrapParameters p;
        p.WrapAngle = wrap;
        p.WorkSurface = surface;
        p.DepthofCut = depth;
        p.Clearance = clearance;
        return p;
    };
    EXPECT_FALSE(CheckToolpathJob(rows, job(360, 10, 1.5, 10)));  // clearance at the surface
    EXPECT_FALSE(CheckToolpathJob(spiral, job(360, 10, 1.5, 12)));
    struct Case {
        const ToolpathSettings& settings;
        WrapParameters p;
        const char* words;
    };
    const Case cases[] = {
        {spiral, job(270, 10, 1, 12), "--pattern spiral needs a picture wrapped through a full turn"},
        {rows, job(360, 5, 5, 12), "would have to reach the rotary axis"},
        {rows, job(360, 5, 7, 12), "would have to reach the rotary axis"},
        {rows, job(360, 10, 1, 9), "clearance plane (Z 9) must not lie below the work surface"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.words);
        const auto refusal = CheckToolpathJob(k.settings, k.p);
        ASSERT_TRUE(refusal);
        EXPECT_NE(refusal->find(k.words), std::string::npos) << *refusal;
    }
}

}  // namespace
}  // namespace vantorel
