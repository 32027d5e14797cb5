#include "core/run_error.h"
#include "writers/writer_job.h"

namespace vantorel {

void WriteStlFile(const WriterJob&, ByteSink&, const ProgressFn&) {
    throw RunError("The stl writer is not built yet");
}

}  // namespace vantorel
