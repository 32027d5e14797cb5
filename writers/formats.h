#pragma once

#include "core/output_format.h"

namespace vantorel {

// The four conversion runs, each with its writer.
const OutputFormat& DxfFormat();
const OutputFormat& StlFormat();
const OutputFormat& ObjFormat();
const OutputFormat& NcFormat();
const OutputFormat& FormatOf(FormatKind kind);

}  // namespace vantorel
