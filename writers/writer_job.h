#pragma once

#include <string>

#include "core/depth_grid.h"
#include "core/output_file.h"
#include "core/wrap_parameters.h"
#include "writers/ordered_chunks.h"

namespace vantorel {

// What every writer is given: the filled grid, the job parameters with their derived steps,
// and the output path (the STL writer names its solid after it).
struct WriterJob {
    const DepthGrid& grid;
    const WrapParameters& parameters;
    std::string outputPath;
};

using WriterFn = void (*)(const WriterJob& job, ByteSink& out, const ProgressFn& progress);

void WriteNcFile(const WriterJob& job, ByteSink& out, const ProgressFn& progress = {});
void WriteStlFile(const WriterJob& job, ByteSink& out, const ProgressFn& progress = {});
void WriteObjFile(const WriterJob& job, ByteSink& out, const ProgressFn& progress = {});
void WriteDxfFile(const WriterJob& job, ByteSink& out, const ProgressFn& progress = {});

}  // namespace vantorel
