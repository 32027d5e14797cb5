#include "sim/simulation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>

#include "core/number_text.h"
#include "sim/relief_target.h"

namespace vantorel {
namespace {

// A rapid that takes off more than this has gone through the stock (less is the tool
// grazing the surface it stands on).
constexpr double kThroughStock = 1e-4;
constexpr std::size_t kPosesPerBatch = 1 << 15;

double Radians(double degrees) { return degrees * kPi / 180; }

// Runs fn(begin, end) over [0, count) in `threads` contiguous bands at once.
template <class Fn>
void InBands(int count, int threads, Fn&& fn) {
    threads = std::max(1, std::min(threads, count));
    if (threads == 1) return fn(0, count);
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t)
        workers.emplace_back([&, t] { fn(count * t / threads, count * (t + 1) / threads); });
    fn(0, count / threads);
    for (std::thread& worker : workers) worker.join();
}

// The tool positions walked so far, stamped into the stock a batch at a time by every
// thread, each on its own share of the rows (alternate rows, so that every pose is shared).
// Stamping only lowers radii, so the threads never wait for one another, and each row sees
// the moves in program order.
class Walker {
  public:
    Walker(DexelStock& stock, const Tool& tool, const SimulationOptions& options,
           SimulationReport& report)
        : stock_(stock), tool_(tool), options_(options), report_(report) {}

    void Add(const StraightMove& move, double walkError) {
        if (!move.toKnown) return;
        const double a0 = Radians(move.from.a), a1 = Radians(move.to.a);
        std::int64_t steps = 1;
        // A turn carries the tool's body round at up to its top's distance from the axis.
        const double reach = std::max(0.0, std::max(move.from.z, move.to.z) + tool_.Radius());
        if (move.fromKnown)
            steps = WalkSteps(tool_, move.to.x - move.from.x, move.to.z - move.from.z, a1 - a0,
                              std::min(reach, stock_.StockRadius() + tool_.Radius()), walkError);
        const bool cuts =
            std::min(move.from.z, move.to.z) < stock_.StockRadius() || !move.fromKnown;
        if (!cuts) return;  // wholly above the stock
        const std::int64_t first = move.fromKnown ? 1 : steps;
        for (std::int64_t k = first; k <= steps; ++k) {
            const double t = static_cast<double>(k) / static_cast<double>(steps);
            ToolPose pose;
            pose.x = move.from.x + (move.to.x - move.from.x) * t;
            pose.z = move.from.z + (move.to.z - move.from.z) * t;
            pose.a = a0 + (a1 - a0) * t;
            poses_.push_back(pose);
            rapid_.push_back(move.rapid ? move.line : 0);
            if (poses_.size() == kPosesPerBatch) Flush();
        }
    }

    void Flush() {
        if (poses_.empty()) return;
        deepest_.assign(poses_.size() * 2, 0);
        const int threads = std::max(1, std::min(options_.threads, 2));
        InBands(threads, threads, [&](int part, int) {
            for (std::size_t k = 0; k < poses_.size(); ++k) {
                const bool rapid = rapid_[k] != 0;
                const double cut = stock_.Stamp(tool_, poses_[k], part, threads, rapid);
                if (rapid) deepest_[2 * k + part] = static_cast<float>(cut);
            }
        });
        long lastLine = 0;
        for (std::size_t k = 0; k < poses_.size(); ++k) {
            const long line = rapid_[k];
            if (line == 0 || line == lastLine) continue;
            if (std::max(deepest_[2 * k], deepest_[2 * k + 1]) > kThroughStock) {
                if (line != lastCountedLine_) {
                    ++report_.rapidsThroughStock;
                    if (report_.firstRapidThroughStockLine == 0)
                        report_.firstRapidThroughStockLine = line;
                    lastCountedLine_ = line;
                }
                lastLine = line;
            }
        }
        poses_.clear();
        rapid_.clear();
    }

