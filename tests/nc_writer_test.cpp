// The G-code program, byte for byte.

#include <gtest/gtest.h>

#include "core/depth_grid.h"
#include "core/wrap_parameters.h"
#include "tests/test_files.h"
#include "writers/writer_job.h"

namespace vantorel {
namespace {

struct NcJob {
    ColourTable picture;
    WrapParameters parameters;
};

// The program for a picture, with the parameters' derived steps worked out as a run does.
std::string Program(const Picture& picture, WrapParameters p) {
    DepthGrid grid(picture.Width(), picture.Height(), GridShape::Plain);
    p.AngleStepDegrees = ComputeAngleStepDegrees(p.WrapAngle, picture.Height());
    p.XStep = ComputeXStep(p.ImageLength, picture.Width());
    BuildDepthGrid(grid, picture, p.DepthofCut);
    MemoryOutputFile out;
    WriteNcFile(WriterJob{grid, p, "job.nc"}, out);
    out.Commit();
    return out.Bytes();
}

ColourTable Columns(std::vector<std::uint32_t> colours, int height) {
    ColourTable picture(static_cast<int>(colours.size()), height);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < picture.Width(); ++column)
            picture.SetColour(column, row, colours[column]);
    return picture;
}

WrapParameters Defaults() {
    WrapParameters p;
    p.Footer = "M2";
    return p;
}

TEST(NcWriter, WorkedExampleByteForByte) {
    const ColourTable picture = Columns({Rgb(0, 0, 0), Rgb(255, 255, 255), Rgb(100, 100, 100)}, 2);
    const std::string expected =
        "( Toolpath File Produced by the Quennock Vantorel Program )\r\n"
        "( Left Edge of Picture at X = 0mm )\r\n"
        "( Picture is wrapped around 360degrees )\r\n"
        "( Z Value of worksurface 7.5mm )\r\n"
        "( Feedrate = 200mm/min )\r\n"
        "( Max Depth of Cut = 1mm )\r\n"
        "( Clearance Plane Z = 10mm )\r\n"
        "( No tool diameter is assumed, use whatever ball nose cutter is suitable )\r\n"
        "( ---------------------------------------------------------------------- )\r\n"
        "( Header )\r\n"
        "\r\n"
        "(XY Plane, Metric, Absolute distance mode, mm/min feedrate)\r\n"
        "G17 G21 G90 G90.1 G94\r\n"
        "(Tool 0, Spindle 1000 rpm)\r\n"
        "T0 S1000\r\n"
        "(Move to retract plane)\r\n"
        "G0 Z10.0000\r\n"
        "(Move to start position)\r\n"
        "G0 X0 Y0 A0\r\n"
        "(Half speed feed for first line as it's being plunged)\r\n"
        "F100.00\r\n"
        "G1 X0.0000 Z7.5000 A0.0000\r\n"
        "G1 X50.0000 Z6.5000\r\n"
        "G1 X100.0000 Z7.1078 A0.0000\r\n"
        "F200.00\r\n"
        "G1 X100.0000 Z7.1078 A180.0000\r\n"
        "G1 X50.0000 Z6.5000\r\n"
        "G1 X0.0000 Z7.5000 A180.0000\r\n"
        "( End )\r\n"
        "G0 Z10.0000\r\n"
        "G0 A0 X0\r\n"
        "M2\r\n";
    EXPECT_EQ(Program(picture, Defaults()), expected);
}

// The move lines (after the header's 21 lines, before the 4 closing ones).
std::vector<std::string> Moves(const std::string& program) {
    auto lines = testing::SplitCrLf(program);
    return std::vector<std::string>(lines.begin() + 21, lines.end() - 4);
}

TEST(NcWriter, MovesOfSmallPictures) {
    const auto white = Rgb(255, 255, 255);
    struct Case {
        const char* name;
        ColourTable picture;
        double wrapAngle;
        std::vector<std::string> moves;
    } cases[] = {
        {"OneRowThenFullFeed", Columns({white, 0, white}, 1), 360,
         {"G1 X0.0000 Z6.5000 A0.0000", "G1 X50.0000 Z7.5000", "G1 X100.0000 Z6.5000 A0.0000",
          "F200.00"}},
        {"TwoColumnsEveryMoveTurns", Columns({white, 0}, 3), 90,
         {"G1 X0.0000 Z6.5000 A0.0000", "G1 X100.0000 Z7.5000 A0.0000", "F200.00",
          "G1 X100.0000 Z7.5000 A30.0000", "G1 X0.0000 Z6.5000 A30.0000",
          "G1 X0.0000 Z6.5000 A60.0000", "G1 X100.0000 Z7.5000 A60.0000"}},
        {"QuarterTurnNeverReachesItsEnd", Columns({white, white}, 4), 90,
         {"G1 X0.0000 Z6.5000 A0.0000", "G1 X100.0000 Z6.5000 A0.0000", "F200.00",
          "G1 X100.0000 Z6.5000 A22.5000", "G1 X0.0000 Z6.5000 A22.5000",
          "G1 X0.0000 Z6.5000 A45.0000", "G1 X100.0000 Z6.5000 A45.0000",
          "G1 X100.0000 Z6.5000 A67.5000", "G1 X0.0000 Z6.5000 A67.5000"}},
    };
    for (const Case& c : cases) {
        WrapParameters p = Defaults();
        p.WrapAngle = c.wrapAngle;
        EXPECT_EQ(Moves(Program(c.picture, p)), c.moves) << c.name;
    }
}

TEST(NcWriter, FeedRateLines) {
    struct Case {
        double feedrate;
        const char* half;
        const char* full;
    } cases[] = {{200.25, "F100.13", "F200.25"}, {0, "F0.00", "F0.00"}, {-200, "F-100.00", "F-200.00"}};
    const ColourTable picture = Columns({Rgb(255, 255, 255), 0}, 2);
    for (const Case& c : cases) {
        WrapParameters p = Defaults();
        p.Feedrate = c.feedrate;
        const auto lines = testing::SplitCrLf(Program(picture, p));
        EXPECT_EQ(lines[20], c.half);
        EXPECT_EQ(lines[23], c.full);
    }
}

TEST(NcWriter, EmptyHeaderAndFooterStillTakeTheirLines) {
    WrapParameters p = Defaults();
    p.Footer = "";
    p.Header = "G54 (fixture)";
    const std::string program = Program(Columns({Rgb(1, 2, 3), 0}, 1), p);
    EXPECT_EQ(testing::SplitCrLf(program)[10], "G54 (fixture)");
    EXPECT_TRUE(program.ends_with("G0 A0 X0\r\n\r\n"));
    EXPECT_EQ(testing::SplitCrLf(program).size(), 2u * 1 + 26);
}

TEST(NcWriter, NegativeDepthCutsAboveTheSurfaceAndBigValuesFallBackToGeneralForm) {
    WrapParameters p = Defaults();
    p.DepthofCut = -1;
    p.LeftX = 1e16;
    const auto moves = Moves(Program(Columns({0, Rgb(255, 255, 255)}, 1), p));
    EXPECT_EQ(moves[0], "G1 X1E16 Z7.5000 A0.0000");
    EXPECT_EQ(moves[1], "G1 X1.00000000000001E16 Z8.5000 A0.0000");
}

TEST(NcWriter, LineCountOnLargerPictures) {
    for (auto [width, height] : {std::pair{7, 13}, {300, 2}, {2, 5000}}) {
        ColourTable picture(width, height);
        for (int j = 0; j < height; ++j)
            for (int i = 0; i < width; ++i) picture.SetColour(i, j, Rgb(i % 256, j % 256, 7));
        const std::string program = Program(picture, Defaults());
        EXPECT_EQ(testing::SplitCrLf(program).size(), static_cast<std::size_t>(width) * height + 26);
    }
}

}  // namespace
}  // namespace vantorel
