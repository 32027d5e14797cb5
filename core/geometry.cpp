#include "core/geometry.h"

#include <cmath>

namespace vantorel {

RowTurn TurnOfRow(const WrapParameters& parameters, int row) {
    const double theta = static_cast<double>(row) * parameters.AngleStep;
    return {std::cos(theta), std::sin(theta)};
}

nodalposition NodePosition(const DepthGrid& grid, const WrapParameters& parameters, int column,
                           int row) {
    const double radius = parameters.WorkSurface - grid.At(column, row);
    return PlaceOnCylinder(ColumnX(parameters, column), TurnOfRow(parameters, row), radius);
}

GridPlacer::GridPlacer(const DepthGrid& grid, const WrapParameters& parameters)
    : grid_(grid), parameters_(parameters) {
    turns_.reserve(static_cast<std::size_t>(grid.Rows()));
    for (int r = 0; r < grid.Rows(); ++r) turns_.push_back(TurnOfRow(parameters, r));
}

nodalposition LeftAxisPoint(const WrapParameters& parameters) {
    return {parameters.LeftX, 0.0, 0.0};
}

nodalposition RightAxisPoint(const DepthGrid& grid, const WrapParameters& parameters) {
    return {ColumnX(parameters, grid.Width() - 1), 0.0, 0.0};
}

nodalposition VectorDifference(const nodalposition& a, const nodalposition& b) {
    return {b.x - a.x, b.y - a.y, b.z - a.z};
}

nodalposition CrossProduct(const nodalposition& a, const nodalposition& b) {
    return {b.y * a.z - b.z * a.y, b.z * a.x - b.x * a.z, b.x * a.y - b.y * a.x};
}

nodalposition NormalizeVector(const nodalposition& v) {
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length == 0.0) return {1.0, 0.0, 0.0};
    return {v.x / length, v.y / length, v.z / length};
}

nodalposition FacetNormal(const nodalposition& p0, const nodalposition& p1,
                          const nodalposition& p2) {
    const nodalposition e1 = VectorDifference(p0, p1);
    const nodalposition e2 = VectorDifference(p0, p2);
    return NormalizeVector(CrossProduct(e2, e1));
}

}  // namespace vantorel