  private:
    DexelStock& stock_;
    const Tool& tool_;
    const SimulationOptions& options_;
    SimulationReport& report_;
    std::vector<ToolPose> poses_;
    std::vector<long> rapid_;  // the rapid's line for each pose of a rapid, else 0
    std::vector<float> deepest_;
    long lastCountedLine_ = 0;
};

void Compare(const DepthGrid& grid, const WrapParameters& parameters, SimulationResult& result,
             int threads) {
    const DexelLayout& layout = result.layout;
    const ReliefTarget target(grid, parameters);
    result.deviation.assign(layout.Cells(), 0);
    result.inPicture.assign(layout.Cells(), 0);
    struct Band {
        DeviationPlace gouge, relief, stock, left;
        double leftSum = 0, removed = 0;
        std::size_t picture = 0, within = 0;
    };
    std::vector<Band> bands(2);
    const double tolerance = result.report.tolerance;
    const double work = parameters.WorkSurface;
    InBands(layout.rows, std::max(1, std::min(threads, 2)), [&](int begin, int end) {
        Band& band = bands[begin == 0 ? 0 : 1];
        for (int j = begin; j < end; ++j) {
            const double theta = layout.CellAngle(j);
            for (int i = 0; i < layout.columns; ++i) {
                const std::size_t k = static_cast<std::size_t>(j) * layout.columns + i;
                const double x = layout.CellX(i);
                const ReliefPoint aim = target.At(x, theta);
                const double carved = result.carved[k];
                const double deviation = carved - aim.radius;
                result.deviation[k] = static_cast<float>(deviation);
                result.inPicture[k] = aim.inPicture;
                band.removed += (work * work - carved * carved) / 2;
                auto place = [&](DeviationPlace& at, double depth) {
                    if (depth <= at.depth) return;
                    at = {depth, x, theta * 180 / kPi, aim.column, aim.row, aim.inPicture};
                };
                place(band.gouge, -deviation);
                place(aim.inPicture ? band.relief : band.stock, -deviation);
                if (!aim.inPicture) continue;
                ++band.picture;
                if (std::fabs(deviation) <= tolerance) ++band.within;
                if (deviation > 0) band.leftSum += deviation;
                place(band.left, deviation);
            }
        }
    });
    SimulationReport& report = result.report;
    std::size_t picture = 0, within = 0;
    double leftSum = 0, removed = 0;
    for (const Band& band : bands) {
        auto keep = [](DeviationPlace& to, const DeviationPlace& from) {
            if (from.depth > to.depth) to = from;
        };
        keep(report.gouge, band.gouge);
        keep(report.gougeRelief, band.relief);
        keep(report.gougeStock, band.stock);
        keep(report.leftMost, band.left);
        picture += band.picture;
        within += band.within;
        leftSum += band.leftSum;
        removed += band.removed;
    }
    report.leftMean = picture ? leftSum / static_cast<double>(picture) : 0;
    report.withinShare = picture ? static_cast<double>(within) / static_cast<double>(picture) : 0;
    report.removedMm3 = removed * layout.AngleStep() * layout.dx;
}

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string PlaceJson(const DeviationPlace& place) {
    return "{\"depth_mm\": " + Fixed(place.depth, 4) + ", \"x_mm\": " + Fixed(place.x, 4) +
           ", \"a_deg\": " + Fixed(place.aDegrees, 4) +
           ", \"column\": " + std::to_string(place.column) +
           ", \"row\": " + std::to_string(place.row) +
           ", \"in_picture\": " + (place.inPicture ? "true" : "false") + "}";
}

}  // namespace

double DefaultResolution(const WrapParameters& parameters) {
    const double arc = parameters.AngleStep * parameters.WorkSurface;
    return std::min(parameters.XStep, arc) / 4;
}

SimulationResult Simulate(std::istream& program, const Tool& tool, const DepthGrid& grid,
                          const WrapParameters& parameters, const SimulationOptions& options) {
    SimulationResult result;
    SimulationReport& report = result.report;
    auto refuse = [&](long line, std::string message) {
        result.problem = ReadProblem{line, std::move(message)};
        result.carved.clear();
        return result;
    };
    report.tolerance = options.tolerance;
    report.resolution = options.resolution > 0 ? options.resolution : DefaultResolution(parameters);
    if (!(report.resolution > 0) || !std::isfinite(report.resolution))
        return refuse(0, "the simulation's cell size must be more than 0 mm");
    // The stock beside the picture is kept as far as the tool can reach into the picture.
    const double margin = tool.diameter;
    const double xBegin = parameters.LeftX - margin;
    const double xEnd = parameters.LeftX + parameters.ImageLength + margin;
    const double columns = std::ceil((xEnd - xBegin) / report.resolution) + 1;
    const double rows = std::ceil(2 * kPi * parameters.WorkSurface / report.resolution);
    if (!(columns * rows <= static_cast<double>(options.maxCells)))
        return refuse(0, "cells of " + FormatGeneral(report.resolution) +
                             " mm are too many for this work (" + FormatGeneral(columns * rows) +
                             " cells); give a larger cell size");
    result.layout = LayoutFor(xBegin, xEnd, parameters.WorkSurface, report.resolution);
    report.columns = result.layout.columns;
    report.rows = result.layout.rows;

    DexelStock stock(result.layout, parameters.WorkSurface);
    GcodeReader reader(program, options.rapidRate);
    Walker walker(stock, tool, options, report);
    const double walkError = options.walkError > 0 ? options.walkError : options.tolerance / 4;
    StraightMove move;
    while (reader.Next(move)) {
        if (move.to.y != 0)
            return refuse(move.line, "the tool leaves the rotary axis' plane (Y " +
                                         FormatGeneral(move.to.y) + "); only Y 0 is simulated");
        (move.rapid ? report.rapids : report.feedMoves) += 1;
        report.minutes += move.minutes;
        walker.Add(move, walkError);
    }
    if (reader.Problem()) return refuse(reader.Problem()->line, reader.Problem()->message);
    report.lines = reader.Lines();
    if (report.rapids + report.feedMoves == 0)
        return refuse(reader.Lines(), "the program has no moves (no G0 or G1 with X, Y, Z or A)");
    report.unitsStated = reader.UnitsStated();
    if (!report.unitsStated)
        result.warnings.push_back("the program does not say G20 or G21: read in millimetres");
    if (!reader.EndedByCode()) result.warnings.push_back("the program has no M2 or M30 at its end");
    walker.Flush();
    result.carved = stock.Radii();
    Compare(grid, parameters, result, options.threads);
    return result;
}

