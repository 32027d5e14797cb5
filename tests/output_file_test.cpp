// An output file appears whole or not at all, and never replaces another file. Each fault is
// made real: a file-size limit, a kill in the middle of a write, a folder we may not write.

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "core/conversion_run.h"
#include "core/run_error.h"
#include "tests/fake_host.h"
#include "tests/test_files.h"
#include "writers/formats.h"

namespace vantorel {
namespace {

using testing::TempFolder;

ColourTable Gradient(int width, int height) {
    ColourTable picture(width, height);
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i) picture.SetColour(i, j, Rgb(i % 256, j % 256, (i + j) % 256));
    return picture;
}

// Runs `body` in a child process and returns its exit status (or 128 + signal).
template <typename Body>
int InChild(Body body) {
    const pid_t child = ::fork();
    if (child == 0) {
        int status = 99;
        try {
            status = body();
        } catch (...) {
        }
        ::_exit(status);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(OutputFile, CommitsWholeAndNeverOverTakenName) {
    TempFolder folder;
    {
        auto file = CreateOutputFile(folder / "a.txt");
        file->Write("hello\r\n");
        EXPECT_EQ(testing::FolderEntries(folder.Path()).size(), 1u);  // only the hidden one
        EXPECT_FALSE(testing::Exists(folder / "a.txt"));
        file->Commit();
    }
    EXPECT_EQ(testing::ReadFile(folder / "a.txt"), "hello\r\n");

    auto second = CreateOutputFile(folder / "a.txt");
    second->Write("other");
    EXPECT_THROW(second->Commit(), TargetExists);
    second.reset();
    EXPECT_EQ(testing::ReadFile(folder / "a.txt"), "hello\r\n");
    EXPECT_EQ(testing::FolderEntries(folder.Path()), std::vector<std::string>{"a.txt"});
}

TEST(OutputFile, AbandonedFileLeavesNothing) {
    TempFolder folder;
    {
        auto file = CreateOutputFile(folder / "b.stl");
        file->Write(std::string(3 << 20, 'x'));
    }
    EXPECT_TRUE(testing::FolderEntries(folder.Path()).empty());
}

TEST(OutputFile, DiskFullInTheMiddleOfARunLeavesNoFile) {
    TempFolder folder;
    const ColourTable picture = Gradient(300, 300);  // about 7 MB of G-code
    testing::WriteBitmap(folder / "pic.bmp", picture);
    const int status = InChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{256 << 10, 256 << 10};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        testing::FakeHost host(picture);
        host.Set(Field::PicturePath, folder / "pic.bmp");
        host.Set(Field::OutputName, folder / "job.dxf");
        if (ConversionRun(host, NcFormat()) != RunOutcome::Failed) return 1;
        const std::string expected = "error:Cannot write file " + folder / "job.nc" + ": File too large";
        return host.events.back() == expected ? 0 : 2;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(testing::FolderEntries(folder.Path()), std::vector<std::string>{"pic.bmp"});
}

TEST(OutputFile, KilledInTheMiddleOfAWriteLeavesOnlyAHiddenRecognisableFile) {
    TempFolder folder;
    const ColourTable picture = Gradient(2000, 2000);  // about 120 MB of G-code
    testing::WriteBitmap(folder / "pic.bmp", picture);
    const pid_t child = ::fork();
    if (child == 0) {
        testing::FakeHost host(picture);
        host.Set(Field::PicturePath, folder / "pic.bmp");
        host.Set(Field::OutputName, folder / "job.dxf");
        ConversionRun(host, NcFormat());
        ::_exit(0);
    }
    // Wait until the temporary file has grown, then kill the writer without warning.
    std::string temporary;
    for (int wait = 0; wait < 3000 && temporary.empty(); ++wait) {
        for (const std::string& name : testing::FolderEntries(folder.Path())) {
            struct stat info {};
            if (name != "pic.bmp" && ::stat((folder / name).c_str(), &info) == 0 && info.st_size > (1 << 20))
                temporary = name;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ASSERT_FALSE(temporary.empty()) << "the run never started writing";
    EXPECT_FALSE(testing::Exists(folder / "job.nc"));
    EXPECT_EQ(temporary.front(), '.');
    EXPECT_TRUE(temporary.starts_with(".job.nc.vantorel-unfinished-")) << temporary;
}

TEST(OutputFile, FolderThatCannotBeWritten) {
    TempFolder folder;
    const ColourTable picture = Gradient(4, 4);
    testing::WriteBitmap(folder / "pic.bmp", picture);
    ::chmod(folder.Path().c_str(), 0555);
    ::chmod((folder / "pic.bmp").c_str(), 0644);
    const int status = InChild([&] {
        // Permissions do not stop the superuser: run as nobody.
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 3;
        testing::FakeHost host(picture);
        host.Set(Field::PicturePath, folder / "pic.bmp");
        host.Set(Field::OutputName, folder / "job.dxf");
        if (ConversionRun(host, NcFormat()) != RunOutcome::Failed) return 1;
        return host.events.back() == "error:Cannot create file " + folder / "job.nc" ? 0 : 2;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(testing::FolderEntries(folder.Path()), std::vector<std::string>{"pic.bmp"});
}

}  // namespace
}  // namespace vantorel
