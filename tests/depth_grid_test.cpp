#include <gtest/gtest.h>

#include "core/depth_grid.h"
#include "core/run_error.h"

namespace vantorel {
namespace {

TEST(DepthGrid, BrightnessWeighsTheChannelsEqually) {
    struct Case {
        std::uint32_t colour;
        int brightness;
    } cases[] = {{Rgb(255, 0, 0), 255}, {Rgb(0, 255, 0), 255},     {Rgb(0, 0, 255), 255},
                 {Rgb(100, 100, 100), 300}, {Rgb(255, 255, 255), 765}, {0, 0},
                 // Bits above the 24 of a colour are no part of it.
                 {0xFF000000u | Rgb(1, 2, 3), 6}, {0xFFFFFFFFu, 765}};
    for (const Case& c : cases) EXPECT_EQ(Brightness(c.colour), c.brightness) << c.colour;
}

TEST(DepthGrid, TheBrightestPixelGetsTheFullDepth) {
    ColourTable picture(3, 2);
    picture.SetColour(2, 1, Rgb(10, 0, 0));
    picture.SetColour(0, 1, Rgb(5, 0, 0));
    DepthGrid grid(3, 2, GridShape::Plain);
    BuildDepthGrid(grid, picture, 2);
    EXPECT_EQ(grid.At(2, 1), 2);
    EXPECT_EQ(grid.At(0, 1), 5 * (2.0 / 10));
    EXPECT_EQ(grid.At(1, 1), 0);

    BuildDepthGrid(grid, picture, -1);
    EXPECT_EQ(grid.At(2, 1), -1);
}

TEST(DepthGrid, UniformColourIsCutToTheFullDepthEverywhere) {
    ColourTable picture(4, 3, Rgb(30, 40, 50));
    DepthGrid grid(4, 3, GridShape::Plain);
    BuildDepthGrid(grid, picture, 1.25);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_EQ(grid.At(i, j), 1.25);
}

TEST(DepthGrid, ClosedGridRepeatsRowZeroAsTheWrapRow) {
    ColourTable picture(3, 4);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) picture.SetColour(i, j, Rgb(i * 40 + j, 0, 0));
    DepthGrid grid(3, 4, GridShape::Closed);
    ASSERT_EQ(grid.Rows(), 5);
    BuildDepthGrid(grid, picture, 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(grid.At(i, 4), grid.At(i, 0));
}

TEST(DepthGrid, AllBlackPictureIsADivisionByZero) {
    ColourTable picture(2, 2);
    DepthGrid grid(2, 2, GridShape::Plain);
    try {
        BuildDepthGrid(grid, picture, 1);
        FAIL();
    } catch (const RunError& e) {
        EXPECT_STREQ(e.what(), "Floating point division by zero");
    }
}

}  // namespace
}  // namespace vantorel
