// The DXF drawing: the wrapped relief as four-cornered 3DFACE entities on one layer, with a
// band of seam faces closing the tube when the picture is wrapped through a full turn.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

#include "core/fields.h"
#include "core/geometry.h"
#include "core/relief_mesh.h"
#include "writers/text_pieces.h"
#include "writers/ordered_chunks.h"
#include "writers/writer_job.h"

namespace vantorel {
namespace {

// After the banner comment, 30 groups: a second comment, a TABLES section with one line type
// and one layer, and the start of the ENTITIES section.
constexpr const char* kOpening[] = {
    "999", "Vantorel: depth map wrapped round a rotary axis as 3DFACE entities",
    " 0",  "SECTION",
    " 2",  "TABLES",
    " 0",  "TABLE",
    " 2",  "LTYPE",
    "70",  "1",
    " 0",  "LTYPE",
    " 2",  "CONTINUOUS",
    "70",  "64",
    " 3",  "Solid Line",
    "72",  "65",
    "73",  "0",
    "40",  "0.000000",
    " 0",  "ENDTAB",
    " 0",  "TABLE",
    " 2",  "LAYER",
    "70",  "6",
    " 0",  "LAYER",
    " 2",  "Quennock",
    "70",  "64",
    "62",  "5",
    " 6",  "CONTINUOUS",
    " 0",  "ENDTAB",
    " 0",  "TABLE",
    " 2",  "STYLE",
    "70",  "0",
    " 0",  "ENDTAB",
    " 0",  "ENDSEC",
    " 0",  "SECTION",
    " 2",  "ENTITIES",
};

// A face runs to about 330 bytes; only used to size the pieces.
constexpr std::uint64_t kBytesPerFace = 360;

// A corner's three coordinates as text, kept while the cells that share it are written. x
// depends only on the column, so it may point at a text kept for the whole column.
struct CornerText {
    const NumberText* x;
    NumberText coordinate[3];  // [0] is used when x is the corner's own

    void Set(const nodalposition& p) {
        SetGeneral(coordinate[0], p.x);
        x = &coordinate[0];
        SetYZ(p);
    }
    void SetYZ(const nodalposition& p) {
        SetGeneral(coordinate[1], p.y);
        SetGeneral(coordinate[2], p.z);
    }
};

// The group codes of the twelve coordinates, corner by corner, with the line ends around them.
constexpr char kCornerCodes[4][3][7] = {
    {"\r\n10\r\n", "\r\n20\r\n", "\r\n30\r\n"},
    {"\r\n11\r\n", "\r\n21\r\n", "\r\n31\r\n"},
    {"\r\n12\r\n", "\r\n22\r\n", "\r\n32\r\n"},
    {"\r\n13\r\n", "\r\n23\r\n", "\r\n33\r\n"},
};

// The opening's last line end comes with the first group code.
constexpr char kFaceStart[] = " 0\r\n3DFACE\r\n 8\r\nQuennock\r\n62\r\n83";

// Room for one face, the fixed-size copies past its end included.
constexpr std::size_t kMostBytesPerFace =
    (sizeof kFaceStart - 1) + 4 * 3 * (6 + std::max(kMaxNumberText, NumberText::kCopy)) + 2;

void Face(TextBuffer& out, const CornerText* const (&corners)[4]) {
    char* at = out.Begin(kMostBytesPerFace);
    at = Put(at, kFaceStart);
    for (int k = 0; k < 4; ++k) {
        std::memcpy(at, kCornerCodes[k][0], 6);
        at = Put(at + 6, *corners[k]->x);
        for (int axis = 1; axis < 3; ++axis) {
            std::memcpy(at, kCornerCodes[k][axis], 6);
            at = Put(at + 6, corners[k]->coordinate[axis]);
        }
    }
    out.End(PutLineEnd(at));
}

void Face(TextBuffer& out, const ReliefMesh& mesh, const std::array<GridPoint, 4>& corners) {
    CornerText texts[4];
    for (std::size_t k = 0; k < 4; ++k) texts[k].Set(mesh.Point(corners[k]));
    Face(out, {&texts[0], &texts[1], &texts[2], &texts[3]});
}

enum class Stretch { Opening, SurfaceFaces, SeamFaces, Closing };

using Piece = vantorel::Piece<Stretch>;

class DxfDrawing {
public:
    explicit DxfDrawing(const WriterJob& job)
        : mesh_(job.grid, job.parameters), width_(job.grid.Width()),
          height_(job.grid.PictureHeight()) {
        if (job.grid.Shape() != GridShape::Plain)
            throw std::logic_error("the DXF drawing needs the plain depth grid");
    }

