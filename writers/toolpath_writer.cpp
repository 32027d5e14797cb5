// The tool-compensated finishing program: the passes are worked out first (on the machine's
// cores) so that the header can give the machining time, then written in pieces of passes.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/run_error.h"
#include "toolpath/finishing_path.h"
#include "toolpath/finishing_program.h"
#include "writers/gcode_text.h"
#include "writers/ordered_chunks.h"
#include "writers/writer_job.h"

namespace vantorel {

void WriteToolpathFile(const WriterJob& job, ByteSink& sink, const ProgressFn& progress) {
    const WrapParameters& p = job.parameters;
    const ToolpathSettings& settings = *job.toolpath;
    if (job.grid.Width() < 2) throw RunError("A toolpath needs a picture at least 2 pixels wide");
    const ReliefSurface surface(job.grid, p, settings.border);
    if (!(p.Clearance >= surface.MaxRadius()))
        throw RunError("The clearance plane must lie above the highest point of the relief");
    const FinishingPath path(surface, settings);
    const std::vector<std::vector<PathPoint>> passes =
        ComputePasses(path, 0, [&progress](std::size_t done, std::size_t total) {
            if (progress) progress(done, total);
        });
    const MachiningTime time = EstimateTime(passes, settings, p);

    GcodeText text;
    TextBuffer ends(4096);
    text.Append(ends, FinishingOpening(p, settings, passes.front().front(), time));
    sink.Write(ends.View());

    const std::size_t count = passes.size();
    std::uint64_t points = 0;
    for (const auto& pass : passes) points += pass.size();
    const std::size_t perPiece =
        ItemsPerPiece(count, points / std::max<std::size_t>(count, 1) * 30 + 1);
    struct Worker {
        GcodeText text;
        Program lines;
    };
    WriteInOrderWith<Worker>(
        sink, (count + perPiece - 1) / perPiece,
        [&](std::size_t piece, TextBuffer& out, Worker& worker) {
            for (std::size_t k = piece * perPiece; k < std::min(count, (piece + 1) * perPiece);
                 ++k) {
                const std::vector<PathPoint>& pass = passes[k];
                // Pass 0's first position is the plunge, already written.
                const std::size_t skip = k == 0 ? 1 : 0;
                PathPoint before = pass.empty() ? PathPoint{} : pass.front();
                for (std::size_t j = k; j-- > 0;)
                    if (!passes[j].empty()) {
                        before = passes[j].back();
                        break;
                    }
                worker.lines.clear();
                AppendFinishingMoves(std::span(pass).subspan(skip), before, p, settings,
                                     worker.lines);
                worker.text.Append(out, worker.lines);
            }
        },
        progress);

    ends.Clear();
    text.Append(ends, FinishingClosing(p, settings));
    sink.Write(ends.View());
}

}  // namespace vantorel
