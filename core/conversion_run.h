#pragma once

#include <optional>
#include <string>

#include "core/output_format.h"
#include "core/run_host.h"

namespace vantorel {

enum class RunOutcome {
    Completed,  // the output file was written
    Aborted,    // the validation chain refused the job; nothing changed
    Failed,     // an error ended the run; no output file was left behind
};

// The validation chain: the warning text of the first test that fails, or nothing.
std::optional<std::string> ValidateJob(const RunHost& host, const OutputFormat& format);

// One conversion: validate, build the depth grid, write the format's file, restore the host.
RunOutcome ConversionRun(RunHost& host, const OutputFormat& format);

}  // namespace vantorel