    std::vector<Piece> Plan() const {
        const std::uint64_t columns = static_cast<std::uint64_t>(width_) - 1;
        const std::uint64_t cells = columns * (static_cast<std::uint64_t>(height_) - 1);
        std::vector<Piece> plan;
        AddStretch(plan, Stretch::Opening, 1, 1024);
        AddStretch(plan, Stretch::SurfaceFaces, cells, kBytesPerFace);
        // Only a wrap of exactly one turn closes the tube; 359.9 or 720 leave it open.
        if (mesh_.HasSeam()) AddStretch(plan, Stretch::SeamFaces, columns, kBytesPerFace);
        AddStretch(plan, Stretch::Closing, 1, 32);
        return plan;
    }

    void Format(const Piece& piece, TextBuffer& out) const {
        switch (piece.stretch) {
            case Stretch::Opening:
                out.Line("999");
                out.Append("DXF File ");
                out.Line(kProducedBy);
                for (const char* line : kOpening) out.Line(line);
                break;
            case Stretch::SurfaceFaces: SurfaceFaces(piece.first, piece.last, out); break;
            case Stretch::SeamFaces: SeamFaces(piece.first, piece.last, out); break;
            case Stretch::Closing: out.Append(" 0\r\nENDSEC\r\n 0\r\nEOF\r\n"); break;
        }
    }

private:
    // Cells (i, j) for rows 0 .. H − 2 in column-major order, corners c0, c1, c2, c3.
    // Walking down a column, a cell's c0 and c1 are the previous cell's c3 and c2, so their
    // texts are kept rather than formatted again. x of columns i and i + 1 (the mesh puts
    // column X there) is formatted once per column of the piece.
    void SurfaceFaces(std::uint64_t first, std::uint64_t last, TextBuffer& out) const {
        CornerText texts[4];
        CornerText* lower[2] = {&texts[0], &texts[1]};  // c0, c1
        CornerText* upper[2] = {&texts[2], &texts[3]};  // c3, c2
        NumberText columnX[2];
        int previousColumn = -1;
        int previousRow = -1;
        ForEachInColumnOrder(first, last, height_ - 1, [&](int i, int j) {
            if (i == previousColumn && j == previousRow + 1) {
                std::swap(lower[0], upper[0]);
                std::swap(lower[1], upper[1]);
            } else {
                const nodalposition c0 = mesh_.Point(i, j);
                const nodalposition c1 = mesh_.Point(i + 1, j);
                if (i != previousColumn) {
                    SetGeneral(columnX[0], c0.x);
                    SetGeneral(columnX[1], c1.x);
                }
                lower[0]->x = &columnX[0];
                lower[0]->SetYZ(c0);
                lower[1]->x = &columnX[1];
                lower[1]->SetYZ(c1);
            }
            upper[0]->x = &columnX[0];
            upper[0]->SetYZ(mesh_.Point(i, j + 1));
            upper[1]->x = &columnX[1];
            upper[1]->SetYZ(mesh_.Point(i + 1, j + 1));
            previousColumn = i;
            previousRow = j;
            Face(out, {lower[0], lower[1], upper[1], upper[0]});
        });
    }

    // From the last row back to row 0, at angle 0.
    void SeamFaces(std::uint64_t first, std::uint64_t last, TextBuffer& out) const {
        for (int i = static_cast<int>(first); i < static_cast<int>(last); ++i)
            Face(out, mesh_, mesh_.SeamCorners(i));
    }

    const ReliefMesh mesh_;
    int width_;
    int height_;
};

}  // namespace

void WriteDxfFile(const WriterJob& job, ByteSink& sink, const ProgressFn& progress) {
    const DxfDrawing drawing(job);
    const auto plan = drawing.Plan();
    WriteInOrder(
        sink, plan.size(),
        [&](std::size_t piece, TextBuffer& out) { drawing.Format(plan[piece], out); },
        progress);
}

}  // namespace vantorel
