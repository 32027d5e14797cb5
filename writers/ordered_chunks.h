#pragma once

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "core/output_file.h"
#include "core/writer_job.h"
#include "writers/text_buffer.h"

namespace vantorel {

// Formats pieces 0 .. count - 1 of a file and hands their bytes to `sink` strictly in that
// order. Pieces are formatted on the machine's cores while earlier ones are written; only a
// few pieces are held at a time, so memory does not grow with the file. `format` must depend
// on nothing but its piece index. An exception from any piece stops the work and is raised
// again here, on the caller's thread. Where the system cannot start a worker thread the work
// goes on with the workers it has, or on the caller's thread alone.
using PieceFormatter = std::function<void(std::size_t piece, TextBuffer& out)>;
void WriteInOrder(ByteSink& sink, std::size_t count, const PieceFormatter& format,
                  const ProgressFn& progress = {});

// The same, with a `State` of its own for each thread that formats pieces (texts kept from
// piece to piece, scratch space): format(piece, out, state).
void WriteInOrderByWorker(ByteSink& sink, std::size_t count,
                          const std::function<PieceFormatter()>& makeWorker,
                          const ProgressFn& progress = {});
template <typename State, typename Format>
void WriteInOrderWith(ByteSink& sink, std::size_t count, const Format& format,
                      const ProgressFn& progress = {}) {
    WriteInOrderByWorker(
        sink, count,
        [&format]() -> PieceFormatter {
            return [&format, state = std::make_shared<State>()](std::size_t piece, TextBuffer& out) {
                format(piece, out, *state);
            };
        },
        progress);
}

namespace ordered_chunks_detail {
// Tests set this to the number of worker threads the system lets start (-1: no limit).
extern int threadStartsAllowedForTesting;
}

// Groups `items` (columns, rows) into pieces of about `targetBytes` each, given the bytes an
// item produces. Returns the number of items per piece, at least 1.
std::size_t ItemsPerPiece(std::uint64_t items, std::uint64_t bytesPerItem,
                          std::uint64_t targetBytes = 1 << 20);

// A run of items (cells, points, rows) of one stretch of a file, formatted as one piece.
template <typename Stretch>
struct Piece {
    Stretch stretch;
    std::uint64_t first;
    std::uint64_t last;
};

// Splits `items` of a stretch into pieces of about a megabyte and adds them to `plan`.
template <typename Stretch>
void AddStretch(std::vector<Piece<Stretch>>& plan, Stretch stretch, std::uint64_t items,
                std::uint64_t bytesPerItem) {
    const std::uint64_t perPiece = ItemsPerPiece(items, bytesPerItem);
    for (std::uint64_t first = 0; first < items; first += perPiece)
        plan.push_back({stretch, first, std::min(first + perPiece, items)});
}

}  // namespace vantorel
