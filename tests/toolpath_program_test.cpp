// The finishing program as text, read back word by word: the header names the choices,
// rapids run only at the clearance plane, the plunge is at half feed, in inverse time every
// feed move carries F = feed rate / its contact length, and the program closes as the
// original does. The machining time follows each feed mode's rule.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/output_file.h"
#include "tests/model_test_support.h"
#include "toolpath/finishing_path.h"
#include "toolpath/finishing_program.h"
#include "writers/writer_job.h"

namespace vantorel {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// Letter -> value of a motion or feed line.
std::map<char, double> Words(const std::string& line) {
    std::map<char, double> words;
    std::istringstream in(line);
    std::string word;
    while (in >> word) words[word[0]] = std::stod(word.substr(1));
    return words;
}

struct Written {
    std::string text;
    WrapParameters parameters;
};

Written Program(Pattern pattern, const char* feedMode) {
    const int width = 16, height = 12;
    const DepthGrid grid = testing::MakeGrid(width, height, GridShape::Plain, [](int c, int r) {
        return (c > 4 && c < 10 && r > 2 && r < 8) ? 0.8 : 0.1 * (c % 3);
    });
    WrapParameters p = testing::MakeParameters({-3.0, 360, 5.0, 6.0}, width, height);
    p.DepthofCut = 1;
    p.Feedrate = 300;
    p.Clearance = 12;
    p.Header = "G54";
    p.Footer = "M30";
    std::string problem;
    const auto settings = ParseToolpathSettings(
        {"ball:1", PatternName(pattern), "0.5", "0.005", feedMode, "", "1500"}, &problem);
    EXPECT_TRUE(settings) << problem;
    WriterJob job{grid, p, "/jobs/part.nc", &*settings};
    MemoryOutputFile out;
    WriteToolpathFile(job, out);
    out.Commit();
    return {out.Bytes(), p};
}

TEST(FinishingProgramTest, HeaderRapidsPlungeAndClose) {
    struct Case {
        Pattern pattern;
        const char* feedMode;
        bool inverse;
    };
    const Case cases[] = {{Pattern::Rows, "", false},
                          {Pattern::Rings, "", true},
                          {Pattern::Spiral, "", true},
                          {Pattern::Rows, "inverse-time", true},
                          {Pattern::Rings, "units", false}};
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(PatternName(k.pattern)) + " " + k.feedMode);
        const Written program = Program(k.pattern, k.feedMode);
        const WrapParameters& p = program.parameters;
        const std::vector<std::string> lines = Lines(program.text);
        auto has = [&](const std::string& words) {
            return program.text.find(words) != std::string::npos;
        };
        EXPECT_TRUE(has("( Tool: 1 mm ball nose"));
        EXPECT_TRUE(has(std::string("( Pattern: ") + PatternName(k.pattern) +
                        ", stepover 0.5 mm, tolerance 0.005 mm"));
        EXPECT_TRUE(has(k.inverse ? "( Feed mode: inverse time, G93" : "( Feed mode: units per minute, G94"));
        EXPECT_TRUE(has("( Estimated machining time: "));
        EXPECT_TRUE(has("\r\nG54\r\n"));

        double z = 0, x = 0, a = 0;
        bool inverse = false, plunged = false;
        double feed = 0;
        int feedMoves = 0;
        for (const std::string& line : lines) {
            if (line == "G93") inverse = true;
            if (line == "G94") inverse = false;
            if (line.rfind("F", 0) == 0) feed = Words(line)['F'];
            if (line.rfind("G0 ", 0) == 0) {
                auto w = Words(line.substr(3));
                // Rapids: Z only to the clearance plane, X and A only while up there.
                if (w.count('Z')) {
                    EXPECT_EQ(w['Z'], p.Clearance) << line;
                }
                if (w.count('X') || w.count('A')) {
                    EXPECT_EQ(w.count('Z') ? w['Z'] : z, p.Clearance) << line;
                }
                if (w.count('Z')) z = w['Z'];
                if (w.count('X')) x = w['X'];
                if (w.count('A')) a = w['A'];
            }
            if (line.rfind("G1 ", 0) != 0) continue;
            auto w = Words(line.substr(3));
            const PathPoint from{x, z, a};
            if (w.count('X')) x = w['X'];
            if (w.count('Z')) z = w['Z'];
            if (w.count('A')) a = w['A'];
            const double rate = plunged ? p.Feedrate : p.Feedrate / 2;
            ++feedMoves;
            if (inverse) {
                ASSERT_TRUE(w.count('F')) << line;
                EXPECT_NEAR(w['F'], rate / ContactLength(from, {x, z, a}), 6e-5 + w['F'] * 1e-9) << line;
            } else {
                EXPECT_FALSE(w.count('F')) << line;
                EXPECT_EQ(feed, rate) << line;
            }
            plunged = true;
        }
        EXPECT_EQ(inverse, false) << "G94 again before the end";
        EXPECT_GT(feedMoves, 50);
        const std::size_t n = lines.size();
        ASSERT_GT(n, 4u);
        EXPECT_EQ(lines[n - 3], "G0 Z12.0000");
        EXPECT_EQ(lines[n - 2], "G0 A0 X0");
        EXPECT_EQ(lines[n - 1], "M30");
    }
}

TEST(FinishingProgramTest, MachiningTimeByEachFeedRule) {
    WrapParameters p;
    p.Feedrate = 100;
    p.Clearance = 20;
    ToolpathSettings settings;
    settings.rapidRate = 1000;
    // Rapid over (10, 0) at Z 20, plunge to Z 5 (15 mm at half feed), 30 mm along X, a
    // quarter turn at Z 5, then up and back to X0 A0.
    const std::vector<std::vector<PathPoint>> passes = {{{10, 5, 0}, {40, 5, 0}}, {{40, 5, 90}}};
    const double rapid = (10 + 15 + 40) / 1000.0;
    settings.feedMode = FeedMode::Units;
    MachiningTime time = EstimateTime(passes, settings, p);
    EXPECT_NEAR(time.rapidMinutes, rapid, 1e-12);
    // G94: the quarter turn names A alone, so it is timed in degrees per minute.
    EXPECT_NEAR(time.feedMinutes, 15 / 50.0 + 30 / 100.0 + 90 / 100.0, 1e-12);
    settings.feedMode = FeedMode::InverseTime;
    time = EstimateTime(passes, settings, p);
    // G93: the quarter turn is an arc of radius 5 on the work.
    EXPECT_NEAR(time.feedMinutes, 15 / 50.0 + 30 / 100.0 + 5 * 3.141592653589793 / 2 / 100, 1e-12);
    EXPECT_EQ(DescribeMinutes(4.54), "4.5 min");
    EXPECT_EQ(DescribeMinutes(83.4), "1 h 23 min");
}

}  // namespace
}  // namespace vantorel
