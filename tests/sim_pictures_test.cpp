// The simulation's pictures: the deviation map shows a known gouge in red, the untouched
// relief in green and uncut material in blue, each where the cells lie; the carved view
// shades the groove's walls apart from the flat.

#include "io/sim_pictures.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

#include "tests/sim_test_support.h"

namespace vantorel {
namespace {

using testing::SimJob;
using testing::SimulateText;
using testing::Wrap;

class SimPictures : public ::testing::Test {
  protected:
    // Flat but for a 1 mm deep band near the right end, which the program never cuts; the
    // program cuts a groove 0.5 mm into the flat at A 90.
    SimPictures()
        : job(41, 360, Wrap{0, 360, 20, 10}, [](int c, int) { return c >= 30 ? 1.0 : 0.0; }) {
        SimulationOptions options;
        options.resolution = 0.1;
        result = SimulateText("G21 G90 G94\nG0 Z12\nG0 X2 A90\nG1 Z9.5 F200\nG1 X10\nG0 Z12\nM2\n",
                              "ball:2", job, options);
    }

    QPoint PixelOf(double x, double degrees) const {
        const DexelLayout& layout = result.layout;
        const MapScale scale = MapScaleFor(layout);
        const int i = static_cast<int>(std::lround((x - layout.x0) / layout.dx));
        const int j = static_cast<int>(std::lround(degrees * kPi / 180 / layout.AngleStep()));
        return {i * scale.up / scale.down, j * scale.up / scale.down};
    }

    SimJob job;
    SimulationResult result;
};

TEST_F(SimPictures, DeviationMapColoursGougeWithinAndLeftWhereTheyAre) {
    ASSERT_FALSE(result.problem) << result.problem->message;
    const QImage image =
        QImage::fromData(QByteArray::fromStdString(PngBytes(DeviationImage(result))), "PNG");
    ASSERT_FALSE(image.isNull());
    const QRgb gouge = image.pixel(PixelOf(6, 90));
    EXPECT_GT(qRed(gouge), 120);
    EXPECT_LT(qGreen(gouge), qRed(gouge) / 2);
    EXPECT_LT(qBlue(gouge), qRed(gouge) / 2);
    const QRgb within = image.pixel(PixelOf(6, 270));
    EXPECT_GT(qGreen(within), qRed(within) + 60);
    EXPECT_GT(qGreen(within), qBlue(within) + 60);
    const QRgb left = image.pixel(PixelOf(18, 180));
    EXPECT_GT(qBlue(left), qRed(left) + 60);
    EXPECT_GT(qBlue(left), qGreen(left) + 30);
    // X runs across and the angle down, as in the depth map.
    EXPECT_EQ(image.pixel(PixelOf(6, 270)), image.pixel(PixelOf(2.5, 10)));
    EXPECT_NE(image.pixel(PixelOf(9, 90)), image.pixel(PixelOf(12, 90)));
    // The legend's text stands below the map.
    const int mapHeight = result.layout.rows * MapScaleFor(result.layout).up;
    int ink = 0;
    for (int y = mapHeight; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ink += image.pixel(x, y) == qRgb(0, 0, 0);
    EXPECT_GT(ink, 200);
}

TEST_F(SimPictures, CarvedViewShadesTheGroovesWallsApartFromTheFlat) {
    ASSERT_FALSE(result.problem);
    const QImage image = CarvedImage(result);
    const QRgb flat = image.pixel(PixelOf(6, 60));
    EXPECT_EQ(flat, image.pixel(PixelOf(4, 250)));
    const double wall = 0.7 / 10 * 180 / kPi;  // degrees round from the groove's bottom
    EXPECT_NE(image.pixel(PixelOf(6, 90 - wall)), image.pixel(PixelOf(6, 90 + wall)));
    EXPECT_NE(image.pixel(PixelOf(6, 90 - wall)), flat);
}

TEST(MapScale, DrawsSmallGridsLargerAndHugeOnesSmaller) {
    DexelLayout layout;
    layout.columns = 100, layout.rows = 300;
    EXPECT_EQ(MapScaleFor(layout).up, 5);
    layout.columns = 2000, layout.rows = 2010;
    EXPECT_EQ(MapScaleFor(layout).up, 1);
    EXPECT_EQ(MapScaleFor(layout).down, 1);
    layout.columns = 10000, layout.rows = 500;
    EXPECT_EQ(MapScaleFor(layout).down, 3);
}

}  // namespace
}  // namespace vantorel
