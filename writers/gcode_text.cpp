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

inline const NumberText& GcodeText::Fixed4(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    std::size_t k = (bits * 0x9E3779B97F4A7C15ULL) >> (64 - kSlotBits);
    for (;; k = (k + 1) & (kSlots - 1)) {
        const Slot& slot = slots_[k];
        if (slot.bits == bits) [[likely]]
            return slot.text;
        if (slot.bits == kEmptySlot) break;
    }
    return Remember(value, bits, k);
}

const NumberText& GcodeText::Remember(double value, std::uint64_t bits, std::size_t k) {
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
    const double values[] = {move.x, move.y, move.z, move.a};
    if (move.form == CoordinateForm::Fixed4) [[likely]] {
        for (std::uint8_t w = 0; w < move.wordCount; ++w) {
            const auto axis = static_cast<int>(move.words[w]);
            at[0] = ' ';
            at[1] = kAxisLetters[axis];
            at = Put(at + 2, Fixed4(values[axis]));
        }
    } else {
        for (std::uint8_t w = 0; w < move.wordCount; ++w) {
            const auto axis = static_cast<int>(move.words[w]);
            at[0] = ' ';
            at[1] = kAxisLetters[axis];
            at = WriteGeneral(at + 2, values[axis]);
        }
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
