#include "ui/picture_file.h"

#include <QFile>
#include <QImageReader>
#include <cstring>

namespace vantorel {
namespace {

std::uint32_t ColourOf(QRgb pixel) {
    return static_cast<std::uint32_t>(qRed(pixel)) + 256u * static_cast<std::uint32_t>(qGreen(pixel)) +
           65536u * static_cast<std::uint32_t>(qBlue(pixel));
}

std::uint32_t LittleEndian(const unsigned char* p, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value * 256 + p[i];
    return value;
}

// The decoder fills pixels that lie past the end of a truncated bitmap with whatever memory
// held; such a file is refused here, before it is decoded. Returns the problem, or empty.
std::string CheckBitmapExtent(const QByteArray& head, qint64 fileSize) {
    const auto* p = reinterpret_cast<const unsigned char*>(head.constData());
    if (head.size() < 2 || p[0] != 'B' || p[1] != 'M') return {};  // not a bitmap: decoder decides
    if (head.size() < 26) return "the bitmap header is cut short";
    const std::uint32_t dataOffset = LittleEndian(p + 10, 4);
    const std::uint32_t headerSize = LittleEndian(p + 14, 4);
    if (dataOffset >= fileSize || dataOffset < 14 + headerSize)
        return "the bitmap's pixel data lies outside the file";
    if (headerSize < 40 || head.size() < 34) return {};  // old OS/2 header: decoder checks it
    const std::int64_t width = static_cast<std::int32_t>(LittleEndian(p + 18, 4));
    std::int64_t height = static_cast<std::int32_t>(LittleEndian(p + 22, 4));
    const std::uint32_t bitsPerPixel = LittleEndian(p + 28, 2);
    const std::uint32_t compression = LittleEndian(p + 30, 4);
    if (width <= 0 || height == 0) return "the bitmap has no pixels";
    if (height < 0) height = -height;
    const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
    if (!uncompressed) return {};
    const std::int64_t rowBytes = ((width * bitsPerPixel + 31) / 32) * 4;
    if (static_cast<std::int64_t>(dataOffset) + rowBytes * height > fileSize)
        return "the bitmap's pixel data is cut short";
    return {};
}

}  // namespace

LoadedPicture::LoadedPicture(QImage image) : image_(std::move(image)) {}

std::uint32_t LoadedPicture::Colour(int column, int row) const {
    return ColourOf(reinterpret_cast<const QRgb*>(image_.constScanLine(row))[column]);
}

void LoadedPicture::ReadRow(int row, std::uint32_t* out) const {
    const auto* line = reinterpret_cast<const QRgb*>(image_.constScanLine(row));
    for (int column = 0; column < image_.width(); ++column) out[column] = ColourOf(line[column]);
}

PictureLoad LoadPictureFile(const std::string& path) {
    PictureLoad result;
    const QString name = QString::fromStdString(path);
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
        result.problem = "cannot open the picture file";
        return result;
    }
    result.problem = CheckBitmapExtent(file.peek(64), file.size());
    if (!result.problem.empty()) return result;

    QImageReader::setAllocationLimit(kPictureAllocationLimitMb);
    QImageReader reader(&file);
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        result.problem = "the file is not a picture that can be read (" +
                         reader.errorString().toStdString() + ")";
        return result;
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) {
        result.problem = "not enough memory for the picture";
        return result;
    }
    result.picture = std::make_unique<LoadedPicture>(std::move(image));
    return result;
}

}  // namespace vantorel
