// The text of program lines, and the piece writer's fallbacks, through the G-code writer.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/number_text.h"
#include "core/toolpath.h"
#include "tests/model_test_support.h"
#include "writers/gcode_text.h"
#include "writers/ordered_chunks.h"

namespace vantorel {
namespace {

std::string Text(const ProgramLine& line) {
    GcodeText text;
    TextBuffer out;
    text.Append(out, line);
    return std::string(out.View());
}

TEST(GcodeText, EachKindOfLine) {
    Move inverse = MoveTo(Motion::Feed, 1.5, 0, 7.25, 90, {Axis::X, Axis::Z, Axis::A});
    inverse.inverseTimeFeed = 1234.56789;
    const struct {
        ProgramLine line;
        const char* text;
    } cases[] = {
        {MoveTo(Motion::Feed, 12.5, 0, -0.00004, 0, {Axis::X, Axis::Z}), "G1 X12.5000 Z0.0000\r\n"},
        {MoveTo(Motion::Rapid, 0, 0, 10, 0, {Axis::Z}), "G0 Z10.0000\r\n"},
        {MoveTo(Motion::Rapid, 0, 0, 10, 0, {Axis::A, Axis::X}, CoordinateForm::Whole), "G0 A0 X0\r\n"},
        {MoveTo(Motion::Rapid, 0, 0, 10, 0, {Axis::X, Axis::Y, Axis::A}, CoordinateForm::Whole),
         "G0 X0 Y0 A0\r\n"},
        {inverse, "G1 X1.5000 Z7.2500 A90.0000 F1234.5679\r\n"},
        {MoveTo(Motion::Feed, 1e300, 0, 0, 0, {Axis::X}), "G1 X1E300\r\n"},
        {FeedLine{200.25 * 0.5}, "F100.13\r\n"},
        {TextLine{"( Header )"}, "( Header )\r\n"},
        {TextLine{""}, "\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(Text(c.line), c.text);
}

// Far more distinct coordinates than the text table holds: it is emptied and refilled, and
// every text stays that of its own value.
TEST(GcodeText, ManyDistinctValuesKeepTheirOwnTexts) {
    GcodeText text;
    TextBuffer out;
    std::string expected;
    for (int k = 0; k < 40000; ++k) {
        const double x = k * 0.37 - 5000, z = std::sin(k) * 3;
        text.Append(out, MoveTo(Motion::Feed, x, 0, z, 0, {Axis::X, Axis::Z}));
        text.Append(out, MoveTo(Motion::Feed, 0.0, 0, z, 0, {Axis::X, Axis::Z}));
        expected += "G1 X" + FormatFixed(x, 4) + " Z" + FormatFixed(z, 4) + "\r\n";
        expected += "G1 X0.0000 Z" + FormatFixed(z, 4) + "\r\n";
    }
    EXPECT_EQ(out.View(), expected);
}

// A worker thread the system refuses to start: the file is still written whole and the same,
// by the workers that did start or by the caller's thread alone.
TEST(WriteInOrder, ThreadsThatCannotStartStillWriteTheFile) {
    using namespace testing;
    auto depth = [](int c, int r) { return 0.01 * ((c * 7 + r * 3) % 50); };
    const std::string normal = WriteStl(300, 300, {}, depth);
    for (int started : {0, 1}) {
        ordered_chunks_detail::threadStartsAllowedForTesting = started;
        EXPECT_EQ(WriteStl(300, 300, {}, depth), normal) << "with " << started << " workers";
        ordered_chunks_detail::threadStartsAllowedForTesting = -1;
    }
}

}  // namespace
}  // namespace vantorel
