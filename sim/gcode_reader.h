#pragma once

// Reads a G-code program as a controller would, one line at a time, and gives its straight
// moves in absolute millimetres and degrees. It follows only what it can follow exactly:
// G0/G1, G20/G21, G90/G91, G93/G94, F and X Y Z A. Spindle, coolant, tool change, dwell and
// the usual safety codes of a program's first line are passed over; anything else (an arc,
// an offset, a subroutine, an expression) stops it with the line number, since a move it
// misread would prove nothing.

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace vantorel {

struct MachinePosition {
    double x = 0;
    double y = 0;
    double z = 0;
    double a = 0;  // degrees
};

struct StraightMove {
    bool rapid = false;
    MachinePosition from;
    MachinePosition to;
    double minutes = 0;  // by the controller's timing rule, rapids at the rapid rate
    // Whether Z had been named before the move, and by its end: until then the tool is
    // wherever the machine left it, above the work.
    bool fromKnown = false;
    bool toKnown = false;
    long line = 0;  // line of the file, from 1
};

struct ReadProblem {
    long line = 0;
    std::string message;
};

class GcodeReader {
  public:
    // `rapidRate` in mm/min (and degrees/min for a rapid that only turns A).
    explicit GcodeReader(std::istream& in, double rapidRate = 2000);

    // The next move; false at the program's end (M2/M30, or the end of the text) or on a
    // problem, which Problem() then holds.
    bool Next(StraightMove& move);

    const std::optional<ReadProblem>& Problem() const { return problem_; }
    // Whether G20 or G21 stood before the first move (a program that never says is read in
    // millimetres).
    bool UnitsStated() const { return unitsStated_; }
    bool EndedByCode() const { return ended_; }  // M2 or M30 was read
    long Lines() const { return lineNumber_; }
    const MachinePosition& Position() const { return position_; }

  private:
    bool ReadLine(const std::string& text, StraightMove& move, bool& moved);
    bool Fail(std::string message);

    std::istream& in_;
    double rapidRate_;
    std::string line_;
    long lineNumber_ = 0;
    std::optional<ReadProblem> problem_;
    bool ended_ = false;
    bool unitsStated_ = false;
    bool moved_ = false;
    bool zNamed_ = false;
    bool inches_ = false;
    bool incremental_ = false;
    bool inverseTime_ = false;
    int motion_ = -1;  // 0 or 1 once a G0/G1 was read
    double feed_ = 0;  // mm/min in G94
    MachinePosition position_;
};

}  // namespace vantorel
