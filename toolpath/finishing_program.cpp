#include "toolpath/finishing_program.h"

#include <cmath>

#include "core/fields.h"
#include "core/number_text.h"

namespace vantorel {
namespace {

Move FeedMove(const PathPoint& from, const PathPoint& to, double feedrate, bool inverseTime) {
    Move move;
    move.motion = Motion::Feed;
    move.x = to.x;
    move.z = to.z;
    move.a = to.a;
    if (to.x != from.x) move.words[move.wordCount++] = Axis::X;
    if (to.z != from.z || (to.x == from.x && to.a == from.a))
        move.words[move.wordCount++] = Axis::Z;
    if (to.a != from.a) move.words[move.wordCount++] = Axis::A;
    // 1 / minutes, never so small that 4 decimals would read as 0.
    if (inverseTime)
        move.inverseTimeFeed = std::max(feedrate / std::max(ContactLength(from, to), 1e-9), 1e-4);
    return move;
}

}  // namespace

std::string DescribeMinutes(double minutes) {
    if (minutes < 60) return FormatGeneral(std::round(minutes * 10) / 10) + " min";
    const double whole = std::round(minutes);
    const double hours = std::floor(whole / 60);
    return FormatGeneral(hours) + " h " + FormatGeneral(whole - hours * 60) + " min";
}

Program FinishingOpening(const WrapParameters& p, const ToolpathSettings& s, const PathPoint& first,
                         const MachiningTime& time) {
    Program program;
    auto line = [&program](std::string text) { program.push_back(TextLine{std::move(text)}); };
    const bool inverse = s.Feeds() == FeedMode::InverseTime;
    line("( Toolpath File " + std::string(kProducedBy) + " )");
    line("( Left Edge of Picture at X = " + FormatGeneral(p.LeftX) + "mm )");
    line("( Picture is wrapped around " + FormatGeneral(p.WrapAngle) + "degrees )");
    line("( Z Value of worksurface " + FormatGeneral(p.WorkSurface) + "mm )");
    line("( Feedrate = " + FormatGeneral(p.Feedrate) + "mm/min )");
    line("( Max Depth of Cut = " + FormatGeneral(p.DepthofCut) + "mm )");
    line("( Clearance Plane Z = " + FormatGeneral(p.Clearance) + "mm )");
    line("( Tool: " + DescribeTool(s.tool) + ", tip at Z, Z measured from the rotary axis )");
    line("( Pattern: " + std::string(PatternName(s.pattern)) + ", stepover " +
         FormatGeneral(s.Stepover()) + " mm, tolerance " + FormatGeneral(s.tolerance) +
         " mm, beyond the picture: " + (s.border == Border::Stock ? "uncut stock" : "air") + " )");
    if (inverse)
        line(
            "( Feed mode: inverse time, G93: each move's F is 1 / minutes, from the length its "
            "contact point travels on the work at the feed rate )");
    else
        line(
            "( Feed mode: units per minute, G94: a move is timed by its X and Z travel, a pure "
            "A move by its degrees )");
    line("( Estimated machining time: " + DescribeMinutes(time.Total()) + ", rapids at " +
         FormatGeneral(s.rapidRate) + " mm/min )");
    if (s.pattern == Pattern::Spiral)
        line(
            "( A turns on past 360 degrees: the A axis must not wrap, e.g. no WRAPPED_ROTARY in "
            "LinuxCNC )");
    line("( " + std::string(70, '-') + " )");
    line("( Header )");
    line(p.Header);
    line("(XY Plane, Metric, Absolute distance mode, mm/min feedrate)");
    line("G17 G21 G90 G94");
    line("(Tool 0, Spindle 1000 rpm)");
    line("T0 S1000");
    line("(Move to retract plane)");
    program.push_back(MoveTo(Motion::Rapid, 0, 0, p.Clearance, 0, {Axis::Z}));
    line("(Move to start position, clear of the stock)");
    program.push_back(MoveTo(Motion::Rapid, first.x, 0, p.Clearance, first.a, {Axis::X, Axis::A}));
    const PathPoint above{first.x, p.Clearance, first.a};
    if (inverse) {
        line("(Inverse time feed; the plunge at half speed)");
        line("G93");
        program.push_back(FeedMove(above, first, p.Feedrate / 2, true));
    } else {
        line("(Half speed feed for the plunge)");
        program.push_back(FeedLine{p.Feedrate * 0.5});
        program.push_back(FeedMove(above, first, p.Feedrate, false));
        program.push_back(FeedLine{p.Feedrate});
    }
    return program;
}

void AppendFinishingMoves(std::span<const PathPoint> points, PathPoint previous,
                          const WrapParameters& p, const ToolpathSettings& s, Program& out) {
    const bool inverse = s.Feeds() == FeedMode::InverseTime;
    for (const PathPoint& point : points) {
        out.push_back(FeedMove(previous, point, p.Feedrate, inverse));
        previous = point;
    }
}

Program FinishingClosing(const WrapParameters& p, const ToolpathSettings& s) {
    Program program;
    program.push_back(TextLine{"( End )"});
    if (s.Feeds() == FeedMode::InverseTime) program.push_back(TextLine{"G94"});
    program.push_back(MoveTo(Motion::Rapid, 0, 0, p.Clearance, 0, {Axis::Z}));
    program.push_back(
        MoveTo(Motion::Rapid, 0, 0, p.Clearance, 0, {Axis::A, Axis::X}, CoordinateForm::Whole));
    program.push_back(TextLine{p.Footer});
    return program;
}

}  // namespace vantorel
