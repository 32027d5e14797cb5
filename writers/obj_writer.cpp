#include "core/run_error.h"
#include "writers/writer_job.h"

namespace vantorel {

void WriteObjFile(const WriterJob&, ByteSink&, const ProgressFn&) {
    throw RunError("The obj writer is not built yet");
}

}  // namespace vantorel
