#pragma once

#include <QImage>
#include <QString>
#include <memory>
#include <string>

#include "core/picture.h"

namespace vantorel {

// A decoded picture held by the window (or the command line) for the runs.
class LoadedPicture final : public Picture {
public:
    explicit LoadedPicture(QImage image);
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    std::uint32_t Colour(int column, int row) const override;
    void ReadRow(int row, std::uint32_t* out) const override;

private:
    QImage image_;  // 32 bits a pixel, colours as stored, alpha ignored
};

struct PictureLoad {
    std::unique_ptr<LoadedPicture> picture;  // null when the file could not be used
    std::string problem;                     // why not, in words a user understands
};

// Decodes a picture file. Never throws; a file that cannot be decoded, or whose pixel data
// is missing, gives a null picture and the reason.
PictureLoad LoadPictureFile(const std::string& path);

// The largest picture the decoder is allowed to allocate, in megabytes (16384 x 16384 at four
// bytes a pixel, with room to spare).
inline constexpr int kPictureAllocationLimitMb = 2048;

}  // namespace vantorel
