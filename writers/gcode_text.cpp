#include "writers/gcode_text.h"

#include <bit>

namespace vantorel {
namespace {

// A NaN's bits: no coordinate has them, since a value that is not finite stops a run first.
constexpr std::uint64_t kEmptySlot = 0x7FF8DEADBEEF0001ULL;

constexpr char kAxisLetters[] = {'X', 'Y', 'Z', 'A'};

}  // namespace

GcodeText::GcodeText() : slots_(new Slot[kSlots]) {
    for (std::size_t k = 0; k < kSlots; ++k) slots_[k].bits = kEmptySlot;
}

const NumberText& GcodeText::Fixed4(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    std::size_t k = (bits * 0x9E3779B97F4A7C15ULL) >> (64 - kSlotBits);
    for (;; k = (k + 1) & (kSlots - 1)) {
        Slot& slot = slots_[k];
        if (slot.bits == bits) [[likely]]
            return slot.text;
        if (slot.bits == kEmptySlot) break;
    }
    if (used_ == kSlots / 2) {
        for (std::size_t s = 0; s < kSlots; ++s) slots_[s].bits = kEmptySlot;
        used_ = 0;
        k = (bits * 0x9E3779B97F4A7C15ULL) >> (64 - kSlotBits);
    }
    ++used_;
    Slot& slot = slots_[k];
    SetFixed(slot.text, value, 4, 15);
    slot.bits = bits;
    return slot.text;
}

void GcodeText::Append(TextBuffer& out, const Move& move) {
    char* at = out.Begin(kMostMoveBytes);
    at = move.motion == Motion::Rapid ? Put(at, "G0") : Put(at, "G1");
    for (std::uint8_t w = 0; w < move.wordCount; ++w) {
        const Axis axis = move.words[w];
        *at++ = ' ';
        *at++ = kAxisLetters[static_cast<int>(axis)];
        if (move.form == CoordinateForm::Whole)
            at = WriteGeneral(at, move.Coordinate(axis));
        else
            at = Put(at, Fixed4(move.Coordinate(axis)));
    }
    if (move.inverseTimeFeed != 0) {
        at = Put(at, " F");
        at = WriteFixed(at, move.inverseTimeFeed, 4);
    }
    out.End(PutLineEnd(at));
}

void GcodeText::Append(TextBuffer& out, const ProgramLine& line) {
    if (const Move* move = std::get_if<Move>(&line)) {
        Append(out, *move);
    } else if (const FeedLine* feed = std::get_if<FeedLine>(&line)) {
        out.Char('F');
        out.Fixed(feed->feedrate, 2);
        out.EndLine();
    } else {
        out.Line(std::get<TextLine>(line).text);
    }
}

}  // namespace vantorel
