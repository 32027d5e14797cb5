#pragma once

#include <string>
#include <string_view>

#include "core/depth_grid.h"
#include "core/writer_job.h"

namespace vantorel {

enum class FormatKind { Dxf, Stl, Obj, Nc };

// What tells the four conversion runs apart.
struct OutputFormat {
    FormatKind kind;
    std::string_view name;       // "DXF", "STL", "OBJ", "NC"
    std::string_view extension;  // empty: the output name is used as typed
    GridShape shape;
    bool readsMachiningFields;  // Feedrate, Clearance, Header, Footer
    std::string_view buildingStatus;
    std::string_view savingStatus;
    std::string_view overwriteMessage;
    WriterFn write;

    // The file this format writes for an output name typed in the window.
    std::string OutputPath(std::string_view outputName) const;
};

}  // namespace vantorel
