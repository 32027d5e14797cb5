// vantorel-sim-bench: simulates a finishing program of a 1000 x 1000 picture (100 mm long on
// a 16 mm work surface, 0.1 mm pixels both ways) with a 3 mm ball at 0.05 mm cells, and
// prints the time of each phase and the peak memory. By default the program is the original
// one (a move per pixel); give a program file to time that instead.
//
// Usage: vantorel-sim-bench [PROGRAM.nc] [--threads N] [--resolution MM]

#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "core/depth_grid.h"
#include "core/output_file.h"
#include "core/picture.h"
#include "core/tool.h"
#include "core/wrap_parameters.h"
#include "sim/simulation.h"
#include "writers/writer_job.h"

namespace vantorel {
namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// Rounded bumps and a few steep-sided rings: a relief with walls and flats.
ColourTable BenchPicture(int size) {
    ColourTable picture(size, size);
    for (int r = 0; r < size; ++r)
        for (int c = 0; c < size; ++c) {
            const double u = c / double(size), v = r / double(size);
            double level = 0.5 + 0.25 * std::sin(u * 40) * std::cos(v * 6 * 3.14159265);
            const double ring = std::hypot(u - 0.5, v - 0.5);
            if (ring > 0.2 && ring < 0.25) level = 1;
            const auto grey = static_cast<std::uint32_t>(std::clamp(level, 0.0, 1.0) * 255);
            picture.SetColour(c, r, Rgb(grey, grey, grey));
        }
    return picture;
}

int Main(int argc, char** argv) {
    std::string programPath;
    SimulationOptions options;
    options.resolution = 0.05;
    for (int k = 1; k < argc; ++k) {
        const std::string argument = argv[k];
        if (argument == "--threads" && k + 1 < argc)
            options.threads = std::atoi(argv[++k]);
        else if (argument == "--resolution" && k + 1 < argc)
            options.resolution = std::atof(argv[++k]);
        else
            programPath = argument;
    }
    const int size = 1000;
    const ColourTable picture = BenchPicture(size);
    WrapParameters parameters;
    parameters.ImageLength = 100;
    parameters.WorkSurface = 16;
    parameters.DepthofCut = 1.5;
    parameters.Clearance = 20;
    parameters.Feedrate = 1000;
    parameters.Footer = "M2";
    parameters.XStep = ComputeXStep(parameters.ImageLength, size);
    parameters.AngleStep = ComputeAngleStep(parameters.WrapAngle, size);
    parameters.AngleStepDegrees = ComputeAngleStepDegrees(parameters.WrapAngle, size);

    std::string program;
    if (programPath.empty()) {
        DepthGrid plain(size, size, GridShape::Plain, GridOrder::ByRow);
        BuildDepthGrid(plain, picture, parameters.DepthofCut);
        MemoryOutputFile out;
        WriteNcFile(WriterJob{plain, parameters, "bench.nc"}, out);
        out.Commit();
        program = out.Bytes();
    }
    DepthGrid grid(size, size, GridShape::Closed);
    BuildDepthGrid(grid, picture, parameters.DepthofCut);
    const long before = PeakMegabytes();

    const auto start = std::chrono::steady_clock::now();
    SimulationResult result;
    if (programPath.empty()) {
        std::istringstream in(program);
        program.clear();
        result = Simulate(in, *ParseTool("ball:3"), grid, parameters, options);
    } else {
        std::ifstream in(programPath);
        result = Simulate(in, *ParseTool("ball:3"), grid, parameters, options);
    }
    const double seconds = Seconds(start);
    if (result.problem) {
        std::cerr << "line " << result.problem->line << ": " << result.problem->message << '\n';
        return 1;
    }
    const SimulationReport& report = result.report;
    std::printf("program: %s, %ld feed moves, %ld rapids\n",
                programPath.empty() ? "original (a move per pixel)" : programPath.c_str(),
                report.feedMoves, report.rapids);
    std::printf("cells: %d x %d at %.3f mm (%.1f MB of radii)\n", report.columns, report.rows,
                report.resolution, report.columns * double(report.rows) * 4 / 1e6);
    std::printf("simulated in %.2f s on %d thread(s); peak memory %ld MB (%ld MB before)\n",
                seconds, options.threads, PeakMegabytes(), before);
    std::printf("gouge %.4f mm, left max %.4f mm, mean %.4f mm, removed %.0f mm3, %.1f min\n",
                report.gouge.depth, report.leftMost.depth, report.leftMean, report.removedMm3,
                report.minutes);
    return 0;
}

}  // namespace
}  // namespace vantorel

int main(int argc, char** argv) { return vantorel::Main(argc, argv); }
