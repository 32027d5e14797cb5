#pragma once

#include <cstddef>
#include <array>
#include <cstdint>
#include <memory>

#include "core/picture.h"

namespace vantorel {

enum class GridShape {
    Plain,   // H rows: the DXF and NC runs
    Closed,  // H + 1 rows, row H a copy of row 0 (the wrap row): the STL and OBJ runs
};

// How the points lie in memory, so that a writer reads them straight through.
enum class GridOrder {
    ByColumn,  // columns one after another: the model writers walk a column at a time
    ByRow,     // rows one after another: the NC writer cuts a row at a time
};

// The brightness of a pixel, R + G + B, is 0 .. 765.
inline constexpr int kBrightnessLevels = 766;

// The cut depth in millimetres of every pixel, at (column, row).
//
// BuildDepthGrid keeps each point's brightness (two bytes) and the depth of each brightness,
// brightness × scale, rather than a double per point: a quarter of the memory to fill and
// read, and the same depth bits. Setting a depth through the non-const At keeps a double per
// point from then on (any depth, as tests and hand-made grids need).
class DepthGrid {
public:
    DepthGrid(int width, int height, GridShape shape, GridOrder order = GridOrder::ByColumn);

    int Width() const { return width_; }
    int PictureHeight() const { return height_; }
    int Rows() const { return rows_; }
    GridShape Shape() const { return shape_; }
    GridOrder Order() const { return order_; }

    double At(int column, int row) const {
        const std::size_t k = Index(column, row);
        return depths_ ? depths_[k] : levelDepths_[levels_[k]];
    }
    double& At(int column, int row) { return FreeDepths()[Index(column, row)]; }

    // Whether the points are brightness levels (a grid built from a picture and not changed
    // since); then LevelLine and LevelDepth give them.
    bool HasLevels() const { return !depths_; }
    // The levels of one column (ByColumn) or one row (ByRow), contiguous.
    const std::uint16_t* LevelLine(int line) const {
        return &levels_[static_cast<std::size_t>(line) * lineLength_];
    }
    double LevelDepth(int level) const { return levelDepths_[static_cast<std::size_t>(level)]; }

private:
    friend void BuildDepthGrid(DepthGrid& grid, const Picture& picture, double depthOfCut);

    std::size_t Index(int column, int row) const {
        return static_cast<std::size_t>(column) * columnStride_ +
               static_cast<std::size_t>(row) * rowStride_;
    }
    std::size_t Points() const {
        return static_cast<std::size_t>(width_) * static_cast<std::size_t>(rows_);
    }
    double* FreeDepths();
    std::uint16_t* MutableLevelLine(int line) {
        return &levels_[static_cast<std::size_t>(line) * lineLength_];
    }

    int width_;
    int height_;
    int rows_;
    GridShape shape_;
    GridOrder order_;
    std::size_t columnStride_;
    std::size_t rowStride_;
    std::size_t lineLength_;  // a column's rows (ByColumn) or a row's columns (ByRow)
    struct Free {
        void operator()(void* memory) const;
    };
    // Level 0 (depth 0) everywhere until built, without writing the table: fresh memory from
    // the system is already zero, so a large grid gets its pages only when they are first
    // written, on the threads that fill them. depths_ is null while the levels are used.
    std::unique_ptr<std::uint16_t[], Free> levels_;
    std::array<double, kBrightnessLevels> levelDepths_{};
    std::unique_ptr<double[]> depths_;
};

// R + G + B of a colour R + 256 G + 65536 B. A colour holds 24 bits; any above them are no
// part of it.
inline int Brightness(std::uint32_t colour) {
    colour &= 0xFFFFFFu;
    const std::uint32_t b = colour / 65536;
    const std::uint32_t g = colour / 256 - 256 * b;
    const std::uint32_t r = colour - 256 * g - 65536 * b;
    return static_cast<int>(r + g + b);
}

// Fills the grid from the picture: the brightest pixel gets `depthOfCut`, black gets 0.
// Raises RunError("Floating point division by zero") when every pixel is black. A large
// picture is read on two threads at once (Picture::ReadRow is a const read).
void BuildDepthGrid(DepthGrid& grid, const Picture& picture, double depthOfCut);

}  // namespace vantorel
