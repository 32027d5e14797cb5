// The G-code reader: the moves a controller would make, in absolute mm and degrees, their
// times, and a clear refusal naming the line of anything it cannot follow.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "sim/gcode_reader.h"

namespace vantorel {
namespace {

struct Read {
    std::vector<StraightMove> moves;
    std::optional<ReadProblem> problem;
    bool unitsStated = false;
};

Read ReadAll(const std::string& text, double rapidRate = 2000) {
    std::istringstream in(text);
    GcodeReader reader(in, rapidRate);
    Read read;
    StraightMove move;
    while (reader.Next(move)) read.moves.push_back(move);
    read.problem = reader.Problem();
    read.unitsStated = reader.UnitsStated();
    return read;
}

void ExpectAt(const StraightMove& move, double x, double y, double z, double a) {
    EXPECT_NEAR(move.to.x, x, 1e-12);
    EXPECT_NEAR(move.to.y, y, 1e-12);
    EXPECT_NEAR(move.to.z, z, 1e-12);
    EXPECT_NEAR(move.to.a, a, 1e-12);
}

TEST(GcodeReader, FollowsModesCommentsAndLineNumbers) {
    const Read read = ReadAll(
        "%\n"
        "(a header comment) ; and another\n"
        "N10 G17 G21 G90 G94 T1 M6 S12000 M3 M8\n"
        "N20 G0 Z12 (retract)\n"
        "n30 g1 x1.5 a90 f300 ; lower case and words run together\n"
        "N40 X 2 Z - 1.25\n"  // blanks inside words, as controllers allow
        "G91 X1 A-10\n"
        "G4 P0.5\n"
        "G90 G20 X1 Z.5\n"
        "G21 G93 G1 X0 F2\n"
        "G94 G0 X3\n"
        "M2\n"
        "G1 X99\n"  // never read: the program has ended
        "%\n");
    ASSERT_FALSE(read.problem) << read.problem->message;
    EXPECT_TRUE(read.unitsStated);
    ASSERT_EQ(read.moves.size(), 7u);
    ExpectAt(read.moves[0], 0, 0, 12, 0);
    ExpectAt(read.moves[1], 1.5, 0, 12, 90);
    ExpectAt(read.moves[2], 2, 0, -1.25, 90);
    ExpectAt(read.moves[3], 3, 0, -1.25, 80);
    ExpectAt(read.moves[4], 25.4, 0, 12.7, 80);
    ExpectAt(read.moves[5], 0, 0, 12.7, 80);
    ExpectAt(read.moves[6], 3, 0, 12.7, 80);
    EXPECT_TRUE(read.moves[0].rapid);
    EXPECT_FALSE(read.moves[1].rapid);
    EXPECT_TRUE(read.moves[6].rapid);
    EXPECT_EQ(read.moves[1].line, 5);
    EXPECT_EQ(read.moves[5].line, 10);
    // Z is known from the first move's end on, not before.
    EXPECT_FALSE(read.moves[0].fromKnown);
    EXPECT_TRUE(read.moves[0].toKnown);
    EXPECT_TRUE(read.moves[1].fromKnown);
}

TEST(GcodeReader, TimesMovesAsTheControllerDoes) {
    const Read read = ReadAll(
        "G21 G90 G94\n"
        "G0 X30 Y0 Z40\n"           // rapid: 50 mm at 1000 mm/min
        "G1 X33 Z44 A90 F100\n"     // X/Z distance only: 5 mm at 100 mm/min, A along with it
        "G1 A180 F45\n"             // A alone: degrees per minute
        "G93 G1 X40 F4\n"           // inverse time: 1/F minutes
        "G94 G20 G91 G1 X1 F10\n",  // 10 in/min over 1 in
        1000);
    ASSERT_FALSE(read.problem) << read.problem->message;
    ASSERT_EQ(read.moves.size(), 5u);
    const double minutes[] = {0.05, 0.05, 2, 0.25, 0.1};
    for (std::size_t k = 0; k < 5; ++k) EXPECT_NEAR(read.moves[k].minutes, minutes[k], 1e-12) << k;
}

TEST(GcodeReader, AProgramWithoutUnitsIsReadInMillimetres) {
    const Read read = ReadAll("G0 X1\nG20\nG1 X1 F10\n");
    ASSERT_FALSE(read.problem);
    EXPECT_FALSE(read.unitsStated);  // G20 came only after the first move
    ASSERT_EQ(read.moves.size(), 2u);
    EXPECT_DOUBLE_EQ(read.moves[0].to.x, 1);
    EXPECT_DOUBLE_EQ(read.moves[1].to.x, 25.4);
}

TEST(GcodeReader, RefusesWhatItCannotFollowNamingTheLine) {
    struct Case {
        const char* text;
        long line;
        const char* says;
    };
    const Case cases[] = {
        {"G21\nG0 X0\nG2 X1 Y1 I1 J0\n", 3, "arcs (G2)"},
        {"G21\nG03 X1 R1\n", 2, "arcs (G3)"},
        {"G21\nG1 X1 R2\n", 2, "arc word R"},
        {"hello world\n", 1, "not G-code"},
        {"\x7f"
         "ELF\x01\x01\n",
         1, "not G-code"},
        {"G21\nX1\n", 2, "before any G0 or G1"},
        {"G21\nG1 X1\n", 2, "no feed rate"},
        {"G21 G93\nG1 X1 F3\nG1 X2\n", 3, "inverse time"},
        {"G21\n#1 = 2\n", 2, "not G-code"},
        {"G21\nG1 X#1 F1\n", 2, "parameters and expressions"},
        {"G21\nO100 sub\n", 2, "subroutines"},
        {"G21\nG0 B10\n", 2, "B axis"},
        {"G21\nG0 X1 X2\n", 2, "two X words"},
        {"G21\n(unclosed\n", 2, "never closed"},
        {"G21\nG43 H1\n", 2, "G43 cannot"},
        {"G21\nG92 X0\n", 2, "G92 cannot"},
        {"G21\nG1 F-5\n", 2, "below 0"},
        {"G21\nM98 P10\n", 2, "M98 cannot"},
        {"G21\n/G0 X1\n", 2, "block delete"},
    };
    for (const Case& c : cases) {
        const Read read = ReadAll(c.text);
        ASSERT_TRUE(read.problem) << c.text;
        EXPECT_EQ(read.problem->line, c.line) << c.text;
        EXPECT_NE(read.problem->message.find(c.says), std::string::npos)
            << c.text << " -> " << read.problem->message;
    }
}

TEST(GcodeReader, StreamsALongProgramWithoutHoldingIt) {
    // Many lines, produced as they are read: the reader keeps one line at a time.
    class Lines : public std::streambuf {
      public:
        explicit Lines(long count) : left_(count) {}

      protected:
        int_type underflow() override {
            if (left_ == 0) return traits_type::eof();
            line_ = "G1 X" + std::to_string(left_ % 7) + " F100\n";
            --left_;
            setg(line_.data(), line_.data(), line_.data() + line_.size());
            return traits_type::to_int_type(line_[0]);
        }

      private:
        long left_;
        std::string line_;
    };
    Lines lines(100000);
    std::istream in(&lines);
    GcodeReader reader(in);
    StraightMove move;
    long moves = 0;
    while (reader.Next(move)) ++moves;
    EXPECT_FALSE(reader.Problem());
    EXPECT_EQ(moves, 100000);
    EXPECT_EQ(reader.Lines(), 100000);
}

}  // namespace
}  // namespace vantorel
