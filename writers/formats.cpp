#include "writers/formats.h"

#include "writers/writer_job.h"

namespace vantorel {
namespace {

// With a tool chosen the NC file is the compensated finishing program, else the original.
void WriteNcProgram(const WriterJob& job, ByteSink& out, const ProgressFn& progress) {
    if (job.toolpath)
        WriteToolpathFile(job, out, progress);
    else
        WriteNcFile(job, out, progress);
}

}  // namespace

const OutputFormat& DxfFormat() {
    static const OutputFormat format{
        FormatKind::Dxf, "DXF", "", GridShape::Plain, false, "Creating DXF file", "Writing DXF file",
        "An existing DXF file will get overwritten.\n\nPlease delete file or change converted file name",
        WriteDxfFile};
    return format;
}

const OutputFormat& StlFormat() {
    static const OutputFormat format{
        FormatKind::Stl, "STL", ".stl", GridShape::Closed, false, "Creating STL file", "Writing STL file",
        "An existing STL file will get overwritten.\n\nPlease delete file or change converted file name",
        WriteStlFile};
    return format;
}

const OutputFormat& ObjFormat() {
    static const OutputFormat format{
        FormatKind::Obj, "OBJ", ".obj", GridShape::Closed, false, "Creating OBJ file", "Writing OBJ file",
        "An existing OBJ file will get overwritten.\n\nPlease delete file or change converted file name",
        WriteObjFile};
    return format;
}

const OutputFormat& NcFormat() {
    static const OutputFormat format{
        FormatKind::Nc, "NC", ".nc", GridShape::Plain, true, "Creating Toolpath file", "Writing NC file",
        "An existing NC file will get overwritten.\n\nPlease delete file or change converted file name",
        WriteNcProgram};
    return format;
}

const OutputFormat& FormatOf(FormatKind kind) {
    switch (kind) {
        case FormatKind::Dxf: return DxfFormat();
        case FormatKind::Stl: return StlFormat();
        case FormatKind::Obj: return ObjFormat();
        case FormatKind::Nc: break;
    }
    return NcFormat();
}

}  // namespace vantorel
