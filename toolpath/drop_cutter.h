#pragma once

// The rotary drop-cutter: for a tool position (X, A) the lowest tip height (distance from the
// rotary axis along the tool's axis) at which the tool's body touches the surface without
// entering it, exact against the triangles' corners, edges and facets in the frame turned
// by -A about X, and against the uncut stock beyond the picture.

#include "core/tool.h"
#include "toolpath/cutter.h"
#include "toolpath/relief_surface.h"

namespace vantorel {

class DropCutter {
  public:
    DropCutter(const ReliefSurface& surface, const Tool& tool);

    // X in mm, A in radians (any turn). kNoContact when nothing lies within reach above the
    // relief's lowest point (only beyond a picture with nothing round it).
    double Height(double x, double a) const;

    const Cutter& cutterShape() const { return cutter_; }
    const ReliefSurface& surface() const { return surface_; }

  private:
    double StockHeight(double x, double a) const;

    const ReliefSurface& surface_;
    Cutter cutter_;
    double window_;    // radians either side of A beyond which no point can reach the body
    double chordCos_;  // cos(half a row's angle): a cell's points lie at least this
                       // fraction of its smallest corner radius from the axis
};

}  // namespace vantorel
