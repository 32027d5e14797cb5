#include "core/depth_grid.h"

#include <algorithm>
#include <vector>

#include "core/run_error.h"

namespace vantorel {

DepthGrid::DepthGrid(int width, int height, GridShape shape)
    : width_(width),
      height_(height),
      rows_(shape == GridShape::Closed ? height + 1 : height),
      shape_(shape),
      depths_(static_cast<std::size_t>(width) * static_cast<std::size_t>(rows_)) {}

void BuildDepthGrid(DepthGrid& grid, const Picture& picture, double depthOfCut) {
    const int width = grid.Width();
    const int height = grid.PictureHeight();
    std::vector<std::uint32_t> row(static_cast<std::size_t>(width));

    // The maximum does not depend on the order of the scan, so the picture is read a row at
    // a time, the way it lies in memory.
    int maxBrightness = 0;
    for (int j = 0; j < height; ++j) {
        picture.ReadRow(j, row.data());
        for (int i = 0; i < width; ++i) {
            const int brightness = Brightness(row[i]);
            if (brightness > maxBrightness) maxBrightness = brightness;
        }
    }

    const double depthScale = CheckedDivide(depthOfCut, static_cast<double>(maxBrightness));

    // The grid is stored by column, the picture by row: a block of rows is read first, so
    // each column receives a run of kBlock neighbouring depths (two cache lines) rather than
    // one scattered depth per row.
    constexpr int kBlock = 16;
    std::vector<std::uint32_t> block(static_cast<std::size_t>(width) * kBlock);
    for (int j0 = 0; j0 < height; j0 += kBlock) {
        const int rows = std::min(kBlock, height - j0);
        for (int k = 0; k < rows; ++k)
            picture.ReadRow(j0 + k, block.data() + static_cast<std::size_t>(k) * width);
        for (int i = 0; i < width; ++i) {
            double* column = &grid.At(i, j0);
            for (int k = 0; k < rows; ++k)
                column[k] = Brightness(block[static_cast<std::size_t>(k) * width + i]) * depthScale;
        }
    }
    if (grid.Shape() == GridShape::Closed)
        for (int i = 0; i < width; ++i) grid.At(i, height) = grid.At(i, 0);
}

}  // namespace vantorel
