#include "core/output_format.h"

#include "core/file_names.h"

namespace vantorel {

std::string OutputFormat::OutputPath(std::string_view outputName) const {
    return extension.empty() ? std::string(outputName) : ChangeFileExt(outputName, extension);
}

}  // namespace vantorel
