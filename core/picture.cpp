#include "core/picture.h"

#include <algorithm>

namespace vantorel {

void Picture::ReadRow(int row, std::uint32_t* out) const {
    for (int column = 0; column < Width(); ++column) out[column] = Colour(column, row);
}

ColourTable::ColourTable(int width, int height, std::uint32_t fill)
    : width_(width),
      height_(height),
      colours_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

std::uint32_t ColourTable::Colour(int column, int row) const {
    return colours_[static_cast<std::size_t>(row) * width_ + column];
}

void ColourTable::ReadRow(int row, std::uint32_t* out) const {
    const auto first = colours_.begin() + static_cast<std::ptrdiff_t>(row) * width_;
    std::copy(first, first + width_, out);
}

void ColourTable::SetColour(int column, int row, std::uint32_t colour) {
    colours_[static_cast<std::size_t>(row) * width_ + column] = colour;
}

}  // namespace vantorel
