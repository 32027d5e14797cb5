// The time to write each output against the floor: the time the machine needs just to write
// the same number of bytes from memory to a file in the same folder. Each conversion runs in a
// child process so its peak resident memory can be read on its own.
//
// Usage: vantorel-bench [FOLDER] [--quick]   (FOLDER defaults to ./bench-output)

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/number_timing.h"
#include "core/conversion_run.h"
#include "core/picture.h"
#include "writers/formats.h"

namespace vantorel {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// A smooth relief with fine detail on top, so the numbers in the files vary.
ColourTable SyntheticDepthMap(int width, int height) {
    ColourTable picture(width, height);
    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) {
            const double u = static_cast<double>(i) / width, v = static_cast<double>(j) / height;
            const double smooth = 0.5 + 0.25 * std::sin(6.283 * 3 * u) * std::cos(6.283 * 2 * v);
            const double detail = 0.1 * std::sin(i * 0.9 + j * 1.7) * std::cos(i * 0.31 - j * 0.53);
            const int g = static_cast<int>(std::lround(255 * std::clamp(smooth + detail, 0.0, 1.0)));
            picture.SetColour(i, j, Rgb(g, (g * 7 + i) % 256, (g * 3 + j) % 256));
        }
    }
    return picture;
}

class BenchHost final : public RunHost {
public:
    BenchHost(const Picture& picture, std::string output) : picture_(picture), output_(std::move(output)) {}
    std::string FieldText(Field field) const override {
        if (field == Field::PicturePath) return "/proc/self/exe";  // exists; never read by a run
        if (field == Field::OutputName) return output_;
        return DefaultFieldText(field);
    }
    void SetStatus(const std::string&) override {}
    void Repaint() override {}
    void ShowWarning(const std::string& message) override { std::fprintf(stderr, "%s\n", message.c_str()); }
    void ShowError(const std::string& message) override { std::fprintf(stderr, "%s\n", message.c_str()); }
    void SetControlsEnabled(bool) override {}
    const Picture& LoadedPicture() const override { return picture_; }

private:
    const Picture& picture_;
    std::string output_;
};

struct Measured {
    double seconds = 0;
    long peakKb = 0;
    bool ok = false;
};

// Runs `body` in a child; its time as seen by the parent and its own peak resident memory.
template <typename Body>
Measured InChild(Body body) {
    const auto start = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) ::_exit(body() ? 0 : 1);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    return {Seconds(start), usage.ru_maxrss, WIFEXITED(status) && WEXITSTATUS(status) == 0};
}

long FileSize(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<long>(info.st_size) : -1;
}

// The floor: the same number of bytes written from memory, in 4 MB writes.
bool WriteBytes(const std::string& path, long bytes) {
    static std::vector<char> block(4 << 20, 'x');
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    long left = bytes;
    while (left > 0) {
        const long n = std::min<long>(left, static_cast<long>(block.size()));
        if (::write(fd, block.data(), static_cast<std::size_t>(n)) != n) return false;
        left -= n;
    }
    return ::close(fd) == 0;
}

}  // namespace
}  // namespace vantorel

int main(int argc, char** argv) {
    using namespace vantorel;
    std::string folder = "bench-output";
    bool quick = false;
    int rounds = 3;
    for (int k = 1; k < argc; ++k) {
        if (std::strcmp(argv[k], "--quick") == 0) quick = true, rounds = 1;
        else folder = argv[k];
    }
    ::mkdir(folder.c_str(), 0755);
    std::printf("Output folder: %s; %ld cores; best of %d runs each\n", folder.c_str(),
                ::sysconf(_SC_NPROCESSORS_ONLN), rounds);
    std::printf("floor: the same number of bytes written from memory to a file in the same folder\n");
    std::printf("ratio: our time / the floor's; peak: our peak resident memory; budget: picture +\n");
    std::printf("depth grid + 64 MB\n\n");

    const std::vector<int> sizes = quick ? std::vector<int>{300} : std::vector<int>{1000, 2000};
    for (int size : sizes) {
        const auto madeAt = Clock::now();
        const ColourTable picture = SyntheticDepthMap(size, size);
        const double pictureMb = size * static_cast<double>(size) * 4 / 1e6;
        std::printf("%d x %d picture (made in %.2f s): %.1f MB in memory\n", size, size,
                    Seconds(madeAt), pictureMb);
        std::printf("  %-4s %9s %10s %9s %9s %10s %10s %8s\n", "fmt", "seconds", "output MB", "MB/s",
                    "floor s", "ratio", "peak MB", "budget");
        for (const OutputFormat* format : {&NcFormat(), &StlFormat(), &ObjFormat(), &DxfFormat()}) {
            const std::string name = folder + "/bench.dxf";
            const std::string path = format->OutputPath(name);
            std::remove(path.c_str());
            // Best of a few alternating runs, each starting with nothing left to flush, so
            // neither side pays for the other's write-back.
            Measured ours, floor;
            long bytes = -1;
            const std::string floorPath = folder + "/floor.bin";
            for (int round = 0; round < rounds; ++round) {
                std::remove(path.c_str());
                ::sync();
                const Measured run = InChild([&] {
                    BenchHost host(picture, name);
                    return ConversionRun(host, *format) == RunOutcome::Completed;
                });
                bytes = FileSize(path);
                std::remove(path.c_str());
                ::sync();
                const Measured plain = InChild([&] { return WriteBytes(floorPath, bytes); });
                std::remove(floorPath.c_str());
                if (round == 0 || run.seconds < ours.seconds) ours = run;
                if (round == 0 || plain.seconds < floor.seconds) floor = plain;
                ours.ok = run.ok && (round == 0 || ours.ok);
                floor.ok = plain.ok && (round == 0 || floor.ok);
            }
            if (!ours.ok || !floor.ok || bytes <= 0) {
                std::printf("  %-4s failed\n", std::string(format->name).c_str());
                continue;
            }
            const int rows = format->shape == GridShape::Closed ? size + 1 : size;
            const double gridMb = size * static_cast<double>(rows) * 8 / 1e6;
            const double budgetMb = pictureMb + gridMb + 64;
            std::printf("  %-4s %9.3f %10.1f %9.0f %9.3f %9.2fx %10.1f %7.0f%s\n",
                        std::string(format->name).c_str(), ours.seconds, bytes / 1e6,
                        bytes / 1e6 / ours.seconds, floor.seconds, ours.seconds / floor.seconds,
                        ours.peakKb / 1024.0, budgetMb, ours.peakKb / 1024.0 <= budgetMb ? "" : " OVER");
        }
        std::printf("\n");
    }
    PrintNumberTimings(quick ? 200000 : 1000000);
    return 0;
}
