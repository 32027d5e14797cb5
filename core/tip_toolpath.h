#pragma once

// The program that follows the tool tip over the pixel grid: one feed move per pixel, rows
// cut in alternate directions, the work turned by one angle step between rows. It assumes
// no tool diameter; a computed toolpath takes the cutter's shape into account.

#include <cstddef>
#include <span>

#include "core/depth_grid.h"
#include "core/toolpath.h"
#include "core/wrap_parameters.h"

namespace vantorel {

class TipToolpath {
public:
    // `grid` is the plain grid: H rows, no wrap row.
    TipToolpath(const DepthGrid& grid, const WrapParameters& parameters)
        : grid_(grid), p_(parameters) {}

    int Rows() const { return grid_.PictureHeight(); }

    // The comments, the modes, the retract and the move to the start, up to the half feed
    // rate of the first row.
    Program Opening() const;
    // The pass over row j, one move per column into `out` (PassLength() moves): even rows
    // from the left edge to the right, odd rows back. The A word stands on a pass's first and
    // last move: the first turns the work to the row.
    std::size_t PassLength() const { return static_cast<std::size_t>(grid_.Width()); }
    void Pass(int row, std::span<Move> out) const;
    // The line after row j's pass: the full feed rate after the first row, which is cut at
    // half speed while the tool plunges. None after any other row.
    const FeedLine* AfterPass(int row) const { return row == 0 ? &fullFeed_ : nullptr; }
    // The retract, the return to the start and the footer.
    Program Closing() const;

private:
    const DepthGrid& grid_;
    const WrapParameters& p_;
    FeedLine fullFeed_{p_.Feedrate};
};

}  // namespace vantorel
