#pragma once

// A G-code program as data: the lines a writer turns into text, in order. The original
// program and every toolpath the program computes are built as these, and one G-code writer
// formats them, so what a program does can be read (and tested) without parsing its text.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

namespace vantorel {

enum class Axis : std::uint8_t { X, Y, Z, A };

// How a line writes its coordinates: fixed with 4 decimals ("X12.5000"), or whole numbers as
// they stand ("G0 X0 Y0 A0").
enum class CoordinateForm : std::uint8_t { Fixed4, Whole };

enum class Motion : std::uint8_t {
    Rapid,  // G0
    Feed,   // G1
};

// One motion line: the target of every axis (absolute, mm and degrees), and the words the
// line names, in the order it names them ("G0 A0 X0" names A before X). An axis the line
// does not name keeps its value from the line before.
struct Move {
    Motion motion = Motion::Feed;
    double x = 0;
    double y = 0;
    double z = 0;
    double a = 0;
    std::array<Axis, 4> words{};
    std::uint8_t wordCount = 0;
    CoordinateForm form = CoordinateForm::Fixed4;
    // Inverse-time feed (G93) only: this move's F, 1 / minutes. Zero: no F word.
    double inverseTimeFeed = 0;

    double Coordinate(Axis axis) const {
        switch (axis) {
            case Axis::X: return x;
            case Axis::Y: return y;
            case Axis::Z: return z;
            case Axis::A: return a;
        }
        return 0;
    }
};

// Any other line: a comment or free text exactly as it stands, or a feed rate "F" + value
// with 2 decimals.
struct TextLine {
    std::string text;
};
struct FeedLine {
    double feedrate;
};

using ProgramLine = std::variant<TextLine, FeedLine, Move>;
using Program = std::vector<ProgramLine>;

// A move naming `axes` in that order, e.g. MoveTo(Motion::Feed, x, 0, z, a, {Axis::X, Axis::Z}).
inline Move MoveTo(Motion motion, double x, double y, double z, double a,
                   std::initializer_list<Axis> axes,
                   CoordinateForm form = CoordinateForm::Fixed4) {
    Move move;
    move.motion = motion;
    move.x = x;
    move.y = y;
    move.z = z;
    move.a = a;
    move.form = form;
    for (Axis axis : axes) move.words[move.wordCount++] = axis;
    return move;
}

}  // namespace vantorel
