#pragma once

// Pictures of a simulation: the deviation map (the unwrapped cylinder as the depth map lies,
// X across and the angle down; red where the program gouges, green within tolerance, blue
// shades for material left, a legend in mm) and a shaded view of the carved relief.

#include <QImage>
#include <string>

#include "sim/simulation.h"

namespace vantorel {

// How cells map to pixels: cell (i, j) is drawn at (i × up / down, j × up / down). Small
// grids are drawn larger so that the legend fits; huge ones are drawn smaller.
struct MapScale {
    int up = 1;
    int down = 1;
};
MapScale MapScaleFor(const DexelLayout& layout);

QImage DeviationImage(const SimulationResult& result);
QImage CarvedImage(const SimulationResult& result);

// The picture as PNG file bytes.
std::string PngBytes(const QImage& image);

}  // namespace vantorel
