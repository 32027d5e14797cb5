#pragma once

// The surface a program should leave: the relief exactly as the STL's triangles show it,
// and the uncut stock at the work-surface radius wherever the picture does not reach.

#include "core/depth_grid.h"
#include "core/geometry.h"
#include "core/wrap_parameters.h"

namespace vantorel {

struct ReliefPoint {
    double radius = 0;
    bool inPicture = false;
    int column = -1;  // the nearest pixel: column (-1 or W beside the picture) and row
    int row = -1;
};

class ReliefTarget {
  public:
    // `grid` is the closed grid (H + 1 rows, the wrap row a copy of row 0).
    ReliefTarget(const DepthGrid& grid, const WrapParameters& parameters);

    // Where the ray from the axis at X `x`, model angle `theta` (radians) meets the surface.
    ReliefPoint At(double x, double theta) const;

  private:
    const DepthGrid& grid_;
    const WrapParameters& parameters_;
    GridPlacer placer_;
};

}  // namespace vantorel
