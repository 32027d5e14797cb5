#pragma once

// The finishing passes as a G-code program, as data: the header comments naming the tool,
// pattern, stepover, tolerance, feed mode and estimated time; rapids only at the clearance
// plane; the plunge at half the feed rate; G93 with an F on every feed move, or G94.

#include <span>

#include "core/toolpath.h"
#include "core/toolpath_settings.h"
#include "core/wrap_parameters.h"
#include "toolpath/finishing_path.h"

namespace vantorel {

// "1 h 23 min", "4.5 min".
std::string DescribeMinutes(double minutes);

// The comments, the modes, the retract, the rapid over the first position and the plunge
// to it, up to the feed the passes run at.
Program FinishingOpening(const WrapParameters& parameters, const ToolpathSettings& settings,
                         const PathPoint& first, const MachiningTime& time);

// Feed moves from `previous` through `points`, each naming the axes it changes.
void AppendFinishingMoves(std::span<const PathPoint> points, PathPoint previous,
                          const WrapParameters& parameters, const ToolpathSettings& settings,
                          Program& out);

// The retract, the return to X0 A0, the footer.
Program FinishingClosing(const WrapParameters& parameters, const ToolpathSettings& settings);

}  // namespace vantorel
