// The conversion run: its validation chain, the order of what it shows, and its failures.

#include <gtest/gtest.h>

#include "core/conversion_run.h"
#include "tests/fake_host.h"
#include "tests/test_files.h"
#include "writers/formats.h"

namespace vantorel {
namespace {

using testing::FakeHost;
using testing::TempFolder;

const std::string kNeedNames = "Need two file names\n\nConversion Aborted.";
const std::string kSameNames = "Both file names the same\n\nConversion Aborted.";
const std::string kNoAngle =
    "Please enter a maximum value for\nthe angle subtended by the image\n\nConversion Aborted.";
const std::string kZeroLength = "The Image has zero length along the X Axis.\n\nConversion Aborted.";
const std::string kAxisCentre =
    "The nominal work surface is at the rotary Axis centre.\n\nConversion Aborted.";
const std::string kZeroDepth =
    "The depth of cut is zero, so no machining will occur.\n\nConversion Aborted.";
const std::string kNoInput = "The input file does not exist.\n\nPlease check";
std::string Overwrite(const char* format) {
    return std::string("An existing ") + format +
           " file will get overwritten.\n\nPlease delete file or change converted file name";
}

struct ValidationCase {
    const char* name;
    const OutputFormat& format;
    std::vector<std::pair<Field, std::string>> fields;  // on top of a valid NC job
    const char* existingOutput;                          // a file made beforehand, or null
    std::string expected;                                // warning, or "" when the job passes
};

class ValidationChain : public ::testing::TestWithParam<ValidationCase> {};

TEST_P(ValidationChain, ShowsTheFirstFailingTestsMessage) {
    const ValidationCase& c = GetParam();
    TempFolder folder;
    ColourTable picture(3, 2, Rgb(255, 255, 255));
    testing::WriteBitmap(folder / "pic.bmp", picture);
    FakeHost host(picture);
    host.Set(Field::PicturePath, folder / "pic.bmp");
    host.Set(Field::OutputName, folder / "pic Vantorel.dxf");
    for (const auto& [field, text] : c.fields) {
        std::string value = text;
        if (auto at = value.find("{dir}"); at != std::string::npos) value.replace(at, 5, folder.Path());
        host.Set(field, value);
    }
    if (c.existingOutput) testing::WriteFile(folder / c.existingOutput, "keep me");

    const std::optional<std::string> warning = ValidateJob(host, c.format);
    EXPECT_EQ(warning.value_or(""), c.expected);
    const RunOutcome outcome = ConversionRun(host, c.format);
    if (c.expected.empty()) {
        EXPECT_EQ(outcome, RunOutcome::Completed);
    } else {
        EXPECT_EQ(outcome, RunOutcome::Aborted);
        EXPECT_EQ(host.events, (std::vector<std::string>{"warning:" + c.expected,
                                                          "status:Conversion Aborted"}));
    }
    if (c.existingOutput) {
        EXPECT_EQ(testing::ReadFile(folder / c.existingOutput), "keep me");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValidationChain,
    ::testing::Values(
        ValidationCase{"PictureEmpty", NcFormat(), {{Field::PicturePath, ""}}, nullptr, kNeedNames},
        ValidationCase{"OutputEmpty", NcFormat(), {{Field::OutputName, ""}}, nullptr, kNeedNames},
        ValidationCase{"BothEmptyBeforeAngle", NcFormat(),
                       {{Field::OutputName, ""}, {Field::WrapAngle, ""}}, nullptr, kNeedNames},
        ValidationCase{"DxfSameNameAnyCase", DxfFormat(),
                       {{Field::PicturePath, "c:\\a\\pic.bmp"}, {Field::OutputName, "C:\\A\\PIC.BMP"}},
                       nullptr, kSameNames},
        ValidationCase{"NcComparesItsOwnExtension", NcFormat(),
                       {{Field::PicturePath, "c:\\a\\pic.bmp"}, {Field::OutputName, "C:\\A\\PIC.BMP"}},
                       nullptr, kNoInput},
        ValidationCase{"StlSameAfterExtensionChange", StlFormat(),
                       {{Field::PicturePath, "{dir}/Pic.STL"}, {Field::OutputName, "{dir}/pic.dxf"}},
                       nullptr, kSameNames},
        ValidationCase{"AngleEmpty", NcFormat(), {{Field::WrapAngle, ""}}, nullptr, kNoAngle},
        ValidationCase{"AngleEmptyBeforeLength", NcFormat(),
                       {{Field::WrapAngle, ""}, {Field::ImageLength, "0"}}, nullptr, kNoAngle},
        ValidationCase{"AngleLettersPass", NcFormat(), {{Field::WrapAngle, "abc"}}, nullptr, ""},
        ValidationCase{"AngleSpacePasses", NcFormat(), {{Field::WrapAngle, " "}}, nullptr, ""},
        ValidationCase{"LengthLetters", NcFormat(), {{Field::ImageLength, "abc"}}, nullptr, kZeroLength},
        ValidationCase{"LengthEmpty", NcFormat(), {{Field::ImageLength, ""}}, nullptr, kZeroLength},
        ValidationCase{"LengthZero", NcFormat(), {{Field::ImageLength, "0"}}, nullptr, kZeroLength},
        ValidationCase{"LengthZeroDecimals", NcFormat(), {{Field::ImageLength, "0.000"}}, nullptr,
                       kZeroLength},
        ValidationCase{"LengthNegativePasses", NcFormat(), {{Field::ImageLength, "-50"}}, nullptr, ""},
        ValidationCase{"WorkSurfaceZero", NcFormat(), {{Field::WorkSurface, "0"}}, nullptr, kAxisCentre},
        ValidationCase{"WorkSurfaceLetters", NcFormat(), {{Field::WorkSurface, "x"}}, nullptr,
                       kAxisCentre},
        ValidationCase{"DepthZero", NcFormat(), {{Field::DepthofCut, "-0"}}, nullptr, kZeroDepth},
        ValidationCase{"DepthNegativePasses", NcFormat(), {{Field::DepthofCut, "-1"}}, nullptr, ""},
        ValidationCase{"PictureMissing", NcFormat(), {{Field::PicturePath, "{dir}/none.bmp"}}, nullptr,
                       kNoInput},
        ValidationCase{"PictureMissingWinsOverExistingOutput", NcFormat(),
                       {{Field::PicturePath, "{dir}/none.bmp"}}, "pic Vantorel.nc", kNoInput},
        ValidationCase{"PictureIsAFolder", NcFormat(), {{Field::PicturePath, "{dir}"}}, nullptr, kNoInput},
        ValidationCase{"DxfExists", DxfFormat(), {}, "pic Vantorel.dxf", Overwrite("DXF")},
        ValidationCase{"StlExists", StlFormat(), {}, "pic Vantorel.stl", Overwrite("STL")},
        ValidationCase{"ObjExists", ObjFormat(), {}, "pic Vantorel.obj", Overwrite("OBJ")},
        ValidationCase{"NcExists", NcFormat(), {}, "pic Vantorel.nc", Overwrite("NC")},
        ValidationCase{"OtherFormatsFileDoesNotMatter", NcFormat(), {}, "pic Vantorel.dxf", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A run for a job that passes: a picture, a folder, and what the host saw.
struct Job {
    TempFolder folder;
    ColourTable picture;
    FakeHost host;
    explicit Job(ColourTable p) : picture(std::move(p)), host(picture) {
        testing::WriteBitmap(folder / "pic.bmp", picture);
        host.Set(Field::PicturePath, folder / "pic.bmp");
        host.Set(Field::OutputName, folder / "pic Vantorel.dxf");
    }
    std::string Output(const char* extension) const { return folder / ("pic Vantorel" + std::string(extension)); }
};

TEST(ConversionRun, ShowsItsStepsInOrderAndWritesOneFile) {
    Job job(ColourTable(3, 2, Rgb(90, 90, 90)));
    EXPECT_EQ(ConversionRun(job.host, NcFormat()), RunOutcome::Completed);
    EXPECT_EQ(job.host.events,
              (std::vector<std::string>{"enable:0", "status:Checking max brightness values",
                                        "status:Creating Toolpath file", "status:Writing NC file",
                                        "enable:1", "status:Complete"}));
    EXPECT_EQ(testing::FolderEntries(job.folder.Path()).size(), 2u);  // picture and output
    EXPECT_EQ(testing::SplitCrLf(testing::ReadFile(job.Output(".nc"))).size(), 3u * 2 + 26);
}

struct FailureCase {
    const char* name;
    ColourTable picture;
    std::vector<std::pair<Field, std::string>> fields;
    std::vector<std::string> expectedEvents;
};

class RunFailures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(RunFailures, EndTheRunFirstThenShowTheErrorAndLeaveNoFile) {
    const FailureCase& c = GetParam();
    Job job(c.picture);
    for (const auto& [field, text] : c.fields) job.host.Set(field, text);
    EXPECT_EQ(ConversionRun(job.host, NcFormat()), RunOutcome::Failed);
    EXPECT_EQ(job.host.events, c.expectedEvents);
    EXPECT_EQ(testing::FolderEntries(job.folder.Path()), std::vector<std::string>{"pic.bmp"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunFailures,
    ::testing::Values(
        FailureCase{"OnePixelWide", ColourTable(1, 5, Rgb(255, 255, 255)), {},
                    {"enable:0", "enable:1", "status:Conversion Failed",
                     "error:Floating point division by zero"}},
        FailureCase{"AllBlack", ColourTable(4, 4, 0), {},
                    {"enable:0", "status:Checking max brightness values", "enable:1",
                     "status:Conversion Failed", "error:Floating point division by zero"}},
        FailureCase{"CoordinatesBeyondDoubles", ColourTable(3, 3, Rgb(1, 1, 1)),
                    {{Field::LeftX, "1e308"}, {Field::ImageLength, "1.7e308"}},
                    {"enable:0", "status:Checking max brightness values",
                     "status:Creating Toolpath file", "enable:1", "status:Conversion Failed",
                     "error:Floating point overflow"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConversionRun, MissingOutputFolderCannotBeCreated) {
    Job job(ColourTable(2, 2, Rgb(9, 9, 9)));
    const std::string output = job.folder / "no such folder/pic.dxf";
    job.host.Set(Field::OutputName, output);
    EXPECT_EQ(ConversionRun(job.host, NcFormat()), RunOutcome::Failed);
    EXPECT_EQ(job.host.events.back(), "error:Cannot create file " + job.folder / "no such folder/pic.nc");
    EXPECT_EQ(job.host.events[job.host.events.size() - 2], "status:Conversion Failed");
}

// Another program takes the output name while the file is being written.
class RacingHost : public FakeHost {
public:
    using FakeHost::FakeHost;
    std::unique_ptr<OutputFile> CreateOutput(const std::string& path) override {
        auto output = RunHost::CreateOutput(path);
        testing::WriteFile(path, "theirs");
        return output;
    }
};

TEST(ConversionRun, NeverReplacesAFileThatAppearsDuringTheRun) {
    TempFolder folder;
    ColourTable picture(3, 3, Rgb(50, 60, 70));
    testing::WriteBitmap(folder / "pic.bmp", picture);
    RacingHost host(picture);
    host.Set(Field::PicturePath, folder / "pic.bmp");
    host.Set(Field::OutputName, folder / "out.dxf");
    EXPECT_EQ(ConversionRun(host, NcFormat()), RunOutcome::Failed);
    EXPECT_EQ(host.events.back(), "error:" + Overwrite("NC"));
    EXPECT_EQ(testing::ReadFile(folder / "out.nc"), "theirs");
    EXPECT_EQ(testing::FolderEntries(folder.Path()).size(), 2u);  // no temporary file left
}

TEST(ConversionRun, ReadsFieldsAsTyped) {
    // 12,5 reads as 125; 1e as 1; --5 is unreadable (default 10); letters in the angle give 360.
    Job job(ColourTable(2, 1, Rgb(255, 0, 0)));
    job.host.Set(Field::WorkSurface, "12,5");
    job.host.Set(Field::Feedrate, "1e");
    job.host.Set(Field::Clearance, "--5");
    job.host.Set(Field::WrapAngle, "abc");
    job.host.Set(Field::LeftX, " -2.5 mm");
    ASSERT_EQ(ConversionRun(job.host, NcFormat()), RunOutcome::Completed);
    const auto lines = testing::SplitCrLf(testing::ReadFile(job.Output(".nc")));
    EXPECT_EQ(lines[1], "( Left Edge of Picture at X = -2.5mm )");
    EXPECT_EQ(lines[2], "( Picture is wrapped around 360degrees )");
    EXPECT_EQ(lines[3], "( Z Value of worksurface 125mm )");
    EXPECT_EQ(lines[4], "( Feedrate = 1mm/min )");
    EXPECT_EQ(lines[6], "( Clearance Plane Z = 10mm )");
}

}  // namespace
}  // namespace vantorel
