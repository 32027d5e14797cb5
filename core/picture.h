#pragma once

#include <cstdint>
#include <vector>

namespace vantorel {

// The loaded depth-map picture as the run sees it. Column 0 is the left edge, row 0 the top.
// A colour is R + 256 * G + 65536 * B, each channel 0..255.
class Picture {
public:
    virtual ~Picture() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual std::uint32_t Colour(int column, int row) const = 0;

    // The colours of one row, left to right, into `out` (Width() entries). Pictures held in
    // memory override this to avoid a call per pixel.
    virtual void ReadRow(int row, std::uint32_t* out) const;
};

// A picture held as a plain table of colours, row by row; used by tests and benchmarks.
class ColourTable final : public Picture {
public:
    ColourTable(int width, int height, std::uint32_t fill = 0);
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    std::uint32_t Colour(int column, int row) const override;
    void ReadRow(int row, std::uint32_t* out) const override;
    void SetColour(int column, int row, std::uint32_t colour);

private:
    int width_;
    int height_;
    std::vector<std::uint32_t> colours_;
};

inline constexpr std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return r + 256u * g + 65536u * b;
}

}  // namespace vantorel
