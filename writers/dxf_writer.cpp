#include "core/run_error.h"
#include "writers/writer_job.h"

namespace vantorel {

void WriteDxfFile(const WriterJob&, ByteSink&, const ProgressFn&) {
    throw RunError("The dxf writer is not built yet");
}

}  // namespace vantorel
