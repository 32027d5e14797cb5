// vantorel-cli end to end: the built program, real files, exit codes and messages.

#include <sys/wait.h>

#include <gtest/gtest.h>

#include "tests/test_files.h"

namespace vantorel {
namespace {

using testing::TempFolder;

struct CliResult {
    int exitCode;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

CliResult RunCli(const TempFolder& folder, const std::vector<std::string>& arguments) {
    std::string command = "cd " + Quote(folder.Path()) + " && " VANTOREL_BINARY_DIR "/cli/vantorel-cli";
    for (const std::string& argument : arguments) command += " " + Quote(argument);
    command += " >" + Quote(folder / ".out") + " 2>" + Quote(folder / ".err") + " </dev/null";
    const int status = std::system(command.c_str());
    CliResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, testing::ReadFile(folder / ".out"),
                     testing::ReadFile(folder / ".err")};
    std::remove((folder / ".out").c_str());
    std::remove((folder / ".err").c_str());
    return result;
}

ColourTable Relief(int width, int height) {
    ColourTable picture(width, height);
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i) picture.SetColour(i, j, Rgb((i * 7) % 256, (j * 5) % 256, 40));
    return picture;
}

TEST(CommandLine, BadUsageExits64WithAHint) {
    TempFolder folder;
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--frobnicate", "a.bmp"},
        {"-f", "png", "a.bmp"},
        {"a.bmp", "b.bmp"},
        {"--length"},
        {"--header", "G0\nM2", "a.bmp"},
        {"--footer=M30\r", "a.bmp"},
    };
    for (const auto& arguments : cases) {
        const CliResult result = RunCli(folder, arguments);
        EXPECT_EQ(result.exitCode, 64) << result.err;
        EXPECT_NE(result.err.find("Try 'vantorel-cli --help'"), std::string::npos) << result.err;
    }
}

TEST(CommandLine, HelpTeachesTheOptions) {
    TempFolder folder;
    const CliResult result = RunCli(folder, {"--help"});
    EXPECT_EQ(result.exitCode, 0);
    for (const char* option : {"--format", "--output", "--wrap-angle", "--work-surface", "--clearance",
                               "--settings", "Exit status"})
        EXPECT_NE(result.out.find(option), std::string::npos) << option;
}

TEST(CommandLine, WritesTheProgramOnceAndNeverOverwritesIt) {
    TempFolder folder;
    testing::WriteBitmap(folder / "face.bmp", Relief(5, 4));
    const CliResult first = RunCli(folder, {"face.bmp"});
    EXPECT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(first.out, "face Vantorel.nc\n");
    EXPECT_EQ(first.err,
              "Picture loaded and is = 5W x 4H Pixels\nChecking max brightness values\n"
              "Creating Toolpath file\nWriting NC file\nComplete\n");
    const std::string program = testing::ReadFile(folder / "face Vantorel.nc");
    EXPECT_EQ(testing::SplitCrLf(program).size(), 5u * 4 + 26);

    const CliResult second = RunCli(folder, {"-q", "face.bmp"});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_EQ(second.err,
              "An existing NC file will get overwritten.\n\nPlease delete file or change converted "
              "file name\n");
    EXPECT_EQ(testing::ReadFile(folder / "face Vantorel.nc"), program);
}

TEST(CommandLine, FieldsAsTypedAndTheClearanceRule) {
    TempFolder folder;
    testing::WriteBitmap(folder / "face.bmp", Relief(3, 3));
    const CliResult result =
        RunCli(folder, {"-q", "-o", "out/part.dxf", "--work-surface", "25", "--clearance=5",
                        "--left-x", "-10", "--header", "G54", "--footer", "M30", "face.bmp"});
    ASSERT_EQ(result.exitCode, 2) << "the folder out/ does not exist yet";
    EXPECT_NE(result.err.find("Cannot create file out/part.nc"), std::string::npos) << result.err;

    ::mkdir((folder / "out").c_str(), 0755);
    const CliResult again =
        RunCli(folder, {"-q", "-o", "out/part.dxf", "--work-surface", "25", "--clearance=5",
                        "--left-x", "-10", "--header", "G54", "--footer", "M30", "face.bmp"});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.err, "Note: the clearance height \"5\" is below the work surface; it is raised to 26.\n");
    const auto lines = testing::SplitCrLf(testing::ReadFile(folder / "out/part.nc"));
    EXPECT_EQ(lines[1], "( Left Edge of Picture at X = -10mm )");
    EXPECT_EQ(lines[6], "( Clearance Plane Z = 26mm )");
    EXPECT_EQ(lines[10], "G54");
    EXPECT_EQ(lines.back(), "M30");
}

TEST(CommandLine, SettingsFileGivesTheFieldsAndOptionsWin) {
    TempFolder folder;
    testing::WriteBitmap(folder / "face.bmp", Relief(3, 2));
    testing::WriteFile(folder / "Data.ini",
                       "[Vantorel]\r\nLeftX=5\r\nFeedrate=350\r\nClearance=12\r\n[GCode]\r\nHeader=G55\r\n"
                       "Footer=\r\n");
    const CliResult result = RunCli(folder, {"-q", "--settings", "Data.ini", "--feedrate", "90", "face.bmp"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto lines = testing::SplitCrLf(testing::ReadFile(folder / "face Vantorel.nc"));
    EXPECT_EQ(lines[1], "( Left Edge of Picture at X = 5mm )");
    EXPECT_EQ(lines[4], "( Feedrate = 90mm/min )");
    EXPECT_EQ(lines[6], "( Clearance Plane Z = 12mm )");
    EXPECT_EQ(lines[10], "G55");
    EXPECT_EQ(lines.back(), "");  // an empty footer stays empty
}

TEST(CommandLine, RefusalsAndRunErrors) {
    TempFolder folder;
    testing::WriteBitmap(folder / "thin.bmp", Relief(1, 6));
    testing::WriteFile(folder / "junk.bmp", "BM this is not a picture at all");
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        std::string message;
    } cases[] = {
        {{"missing.bmp"}, 1, "The input file does not exist.\n\nPlease check"},
        {{"--length", "0", "thin.bmp"}, 1, "The Image has zero length along the X Axis."},
        {{"--wrap-angle", "", "thin.bmp"}, 1, "Please enter a maximum value for"},
        {{"junk.bmp"}, 1, "Picture did not load: junk.bmp:"},
        {{"thin.bmp"}, 2, "Error: Floating point division by zero"},
    };
    for (const Case& c : cases) {
        const CliResult result = RunCli(folder, c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments.back() << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    for (const std::string& name : testing::FolderEntries(folder.Path()))
        EXPECT_TRUE(name == "thin.bmp" || name == "junk.bmp") << name;
}

}  // namespace
}  // namespace vantorel
