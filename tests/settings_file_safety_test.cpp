// The settings file is never left half written: a write that cannot finish (here, the disk
// fills up in the middle of it) leaves the old file exactly as it was, and nothing beside it.

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "core/run_error.h"
#include "tests/test_files.h"
#include "io/settings_file.h"

namespace vantorel {
namespace {

using testing::TempFolder;

TEST(SettingsFileSafety, WriteThatCannotFinishKeepsTheOldFileWhole) {
    TempFolder folder;
    const std::string path = folder / "Data.ini";
    SettingsFile(path).WriteString("Vantorel", "LeftX", "5");
    SettingsFile(path).WriteString("GCode", "Header", "G0 X0");
    const std::string before = testing::ReadFile(path);
    ASSERT_FALSE(before.empty());

    const pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            SettingsFile(path).WriteString("GCode", "Footer", std::string(100000, 'M'));
        } catch (const RunError& error) {
            ::_exit(error.what() == "Unable to write to " + path ? 0 : 2);
        }
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the write did not fail, 2: wrong message";
    EXPECT_EQ(testing::ReadFile(path), before);
    EXPECT_EQ(testing::FolderEntries(folder.Path()), std::vector<std::string>{"Data.ini"});
}

}  // namespace
}  // namespace vantorel
