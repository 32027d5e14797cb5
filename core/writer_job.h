#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/depth_grid.h"
#include "core/output_file.h"
#include "core/wrap_parameters.h"

namespace vantorel {

struct ToolpathSettings;

// Told after each piece of a file reaches its sink: pieces done, pieces in all.
using ProgressFn = std::function<void(std::uint64_t done, std::uint64_t total)>;

// What every writer is given: the filled grid, the job parameters with their derived steps,
// and the output path (the STL writer names its solid after it).
struct WriterJob {
    const DepthGrid& grid;
    const WrapParameters& parameters;
    std::string outputPath;
    // The NC file: a tool-compensated finishing program for this tool; none: the original.
    const ToolpathSettings* toolpath = nullptr;
};

// A format's writer: the whole file, in order, into `out`.
using WriterFn = void (*)(const WriterJob& job, ByteSink& out, const ProgressFn& progress);

}  // namespace vantorel
