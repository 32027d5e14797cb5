// The Wavefront OBJ model: a vertex and a texture vertex per point of the closed grid, a
// radial normal per row, the cells as four-cornered faces in the group "cylinder" and a fan
// of triangles at each end in the group "ends".

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

#include "core/fields.h"
#include "core/geometry.h"
#include "writers/text_pieces.h"
#include "writers/ordered_chunks.h"
#include "writers/writer_job.h"

namespace vantorel {
namespace {

constexpr int kDecimals = 10;
constexpr int kDigits = 10;

// Room for one vertex line, the copies past its end included: "vt " or "v " and three
// numbers of the fixed form with their blanks.
constexpr std::size_t kMostBytesPerLine = 3 + 3 * (kMaxNumberText + 1) + NumberText::kCopy + 2;

void Number(TextBuffer& out, double value) { out.Fixed(value, kDecimals, kDigits); }

void Triple(TextBuffer& out, std::string_view prefix, double x, double y, double z) {
    out.Append(prefix);
    Number(out, x);
    out.Char(' ');
    Number(out, y);
    out.Char(' ');
    Number(out, z);
    out.EndLine();
}

// The file's stretches in the order they are written.
enum class Stretch {
    Header,
    GridVertices,     // items: grid points, column-major
    AxisPoints,
    TextureVertices,  // items: grid points, column-major
    Normals,          // items: rows 0 .. H, then the two end normals as one more item
    CylinderGroup,
    SideFaces,        // items: cells, column-major
    EndsGroup,
    EndFaces,         // items: rows of cells
    Trailer,
};

using Piece = vantorel::Piece<Stretch>;

class ObjModel {
public:
    explicit ObjModel(const WriterJob& job)
        : grid_(job.grid), p_(job.parameters), place_(job.grid, job.parameters),
          width_(grid_.Width()), height_(grid_.PictureHeight()),
          rowsPerColumn_(static_cast<std::int64_t>(height_) + 1),
          gridVertices_(static_cast<std::int64_t>(width_) * rowsPerColumn_) {
        if (grid_.Shape() != GridShape::Closed)
            throw std::logic_error("the OBJ model needs the closed depth grid");
        const double rowSpan = static_cast<double>(height_);
        textureRows_.resize(static_cast<std::size_t>(height_) + 1);
        for (int j = 0; j <= height_; ++j)
            SetFixed(textureRows_[static_cast<std::size_t>(j)],
                     1.0 - static_cast<double>(j) / rowSpan, kDecimals, kDigits);
        // Normals 1 .. H + 1 are the rows', then the left end's and the right end's.
        for (int j = 0; j <= height_; ++j)
            rowNormals_.push_back(NormalNumber(static_cast<std::uint64_t>(j) + 1));
        leftNormal_ = NormalNumber(static_cast<std::uint64_t>(height_) + 2);
        rightNormal_ = NormalNumber(static_cast<std::uint64_t>(height_) + 3);
    }

    std::vector<Piece> Plan() const {
        const std::uint64_t points = static_cast<std::uint64_t>(gridVertices_);
        const std::uint64_t rows = static_cast<std::uint64_t>(height_);
        const std::uint64_t cells = static_cast<std::uint64_t>(width_ - 1) * rows;
        std::vector<Piece> plan;
        AddStretch(plan, Stretch::Header, 1, 64);
        AddStretch(plan, Stretch::GridVertices, points, 56);
        AddStretch(plan, Stretch::AxisPoints, 1, 112);
        AddStretch(plan, Stretch::TextureVertices, points, 30);
        AddStretch(plan, Stretch::Normals, rows + 2, 46);
        AddStretch(plan, Stretch::CylinderGroup, 1, 40);
        AddStretch(plan, Stretch::SideFaces, cells, 64);
        AddStretch(plan, Stretch::EndsGroup, 1, 32);
        AddStretch(plan, Stretch::EndFaces, rows, 64);
        AddStretch(plan, Stretch::Trailer, 1, 8);
        return plan;
    }

