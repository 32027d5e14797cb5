// The ASCII STL solid: two triangles for every grid cell of the closed grid, column by
// column, then a fan of triangles closing each end down to the axis.

#include <algorithm>
#include <array>
#include <cstring>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/file_names.h"
#include "core/geometry.h"
#include "core/relief_mesh.h"
#include "writers/text_pieces.h"
#include "writers/ordered_chunks.h"
#include "writers/writer_job.h"

namespace vantorel {
namespace {

constexpr int kDecimals = 10;
constexpr int kDigits = 10;

// A facet block runs to about 300 bytes; only used to size the pieces.
constexpr std::uint64_t kBytesPerFacet = 320;

// A point's three coordinates as text, "x y z", for the vertex lines.
struct PointText {
    char text[3 * kMaxNumberText];
    std::size_t size = 0;

    void Set(const nodalposition& p) {
        NumberText x;
        SetFixed(x, p.x, kDecimals, kDigits);
        Set(x, p);
    }
    // The same text, with x already formatted (it depends only on the column).
    void Set(const NumberText& x, const nodalposition& p) {
        char* at = Put(text, x);
        *at++ = ' ';
        at = WriteFixed(at, p.y, kDecimals, kDigits);
        *at++ = ' ';
        at = WriteFixed(at, p.z, kDecimals, kDigits);
        size = static_cast<std::size_t>(at - text);
    }
};

// The texts of the points of one grid column, each formatted when first asked for; the
// column's x only once.
struct ColumnTexts {
    // Room for `rows` points and no column yet. The texts are not cleared: `ready` says which
    // are set.
    void Prepare(int rows) {
        const auto size = static_cast<std::size_t>(rows);
        if (texts.size() < size) texts.resize(size);
        ready.assign(size, 0);
        column = -1;
    }

    void Reset(int newColumn) {
        column = newColumn;
        xReady = false;
        std::fill(ready.begin(), ready.end(), 0);
    }

    const PointText& Text(int row, const nodalposition& point) {
        const auto r = static_cast<std::size_t>(row);
        if (!ready[r]) {
            if (!xReady) {
                SetFixed(x, point.x, kDecimals, kDigits);
                xReady = true;
            }
            texts[r].Set(x, point);
            ready[r] = 1;
        }
        return texts[r];
    }

    int column = -1;
    bool xReady = false;
    NumberText x;
    std::vector<PointText> texts;
    std::vector<unsigned char> ready;
};

// A number of this form has at most 22 characters (sign, 10 digits, point, zeros), so a
// triple has at most 68 and one fixed-size copy of 80 bytes carries it.
constexpr std::size_t kTripleCopy = 80;
static_assert(kTripleCopy <= sizeof(PointText::text));

constexpr char kVertex[] = "        vertex ";
constexpr char kFacetStart[] = "    facet normal ";
constexpr char kLoopStart[] = "\r\n      outer loop\r\n";
constexpr char kFacetEnd[] = "      endloop\r\n    endfacet\r\n";

char* PutVertex(char* at, const PointText& p) {
    at = Put(at, kVertex);
    if (p.size <= kTripleCopy) [[likely]]
        std::memcpy(at, p.text, kTripleCopy);
    else
        std::memcpy(at, p.text, p.size);
    return PutLineEnd(at + p.size);
}

// The longest normal text: three numbers of the fixed form and two blanks.
constexpr std::size_t kMostNormalBytes = 3 * kMaxNumberText + 2;
// Room for one facet block, the fixed-size copies past its end included.
constexpr std::size_t kMostBytesPerFacet =
    (sizeof kFacetStart - 1) + kMostNormalBytes + (sizeof kLoopStart - 1) +
    3 * ((sizeof kVertex - 1) + std::max(kTripleCopy, sizeof(PointText::text)) + 2) +
    (sizeof kFacetEnd - 1);

// One facet block: "facet normal" and the normal's text, then the three corners in the
// listed order.
template <typename PutNormal>
char* Facet(char* at, PutNormal putNormal, const PointText& a, const PointText& b,
            const PointText& c) {
    at = Put(at, kFacetStart);
    at = putNormal(at);
    at = Put(at, kLoopStart);
    at = PutVertex(at, a);
    at = PutVertex(at, b);
    at = PutVertex(at, c);
    return Put(at, kFacetEnd);
}

// A cell triangle's normal, computed from its corners.
auto ComputedNormal(const nodalposition& normal) {
    return [normal](char* at) {
        static_assert(kDecimals == 10 && kDigits == 10);  // the form of WriteFixed10Unit
        at = WriteFixed10Unit(at, normal.x);
        *at++ = ' ';
        at = WriteFixed10Unit(at, normal.y);
        *at++ = ' ';
        return WriteFixed10Unit(at, normal.z);
    };
}

// The caps' normals are fixed texts, and the two ends are written differently on purpose:
// readers of our files have always seen them so.
char* LeftCapNormal(char* at) { return Put(at, "-1.0 0.0 0.0"); }
char* RightCapNormal(char* at) { return Put(at, "1 0 0"); }

// What each worker keeps from piece to piece: the point texts of the two columns in use.
struct Worker {
    ColumnTexts left;
    ColumnTexts right;
};

class StlModel {
public:
    explicit StlModel(const WriterJob& job) : mesh_(job.grid, job.parameters) {
        if (job.grid.Shape() != GridShape::Closed)
            throw std::logic_error("the STL model needs the closed depth grid");
    }

