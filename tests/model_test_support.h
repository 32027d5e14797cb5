#pragma once

// Shared by the model writer tests: a depth grid filled from a rule, parameters with their
// derived steps worked out as a run does, and a writer's output as text and as lines.

#include <functional>
#include <string>
#include <vector>

#include "core/depth_grid.h"
#include "core/output_file.h"
#include "core/wrap_parameters.h"
#include "tests/test_files.h"
#include "writers/writer_job.h"

namespace vantorel::testing {

using DepthRule = std::function<double(int column, int row)>;

inline DepthRule Uniform(double depth) {
    return [depth](int, int) { return depth; };
}

// Picture rows from the rule; on the closed grid row H repeats row 0, as the run fills it.
inline DepthGrid MakeGrid(int width, int height, GridShape shape, const DepthRule& depth) {
    DepthGrid grid(width, height, shape);
    for (int c = 0; c < width; ++c) {
        for (int r = 0; r < height; ++r) grid.At(c, r) = depth(c, r);
        if (shape == GridShape::Closed) grid.At(c, height) = grid.At(c, 0);
    }
    return grid;
}

struct Wrap {
    double leftX = 0;
    double wrapAngle = 360;
    double imageLength = 100;
    double workSurface = 7.5;
};

inline WrapParameters MakeParameters(const Wrap& wrap, int width, int height) {
    WrapParameters p;
    p.LeftX = wrap.leftX;
    p.WrapAngle = wrap.wrapAngle;
    p.AngleStep = ComputeAngleStep(wrap.wrapAngle, height);
    p.ImageLength = wrap.imageLength;
    p.XStep = ComputeXStep(wrap.imageLength, width);
    p.WorkSurface = wrap.workSurface;
    return p;
}

// The whole file a writer produces for a grid of `width` × `height` picture pixels.
inline std::string WriteModel(WriterFn writer, GridShape shape, int width, int height,
                              const Wrap& wrap, const DepthRule& depth,
                              const std::string& outputPath = "/jobs/part.dxf") {
    const DepthGrid grid = MakeGrid(width, height, shape, depth);
    const WrapParameters parameters = MakeParameters(wrap, width, height);
    MemoryOutputFile out;
    writer(WriterJob{grid, parameters, outputPath}, out, {});
    out.Commit();
    return out.Bytes();
}

inline std::string WriteStl(int width, int height, const Wrap& wrap, const DepthRule& depth,
                            const std::string& outputPath = "/jobs/part.stl") {
    return WriteModel(&WriteStlFile, GridShape::Closed, width, height, wrap, depth, outputPath);
}

inline std::string WriteObj(int width, int height, const Wrap& wrap, const DepthRule& depth) {
    return WriteModel(&WriteObjFile, GridShape::Closed, width, height, wrap, depth);
}

inline std::string WriteDxf(int width, int height, const Wrap& wrap, const DepthRule& depth) {
    return WriteModel(&WriteDxfFile, GridShape::Plain, width, height, wrap, depth);
}

}  // namespace vantorel::testing