    void Format(const Piece& piece, TextBuffer& out) const {
        const std::uint64_t first = piece.first;
        const std::uint64_t last = piece.last;
        switch (piece.stretch) {
            case Stretch::Header:
                out.Append("# OBJ File ");
                out.Line(kProducedBy);
                break;
            case Stretch::GridVertices: GridVertices(first, last, out); break;
            case Stretch::AxisPoints: {
                const nodalposition left = LeftAxisPoint(p_);
                const nodalposition right = RightAxisPoint(grid_, p_);
                Triple(out, "v ", left.x, left.y, left.z);
                Triple(out, "v ", right.x, right.y, right.z);
                break;
            }
            case Stretch::TextureVertices: TextureVertices(first, last, out); break;
            case Stretch::Normals: Normals(first, last, out); break;
            case Stretch::CylinderGroup:
                out.Line("g cylinder");
                out.Line("usemtl cylindermaterial");
                break;
            case Stretch::SideFaces: SideFaces(first, last, out); break;
            case Stretch::EndsGroup:
                out.Line("g ends");
                out.Line("usemtl endmaterial");
                break;
            case Stretch::EndFaces: EndFaces(first, last, out); break;
            case Stretch::Trailer: out.Line("# end"); break;
        }
    }

private:
    // Vertex numbers follow the vertex lines, column by column: no table is needed.
    std::int64_t VertexNumber(int i, int j) const {
        return static_cast<std::int64_t>(i) * rowsPerColumn_ + j + 1;
    }

    // x depends only on the column (GridPlacer puts ColumnX there), so it is formatted once
    // per column of the piece.
    void GridVertices(std::uint64_t first, std::uint64_t last, TextBuffer& out) const {
        NumberText x;
        int xColumn = -1;
        ForEachInColumnOrder(first, last, height_ + 1, [&](int i, int j) {
            const nodalposition point = place_.At(i, j);
            if (i != xColumn) {
                SetFixed(x, point.x, kDecimals, kDigits);
                xColumn = i;
            }
            char* at = out.Begin(kMostBytesPerLine);
            at = Put(at, "v ");
            at = Put(at, x);
            *at++ = ' ';
            at = WriteFixed(at, point.y, kDecimals, kDigits);
            *at++ = ' ';
            at = WriteFixed(at, point.z, kDecimals, kDigits);
            out.End(PutLineEnd(at));
        });
    }

    // u depends only on the column and v only on the row, so each is formatted once: v for
    // every row when the model is made, u once per column of the piece.
    void TextureVertices(std::uint64_t first, std::uint64_t last, TextBuffer& out) const {
        const double columnSpan = static_cast<double>(width_ - 1);
        NumberText u;
        int uColumn = -1;
        ForEachInColumnOrder(first, last, height_ + 1, [&](int i, int j) {
            if (i != uColumn) {
                SetFixed(u, static_cast<double>(i) / columnSpan, kDecimals, kDigits);
                uColumn = i;
            }
            char* at = out.Begin(kMostBytesPerLine);
            at = Put(at, "vt ");
            at = Put(at, u);
            *at++ = ' ';
            at = Put(at, textureRows_[static_cast<std::size_t>(j)]);
            out.End(PutLineEnd(at));
        });
    }

    // Rows 0 .. H give radial normals; the item past them is the two end normals.
    void Normals(std::uint64_t first, std::uint64_t last, TextBuffer& out) const {
        for (std::uint64_t item = first; item < last; ++item) {
            const int j = static_cast<int>(item);
            if (j <= height_) {
                const RowTurn& turn = place_.Turn(j);
                Triple(out, "vn ", 0.0, turn.cosine, turn.sine);
            } else {
                Triple(out, "vn ", -1.0, 0.0, 0.0);
                Triple(out, "vn ", 1.0, 0.0, 0.0);
            }
        }
    }

    // One face corner, " vertex/texture/normal" on the cylinder (the texture number is always
    // the vertex number) or " vertex//normal" at the ends; `normal` is the "/n" text.
    static char* PutCorner(char* at, std::uint64_t vertex, bool withTexture,
                           const NumberText& normal) {
        *at++ = ' ';
        // The vertex number is formatted once and its 16-byte text copied for the texture.
        char* const first = at;
        at = PutUnsigned(at, vertex);
        const std::size_t length = static_cast<std::size_t>(at - first);
        *at++ = '/';
        if (withTexture) {
            char copy[16];
            std::memcpy(copy, first, 16);
            std::memcpy(at, copy, 16);
            at += length;
        }
        return Put(at, normal);
    }

    // A corner's text, kept for the next cell down the column.
    struct CornerText {
        // Three numbers below 10^16 and their marks; copied whole, past the end included.
        static constexpr std::size_t kCopy = 1 + 16 + 1 + 16 + 1 + 16 + 5;
        char text[kCopy + NumberText::kCopy];
        std::size_t size;

