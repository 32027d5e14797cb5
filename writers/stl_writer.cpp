// The ASCII STL solid: two triangles for every grid cell of the closed grid, column by
// column, then a fan of triangles closing each end down to the axis.

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/file_names.h"
#include "core/geometry.h"
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

// A cell triangle, with its computed normal.
void Facet(TextBuffer& out, const nodalposition& a, const nodalposition& b,
           const nodalposition& c) {
    out.Append("    facet normal ");
    Triple(out, FacetNormal(a, b, c));
    Corners(out, a, b, c);
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
        : grid_(job.grid), p_(job.parameters), width_(grid_.Width()),
          height_(grid_.PictureHeight()) {
        if (grid_.Shape() != GridShape::Closed)
            throw std::logic_error("the STL model needs the closed depth grid");
        turns_.reserve(static_cast<std::size_t>(height_) + 1);
        for (int r = 0; r <= height_; ++r) turns_.push_back(TurnOfRow(p_, r));
    }

    // Every point of one column, rows 0 to H.
    void PlaceColumn(int c, std::vector<nodalposition>& points) const {
        points.resize(static_cast<std::size_t>(height_) + 1);
        const double x = ColumnX(p_, c);
        const double* depths = grid_.Column(c);
        for (int r = 0; r <= height_; ++r)
            points[static_cast<std::size_t>(r)] =
                PlaceOnCylinder(x, turns_[static_cast<std::size_t>(r)], p_.WorkSurface - depths[r]);
    }

    // Cell triangles of columns first .. last - 1: A = c0 c2 c1, then B = c0 c3 c2.
    void Cells(int first, int last, TextBuffer& out) const {
        std::vector<nodalposition> left, right;
        PlaceColumn(first, left);
        for (int c = first; c < last; ++c) {
            PlaceColumn(c + 1, right);
            for (std::size_t r = 0; r < static_cast<std::size_t>(height_); ++r) {
                const nodalposition& c0 = left[r];
                const nodalposition& c1 = right[r];
                const nodalposition& c2 = right[r + 1];
                const nodalposition& c3 = left[r + 1];
                Facet(out, c0, c2, c1);
                Facet(out, c0, c3, c2);
            }
            std::swap(left, right);
        }
    }

    // Cap triangles of rows first .. last - 1, the left one of each row first.
    void Caps(int first, int last, TextBuffer& out) const {
        const nodalposition leftAxis = LeftAxisPoint(p_);
        const nodalposition rightAxis = RightAxisPoint(grid_, p_);
        const double leftX = ColumnX(p_, 0);
        const double rightX = ColumnX(p_, width_ - 1);
        const double* leftDepths = grid_.Column(0);
        const double* rightDepths = grid_.Column(width_ - 1);
        auto at = [&](double x, const double* depths, int r) {
            return PlaceOnCylinder(x, turns_[static_cast<std::size_t>(r)], p_.WorkSurface - depths[r]);
        };
        for (int r = first; r < last; ++r) {
            Facet(out, "    facet normal -1.0 0.0 0.0", at(leftX, leftDepths, r + 1),
                  at(leftX, leftDepths, r), leftAxis);
            Facet(out, "    facet normal 1 0 0", at(rightX, rightDepths, r),
                  at(rightX, rightDepths, r + 1), rightAxis);
        }
    }

    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    const DepthGrid& grid_;
    const WrapParameters& p_;
    int width_;
    int height_;
    std::vector<RowTurn> turns_;
};

}  // namespace

void WriteStlFile(const WriterJob& job, ByteSink& sink, const ProgressFn& progress) {
    const StlModel model(job);
    const std::uint64_t columns = static_cast<std::uint64_t>(model.Width() - 1);
    const std::uint64_t rows = static_cast<std::uint64_t>(model.Height());

    // Pieces: groups of cell columns, then groups of cap rows.
    const std::uint64_t columnsPerPiece = ItemsPerPiece(columns, 2 * rows * kBytesPerFacet);
    const std::uint64_t rowsPerPiece = ItemsPerPiece(rows, 2 * kBytesPerFacet);
    const std::uint64_t cellPieces = (columns + columnsPerPiece - 1) / columnsPerPiece;
    const std::uint64_t capPieces = (rows + rowsPerPiece - 1) / rowsPerPiece;

    TextBuffer ends(4096);
    ends.Append("solid ");
    ends.Line(ExtractFileName(ChangeFileExt(job.outputPath, ".stl")));
    sink.Write(ends.View());

    WriteInOrder(
        sink, static_cast<std::size_t>(cellPieces + capPieces),
        [&](std::size_t piece, TextBuffer& out) {
            if (piece < cellPieces) {
                const std::uint64_t first = piece * columnsPerPiece;
                const std::uint64_t last = std::min(first + columnsPerPiece, columns);
                model.Cells(static_cast<int>(first), static_cast<int>(last), out);
            } else {
                const std::uint64_t first = (piece - cellPieces) * rowsPerPiece;
                const std::uint64_t last = std::min(first + rowsPerPiece, rows);
                model.Caps(static_cast<int>(first), static_cast<int>(last), out);
            }
        },
        progress);

    ends.Clear();
    ends.Line("endsolid");
    sink.Write(ends.View());
}

}  // namespace vantorel
