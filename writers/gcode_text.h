#pragma once

// The text of a G-code program's lines: how a move, a feed rate and a free line read. The
// original program and the computed toolpaths are written through this one place.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "core/toolpath.h"
#include "writers/text_buffer.h"
#include "writers/text_pieces.h"

namespace vantorel {

class GcodeText {
public:
    GcodeText();

    void Append(TextBuffer& out, const ProgramLine& line);
    void Append(TextBuffer& out, std::span<const Program::value_type> lines) {
        for (const ProgramLine& line : lines) Append(out, line);
    }
    // "G0"/"G1", the named words, " F" + the inverse-time feed when the move has one, CR LF.
    void Append(TextBuffer& out, const Move& move);

    // Room one move line can take, the fixed-size copies past its end included: the motion
    // code, every axis word and an F word at their longest, the line end.
    static constexpr std::size_t kMostMoveBytes =
        2 + 5 * (2 + std::max(kMaxNumberText, NumberText::kCopy)) + 2;

private:
    // A program names few distinct coordinates (a column's X, a brightness level's Z, a
    // row's A) many times over, so each text is kept by the value's bits and formatted once:
    // an open-addressed table, emptied when half full, so a program of many distinct values
    // costs one format per number and no more.
    const NumberText& Fixed4(double value);
    // Formats a value not in the table into free slot k (or an emptied table).
    [[gnu::noinline]] const NumberText& Remember(double value, std::uint64_t bits, std::size_t k);

    static constexpr int kSlotBits = 14;
    static constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;
    struct Slot {
        std::uint64_t bits;
        NumberText text;
    };
    std::unique_ptr<Slot[]> slots_;
    std::size_t used_ = 0;
};

}  // namespace vantorel
