#include "io/picture_file.h"

#include <sys/stat.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <cstdlib>
#include <new>

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

constexpr std::int64_t kMegabyte = 1 << 20;

// The decoder fills pixels that lie past the end of a truncated bitmap with whatever memory
// held, so a bitmap whose pixel data the file cannot hold is refused before it is decoded.
// A header this check cannot measure is refused too. Returns the problem, or empty.
std::string CheckBitmapExtent(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const std::int64_t fileSize = bytes.size();
    if (fileSize < 2 || p[0] != 'B' || p[1] != 'M') return {};  // not a bitmap: decoder decides
    if (fileSize < 18) return "the bitmap header is cut short";
    const std::int64_t dataOffset = LittleEndian(p + 10, 4);
    const std::int64_t headerSize = LittleEndian(p + 14, 4);
    if (14 + headerSize > fileSize) return "the bitmap header is cut short";

    std::int64_t width = 0;
    std::int64_t rows = 0;
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t compression = 0;
    bool known = false;
    if (headerSize == 12) {  // the old OS/2 header: 16-bit sizes, no compression
        width = LittleEndian(p + 18, 2);
        rows = LittleEndian(p + 20, 2);
        bitsPerPixel = LittleEndian(p + 24, 2);
        known = bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 24;
    } else if (headerSize >= 16) {
        width = static_cast<std::int32_t>(LittleEndian(p + 18, 4));
        rows = static_cast<std::int32_t>(LittleEndian(p + 22, 4));
        if (rows < 0) rows = -rows;  // top-down rows
        bitsPerPixel = LittleEndian(p + 28, 2);
        if (headerSize >= 20) compression = LittleEndian(p + 30, 4);
        known = bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 ||
                bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
    } else {
        return "the bitmap header is damaged";
    }

    if (dataOffset >= fileSize || dataOffset < 14 + headerSize)
        return "the bitmap's pixel data lies outside the file";
    if (width <= 0 || rows == 0) return "the bitmap has no pixels";
    if (!known)
        return "the bitmap has an unknown number of bits a pixel (" +
               std::to_string(bitsPerPixel) + ")";
    const std::int64_t available = fileSize - dataOffset;
    const std::string size = std::to_string(width) + " x " + std::to_string(rows);

    const bool runLength = (compression == 1 && bitsPerPixel == 8) ||
                           (compression == 2 && bitsPerPixel == 4);
    if (runLength) {
        if (width * rows / kMaxPixelsPerCompressedByte > available)
            return "the bitmap's compressed pixel data is too small for " + size + " pixels";
        return {};
    }
    const bool uncompressed = compression == 0 || (compression == 3 && (bitsPerPixel == 16 ||
                                                                        bitsPerPixel == 32));
    if (!uncompressed)
        return "the bitmap's compression (method " + std::to_string(compression) +
               " at " + std::to_string(bitsPerPixel) + " bits a pixel) cannot be read";
    // Rows are padded to whole 32-bit words. Compared by division: the product of a hostile
    // header's fields does not fit in 64 bits.
    const std::int64_t rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    if (rows > available / rowBytes) return "the bitmap's pixel data is cut short";
    return {};
}

PictureLoad Refused(std::string problem) {
    PictureLoad result;
    result.problem = std::move(problem);
    return result;
}

PictureLoad Unreadable(const QImageReader& reader) {
    std::string problem = "the file is not a picture that can be read";
    if (reader.error() != QImageReader::UnknownError)
        problem += " (" + reader.errorString().toStdString() + ")";
    return Refused(std::move(problem));
}

PictureLoad Decode(const QByteArray& bytes) {
    if (std::string problem = CheckBitmapExtent(bytes); !problem.empty())
        return Refused(std::move(problem));

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    // The content decides the format, whatever the file is called. Only formats with
    // well-tried decoders are read.
    const QByteArray format = QImageReader::imageFormat(&buffer);
    if (format.isEmpty()) return Refused("the file is not a picture that can be read");
    if (format != "bmp" && format != "png" && format != "jpeg")
        return Refused("the file holds a picture of another kind (" +
                       format.toUpper().toStdString() + "), not a bitmap");

    QImageReader::setAllocationLimit(kPictureAllocationLimitMb);
    QImageReader reader(&buffer, format);
    // A top-down bitmap reports its height as negative.
    QSize size = reader.size();
    size = QSize(std::abs(size.width()), std::abs(size.height()));
    if (size.isEmpty()) return Unreadable(reader);
    if (static_cast<std::int64_t>(size.width()) * size.height() * 4 >
        kPictureAllocationLimitMb * kMegabyte)
        return Refused("the picture is too large: " + std::to_string(size.width()) + " x " +
                       std::to_string(size.height()) + " pixels");

    // The decoder leaves pixels it is given no data for (a run-length bitmap that ends early
    // or jumps past them) as it found them: it is handed a canvas already cleared, which it
    // fills in place.
    if (reader.imageFormat() == QImage::Format_Invalid) return Unreadable(reader);
    QImage image(size, reader.imageFormat());
    if (image.isNull()) return Refused("not enough memory for the picture");
    image.fill(0);
    if (!reader.read(&image) || image.isNull()) return Unreadable(reader);
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) return Refused("not enough memory for the picture");
    PictureLoad result;
    result.picture = std::make_unique<LoadedPicture>(std::move(image));
    return result;
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

PictureLoad LoadPictureBytes(const QByteArray& bytes) {
    try {
        return Decode(bytes);
    } catch (const std::bad_alloc&) {
        return Refused("not enough memory for the picture");
    }
}

PictureLoad LoadPictureFile(const std::string& path) {
    // Only a regular file: reading a pipe or a device could wait for ever or never end.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return Refused("cannot open the picture file");
    if (!S_ISREG(info.st_mode)) return Refused("it is not a regular file");
    // A file larger than the largest picture's pixels holds no usable picture; it is not
    // read into memory.
    if (info.st_size > (kPictureAllocationLimitMb + 1) * kMegabyte)
        return Refused("the file is too large for a picture");

    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return Refused("cannot open the picture file");
    try {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return Refused("cannot read the picture file (" + file.errorString().toStdString() +
                           ")");
        return Decode(bytes);
    } catch (const std::bad_alloc&) {
        return Refused("not enough memory for the picture");
    }
}

}  // namespace vantorel
