#pragma once

// Runs a G-code program over a cylinder of stock with a tool and compares what is left with
// the relief: the proof that a program cuts what the picture asks for and nothing more.

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "core/depth_grid.h"
#include "core/tool.h"
#include "core/wrap_parameters.h"
#include "sim/dexel_stock.h"
#include "sim/gcode_reader.h"

namespace vantorel {

struct SimulationOptions {
    double resolution = 0;  // cell size in mm; 0: a quarter of the smaller pixel pitch
    double tolerance = 0.002;
    double rapidRate = 2000;  // mm/min
    double walkError = 0;     // mm a walked move may leave; 0: a quarter of the tolerance
    int threads = 2;
    std::size_t maxCells = std::size_t(1) << 28;  // refused beyond: 1 GB of radii
};

// Where a deviation is: the cell's centre and the nearest picture pixel.
struct DeviationPlace {
    double depth = 0;  // mm below the target (a gouge) or above it (material left)
    double x = 0;
    double aDegrees = 0;
    int column = -1;
    int row = -1;
    bool inPicture = false;
};

struct SimulationReport {
    // The program as read.
    long lines = 0;
    long feedMoves = 0;
    long rapids = 0;
    bool unitsStated = false;
    double minutes = 0;
    long rapidsThroughStock = 0;
    long firstRapidThroughStockLine = 0;
    // The stock and the comparison.
    double resolution = 0;
    double tolerance = 0;
    int columns = 0;
    int rows = 0;
    DeviationPlace gouge;        // deepest anywhere
    DeviationPlace gougeRelief;  // deepest into the picture's relief
    DeviationPlace gougeStock;   // deepest into the uncut stock beside the picture
    DeviationPlace leftMost;     // most material left on the picture
    double leftMean = 0;         // over the picture's cells, material left counted
    double withinShare = 0;      // share of the picture's cells within ± tolerance
    double removedMm3 = 0;

    bool Gouges() const { return gouge.depth > tolerance; }
};

struct SimulationResult {
    std::optional<ReadProblem> problem;  // the program was refused: nothing else holds
    std::vector<std::string> warnings;
    SimulationReport report;
    DexelLayout layout;
    std::vector<float> carved;            // radius left per cell, row by row
    std::vector<float> deviation;         // carved − target per cell
    std::vector<std::uint8_t> inPicture;  // 1 where the cell lies on the picture
};

// `grid` is the closed grid of the picture. The program is read as it streams.
SimulationResult Simulate(std::istream& program, const Tool& tool, const DepthGrid& grid,
                          const WrapParameters& parameters, const SimulationOptions& options);

// The default cell size: a quarter of the smaller pixel pitch (X step, or the angle step's
// arc at the work surface).
double DefaultResolution(const WrapParameters& parameters);

// The report as JSON: every figure in mm, mm³, minutes and degrees.
std::string ReportJson(const SimulationReport& report, const std::string& program,
                       const std::string& tool);

// A few lines for the terminal.
std::string ReportSummary(const SimulationReport& report);

}  // namespace vantorel