std::string ReportJson(const SimulationReport& report, const std::string& program,
                       const std::string& tool) {
    std::string json = "{\n";
    auto field = [&](const char* name, const std::string& value, bool last = false) {
        json += "  \"" + std::string(name) + "\": " + value + (last ? "\n" : ",\n");
    };
    field("program", JsonString(program));
    field("tool", JsonString(tool));
    field("gouge_max_mm", Fixed(report.gouge.depth, 4));
    field("gouge_relief_mm", Fixed(report.gougeRelief.depth, 4));
    field("gouge_stock_mm", Fixed(report.gougeStock.depth, 4));
    field("gouge_at", PlaceJson(report.gouge));
    field("left_max_mm", Fixed(report.leftMost.depth, 4));
    field("left_max_at", PlaceJson(report.leftMost));
    field("left_mean_mm", Fixed(report.leftMean, 4));
    field("within_tolerance_share", Fixed(report.withinShare, 6));
    field("tolerance_mm", Fixed(report.tolerance, 4));
    field("removed_mm3", Fixed(report.removedMm3, 3));
    field("time_min", Fixed(report.minutes, 3));
    field("rapids_through_stock", std::to_string(report.rapidsThroughStock));
    field("first_rapid_through_stock_line", std::to_string(report.firstRapidThroughStockLine));
    field("feed_moves", std::to_string(report.feedMoves));
    field("rapids", std::to_string(report.rapids));
    field("lines", std::to_string(report.lines));
    field("units_stated", report.unitsStated ? "true" : "false");
    field("cell_mm", Fixed(report.resolution, 5));
    field("cells", "[" + std::to_string(report.columns) + ", " + std::to_string(report.rows) + "]",
          true);
    return json + "}\n";
}

std::string ReportSummary(const SimulationReport& report) {
    auto where = [](const DeviationPlace& p) {
        return " at X " + Fixed(p.x, 3) + " A " + Fixed(p.aDegrees, 2) +
               (p.inPicture ? " (pixel column " + std::to_string(p.column) + ", row " +
                                  std::to_string(p.row) + ")"
                            : " (beside the picture)");
    };
    std::string text;
    text += "Deepest gouge: " + Fixed(report.gouge.depth, 4) + " mm";
    if (report.gouge.depth > 0) text += where(report.gouge);
    text += "\n  into the relief " + Fixed(report.gougeRelief.depth, 4) +
            " mm, into the stock beside it " + Fixed(report.gougeStock.depth, 4) + " mm\n";
    text += "Material left: max " + Fixed(report.leftMost.depth, 4) + " mm, mean " +
            Fixed(report.leftMean, 4) + " mm; " + Fixed(100 * report.withinShare, 1) +
            "% of the picture within " + Fixed(report.tolerance, 4) + " mm\n";
    text += "Removed " + Fixed(report.removedMm3, 1) + " mm3; machining time " +
            Fixed(report.minutes, 2) +
            " min; rapids through the stock: " + std::to_string(report.rapidsThroughStock);
    if (report.firstRapidThroughStockLine)
        text += " (first on line " + std::to_string(report.firstRapidThroughStockLine) + ")";
    return text + "\n";
}

}  // namespace vantorel
