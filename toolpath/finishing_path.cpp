#include "toolpath/finishing_path.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <mutex>
#include <thread>

namespace vantorel {
namespace {

constexpr double kDegrees = 180 / kPi;

// The 4-decimal grid of the program's text.
double OnGrid(double value) { return std::round(value * 1e4) / 1e4; }
double UpToGrid(double value) {
    double up = std::ceil(value * 1e4) / 1e4;
    if (up < value) up = (std::ceil(value * 1e4) + 1) / 1e4;  // the product rounded down
    return up;
}

// A position along a guide and its exact drop-cutter height.
struct Sample {
    double t;  // 0 .. 1 along the guide
    double x;
    double a;  // degrees
    double z;
};

}  // namespace

FinishingPath::FinishingPath(const ReliefSurface& surface, const ToolpathSettings& settings)
    : surface_(surface), settings_(settings), dropCutter_(surface, settings.tool) {
    const double x0 = surface.LeftX(), x1 = surface.RightX();
    const double wrap = surface.WrapAngle() * kDegrees;
    const double stepover = settings.Stepover();
    const double length = x1 - x0;
    switch (settings.pattern) {
        case Pattern::Rows: {
            // Stepover is arc length at the work surface; a full turn closes on itself.
            const double arc = surface.WrapAngle() * surface.WorkSurface();
            const int steps = std::max(1, static_cast<int>(std::ceil(arc / stepover - 1e-9)));
            const int rows = surface.FullTurn() ? steps : steps + 1;
            double previousX = x0, previousA = 0;
            for (int k = 0; k < rows; ++k) {
                const double a = OnGrid(wrap * k / steps);
                const bool forward = k % 2 == 0;
                std::vector<Guide> guides;
                if (k > 0) guides.push_back({previousX, previousA, previousX, a});
                guides.push_back({forward ? x0 : x1, a, forward ? x1 : x0, a});
                previousX = forward ? x1 : x0;
                previousA = a;
                passes_.push_back(std::move(guides));
            }
            break;
        }
        case Pattern::Rings: {
            const int steps = std::max(1, static_cast<int>(std::ceil(length / stepover - 1e-9)));
            double previousX = x0, previousA = 0;
            for (int k = 0; k <= steps; ++k) {
                const double x = OnGrid(x0 + length * k / steps);
                const bool forward = k % 2 == 0;
                std::vector<Guide> guides;
                if (k > 0) guides.push_back({previousX, previousA, x, previousA});
                guides.push_back({x, forward ? 0 : wrap, x, forward ? wrap : 0});
                previousX = x;
                previousA = forward ? wrap : 0;
                passes_.push_back(std::move(guides));
            }
            break;
        }
        case Pattern::Spiral: {
            // A ring at each end finishes the edges the helix only passes once.
            const int turns = std::max(1, static_cast<int>(std::ceil(length / stepover - 1e-9)));
            passes_.push_back({{x0, 0, x0, 360}});
            for (int k = 0; k < turns; ++k)
                passes_.push_back({{OnGrid(x0 + length * k / turns), 360.0 * (k + 1),
                                    OnGrid(x0 + length * (k + 1) / turns), 360.0 * (k + 2)}});
            passes_.push_back({{x1, 360.0 * (turns + 1), x1, 360.0 * (turns + 2)}});
            break;
        }
    }
}

void FinishingPath::Follow(const Guide& guide, std::vector<PathPoint>& out) const {
    if (guide.x0 == guide.x1 && guide.a0 == guide.a1) {
        const double z = dropCutter_.Height(guide.x0, guide.a0 / kDegrees);
        out.push_back({guide.x0, UpToGrid(z), guide.a0});
        return;
    }
    const double tolerance = settings_.tolerance;
    const double angleStep = surface_.AngleStep() * kDegrees;
    // Moves of two pixels (or half the tool's radius) to start with, each checked at its
    // quarter points, so that every pixel's edge is a position.
    const double half = dropCutter_.cutterShape().radius / 2;
    const double across =
        std::max(std::abs(guide.x1 - guide.x0) / std::min(2 * surface_.XStep(), half),
                 std::abs(guide.a1 - guide.a0) /
                     std::min(2 * angleStep, half / surface_.WorkSurface() * kDegrees));
    const int steps = std::max(1, static_cast<int>(std::ceil(across - 1e-9)));
    // Where a position lies along the move, by the coordinate that changes most, as the
    // controller interpolates between the written positions.
    const bool byX = std::abs(guide.x1 - guide.x0) / surface_.XStep() >=
                     std::abs(guide.a1 - guide.a0) / angleStep;
    auto at = [&](double t) {
        Sample s;
        s.x = OnGrid(guide.x0 + (guide.x1 - guide.x0) * t);
        s.a = OnGrid(guide.a0 + (guide.a1 - guide.a0) * t);
        s.t = byX ? (s.x - guide.x0) / (guide.x1 - guide.x0)
                  : (s.a - guide.a0) / (guide.a1 - guide.a0);
        s.z = dropCutter_.Height(s.x, s.a / kDegrees);
        return s;
    };
    auto same = [](const Sample& p, const Sample& q) { return p.x == q.x && p.a == q.a; };
    auto off = [&](const Sample& from, const Sample& to, const Sample& s) {
        const double line = from.z + (to.z - from.z) * (s.t - from.t) / (to.t - from.t);
        return s.z > line + tolerance * 0.375 || s.z < line - tolerance * 0.5;
    };
    std::vector<Sample> samples;
    samples.reserve(static_cast<std::size_t>(steps) * 4 + 1);
    // A move is kept when its quarter points lie within 3/8 of the tolerance of its
    // straight line, either way; otherwise it is split in two. One contact's height is
    // concave along a move, so a kept move cuts in by no more than half the tolerance (4/3
    // of 3/8), which leaves the other half to the merging below; where contacts take over
    // from each other (a shoulder beside a drop) the splitting goes on until each piece is
    // straight. A jump no split can follow (the side of the tool meeting a wall) becomes a
    // straight lift at the lower end, then the move across.
    auto refine = [&](auto&& self, const Sample& from, const Sample& middle, const Sample& to,
                      int depth) -> void {
        if (same(middle, from) || same(middle, to) || depth > 24) {
            if (std::abs(to.z - from.z) > tolerance / 2) {
                Sample lift = from.z < to.z ? from : to;
                lift.z = std::max(from.z, to.z);
                samples.push_back(lift);
                samples.push_back(to);
                return;
            }
            samples.push_back(to);
            return;
        }
        const Sample q1 = at((from.t + middle.t) / 2);
        const Sample q3 = at((middle.t + to.t) / 2);
        if (!off(from, to, middle) && !off(from, to, q1) && !off(from, to, q3)) {
            samples.push_back(q1);
            samples.push_back(middle);
            samples.push_back(q3);
            samples.push_back(to);
            return;
        }
        self(self, from, q1, middle, depth + 1);
        self(self, middle, q3, to, depth + 1);
    };
    Sample previous = at(0);
    samples.push_back(previous);
    for (int i = 1; i <= steps; ++i) {
        const Sample next = at(static_cast<double>(i) / steps);
        refine(refine, previous, at((i - 0.5) / steps), next, 0);
        previous = next;
    }

    // Merge: from each kept position, the furthest sample that a straight move reaches
    // while passing no sample more than half the tolerance below or the tolerance above.
    // A lift (two samples at one place) is always a move of its own.
    auto emit = [&](const Sample& s) { out.push_back({s.x, UpToGrid(s.z), s.a}); };
    std::size_t anchor = 0;
    emit(samples[0]);
    while (anchor + 1 < samples.size()) {
        const Sample& from = samples[anchor];
        double lo = -HUGE_VAL, hi = HUGE_VAL;
        std::size_t reach = anchor + 1;
        for (std::size_t j = anchor + 1; j < samples.size(); ++j) {
            const double dt = samples[j].t - from.t;
            if (!(dt > 0)) break;
            const double slope = (samples[j].z - from.z) / dt;
            if (slope < lo || slope > hi) break;
            reach = j;
            lo = std::max(lo, (samples[j].z - tolerance / 2 - from.z) / dt);
            hi = std::min(hi, (samples[j].z + tolerance - from.z) / dt);
        }
        emit(samples[reach]);
        anchor = reach;
    }
}

std::vector<PathPoint> FinishingPath::Pass(std::size_t k) const {
    std::vector<PathPoint> points;
    for (const Guide& guide : passes_[k]) {
        const std::size_t start = points.size();
        Follow(guide, points);
        // Guides join end to start: the joint is kept once, and a later pass leaves out
        // the position its predecessor ended on.
        if (start > 0 || k > 0) points.erase(points.begin() + static_cast<std::ptrdiff_t>(start));
    }
    return points;
}

std::vector<std::vector<PathPoint>> ComputePasses(
    const FinishingPath& path, unsigned threads,
    const std::function<void(std::size_t, std::size_t)>& progress) {
    const std::size_t count = path.Passes();
    std::vector<std::vector<PathPoint>> passes(count);
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    std::exception_ptr failure;
    std::mutex failureLock;
    auto work = [&](bool reports) {
        try {
            for (std::size_t k; !stop && (k = next++) < count;) {
                passes[k] = path.Pass(k);
                if (reports && progress) progress(std::min(next.load(), count), count);
            }
        } catch (...) {
            std::lock_guard<std::mutex> lock(failureLock);
            if (!failure) failure = std::current_exception();
            stop = true;
        }
    };
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads && t < count; ++t) helpers.emplace_back(work, false);
    work(true);
    for (std::thread& helper : helpers) helper.join();
    if (failure) std::rethrow_exception(failure);
    return passes;
}

