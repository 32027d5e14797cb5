// The ASCII STL solid: two triangles for every grid cell of the closed grid, column by
// column, then a fan of triangles closing each end down to the axis.

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/file_names.h"
#include "core/geometry.h"
#include "writers/text_pieces.h"
#include "writers/ordered_chunks.h"
#include "writers/writer_job.h"

namespace vantorel {
namespace {

constexpr int kDecimals = 10;
constexpr int kDigits = 10;

// A facet block runs to about 300 bytes; only used to size the pieces.
constexpr std::uint64_t kBytesPerFacet = 320;

void Number(TextBuffer& out, double value) { out.Fixed(value, kDecimals, kDigits); }

void Triple(TextBuffer& out, const nodalposition& p) {
    Number(out, p.x);
    out.Char(' ');
    Number(out, p.y);
    out.Char(' ');
    Number(out, p.z);
    out.EndLine();
}

// Lines 2 to 7 of a facet block: the three corners in the listed order.
void Corners(TextBuffer& out, const nodalposition& a, const nodalposition& b,
             const nodalposition& c) {
    out.Line("      outer loop");
    out.Append("        vertex ");
    Triple(out, a);
    out.Append("        vertex ");
    Triple(out, b);
    out.Append("        vertex ");
    Triple(out, c);
    out.Line("      endloop");
    out.Line("    endfacet");
}

// A point's three coordinates as text, "x y z", for the vertex lines.
struct PointText {
    char text[3 * kMaxNumberText];
    std::size_t size = 0;

