#pragma once

// Shared by the simulation tests: a job (closed grid from a rule, parameters as a run
// derives them) and a program text simulated against it.

#include <sstream>
#include <string>

#include "core/tool.h"
#include "sim/simulation.h"
#include "tests/model_test_support.h"

namespace vantorel::testing {

struct SimJob {
    SimJob(int width, int height, const Wrap& wrap, const DepthRule& depth)
        : grid(MakeGrid(width, height, GridShape::Closed, depth)),
          parameters(MakeParameters(wrap, width, height)) {
        parameters.AngleStepDegrees = ComputeAngleStepDegrees(wrap.wrapAngle, height);
    }
    DepthGrid grid;
    WrapParameters parameters;
};

inline Tool MustParseTool(const std::string& text) {
    std::string problem;
    auto tool = ParseTool(text, &problem);
    if (!tool) throw std::runtime_error(problem);
    return *tool;
}

inline SimulationResult SimulateText(const std::string& program, const std::string& tool,
                                     const SimJob& job, SimulationOptions options = {}) {
    std::istringstream in(program);
    return Simulate(in, MustParseTool(tool), job.grid, job.parameters, options);
}

}  // namespace vantorel::testing
