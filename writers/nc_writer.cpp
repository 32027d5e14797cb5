// The G-code program for a mill with a rotary A axis: one feed move per pixel, rows cut in
// alternate directions, the work turned by one angle step between rows.

#include <bit>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "writers/text_pieces.h"
#include "writers/ordered_chunks.h"
#include "writers/writer_job.h"

namespace vantorel {
namespace {

void WriteHeader(const WrapParameters& p, TextBuffer& out) {
    auto comment = [&out](const char* text, double value, const char* unit) {
        out.Append(text);
        out.General(value);
        out.Line(unit);
    };
    out.Line("( Toolpath File Produced by the Quennock Vantorel Program )");
    comment("( Left Edge of Picture at X = ", p.LeftX, "mm )");
    comment("( Picture is wrapped around ", p.WrapAngle, "degrees )");
    comment("( Z Value of worksurface ", p.WorkSurface, "mm )");
    comment("( Feedrate = ", p.Feedrate, "mm/min )");
    comment("( Max Depth of Cut = ", p.DepthofCut, "mm )");
    comment("( Clearance Plane Z = ", p.Clearance, "mm )");
    out.Line("( No tool diameter is assumed, use whatever ball nose cutter is suitable )");
    out.Line("( " + std::string(70, '-') + " )");
    out.Line("( Header )");
    out.Line(p.Header);
    out.Line("(XY Plane, Metric, Absolute distance mode, mm/min feedrate)");
    out.Line("G17 G21 G90 G90.1 G94");
    out.Line("(Tool 0, Spindle 1000 rpm)");
    out.Line("T0 S1000");
    out.Line("(Move to retract plane)");
    out.Append("G0 Z");
    out.Fixed(p.Clearance, 4);
    out.EndLine();
    out.Line("(Move to start position)");
    out.Line("G0 X0 Y0 A0");
    out.Line("(Half speed feed for first line as it's being plunged)");
    out.Char('F');
    out.Fixed(p.Feedrate * 0.5, 2);
    out.EndLine();
}

// The Z texts of a grid of free depths. Z takes few distinct values (one per brightness
// level), so a small cache keyed by the value's bits formats most only once.
class DepthZTexts {
public:
    DepthZTexts() {
        for (Slot& slot : slots_) slot.bits = kEmpty;
    }

