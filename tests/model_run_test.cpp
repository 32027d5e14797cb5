// The three model formats through a whole conversion run: the file lands under its own name
// and holds what the writer makes of the picture's depth grid.

#include <gtest/gtest.h>

#include <string>

#include "core/conversion_run.h"
#include "tests/fake_host.h"
#include "tests/model_test_support.h"
#include "writers/formats.h"

namespace vantorel {
namespace {

using testing::FakeHost;
using testing::TempFolder;

// A 3 × 2 picture with three brightnesses, saved where the run expects to find it.
struct ModelRun {
    TempFolder folder;
    ColourTable picture{3, 2};
    FakeHost host{picture};

    ModelRun() {
        picture.SetColour(0, 0, Rgb(255, 255, 255));
        picture.SetColour(1, 0, Rgb(100, 100, 100));
        picture.SetColour(2, 1, Rgb(10, 0, 0));
        testing::WriteBitmap(folder / "pic.bmp", picture);
        host.Set(Field::PicturePath, folder / "pic.bmp");
        host.Set(Field::OutputName, folder / "pic Vantorel.dxf");
        host.Set(Field::LeftX, "-2.5");
        host.Set(Field::ImageLength, "40");
        host.Set(Field::WorkSurface, "12");
        host.Set(Field::DepthofCut, "2");
    }

    // What the writer makes of the same picture with the parameters the run reads.
    std::string Expected(WriterFn writer, GridShape shape, double wrapAngle,
                         const std::string& outputPath) {
        DepthGrid grid(3, 2, shape);
        BuildDepthGrid(grid, picture, 2);
        if (shape == GridShape::Closed)
            for (int c = 0; c < 3; ++c) grid.At(c, 2) = grid.At(c, 0);
        const WrapParameters p = testing::MakeParameters(
            {.leftX = -2.5, .wrapAngle = wrapAngle, .imageLength = 40, .workSurface = 12}, 3, 2);
        MemoryOutputFile out;
        writer(WriterJob{grid, p, outputPath}, out, {});
        out.Commit();
        return out.Bytes();
    }
};

struct FormatCase {
    const OutputFormat& format;
    const char* outputFile;
    WriterFn writer;
    GridShape shape;
    const char* building;
    const char* saving;
};

void PrintTo(const FormatCase& c, std::ostream* out) { *out << c.format.name; }

class ModelRunFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(ModelRunFormats, WritesTheModelUnderItsOwnName) {
    const FormatCase& c = GetParam();
    ModelRun run;
    ASSERT_EQ(ConversionRun(run.host, c.format), RunOutcome::Completed);
    const std::string path = run.folder / c.outputFile;
    EXPECT_EQ(testing::ReadFile(path), run.Expected(c.writer, c.shape, 360, path));
    EXPECT_EQ(run.host.events,
              (std::vector<std::string>{"enable:0", "status:Checking max brightness values",
                                        std::string("status:") + c.building,
                                        std::string("status:") + c.saving, "enable:1",
                                        "status:Complete"}));
}

INSTANTIATE_TEST_SUITE_P(
    Models, ModelRunFormats,
    ::testing::Values(FormatCase{StlFormat(), "pic Vantorel.stl", &WriteStlFile, GridShape::Closed,
                                 "Creating STL file", "Writing STL file"},
                      FormatCase{ObjFormat(), "pic Vantorel.obj", &WriteObjFile, GridShape::Closed,
                                 "Creating OBJ file", "Writing OBJ file"},
                      FormatCase{DxfFormat(), "pic Vantorel.dxf", &WriteDxfFile, GridShape::Plain,
                                 "Creating DXF file", "Writing DXF file"}),
    [](const auto& info) { return std::string(info.param.format.name); });

TEST(ModelRun, StlSolidIsNamedAfterTheStlFile) {
    ModelRun run;
    ASSERT_EQ(ConversionRun(run.host, StlFormat()), RunOutcome::Completed);
    const std::string text = testing::ReadFile(run.folder / "pic Vantorel.stl");
    EXPECT_EQ(text.substr(0, text.find("\r\n")), "solid pic Vantorel.stl");
}

TEST(ModelRun, DxfSeamFollowsTheParsedWrapAngle) {
    const struct {
        const char* text;
        bool seam;
    } cases[] = {{"360", true}, {"360.0", true}, {"3.6e2", true}, {" 360 ", true},
                 {"abc", true},  // unreadable: the default of 360
                 {"720", false}, {"359.9", false}, {"90", false}};
    for (const auto& c : cases) {
        ModelRun run;
        run.host.Set(Field::WrapAngle, c.text);
        ASSERT_EQ(ConversionRun(run.host, DxfFormat()), RunOutcome::Completed) << c.text;
        const std::size_t faces = 2 * 1 + (c.seam ? 2 : 0);
        EXPECT_EQ(testing::SplitCrLf(testing::ReadFile(run.folder / "pic Vantorel.dxf")).size(),
                  66 + 30 * faces)
            << c.text;
    }
}

}  // namespace
}  // namespace vantorel
