#pragma once

// The relief as the model files show it, as data: the grid points on the cylinder, the cells
// and their two triangles, the fans that close the two ends, and the seam faces of the plain
// grid. A light view over the depth grid; the writers, the toolpath and the simulation all
// read the same triangles from here.

#include <array>
#include <cstdint>

#include "core/depth_grid.h"
#include "core/geometry.h"
#include "core/wrap_parameters.h"

namespace vantorel {

struct GridPoint {
    int column;
    int row;
};

// The corners of cell (c, r), always in this order: c0 = (c, r), c1 = (c + 1, r),
// c2 = (c + 1, r + 1), c3 = (c, r + 1).
inline std::array<GridPoint, 4> CellCorners(int c, int r) {
    return {{{c, r}, {c + 1, r}, {c + 1, r + 1}, {c, r + 1}}};
}

// The two triangles of a cell, as corner numbers in the order a file lists them: A = c0 c2 c1,
// then B = c0 c3 c2; the diagonal is c0–c2 in both.
inline constexpr std::array<std::array<int, 3>, 2> kCellTriangles{{{0, 2, 1}, {0, 3, 2}}};

// A triangle of an end cap: two rim points of the end column and the axis point of that end.
// Its normal is fixed, (−1, 0, 0) on the left and (1, 0, 0) on the right, never computed.
struct CapTriangle {
    GridPoint rim0;
    GridPoint rim1;
    bool left;
};

class ReliefMesh {
public:
    ReliefMesh(const DepthGrid& grid, const WrapParameters& parameters)
        : grid_(grid), parameters_(parameters), place_(grid, parameters) {}

    const DepthGrid& Grid() const { return grid_; }
    const WrapParameters& Parameters() const { return parameters_; }
    int Columns() const { return grid_.Width(); }
    // Picture rows H; the closed grid has H + 1 grid rows, the last the wrap row.
    int PictureRows() const { return grid_.PictureHeight(); }

    nodalposition Point(int column, int row) const { return place_.At(column, row); }
    nodalposition Point(GridPoint p) const { return place_.At(p.column, p.row); }
    const RowTurn& Turn(int row) const { return place_.Turn(row); }

    // Cells of the closed grid: columns 0 .. W − 2, rows 0 .. H − 1 (the last band reaches the
    // wrap row), walked column by column.
    std::uint64_t CellCount() const {
        return static_cast<std::uint64_t>(Columns() - 1) * static_cast<std::uint64_t>(PictureRows());
    }

    // Triangle t (0 = A, 1 = B) of cell (c, r): its corners in file order.
    std::array<nodalposition, 3> CellTriangle(int c, int r, int t) const {
        const std::array<GridPoint, 4> corners = CellCorners(c, r);
        const auto& order = kCellTriangles[static_cast<std::size_t>(t)];
        return {Point(corners[order[0]]), Point(corners[order[1]]), Point(corners[order[2]])};
    }

    // Cap triangles of row step r = 0 .. H − 1, the left one first: point (0, r + 1),
    // point (0, r), the left axis point; point (W − 1, r), point (W − 1, r + 1), the right one.
    std::array<CapTriangle, 2> Caps(int r) const {
        const int right = Columns() - 1;
        return {{{{0, r + 1}, {0, r}, true}, {{right, r}, {right, r + 1}, false}}};
    }
    nodalposition AxisPoint(const CapTriangle& cap) const {
        return cap.left ? LeftAxisPoint(parameters_) : RightAxisPoint(grid_, parameters_);
    }

    // The plain grid's seam faces, written only for a full turn: face c joins row H − 1 back
    // to row 0, corners (c, H − 1), (c + 1, H − 1), (c + 1, 0), (c, 0).
    bool HasSeam() const { return parameters_.WrapAngle == 360; }
    std::array<GridPoint, 4> SeamCorners(int c) const {
        const int last = PictureRows() - 1;
        return {{{c, last}, {c + 1, last}, {c + 1, 0}, {c, 0}}};
    }

private:
    const DepthGrid& grid_;
    const WrapParameters& parameters_;
    GridPlacer place_;
};

}  // namespace vantorel
