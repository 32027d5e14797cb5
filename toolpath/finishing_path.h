#pragma once

// The finishing passes over the relief: the pattern's guide lines in (X, A), tool positions
// placed along them so that every straight move between two (X, Z and A interpolated
// linearly, as the controller moves) stays above the drop-cutter height within the
// one-sided tolerance, and straight stretches merged into single moves.

#include <cstddef>
#include <functional>
#include <vector>

#include "core/toolpath_settings.h"
#include "core/wrap_parameters.h"
#include "toolpath/drop_cutter.h"

namespace vantorel {

// A tool position as the program writes it: X and A on the 4-decimal grid the text has, Z
// rounded up to it, so the written move is the one that was checked.
struct PathPoint {
    double x;
    double z;
    double a;  // degrees, not wrapped: a spiral turns on past 360
};

// One straight line of the pattern in (X, A degrees).
struct Guide {
    double x0, a0, x1, a1;
};

class FinishingPath {
  public:
    FinishingPath(const ReliefSurface& surface, const ToolpathSettings& settings);

    std::size_t Passes() const { return passes_.size(); }
    // The tool positions of pass k. Pass 0 starts with the position the tool plunges to;
    // every later pass starts with the move from where the one before ended (a step of the
    // pattern, checked like any other move) and leaves out that starting position.
    std::vector<PathPoint> Pass(std::size_t k) const;
    // Where pass k's guides run, in order.
    const std::vector<Guide>& Guides(std::size_t k) const { return passes_[k]; }

    const DropCutter& dropCutter() const { return dropCutter_; }

  private:
    void Follow(const Guide& guide, std::vector<PathPoint>& out) const;

    const ReliefSurface& surface_;
    const ToolpathSettings& settings_;
    DropCutter dropCutter_;
    std::vector<std::vector<Guide>> passes_;
};

// Every pass, on up to `threads` threads (0: the machine's cores). `progress` is told
// (done, total) on the calling thread.
std::vector<std::vector<PathPoint>> ComputePasses(
    const FinishingPath& path, unsigned threads = 0,
    const std::function<void(std::size_t, std::size_t)>& progress = {});

// Minutes the controller takes, by the feed mode's rule (G94: a move naming X or Z is timed
// by its X/Z distance, a pure A move by its degrees; G93: by the length the contact point
// travels at the feed rate), rapids at `rapidRate` from the clearance plane over the start
// and back to X0 A0, the plunge at half feed.
struct MachiningTime {
    double feedMinutes = 0;
    double rapidMinutes = 0;
    double Total() const { return feedMinutes + rapidMinutes; }
};
MachiningTime EstimateTime(const std::vector<std::vector<PathPoint>>& passes,
                           const ToolpathSettings& settings, const WrapParameters& parameters);

// The length the tool's contact point travels over the work in the move from `from` to
// `to`: X, Z and the arc A turns at the larger tip radius of the two ends.
double ContactLength(const PathPoint& from, const PathPoint& to);

}  // namespace vantorel