double ContactLength(const PathPoint& from, const PathPoint& to) {
    const double dx = to.x - from.x, dz = to.z - from.z;
    const double arc = std::max(from.z, to.z) * (to.a - from.a) / kDegrees;
    return std::sqrt(dx * dx + dz * dz + arc * arc);
}

MachiningTime EstimateTime(const std::vector<std::vector<PathPoint>>& passes,
                           const ToolpathSettings& settings, const WrapParameters& p) {
    MachiningTime time;
    const bool inverse = settings.Feeds() == FeedMode::InverseTime;
    auto feedMinutes = [&](const PathPoint& from, const PathPoint& to, double feed) {
        if (inverse) return ContactLength(from, to) / feed;
        const double dx = to.x - from.x, dz = to.z - from.z;
        const double linear = std::sqrt(dx * dx + dz * dz);
        return (linear > 0 ? linear : std::abs(to.a - from.a)) / feed;
    };
    auto rapidMinutes = [&](const PathPoint& from, const PathPoint& to) {
        const double dx = to.x - from.x, dz = to.z - from.z;
        const double linear = std::sqrt(dx * dx + dz * dz);
        return (linear > 0 ? linear : std::abs(to.a - from.a)) / settings.rapidRate;
    };
    if (passes.empty() || passes.front().empty()) return time;
    const PathPoint home{0, p.Clearance, 0};
    const PathPoint first = passes.front().front();
    const PathPoint above{first.x, p.Clearance, first.a};
    time.rapidMinutes += rapidMinutes(home, above);
    time.feedMinutes += feedMinutes(above, first, p.Feedrate / 2);
    PathPoint at = first;
    for (std::size_t k = 0; k < passes.size(); ++k)
        for (std::size_t i = k == 0 ? 1 : 0; i < passes[k].size(); ++i) {
            time.feedMinutes += feedMinutes(at, passes[k][i], p.Feedrate);
            at = passes[k][i];
        }
    const PathPoint retract{at.x, p.Clearance, at.a};
    time.rapidMinutes += rapidMinutes(at, retract) + rapidMinutes(retract, home);
    return time;
}

}  // namespace vantorel
