#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/output_format.h"
#include "core/run_host.h"
#include "core/toolpath_settings.h"

namespace vantorel {

inline constexpr int kExitWritten = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitRunError = 2;
inline constexpr int kExitGouges = 3;  // a simulated program cuts into the relief or stock
inline constexpr int kExitUsage = 64;

// What the user asked for on the command line.
struct CommandLine {
    bool help = false;
    bool version = false;
    bool quiet = false;
    std::string picture;
    std::vector<FormatKind> formats;       // in the order given, each once
    std::optional<std::string> settings;   // a Data.ini to take the field texts from
    std::array<std::optional<std::string>, 12> fields;  // indexed by Field; typed values
    ToolpathTexts toolpath;  // --tool and the finishing options, as typed
    bool toolpathAsked = false;  // any of them given
    // The simulation, of the NC program just written or of a given one; it takes the tool,
    // tolerance and rapid rate from the finishing options.
    bool simulate = false;
    std::optional<std::string> simulateOnly;   // the program to simulate
    std::optional<std::string> report;         // --report FILE.json
    std::optional<std::string> simResolution;  // --sim-resolution MM, as typed
};

struct ParsedCommandLine {
    std::optional<CommandLine> commandLine;
    std::string problem;  // why the arguments are not usable
};

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

std::string HelpText();

}  // namespace vantorel
