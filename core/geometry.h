#pragma once

// Places the depth grid on the cylinder: the rotary axis is the X axis, columns run along X
// from LeftX, rows run round the axis from angle 0 (along +Y) towards +Z. Every function here
// is pure; the writers rely on each coordinate being plain double arithmetic in the order
// written below, so that the same grid point always gets the same bits.

#include <cstdint>
#include <vector>

#include "core/depth_grid.h"
#include "core/wrap_parameters.h"

namespace vantorel {

// One point (or vector) in space, in millimetres.
struct nodalposition {
    double x;
    double y;
    double z;
};

// The cosine and sine of a row's angle, row × AngleStep. Both depend only on the row, so a
// writer may work them out once per row and reuse them for every column.
struct RowTurn {
    double cosine;
    double sine;
};

RowTurn TurnOfRow(const WrapParameters& parameters, int row);

// X of a column: column × XStep + LeftX.
inline double ColumnX(const WrapParameters& parameters, int column) {
    return static_cast<double>(column) * parameters.XStep + parameters.LeftX;
}

// The point at X `x`, distance `radius` from the axis, on the row whose turn is `turn`.
inline nodalposition PlaceOnCylinder(double x, const RowTurn& turn, double radius) {
    return {x, turn.cosine * radius, turn.sine * radius};
}

// Grid point (column, row): its radius is WorkSurface − depth, unclamped, so a depth beyond
// the work surface puts the point on the far side of the axis.
nodalposition NodePosition(const DepthGrid& grid, const WrapParameters& parameters, int column,
                           int row);

// NodePosition for every point of a grid, with each row's cosine and sine worked out once:
// the same bits as NodePosition, without a cosine and a sine per point.
class GridPlacer {
public:
    GridPlacer(const DepthGrid& grid, const WrapParameters& parameters);

    nodalposition At(int column, int row) const {
        return PlaceOnCylinder(ColumnX(parameters_, column), turns_[static_cast<std::size_t>(row)],
                               parameters_.WorkSurface - grid_.At(column, row));
    }
    const RowTurn& Turn(int row) const { return turns_[static_cast<std::size_t>(row)]; }

private:
    const DepthGrid& grid_;
    const WrapParameters& parameters_;
    std::vector<RowTurn> turns_;  // one per grid row
};

// Calls fn(column, row) for items first .. last − 1 of a column-major walk over columns of
// `rowsPerColumn` items each, so a stretch of cells can be cut anywhere, mid-column too.
template <class Fn>
void ForEachInColumnOrder(std::uint64_t first, std::uint64_t last, int rowsPerColumn, Fn&& fn) {
    const std::uint64_t rows = static_cast<std::uint64_t>(rowsPerColumn);
    int column = static_cast<int>(first / rows);
    int row = static_cast<int>(first % rows);
    for (std::uint64_t item = first; item < last; ++item) {
        fn(column, row);
        if (++row == rowsPerColumn) row = 0, ++column;
    }
}

// The axis points that close the two ends of a model: X of column 0 and of column W − 1.
nodalposition LeftAxisPoint(const WrapParameters& parameters);
nodalposition RightAxisPoint(const DepthGrid& grid, const WrapParameters& parameters);

// b − a.
nodalposition VectorDifference(const nodalposition& a, const nodalposition& b);

// The cross product of the second argument with the first: b × a.
nodalposition CrossProduct(const nodalposition& a, const nodalposition& b);

// v over its length; (1, 0, 0) for a vector of length exactly 0.
nodalposition NormalizeVector(const nodalposition& v);

// The unit right-hand normal of a triangle with its corners in listed order:
// (p1 − p0) × (p2 − p0), normalised. A triangle of no area gets (1, 0, 0).
nodalposition FacetNormal(const nodalposition& p0, const nodalposition& p1,
                          const nodalposition& p2);

}  // namespace vantorel
