#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/picture.h"

namespace vantorel {

enum class GridShape {
    Plain,   // H rows: the DXF and NC runs
    Closed,  // H + 1 rows, row H a copy of row 0 (the wrap row): the STL and OBJ runs
};

// The cut depth in millimetres of every pixel, indexed by column, then row. Columns are
// stored one after another so the model writers, which walk a column at a time, read it
// straight through.
class DepthGrid {
public:
    DepthGrid(int width, int height, GridShape shape);

    int Width() const { return width_; }
    int PictureHeight() const { return height_; }
    int Rows() const { return rows_; }
    GridShape Shape() const { return shape_; }

    double At(int column, int row) const { return depths_[Index(column, row)]; }
    double& At(int column, int row) { return depths_[Index(column, row)]; }
    const double* Column(int column) const { return &depths_[Index(column, 0)]; }

private:
    std::size_t Index(int column, int row) const {
        return static_cast<std::size_t>(column) * static_cast<std::size_t>(rows_) +
               static_cast<std::size_t>(row);
    }

    int width_;
    int height_;
    int rows_;
    GridShape shape_;
    std::vector<double> depths_;
};

// R + G + B of a colour R + 256 G + 65536 B.
inline int Brightness(std::uint32_t colour) {
    const std::uint32_t b = colour / 65536;
    const std::uint32_t g = colour / 256 - 256 * b;
    const std::uint32_t r = colour - 256 * g - 65536 * b;
    return static_cast<int>(r + g + b);
}

// Fills the grid from the picture: the brightest pixel gets `depthOfCut`, black gets 0.
// Raises RunError("Floating point division by zero") when every pixel is black.
void BuildDepthGrid(DepthGrid& grid, const Picture& picture, double depthOfCut);

}  // namespace vantorel
