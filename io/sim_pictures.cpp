#include "io/sim_pictures.h"

#include <QBuffer>
#include <QByteArray>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vantorel {
namespace {

// The legend's letters, 3 × 5 pixels each (bit 2 the left pixel of a row), drawn without
// fonts so that a picture needs no display and no font files.
struct Glyph {
    char c;
    unsigned char rows[5];
};
constexpr Glyph kGlyphs[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}}, {'3', {7, 1, 7, 1, 7}},
    {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}}, {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 1, 1, 1}},
    {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 7}}, {'.', {0, 0, 0, 0, 2}}, {'-', {0, 0, 7, 0, 0}},
    {'+', {0, 2, 7, 2, 0}}, {'G', {7, 4, 5, 5, 7}}, {'O', {7, 5, 5, 5, 7}}, {'U', {5, 5, 5, 5, 7}},
    {'E', {7, 4, 6, 4, 7}}, {'L', {4, 4, 4, 4, 7}}, {'F', {7, 4, 6, 4, 4}}, {'T', {7, 2, 2, 2, 2}},
    {'W', {5, 5, 5, 7, 5}}, {'I', {7, 2, 2, 2, 7}}, {'H', {5, 5, 7, 5, 5}}, {'N', {6, 5, 5, 5, 5}},
    {'M', {5, 7, 5, 5, 5}}, {'X', {5, 5, 2, 5, 5}}, {'A', {2, 5, 7, 5, 5}},
};
constexpr int kDot = 2;             // screen pixels per glyph pixel
constexpr int kAdvance = 4 * kDot;  // a glyph and its gap
constexpr int kLegendHeight = 26 * kDot;
constexpr int kMinimumWidth = 440;
constexpr int kLargest = 4000;  // pixels across or down before a map is drawn smaller

void DrawText(QImage& image, int x, int y, const std::string& text, QRgb colour) {
    for (char c : text) {
        for (const Glyph& glyph : kGlyphs) {
            if (glyph.c != c) continue;
            for (int row = 0; row < 5; ++row)
                for (int col = 0; col < 3; ++col)
                    if (glyph.rows[row] & (4 >> col))
                        for (int dy = 0; dy < kDot; ++dy)
                            for (int dx = 0; dx < kDot; ++dx) {
                                const int px = x + col * kDot + dx, py = y + row * kDot + dy;
                                if (image.valid(px, py)) image.setPixel(px, py, colour);
                            }
        }
        x += kAdvance;
    }
}

std::string Millimetres(double value) {
    char text[32];
    std::snprintf(text, sizeof text, value < 0.1 ? "%.4f" : "%.3f", value);
    return text;
}

QRgb Mix(QRgb a, QRgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto channel = [t](int p, int q) { return static_cast<int>(std::lround(p + (q - p) * t)); };
    return qRgb(channel(qRed(a), qRed(b)), channel(qGreen(a), qGreen(b)),
                channel(qBlue(a), qBlue(b)));
}

const QRgb kGougeLight = qRgb(255, 150, 150), kGougeDeep = qRgb(150, 0, 0);
const QRgb kWithin = qRgb(40, 175, 60);
const QRgb kLeftLight = qRgb(175, 205, 255), kLeftDeep = qRgb(0, 20, 130);

struct Range {
    double tolerance, gouge, left;  // the deepest gouge and the most material left
};

QRgb DeviationColour(double deviation, const Range& range) {
    if (deviation < -range.tolerance)
        return Mix(kGougeLight, kGougeDeep,
                   (-deviation - range.tolerance) / std::max(1e-12, range.gouge - range.tolerance));
    if (deviation > range.tolerance)
        return Mix(kLeftLight, kLeftDeep,
                   (deviation - range.tolerance) / std::max(1e-12, range.left - range.tolerance));
    return kWithin;
}

// The cell a pixel of the map shows: for a map drawn smaller, the block's worst cell.
template <class Pick>
void ForEachPixel(const DexelLayout& layout, const MapScale& scale, Pick&& pick) {
    const int width = layout.columns * scale.up / scale.down;
    const int height = layout.rows * scale.up / scale.down;
    for (int py = 0; py < height; ++py)
        for (int px = 0; px < width; ++px) {
            const int i0 = px * scale.down / scale.up, j0 = py * scale.down / scale.up;
            const int i1 =
                std::min(layout.columns, std::max(i0 + 1, (px + 1) * scale.down / scale.up));
            const int j1 =
                std::min(layout.rows, std::max(j0 + 1, (py + 1) * scale.down / scale.up));
            pick(px, py, i0, i1, j0, j1);
        }
}

}  // namespace

