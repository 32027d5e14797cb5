// The finishing program's time: a 1000 x 1000 picture, 100 mm long round a 16 mm work
// surface (0.1 mm pixels both ways), a 3 mm ball, rows at 0.1 mm stepover, 0.002 mm
// tolerance, written to a file through the same conversion run as the command line. Each
// run is a child process so that its peak resident memory is its own.
//
// Usage: vantorel-toolpath-bench [FOLDER] [--size N] [--tool T] [--pattern P] [--threads N]

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/conversion_run.h"
#include "core/picture.h"
#include "core/toolpath_settings.h"
#include "writers/formats.h"

namespace vantorel {
namespace {

using Clock = std::chrono::steady_clock;

// Grey levels of the bench picture, 0 .. 255: three soft domes and a ring groove on a
// gentle wave, so the passes meet slopes, walls and flats. image_to_gcode_peer.py draws the
// same picture.
int BenchLevel(int i, int j, int size) {
    const double u = static_cast<double>(i) / size, v = static_cast<double>(j) / size;
    double depth = 0.3 + 0.15 * std::sin(6.283 * 2 * u) * std::cos(6.283 * 3 * v);
    for (int k = 0; k < 3; ++k) {
        const double du = u - (0.2 + 0.3 * k), dv = v - 0.5;
        const double r = std::sqrt(du * du + dv * dv);
        if (r < 0.12) depth = std::max(depth, 0.9 * std::sqrt(1 - (r / 0.12) * (r / 0.12)));
        if (std::abs(r - 0.16) < 0.01) depth = 1.0;
    }
    return static_cast<int>(std::lround(255 * std::clamp(depth, 0.0, 1.0)));
}

class BenchHost final : public RunHost {
  public:
    BenchHost(const Picture& picture, std::string output, const ToolpathSettings& toolpath)
        : picture_(picture), output_(std::move(output)), toolpath_(toolpath) {}
    std::string FieldText(Field field) const override {
        switch (field) {
            case Field::PicturePath:
                return "/proc/self/exe";  // exists; never read by a run
            case Field::OutputName:
                return output_;
            case Field::ImageLength:
                return "100";
            case Field::WorkSurface:
                return "16";
            case Field::DepthofCut:
                return "2";
            case Field::Clearance:
                return "20";
            case Field::Feedrate:
                return "1000";
            default:
                return DefaultFieldText(field);
        }
    }
    void SetStatus(const std::string&) override {}
    void Repaint() override {}
    void ShowWarning(const std::string& message) override {
        std::fprintf(stderr, "%s\n", message.c_str());
    }
    void ShowError(const std::string& message) override {
        std::fprintf(stderr, "%s\n", message.c_str());
    }
    void SetControlsEnabled(bool) override {}
    const Picture& LoadedPicture() const override { return picture_; }
    const ToolpathSettings* Toolpath() const override { return &toolpath_; }

  private:
    const Picture& picture_;
    std::string output_;
    const ToolpathSettings& toolpath_;
};

}  // namespace
}  // namespace vantorel

int main(int argc, char** argv) {
    using namespace vantorel;
    std::string folder = "bench-output";
    int size = 1000;
    ToolpathTexts texts{"ball:3", "rows", "0.1", "0.002", "", "", ""};
    for (int k = 1; k < argc; ++k) {
        const std::string a = argv[k];
        auto next = [&]() { return k + 1 < argc ? std::string(argv[++k]) : std::string(); };
        if (a == "--size")
            size = std::atoi(next().c_str());
        else if (a == "--tool")
            texts.tool = next();
        else if (a == "--pattern")
            texts.pattern = next();
        else if (a == "--stepover")
            texts.stepover = next();
        else
            folder = a;
    }
    std::string problem;
    const auto settings = ParseToolpathSettings(texts, &problem);
    if (!settings) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 64;
    }
    ::mkdir(folder.c_str(), 0755);
    ColourTable picture(size, size);
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i) {
            const std::uint32_t g = static_cast<std::uint32_t>(BenchLevel(i, j, size));
            picture.SetColour(i, j, Rgb(g, g, g));
        }
    const std::string output = folder + "/finishing.dxf";
    const std::string program = folder + "/finishing.nc";
    ::unlink(program.c_str());

    const auto start = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        BenchHost host(picture, output, *settings);
        ::_exit(ConversionRun(host, NcFormat()) == RunOutcome::Completed ? 0 : 1);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    struct stat written {};
    ::stat(program.c_str(), &written);
    const double pictureMb = 4.0 * size * size / (1 << 20);
    std::printf("finishing program, %d x %d picture, %s %s stepover %s tolerance %s\n", size, size,
                texts.tool.c_str(), texts.pattern.c_str(), texts.stepover.c_str(),
                texts.tolerance.c_str());
    const double cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 +
                       usage.ru_stime.tv_sec + usage.ru_stime.tv_usec * 1e-6;
    std::printf("  %-8s %10s %10s %12s %10s %10s\n", "result", "seconds", "cpu s", "bytes",
                "peak MB", "picture MB");
    std::printf("  %-8s %10.2f %10.2f %12lld %10.1f %10.1f\n",
                WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "ok" : "FAILED", seconds, cpu,
                static_cast<long long>(written.st_size), usage.ru_maxrss / 1024.0, pictureMb);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