    const ReliefMesh& Mesh() const { return mesh_; }

    // Cells first .. last − 1 in column-major order, each as its two triangles. A grid point
    // is a corner of up to six triangles in the cells on both sides of its column, so the
    // texts of the two columns in use are kept: each point is formatted once per piece.
    void Cells(std::uint64_t first, std::uint64_t last, TextBuffer& out, Worker& worker) const {
        ColumnTexts& left = worker.left;
        ColumnTexts& right = worker.right;
        const int rows = mesh_.PictureRows();
        left.Prepare(rows + 1);
        right.Prepare(rows + 1);
        ForEachInColumnOrder(first, last, rows, [&](int c, int r) {
            if (left.column != c) {
                if (right.column == c) {
                    std::swap(left, right);  // the right side of the last column
                } else {
                    left.Reset(c);
                }
                right.Reset(c + 1);
            }
            const std::array<GridPoint, 4> corners = CellCorners(c, r);
            std::array<nodalposition, 4> points;
            std::array<const PointText*, 4> texts;
            for (std::size_t k = 0; k < 4; ++k) {
                points[k] = mesh_.Point(corners[k]);
                ColumnTexts& side = corners[k].column == c ? left : right;
                texts[k] = &side.Text(corners[k].row, points[k]);
            }
            char* at = out.Begin(2 * kMostBytesPerFacet);
            for (const auto& t : kCellTriangles) {
                const nodalposition normal = FacetNormal(points[t[0]], points[t[1]], points[t[2]]);
                at = Facet(at, ComputedNormal(normal), *texts[t[0]], *texts[t[1]], *texts[t[2]]);
            }
            out.End(at);
        });
    }

    // Cap triangles of rows first .. last − 1, the left one of each row first.
    void Caps(std::uint64_t first, std::uint64_t last, TextBuffer& out) const {
        for (int r = static_cast<int>(first); r < static_cast<int>(last); ++r) {
            for (const CapTriangle& cap : mesh_.Caps(r)) {
                PointText texts[3];
                texts[0].Set(mesh_.Point(cap.rim0));
                texts[1].Set(mesh_.Point(cap.rim1));
                texts[2].Set(mesh_.AxisPoint(cap));
                char* at = out.Begin(kMostBytesPerFacet);
                at = cap.left ? Facet(at, LeftCapNormal, texts[0], texts[1], texts[2])
                              : Facet(at, RightCapNormal, texts[0], texts[1], texts[2]);
                out.End(at);
            }
        }
    }

private:
    ReliefMesh mesh_;
};

}  // namespace

void WriteStlFile(const WriterJob& job, ByteSink& sink, const ProgressFn& progress) {
    const StlModel model(job);
    const std::uint64_t cells = model.Mesh().CellCount();
    const auto rows = static_cast<std::uint64_t>(model.Mesh().PictureRows());

    // Pieces: runs of cells in column-major order, then runs of cap rows; two facets each.
    const std::uint64_t cellsPerPiece = ItemsPerPiece(cells, 2 * kBytesPerFacet);
    const std::uint64_t rowsPerPiece = ItemsPerPiece(rows, 2 * kBytesPerFacet);
    const std::uint64_t cellPieces = (cells + cellsPerPiece - 1) / cellsPerPiece;
    const std::uint64_t capPieces = (rows + rowsPerPiece - 1) / rowsPerPiece;

    TextBuffer ends(4096);
    ends.Append("solid ");
    ends.Line(ExtractFileName(ChangeFileExt(job.outputPath, ".stl")));
    sink.Write(ends.View());

    WriteInOrderWith<Worker>(
        sink, static_cast<std::size_t>(cellPieces + capPieces),
        [&](std::size_t piece, TextBuffer& out, Worker& worker) {
            if (piece < cellPieces) {
                const std::uint64_t first = piece * cellsPerPiece;
                model.Cells(first, std::min(first + cellsPerPiece, cells), out, worker);
            } else {
                const std::uint64_t first = (piece - cellPieces) * rowsPerPiece;
                model.Caps(first, std::min(first + rowsPerPiece, rows), out);
            }
        },
        progress);

    ends.Clear();
    ends.Line("endsolid");
    sink.Write(ends.View());
}

}  // namespace vantorel