MapScale MapScaleFor(const DexelLayout& layout) {
    MapScale scale;
    const int largest = std::max(layout.columns, layout.rows);
    if (largest > kLargest)
        scale.down = (largest + kLargest - 1) / kLargest;
    else if (layout.columns < kMinimumWidth)
        scale.up = std::min((kMinimumWidth + layout.columns - 1) / layout.columns,
                            std::max(1, kLargest / largest));
    return scale;
}

QImage DeviationImage(const SimulationResult& result) {
    const DexelLayout& layout = result.layout;
    const MapScale scale = MapScaleFor(layout);
    const int mapWidth = layout.columns * scale.up / scale.down;
    const int mapHeight = layout.rows * scale.up / scale.down;
    QImage image(std::max(mapWidth, kMinimumWidth), mapHeight + kLegendHeight,
                 QImage::Format_RGB32);
    image.fill(qRgb(255, 255, 255));
    const SimulationReport& report = result.report;
    const Range range{report.tolerance, report.gouge.depth, report.leftMost.depth};
    ForEachPixel(layout, scale, [&](int px, int py, int i0, int i1, int j0, int j1) {
        // The worst of the block: its deepest gouge, else its most material left.
        double low = 1e300, high = -1e300;
        for (int j = j0; j < j1; ++j)
            for (int i = i0; i < i1; ++i) {
                const double d = result.deviation[static_cast<std::size_t>(j) * layout.columns + i];
                low = std::min(low, d);
                high = std::max(high, d);
            }
        image.setPixel(px, py, DeviationColour(low < -range.tolerance ? low : high, range));
    });

    // The legend: the gouge's shades, the green of within tolerance, material left's shades.
    const QRgb ink = qRgb(0, 0, 0);
    const int top = mapHeight + 3 * kDot, bar = 8 * kDot, barTop = top + 7 * kDot;
    const int labelsTop = barTop + bar + 2 * kDot;
    auto gradient = [&](int x, int width, QRgb from, QRgb to) {
        for (int dx = 0; dx < width; ++dx)
            for (int dy = 0; dy < bar; ++dy)
                image.setPixel(x + dx, barTop + dy, Mix(from, to, dx / double(width - 1)));
    };
    int x = 4 * kDot;
    DrawText(image, x, top, "GOUGE", ink);
    gradient(x, 120, kGougeDeep, kGougeLight);
    DrawText(image, x, labelsTop, "-" + Millimetres(std::max(range.gouge, range.tolerance)), ink);
    x += 130;
    DrawText(image, x, top, "WITHIN", ink);
    gradient(x, 60, kWithin, kWithin);
    DrawText(image, x, labelsTop, "+-" + Millimetres(range.tolerance), ink);
    x += 70;
    DrawText(image, x, top, "LEFT", ink);
    gradient(x, 120, kLeftLight, kLeftDeep);
    const std::string most = Millimetres(std::max(range.left, range.tolerance)) + " MM";
    DrawText(image, x + 120 - static_cast<int>(most.size()) * kAdvance + kDot, labelsTop, most,
             ink);
    return image;
}

QImage CarvedImage(const SimulationResult& result) {
    const DexelLayout& layout = result.layout;
    const MapScale scale = MapScaleFor(layout);
    const int width = layout.columns * scale.up / scale.down;
    const int height = layout.rows * scale.up / scale.down;
    QImage image(width, height, QImage::Format_RGB32);
    const auto radius = [&](int i, int j) -> double {
        i = std::clamp(i, 0, layout.columns - 1);
        j = ((j % layout.rows) + layout.rows) % layout.rows;
        return result.carved[static_cast<std::size_t>(j) * layout.columns + i];
    };
    double lowest = 1e300, highest = -1e300;
    for (float r : result.carved)
        lowest = std::min<double>(lowest, r), highest = std::max<double>(highest, r);
    const double span = std::max(1e-9, highest - lowest);
    // Lit from the upper left of the unwrapped surface, as a relief is usually shown.
    const double lx = -0.5, ly = -0.5, lz = 0.7071;
    ForEachPixel(layout, scale, [&](int px, int py, int i, int, int j, int) {
        const double r = radius(i, j);
        const double slopeX = (radius(i + 1, j) - radius(i - 1, j)) / (2 * layout.dx);
        const double arc = std::max(1e-9, r) * layout.AngleStep();
        const double slopeA = (radius(i, j + 1) - radius(i, j - 1)) / (2 * arc);
        const double norm = std::sqrt(slopeX * slopeX + slopeA * slopeA + 1);
        const double light = std::max(0.0, (-slopeX * lx - slopeA * ly + lz) / norm);
        const double depthShade = 0.65 + 0.35 * (r - lowest) / span;
        const int grey =
            std::clamp(static_cast<int>(std::lround((30 + 225 * light) * depthShade)), 0, 255);
        image.setPixel(px, py, qRgb(grey, grey, std::min(255, grey + 10)));
    });
    return image;
}

std::string PngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace vantorel
