#pragma once

// The surface a finishing toolpath must not cut into: the relief exactly as the STL shows it
// (the two triangles of every cell of the closed grid, diagonal c0-c2, the wrap row
// included) and, with the stock border, the uncut cylinder at the work-surface radius beyond
// the picture's columns and outside a wrap sector of less than a full turn.

#include <cstdint>
#include <vector>

#include "core/depth_grid.h"
#include "core/toolpath_settings.h"
#include "core/wrap_parameters.h"

namespace vantorel {

class ReliefSurface {
  public:
    // Rows of cells per block of the pruning index.
    static constexpr int kBlockRows = 8;

    // Works from either grid shape: the wrap row is row 0 again. The grid is copied.
    ReliefSurface(const DepthGrid& grid, const WrapParameters& parameters, Border border);

    int Columns() const { return columns_; }   // grid points along X
    int PictureRows() const { return rows_; }  // picture rows; row `rows_` is row 0 again
    bool FullTurn() const { return fullTurn_; }
    bool StockBorder() const { return stockBorder_; }
    double WorkSurface() const { return workSurface_; }
    double AngleStep() const { return angleStep_; }  // radians per row
    double WrapAngle() const { return wrapAngle_; }  // radians
    double XStep() const { return xStep_; }
    double LeftX() const { return leftX_; }
    double RightX() const { return rightX_; }
    double MinRadius() const { return minRadius_; }
    // Different for every surface made in the process: what a cache of one is keyed by.
    std::uint64_t Serial() const { return serial_; }
    double MaxRadius() const { return maxRadius_; }

    double X(int column) const { return leftX_ + column * xStep_; }
    // Radius of grid point (column, row), row 0 .. PictureRows().
    double Radius(int column, int row) const {
        return radius_[static_cast<std::size_t>(column) * stride_ + static_cast<std::size_t>(row)];
    }
    double RowCos(int row) const { return rowCos_[static_cast<std::size_t>(row)]; }
    double RowSin(int row) const { return rowSin_[static_cast<std::size_t>(row)]; }

    // Largest and smallest vertex radius of the cells of column `column` (cells between
    // columns column and column + 1) in rows block × kBlockRows .. + kBlockRows.
    double BlockMaxRadius(int column, int block) const {
        return blockMax_[static_cast<std::size_t>(column) * blocks_ +
                         static_cast<std::size_t>(block)];
    }
    double BlockMinRadius(int column, int block) const {
        return blockMin_[static_cast<std::size_t>(column) * blocks_ +
                         static_cast<std::size_t>(block)];
    }

  private:
    std::uint64_t serial_;
    int columns_;
    int rows_;
    std::size_t stride_;
    std::size_t blocks_;
    bool fullTurn_;
    bool stockBorder_;
    double workSurface_;
    double angleStep_;
    double wrapAngle_;
    double xStep_;
    double leftX_;
    double rightX_;
    double minRadius_;
    double maxRadius_;
    std::vector<double> radius_;  // by column, rows 0 .. rows_ (the wrap row included)
    std::vector<double> rowCos_;
    std::vector<double> rowSin_;
    std::vector<double> blockMax_;
    std::vector<double> blockMin_;
};

}  // namespace vantorel
