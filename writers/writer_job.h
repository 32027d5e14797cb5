#pragma once

#include "core/writer_job.h"

namespace vantorel {

void WriteNcFile(const WriterJob& job, ByteSink& out, const ProgressFn& progress = {});
void WriteStlFile(const WriterJob& job, ByteSink& out, const ProgressFn& progress = {});
void WriteObjFile(const WriterJob& job, ByteSink& out, const ProgressFn& progress = {});
void WriteDxfFile(const WriterJob& job, ByteSink& out, const ProgressFn& progress = {});
void WriteToolpathFile(const WriterJob& job, ByteSink& out, const ProgressFn& progress = {});

}  // namespace vantorel
