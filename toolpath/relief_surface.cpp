#include "toolpath/relief_surface.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace vantorel {
namespace {
std::atomic<std::uint64_t> surfacesMade{0};
}  // namespace

ReliefSurface::ReliefSurface(const DepthGrid& grid, const WrapParameters& parameters, Border border)
    : serial_(++surfacesMade),
      columns_(grid.Width()),
      rows_(grid.PictureHeight()),
      stride_(static_cast<std::size_t>(grid.PictureHeight()) + 1),
      blocks_(static_cast<std::size_t>((grid.PictureHeight() + kBlockRows - 1) / kBlockRows)),
      fullTurn_(parameters.WrapAngle >= 360),
      stockBorder_(border == Border::Stock),
      workSurface_(parameters.WorkSurface),
      angleStep_(parameters.WrapAngle * kPi / (180.0 * grid.PictureHeight())),
      wrapAngle_(parameters.WrapAngle * kPi / 180),
      xStep_(parameters.XStep),
      leftX_(parameters.LeftX),
      rightX_(parameters.LeftX + (grid.Width() - 1) * parameters.XStep),
      minRadius_(parameters.WorkSurface),
      maxRadius_(parameters.WorkSurface),
      radius_(static_cast<std::size_t>(grid.Width()) * stride_) {
    for (int c = 0; c < columns_; ++c) {
        double* column = &radius_[static_cast<std::size_t>(c) * stride_];
        for (int r = 0; r < rows_; ++r) column[r] = workSurface_ - grid.At(c, r);
        column[rows_] = column[0];
    }
    const auto [lo, hi] = std::minmax_element(radius_.begin(), radius_.end());
    minRadius_ = *lo;
    maxRadius_ = *hi;
    rowCos_.resize(stride_);
    rowSin_.resize(stride_);
    for (int r = 0; r <= rows_; ++r) {
        rowCos_[static_cast<std::size_t>(r)] = std::cos(r * angleStep_);
        rowSin_[static_cast<std::size_t>(r)] = std::sin(r * angleStep_);
    }
    const std::size_t cellColumns = static_cast<std::size_t>(std::max(columns_ - 1, 0));
    blockMax_.resize(cellColumns * blocks_);
    blockMin_.resize(cellColumns * blocks_);
    for (std::size_t c = 0; c < cellColumns; ++c)
        for (std::size_t b = 0; b < blocks_; ++b) {
            const int first = static_cast<int>(b) * kBlockRows;
            const int last = std::min(first + kBlockRows, rows_);  // vertex rows first .. last
            double most = Radius(static_cast<int>(c), first), least = most;
            for (int k = 0; k < 2; ++k)
                for (int r = first; r <= last; ++r) {
                    const double radius = Radius(static_cast<int>(c) + k, r);
                    most = std::max(most, radius);
                    least = std::min(least, radius);
                }
            blockMax_[c * blocks_ + b] = most;
            blockMin_[c * blocks_ + b] = least;
        }
}

}  // namespace vantorel