    void Set(const nodalposition& p) {
        char* at = WriteFixed(text, p.x, kDecimals, kDigits);
        *at++ = ' ';
        at = WriteFixed(at, p.y, kDecimals, kDigits);
        *at++ = ' ';
        at = WriteFixed(at, p.z, kDecimals, kDigits);
        size = static_cast<std::size_t>(at - text);
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
// column's x (GridPlacer puts ColumnX there) only once.
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

char* PutVertex(char* at, const PointText& p) {
    at = Put(at, "        vertex ");
    if (p.size <= kTripleCopy) [[likely]]
        std::memcpy(at, p.text, kTripleCopy);
    else
        std::memcpy(at, p.text, p.size);
    return PutLineEnd(at + p.size);
}

// Room for a cell's two facet blocks (about 2 x 420 bytes at most), copies past the end
// included.
constexpr std::size_t kMostBytesPerCell = 1024;

// A cell triangle, with its computed normal.
char* Facet(char* at, const nodalposition& normal, const PointText& a, const PointText& b,
            const PointText& c) {
    at = Put(at, "    facet normal ");
    static_assert(kDecimals == 10 && kDigits == 10);  // the form of WriteFixed10Unit
    at = WriteFixed10Unit(at, normal.x);
    *at++ = ' ';
    at = WriteFixed10Unit(at, normal.y);
    *at++ = ' ';
    at = WriteFixed10Unit(at, normal.z);
    at = Put(at, "\r\n      outer loop\r\n");
    at = PutVertex(at, a);
    at = PutVertex(at, b);
    at = PutVertex(at, c);
    return Put(at, "      endloop\r\n    endfacet\r\n");
}

// A cap triangle: its normal line is a fixed text.
void Facet(TextBuffer& out, std::string_view normalLine, const nodalposition& a,
           const nodalposition& b, const nodalposition& c) {
    out.Line(normalLine);
    Corners(out, a, b, c);
}

class StlModel {
public:
    explicit StlModel(const WriterJob& job)
        : grid_(job.grid), p_(job.parameters), place_(job.grid, job.parameters),
          width_(grid_.Width()), height_(grid_.PictureHeight()) {
        if (grid_.Shape() != GridShape::Closed)
            throw std::logic_error("the STL model needs the closed depth grid");
    }

    // Cells first .. last − 1 in column-major order, each as triangle A = c0 c2 c1, then
    // triangle B = c0 c3 c2. A grid point is a corner of up to six triangles in the cells
    // on both sides of its column, so the texts of the two columns in use are kept: each
    // point is formatted once per piece, when first needed.
    void Cells(std::uint64_t first, std::uint64_t last, TextBuffer& out) const {
        // Kept by each worker thread from piece to piece: a new pair per piece (300 KB at 1000
        // rows) was zero-filled each time, a third as many bytes as the piece's own text.
        thread_local ColumnTexts left;
        thread_local ColumnTexts right;
        left.Prepare(height_ + 1);
        right.Prepare(height_ + 1);
        ForEachInColumnOrder(first, last, height_, [&](int c, int r) {
            if (left.column != c) {
                if (right.column == c) {
                    std::swap(left, right);  // the right side of the last column
                } else {
                    left.Reset(c);
                }
                right.Reset(c + 1);
            }
            const nodalposition c0 = place_.At(c, r);
            const nodalposition c1 = place_.At(c + 1, r);
            const nodalposition c2 = place_.At(c + 1, r + 1);
            const nodalposition c3 = place_.At(c, r + 1);
            const PointText& t0 = left.Text(r, c0);
            const PointText& t3 = left.Text(r + 1, c3);
            const PointText& t1 = right.Text(r, c1);
            const PointText& t2 = right.Text(r + 1, c2);

            char* at = out.Begin(kMostBytesPerCell);
            at = Facet(at, FacetNormal(c0, c2, c1), t0, t2, t1);
            at = Facet(at, FacetNormal(c0, c3, c2), t0, t3, t2);
            out.End(at);
        });
    }

    // Cap triangles of rows first .. last − 1, the left one of each row first.
    void Caps(std::uint64_t first, std::uint64_t last, TextBuffer& out) const {
        const nodalposition leftAxis = LeftAxisPoint(p_);
        const nodalposition rightAxis = RightAxisPoint(grid_, p_);
        const int right = width_ - 1;
        for (int r = static_cast<int>(first); r < static_cast<int>(last); ++r) {
            Facet(out, "    facet normal -1.0 0.0 0.0", place_.At(0, r + 1), place_.At(0, r),
                  leftAxis);
            Facet(out, "    facet normal 1 0 0", place_.At(right, r), place_.At(right, r + 1),
                  rightAxis);
        }
    }

    std::uint64_t CellCount() const {
        return static_cast<std::uint64_t>(width_ - 1) * static_cast<std::uint64_t>(height_);
    }
    std::uint64_t Rows() const { return static_cast<std::uint64_t>(height_); }

private:
    const DepthGrid& grid_;
    const WrapParameters& p_;
    const GridPlacer place_;
    int width_;
    int height_;
};

}  // namespace

void WriteStlFile(const WriterJob& job, ByteSink& sink, const ProgressFn& progress) {
    const StlModel model(job);
    const std::uint64_t cells = model.CellCount();
    const std::uint64_t rows = model.Rows();

    // Pieces: runs of cells in column-major order, then runs of cap rows; two facets each.
    const std::uint64_t cellsPerPiece = ItemsPerPiece(cells, 2 * kBytesPerFacet);
    const std::uint64_t rowsPerPiece = ItemsPerPiece(rows, 2 * kBytesPerFacet);
    const std::uint64_t cellPieces = (cells + cellsPerPiece - 1) / cellsPerPiece;
    const std::uint64_t capPieces = (rows + rowsPerPiece - 1) / rowsPerPiece;

    TextBuffer ends(4096);
    ends.Append("solid ");
    ends.Line(ExtractFileName(ChangeFileExt(job.outputPath, ".stl")));
    sink.Write(ends.View());

    WriteInOrder(
        sink, static_cast<std::size_t>(cellPieces + capPieces),
        [&](std::size_t piece, TextBuffer& out) {
            if (piece < cellPieces) {
                const std::uint64_t first = piece * cellsPerPiece;
                model.Cells(first, std::min(first + cellsPerPiece, cells), out);
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