    const NumberText& Z(double z) {
        const auto bits = std::bit_cast<std::uint64_t>(z);
        Slot& slot = slots_[(bits * 0x9E3779B97F4A7C15ULL) >> (64 - kSlotBits)];
        if (slot.bits != bits) {
            SetFixed(slot.text, z, 4, 15);
            slot.bits = bits;
        }
        return slot.text;
    }

private:
    static constexpr int kSlotBits = 11;
    // A NaN's bits: a real Z never has them, since such a value stops the run first.
    static constexpr std::uint64_t kEmpty = 0x7FF8DEADBEEF0001ULL;
    struct Slot {
        std::uint64_t bits;
        NumberText text;
    };
    Slot slots_[1 << kSlotBits];
};

// Where a row's Z texts come from: a grid of brightness levels has one text per level,
// formatted once for the whole file; a grid of free depths goes through the cache.
struct LevelRow {
    const NumberText* levelZ;
    const std::uint16_t* levels;
    const NumberText& Z(int i) const { return levelZ[levels[i]]; }
};
struct DepthRow {
    DepthZTexts* texts;
    double workSurface;
    const double* depths;
    const NumberText& Z(int i) const { return texts->Z(workSurface - depths[i]); }
};

// Room for one move line, the copies past its end included.
constexpr std::size_t kMostBytesPerMove = 192;

template <typename Row>
void WriteMove(const WriterJob& job, const NumberText* columnX, const Row& row, int i, int j,
               TextBuffer& out) {
    const WrapParameters& p = job.parameters;
    const int lastColumn = job.grid.Width() - 1;
    char* at = out.Begin(kMostBytesPerMove);
    at = Put(at, "G1 X");
    at = Put(at, columnX[i]);
    at = Put(at, " Z");
    at = Put(at, row.Z(i));
    if (i == 0 || i == lastColumn) [[unlikely]] {
        at = Put(at, " A");
        at = WriteFixed(at, j * p.AngleStepDegrees, 4);
    }
    out.End(PutLineEnd(at));
}

// Row j: even rows run from the left edge to the right, odd rows back. The full feed rate
// follows the first row, which is cut at half speed while the tool plunges.
template <typename Row>
void WriteRow(const WriterJob& job, const NumberText* columnX, const Row& row, int j,
              TextBuffer& out) {
    const int width = job.grid.Width();
    if (j % 2 == 0)
        for (int i = 0; i < width; ++i) WriteMove(job, columnX, row, i, j, out);
    else
        for (int i = width - 1; i >= 0; --i) WriteMove(job, columnX, row, i, j, out);
    if (j == 0) {
        out.Char('F');
        out.Fixed(job.parameters.Feedrate, 2);
        out.EndLine();
    }
}

void WriteFooter(const WrapParameters& p, TextBuffer& out) {
    out.Line("( End )");
    out.Append("G0 Z");
    out.Fixed(p.Clearance, 4);
    out.EndLine();
    out.Line("G0 A0 X0");
    out.Line(p.Footer);
}

}  // namespace

void WriteNcFile(const WriterJob& job, ByteSink& sink, const ProgressFn& progress) {
    TextBuffer ends(4096);
    WriteHeader(job.parameters, ends);
    sink.Write(ends.View());

    const DepthGrid& grid = job.grid;
    const WrapParameters& p = job.parameters;
    const int height = grid.PictureHeight();
    const std::size_t width = static_cast<std::size_t>(grid.Width());
    const std::size_t rowsPerPiece = ItemsPerPiece(static_cast<std::uint64_t>(height),
                                                   static_cast<std::uint64_t>(width) * 32);
    const std::size_t pieces = (static_cast<std::size_t>(height) + rowsPerPiece - 1) / rowsPerPiece;
    // X depends only on the column, and on a grid of levels Z only on the level: each is
    // formatted once for the whole file.
    std::vector<NumberText> columnX(width);
    for (std::size_t i = 0; i < width; ++i)
        SetFixed(columnX[i], static_cast<int>(i) * p.XStep + p.LeftX, 4, 15);
    std::vector<NumberText> levelZ;
    if (grid.HasLevels()) {
        levelZ.resize(kBrightnessLevels);
        for (int level = 0; level < kBrightnessLevels; ++level)
            SetFixed(levelZ[static_cast<std::size_t>(level)], p.WorkSurface - grid.LevelDepth(level), 4, 15);
    }
    WriteInOrder(
        sink, pieces,
        [&](std::size_t piece, TextBuffer& out) {
            const std::size_t first = piece * rowsPerPiece;
            const std::size_t last = std::min<std::size_t>(first + rowsPerPiece, height);
            if (grid.HasLevels() && grid.Order() == GridOrder::ByRow) {
                for (std::size_t j = first; j < last; ++j)
                    WriteRow(job, columnX.data(), LevelRow{levelZ.data(), grid.LevelLine(static_cast<int>(j))},
                             static_cast<int>(j), out);
                return;
            }
            // The grid is stored by column and the moves run along rows: the piece's rows are
            // copied out first, a short run of each column at a time, rather than touching a
            // new cache line for every move.
            if (grid.HasLevels()) {
                std::vector<std::uint16_t> rows((last - first) * width);
                for (std::size_t i = 0; i < width; ++i) {
                    const std::uint16_t* column = grid.LevelLine(static_cast<int>(i));
                    for (std::size_t j = first; j < last; ++j) rows[(j - first) * width + i] = column[j];
                }
                for (std::size_t j = first; j < last; ++j)
                    WriteRow(job, columnX.data(), LevelRow{levelZ.data(), &rows[(j - first) * width]},
                             static_cast<int>(j), out);
                return;
            }
            auto texts = std::make_unique<DepthZTexts>();
            std::vector<double> rows((last - first) * width);
            for (std::size_t i = 0; i < width; ++i)
                for (std::size_t j = first; j < last; ++j)
                    rows[(j - first) * width + i] = grid.At(static_cast<int>(i), static_cast<int>(j));
            for (std::size_t j = first; j < last; ++j)
                WriteRow(job, columnX.data(), DepthRow{texts.get(), p.WorkSurface, &rows[(j - first) * width]},
                         static_cast<int>(j), out);
        },
        progress);

    ends.Clear();
    WriteFooter(job.parameters, ends);
    sink.Write(ends.View());
}

}  // namespace vantorel
