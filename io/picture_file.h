#pragma once

#include <QByteArray>
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
// is missing, gives a null picture and the reason. The file is read whole first, so what is
// checked is exactly what is decoded, even if the file changes meanwhile.
PictureLoad LoadPictureFile(const std::string& path);

// Decodes the bytes of a picture file held in memory, exactly as LoadPictureFile does.
// Bitmaps are read, and PNG and JPEG pictures whatever their name; other formats are refused.
PictureLoad LoadPictureBytes(const QByteArray& bytes);

// The largest picture the program accepts, in megabytes of decoded pixels at four bytes a
// pixel (16384 x 16384 with room to spare). A larger file cannot hold a usable picture.
inline constexpr int kPictureAllocationLimitMb = 2048;

// A compressed (run-length) bitmap may claim at most this many pixels for each byte of its
// pixel data: generous for a real encoder (a run covers at most 255 pixels in two bytes), but
// a tiny file cannot make the program set aside gigabytes.
inline constexpr std::int64_t kMaxPixelsPerCompressedByte = 256;

}  // namespace vantorel
