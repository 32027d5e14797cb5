// The G-code program that follows the tool tip over the pixel grid, in file order: the
// opening lines, one pass per row, the closing lines.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/tip_toolpath.h"
#include "writers/gcode_text.h"
#include "writers/ordered_chunks.h"
#include "writers/writer_job.h"

namespace vantorel {

void WriteNcFile(const WriterJob& job, ByteSink& sink, const ProgressFn& progress) {
    const TipToolpath path(job.grid, job.parameters);
    GcodeText text;
    TextBuffer ends(4096);
    text.Append(ends, path.Opening());
    sink.Write(ends.View());

    const auto rows = static_cast<std::uint64_t>(path.Rows());
    const std::uint64_t rowsPerPiece =
        ItemsPerPiece(rows, static_cast<std::uint64_t>(job.grid.Width()) * 32);
    const std::uint64_t pieces = (rows + rowsPerPiece - 1) / rowsPerPiece;
    // Each worker keeps its coordinate texts and its pass from piece to piece.
    struct Worker {
        GcodeText text;
        std::vector<Move> moves;
    };
    WriteInOrderWith<Worker>(
        sink, static_cast<std::size_t>(pieces),
        [&](std::size_t piece, TextBuffer& out, Worker& worker) {
            std::vector<Move>& moves = worker.moves;
            const std::uint64_t first = piece * rowsPerPiece;
            for (std::uint64_t j = first; j < std::min(first + rowsPerPiece, rows); ++j) {
                const int row = static_cast<int>(j);
                moves.resize(path.PassLength());
                path.Pass(row, moves);
                for (const Move& move : moves) worker.text.Append(out, move);
                if (const FeedLine* feed = path.AfterPass(row)) worker.text.Append(out, *feed);
            }
        },
        progress);

    ends.Clear();
    text.Append(ends, path.Closing());
    sink.Write(ends.View());
}

}  // namespace vantorel
