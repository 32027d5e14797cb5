#pragma once

// The stock as radial dexels: a grid of cells over X and the full turn, each holding the
// radius of material left along the ray from the rotary axis through the cell's centre.
// A tool position lowers every ray it enters to the point where the ray first meets the
// tool's body (tip, profile and shank).

#include <cstdint>
#include <vector>

#include "core/tool.h"

namespace vantorel {

// Cell (i, j) has its centre at X = x0 + i × dx and model angle j × da (radians), j over the
// whole turn whatever the picture's wrap.
struct DexelLayout {
    double x0 = 0;
    double dx = 0.05;
    int columns = 0;
    int rows = 0;

    double AngleStep() const;
    double CellX(int i) const { return x0 + i * dx; }
    double CellAngle(int j) const { return j * AngleStep(); }
    std::size_t Cells() const {
        return static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
    }
};

// A layout over [xBegin, xEnd] with cells of about `cell` mm: square at `radius`, the rows a
// whole number over the turn.
DexelLayout LayoutFor(double xBegin, double xEnd, double radius, double cell);

// Where the tool is: tip on the ray at model angle `a` (radians), `z` from the axis.
struct ToolPose {
    double x = 0;
    double z = 0;
    double a = 0;
};

class DexelStock {
  public:
    DexelStock(const DexelLayout& layout, double radius);

    const DexelLayout& Layout() const { return layout_; }
    double StockRadius() const { return radius_; }
    float Radius(int i, int j) const { return radii_[Index(i, j)]; }
    const std::vector<float>& Radii() const { return radii_; }

    // Lowers the cells the tool's body at `pose` enters, on the rows j with
    // j % parts == part (so that threads share any pose's rows evenly). With `measure`,
    // gives the deepest lowering in mm (0 when nothing was touched); else 0.
    double Stamp(const Tool& tool, const ToolPose& pose, int part = 0, int parts = 1,
                 bool measure = true);

  private:
    std::size_t Index(int i, int j) const {
        return static_cast<std::size_t>(j) * static_cast<std::size_t>(layout_.columns) +
               static_cast<std::size_t>(i);
    }

    DexelLayout layout_;
    double radius_;
    std::vector<float> radii_;  // row by row: a row is one angle, X across
};

// Where a ray first enters the tool's body, in the tool's frame: the ray leaves the rotary
// axis at axial offset `dx` from the tool's axis, at angle `phi` (radians, |phi| < pi/2)
// from it; the tip is `z` from the axis. Gives the distance from the axis, or a negative
// value when the ray misses the body or enters it only beyond `limit`.
double RayEntry(const Tool& tool, double dx, double phi, double z, double limit);

// How many equal steps a straight move needs so that walking the tool from step to step
// leaves at most `error` mm of material that the continuous move would have cut. `turn` in
// radians, `radius` the largest distance from the axis of the part of the tool that cuts.
std::int64_t WalkSteps(const Tool& tool, double dx, double dz, double turn, double radius,
                       double error);

}  // namespace vantorel
