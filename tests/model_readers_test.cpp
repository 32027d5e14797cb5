// Real readers of the three model formats load what we write: admesh for STL, assimp for
// OBJ, ezdxf (Debian's Python) for DXF. Each test is skipped when its reader is missing.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <regex>
#include <string>

#include "tests/model_test_support.h"

namespace vantorel {
namespace {

using testing::TempFolder;
using testing::Wrap;

struct ToolResult {
    int status = -1;
    std::string output;  // stdout and stderr together
};

ToolResult RunTool(const std::string& command) {
    ToolResult result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) result.output.append(chunk, got);
    result.status = ::pclose(pipe);
    return result;
}

bool HasTool(const std::string& tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// The number after `label` and a colon on one line of a report; NaN when it is missing.
double ReportedNumber(const std::string& report, const std::string& label) {
    std::smatch match;
    const std::regex pattern(label + R"(\s*:\s*(-?[0-9.]+))");
    if (!std::regex_search(report, match, pattern)) return std::nan("");
    return std::stod(match[1]);
}

// An uneven relief, every depth short of the work surface.
double Relief(int c, int r) { return 0.5 + 0.4 * std::sin(c * 0.9) * std::cos(r * 0.7); }

TEST(ModelReaders, AdmeshFindsAClosedSolidWithPositiveVolume) {
    if (!HasTool("admesh")) GTEST_SKIP() << "admesh is not installed";
    const struct {
        int width, height;
        Wrap wrap;
    } cases[] = {
        {5, 8, {.wrapAngle = 360}},
        {2, 3, {.leftX = -20, .wrapAngle = 360, .imageLength = 5, .workSurface = 3}},
        {9, 3, {.wrapAngle = 360}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
        TempFolder folder;
        const std::string path = folder / "model.stl";
        testing::WriteFile(path, testing::WriteStl(c.width, c.height, c.wrap, Relief));
        const ToolResult admesh = RunTool("admesh -e -d -v " + Quoted(path));
        ASSERT_EQ(admesh.status, 0) << admesh.output;
        EXPECT_EQ(ReportedNumber(admesh.output, "Number of facets"), 2.0 * c.width * c.height)
            << admesh.output;
        EXPECT_EQ(ReportedNumber(admesh.output, "Total disconnected facets"), 0) << admesh.output;
        EXPECT_EQ(ReportedNumber(admesh.output, "Degenerate facets"), 0) << admesh.output;
        EXPECT_EQ(ReportedNumber(admesh.output, "Facets reversed"), 0) << admesh.output;
        EXPECT_EQ(ReportedNumber(admesh.output, "Backwards edges"), 0) << admesh.output;
        EXPECT_EQ(ReportedNumber(admesh.output, "Normals fixed"), 0) << admesh.output;
        EXPECT_GT(ReportedNumber(admesh.output, "Volume"), 0) << admesh.output;
    }
}

TEST(ModelReaders, AssimpLoadsTheObjGroupsWithTheirFaces) {
    if (!HasTool("assimp")) GTEST_SKIP() << "assimp is not installed";
    const struct {
        int width, height;
        double wrapAngle;
    } cases[] = {{5, 8, 360}, {2, 1, 180}, {4, 3, 90}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
        TempFolder folder;
        const std::string path = folder / "model.obj";
        testing::WriteFile(path,
                           testing::WriteObj(c.width, c.height, {.wrapAngle = c.wrapAngle}, Relief));
        // -r: raw, so every face keeps its corners and nothing is joined or split.
        const ToolResult assimp = RunTool("assimp info " + Quoted(path) + " -r");
        ASSERT_EQ(assimp.status, 0) << assimp.output;
        const int sides = (c.width - 1) * c.height;
        const int ends = 2 * c.height;
        const std::string cylinder = "(cylinder): [" + std::to_string(4 * sides) + " / 0 / " +
                                     std::to_string(sides) + " | polygon]";
        const std::string endFans = "(ends): [" + std::to_string(3 * ends) + " / 0 / " +
                                    std::to_string(ends) + " | triangle]";
        EXPECT_NE(assimp.output.find(cylinder), std::string::npos) << assimp.output;
        EXPECT_NE(assimp.output.find(endFans), std::string::npos) << assimp.output;
        EXPECT_EQ(ReportedNumber(assimp.output, "Faces"), sides + ends) << assimp.output;
    }
}

TEST(ModelReaders, EzdxfAuditsTheDrawingCleanAndCountsItsFaces) {
    const std::string python = "/usr/bin/python3";
    if (RunTool(python + " -c 'import ezdxf'").status != 0) GTEST_SKIP() << "ezdxf is not installed";
    const struct {
        int width, height;
        double wrapAngle;
    } cases[] = {{5, 8, 360}, {4, 3, 90}, {3, 1, 360}};
    const std::string script =
        "import sys, ezdxf\n"
        "doc = ezdxf.readfile(sys.argv[1])\n"
        "auditor = doc.audit()\n"
        "for e in auditor.errors: print('error:', e.message)\n"
        "faces = doc.modelspace().query('3DFACE')\n"
        "layers = {f.dxf.layer for f in faces}\n"
        "print('faces:', len(faces))\n"
        "print('errors:', len(auditor.errors))\n"
        "print('layers:', ','.join(sorted(layers)), 'in table:', doc.layers.has_entry('Quennock'))\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height << " at " << c.wrapAngle);
        TempFolder folder;
        const std::string path = folder / "model.dxf";
        testing::WriteFile(folder / "check.py", script);
        testing::WriteFile(path,
                           testing::WriteDxf(c.width, c.height, {.wrapAngle = c.wrapAngle}, Relief));
        const ToolResult ezdxf = RunTool(python + " " + Quoted(folder / "check.py") + " " + Quoted(path));
        ASSERT_EQ(ezdxf.status, 0) << ezdxf.output;
        const int faces =
            (c.width - 1) * (c.height - 1) + (c.wrapAngle == 360 ? c.width - 1 : 0);
        EXPECT_EQ(ReportedNumber(ezdxf.output, "faces"), faces) << ezdxf.output;
        EXPECT_EQ(ReportedNumber(ezdxf.output, "errors"), 0) << ezdxf.output;
        EXPECT_NE(ezdxf.output.find("layers: Quennock in table: True"), std::string::npos)
            << ezdxf.output;
    }
}

}  // namespace
}  // namespace vantorel
