#include "core/depth_grid.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "core/run_error.h"

namespace vantorel {

void DepthGrid::Free::operator()(void* memory) const { std::free(memory); }

DepthGrid::DepthGrid(int width, int height, GridShape shape, GridOrder order)
    : width_(width),
      height_(height),
      rows_(shape == GridShape::Closed ? height + 1 : height),
      shape_(shape),
      order_(order),
      columnStride_(order == GridOrder::ByColumn ? static_cast<std::size_t>(rows_) : 1),
      rowStride_(order == GridOrder::ByColumn ? 1 : static_cast<std::size_t>(width)),
      lineLength_(order == GridOrder::ByColumn ? static_cast<std::size_t>(rows_)
                                               : static_cast<std::size_t>(width)) {
    levels_.reset(static_cast<std::uint16_t*>(std::calloc(std::max<std::size_t>(Points(), 1),
                                                          sizeof(std::uint16_t))));
    if (!levels_) throw std::bad_alloc();
}

double* DepthGrid::FreeDepths() {
    if (!depths_) {
        const std::size_t points = Points();
        auto depths = std::make_unique_for_overwrite<double[]>(points);
        for (std::size_t k = 0; k < points; ++k) depths[k] = levelDepths_[levels_[k]];
        depths_ = std::move(depths);
    }
    return depths_.get();
}

namespace {

// Below this many pixels a second thread costs more than it saves.
constexpr std::int64_t kPixelsForTwoThreads = 1 << 17;

// Runs part(0) and part(1): part(1) on a second thread when the work is large enough and the
// machine has a second core, otherwise one after the other here. Both parts always run to
// the end; the first exception is raised again afterwards.
template <typename Part>
void InTwoParts(std::int64_t pixels, const Part& part) {
    if (pixels < kPixelsForTwoThreads || std::thread::hardware_concurrency() < 2) {
        part(0);
        part(1);
        return;
    }
    std::exception_ptr failure;
    std::thread second;
    try {
        second = std::thread([&] {
            try {
                part(1);
            } catch (...) {
                failure = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        part(0);
        part(1);
        return;
    }
    std::exception_ptr mine;
    try {
        part(0);
    } catch (...) {
        mine = std::current_exception();
    }
    second.join();
    if (mine) std::rethrow_exception(mine);
    if (failure) std::rethrow_exception(failure);
}

// First and one-past-last of half `part` (0 or 1) of `count` items.
std::pair<int, int> Half(int count, int part) {
    const int middle = count / 2;
    return part == 0 ? std::pair{0, middle} : std::pair{middle, count};
}

}  // namespace

void BuildDepthGrid(DepthGrid& grid, const Picture& picture, double depthOfCut) {
    const int width = grid.Width();
    const int height = grid.PictureHeight();
    const std::int64_t pixels = static_cast<std::int64_t>(width) * height;

    // One pass over the picture keeps every brightness and finds the largest; the maximum
    // does not depend on the order of the scan, so each half is scanned on its own.
    int halfMaximum[2] = {0, 0};
    if (grid.Order() == GridOrder::ByRow) {
        InTwoParts(pixels, [&](int part) {
            std::vector<std::uint32_t> row(static_cast<std::size_t>(width));
            const auto [first, last] = Half(height, part);
            int maxBrightness = 0;
            for (int j = first; j < last; ++j) {
                picture.ReadRow(j, row.data());
                std::uint16_t* levels = grid.MutableLevelLine(j);
                for (int i = 0; i < width; ++i) {
                    const int brightness = Brightness(row[i]);
                    levels[i] = static_cast<std::uint16_t>(brightness);
                    maxBrightness = std::max(maxBrightness, brightness);
                }
            }
            halfMaximum[part] = maxBrightness;
        });
        if (grid.Shape() == GridShape::Closed)
            std::copy(grid.LevelLine(0), grid.LevelLine(0) + width, grid.MutableLevelLine(height));
    } else {
        // The grid is stored by column, the picture by row: a block of rows is read first, so
        // each column receives a run of kBlock neighbouring levels (a cache line) rather than
        // one scattered value per row. Each half of the columns is filled on its own thread,
        // so the two never write the same memory.
        constexpr int kBlock = 32;
        InTwoParts(pixels, [&](int part) {
            std::vector<std::uint32_t> block(static_cast<std::size_t>(width) * kBlock);
            const auto [firstColumn, lastColumn] = Half(width, part);
            int maxBrightness = 0;
            for (int j0 = 0; j0 < height; j0 += kBlock) {
                const int rows = std::min(kBlock, height - j0);
                for (int k = 0; k < rows; ++k)
                    picture.ReadRow(j0 + k, block.data() + static_cast<std::size_t>(k) * width);
                for (int i = firstColumn; i < lastColumn; ++i) {
                    std::uint16_t* column = grid.MutableLevelLine(i) + j0;
                    for (int k = 0; k < rows; ++k) {
                        const int brightness = Brightness(block[static_cast<std::size_t>(k) * width + i]);
                        column[k] = static_cast<std::uint16_t>(brightness);
                        maxBrightness = std::max(maxBrightness, brightness);
                    }
                }
            }
            if (grid.Shape() == GridShape::Closed)
                for (int i = firstColumn; i < lastColumn; ++i)
                    grid.MutableLevelLine(i)[height] = grid.LevelLine(i)[0];
            halfMaximum[part] = maxBrightness;
        });
    }
    const int maxBrightness = std::max(halfMaximum[0], halfMaximum[1]);

    const double depthScale = CheckedDivide(depthOfCut, static_cast<double>(maxBrightness));
    for (int level = 0; level < kBrightnessLevels; ++level)
        grid.levelDepths_[static_cast<std::size_t>(level)] = level * depthScale;
    grid.depths_.reset();
}

}  // namespace vantorel
