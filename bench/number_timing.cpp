// Times the number forms against std::to_chars on the same values and prints the ratios
// (ours / to_chars: below 1 means ours is faster).

#include "bench/number_timing.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "core/number_text.h"

namespace {

constexpr double kPi = 3.141592653589793;

// Values shaped like the files': model coordinates round a cylinder, unit normals, the
// tiny cosines of right angles, toolpath positions, angles and feed rates.
std::vector<double> ModelValues(std::size_t count) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> values;
    values.reserve(count);
    while (values.size() < count) {
        const double radius = 6.5 + unit(random);
        const double angle = (random() % 256) * (2 * kPi / 256);
        values.push_back(100.0 * unit(random));
        values.push_back(radius * std::cos(angle));
        values.push_back(radius * std::sin(angle));
        values.push_back(2 * unit(random) - 1);
    }
    values.resize(count);
    return values;
}

std::vector<double> ToolpathValues(std::size_t count) {
    std::mt19937_64 random(8);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> values;
    values.reserve(count);
    while (values.size() < count) {
        values.push_back(100.0 * unit(random));
        values.push_back(6.5 + unit(random));
        values.push_back((random() % 480) * (360.0 / 480));
        values.push_back(200.0);
    }
    values.resize(count);
    return values;
}

std::vector<double> DrawingValues(std::size_t count) {
    std::vector<double> values = ModelValues(count);
    // Every eighth value is a right angle's cosine times a radius: about 1e-16.
    for (std::size_t i = 0; i < values.size(); i += 8)
        values[i] = (6.5 + i % 7) * std::cos(kPi / 2);
    return values;
}

// Best of several passes over `values`, in nanoseconds per value.
template <class Write>
double Time(const std::vector<double>& values, Write write, std::size_t& checksum) {
    char buffer[vantorel::kMaxNumberText + 32];
    double best = 1e30;
    for (int pass = 0; pass < 7; ++pass) {
        const auto start = std::chrono::steady_clock::now();
        std::size_t sum = 0;
        for (double v : values) {
            char* end = write(buffer, v);
            sum += static_cast<std::size_t>(end - buffer) + static_cast<unsigned char>(end[-1]);
        }
        const auto stop = std::chrono::steady_clock::now();
        checksum += sum;
        best = std::min(best, std::chrono::duration<double, std::nano>(stop - start).count());
    }
    return best / static_cast<double>(values.size());
}

char* ToCharsFixed(char* out, double v, int decimals) {
    return std::to_chars(out, out + vantorel::kMaxNumberText + 32, v, std::chars_format::fixed,
                         decimals)
        .ptr;
}

void Compare(const char* name, double ours, double theirs, const char* theirName) {
    std::printf("%-34s %7.1f ns   %-30s %7.1f ns   ratio %.2f\n", name, ours, theirName, theirs,
                ours / theirs);
}

}  // namespace

namespace vantorel {

void PrintNumberTimings(std::size_t count) {
    const std::vector<double> model = ModelValues(count);
    const std::vector<double> toolpath = ToolpathValues(count);
    const std::vector<double> drawing = DrawingValues(count);
    std::size_t checksum = 0;

    std::printf("%zu values per set; ratio = ours / to_chars\n", count);
    Compare(
        "model: WriteFixed(10 dec, 10 dig)",
        Time(
            model, [](char* o, double v) { return vantorel::WriteFixed(o, v, 10, 10); }, checksum),
        Time(
            model, [](char* o, double v) { return ToCharsFixed(o, v, 10); }, checksum),
        "to_chars(fixed, 10)");
    Compare("toolpath: WriteFixed(4 dec, 15 dig)",
            Time(
                toolpath, [](char* o, double v) { return vantorel::WriteFixed(o, v, 4, 15); },
                checksum),
            Time(
                toolpath, [](char* o, double v) { return ToCharsFixed(o, v, 4); }, checksum),
            "to_chars(fixed, 4)");
    const double general = Time(
        drawing, [](char* o, double v) { return vantorel::WriteGeneral(o, v, 15); }, checksum);
    Compare("drawing: WriteGeneral(15 dig)", general,
            Time(
                drawing,
                [](char* o, double v) {
                    return std::to_chars(o, o + vantorel::kMaxNumberText + 32, v,
                                         std::chars_format::general, 15)
                        .ptr;
                },
                checksum),
            "to_chars(general, 15)");
    Compare("drawing: WriteGeneral(15 dig)", general,
            Time(
                drawing,
                [](char* o, double v) {
                    return std::to_chars(o, o + vantorel::kMaxNumberText + 32, v).ptr;
                },
                checksum),
            "to_chars(shortest)");
    std::printf("(checksum %zu)\n", checksum);
}

}  // namespace vantorel