        void Set(std::uint64_t vertex, bool withTexture, const NumberText& normal) {
            size = static_cast<std::size_t>(PutCorner(text, vertex, withTexture, normal) - text);
        }
        char* PutAt(char* at) const {
            std::memcpy(at, text, kCopy);
            return at + size;
        }
    };

    // A face line: "f" and its corners.
    template <std::size_t N>
    static void Face(TextBuffer& out, const CornerText* const (&corners)[N]) {
        char* at = out.Begin(1 + N * sizeof(CornerText::text) + 2);
        *at++ = 'f';
        for (const CornerText* corner : corners) at = corner->PutAt(at);
        out.End(PutLineEnd(at));
    }

    // Cell (i, j) as c0, c3, c2, c1, each corner with the normal of its own row. Walking
    // down a column, a cell's c0 and c1 are the previous cell's c3 and c2, so their texts
    // are kept rather than formatted again.
    void SideFaces(std::uint64_t first, std::uint64_t last, TextBuffer& out) const {
        CornerText texts[4];
        CornerText* lower[2] = {&texts[0], &texts[1]};  // c0, c1
        CornerText* upper[2] = {&texts[2], &texts[3]};  // c3, c2
        int previousColumn = -1;
        int previousRow = -1;
        ForEachInColumnOrder(first, last, height_, [&](int i, int j) {
            const NumberText& row = rowNormals_[static_cast<std::size_t>(j)];
            const NumberText& next = rowNormals_[static_cast<std::size_t>(j) + 1];
            if (i == previousColumn && j == previousRow + 1) {
                std::swap(lower[0], upper[0]);
                std::swap(lower[1], upper[1]);
            } else {
                lower[0]->Set(VertexNumber(i, j), true, row);
                lower[1]->Set(VertexNumber(i + 1, j), true, row);
            }
            upper[0]->Set(VertexNumber(i, j + 1), true, next);
            upper[1]->Set(VertexNumber(i + 1, j + 1), true, next);
            previousColumn = i;
            previousRow = j;
            Face(out, {lower[0], upper[0], upper[1], lower[1]});
        });
    }

    // Each row step's two cap triangles: rim, rim, axis point, with the end's fixed normal.
    void EndFaces(std::uint64_t first, std::uint64_t last, TextBuffer& out) const {
        const auto leftAxis = static_cast<std::uint64_t>(gridVertices_ + 1);
        const auto rightAxis = static_cast<std::uint64_t>(gridVertices_ + 2);
        const int lastColumn = width_ - 1;
        CornerText c[3];
        for (int j = static_cast<int>(first); j < static_cast<int>(last); ++j) {
            c[0].Set(VertexNumber(0, j + 1), false, leftNormal_);
            c[1].Set(VertexNumber(0, j), false, leftNormal_);
            c[2].Set(leftAxis, false, leftNormal_);
            Face(out, {&c[0], &c[1], &c[2]});
            c[0].Set(VertexNumber(lastColumn, j), false, rightNormal_);
            c[1].Set(VertexNumber(lastColumn, j + 1), false, rightNormal_);
            c[2].Set(rightAxis, false, rightNormal_);
            Face(out, {&c[0], &c[1], &c[2]});
        }
    }

    static NumberText NormalNumber(std::uint64_t n) {
        NumberText text;
        text.text[0] = '/';
        text.size = static_cast<std::uint8_t>(PutUnsigned(text.text + 1, n) - text.text);
        return text;
    }

    const DepthGrid& grid_;
    const WrapParameters& p_;
    const GridPlacer place_;
    int width_;
    int height_;
    std::int64_t rowsPerColumn_;
    std::int64_t gridVertices_;  // N = W × (H + 1)
    std::vector<NumberText> textureRows_;  // v of rows 0 .. H
    std::vector<NumberText> rowNormals_;   // "/n", the normal number of rows 0 .. H
    NumberText leftNormal_;
    NumberText rightNormal_;
};

}  // namespace

void WriteObjFile(const WriterJob& job, ByteSink& sink, const ProgressFn& progress) {
    const ObjModel model(job);
    const auto plan = model.Plan();
    WriteInOrder(
        sink, plan.size(),
        [&](std::size_t piece, TextBuffer& out) { model.Format(plan[piece], out); }, progress);
}

}  // namespace vantorel
