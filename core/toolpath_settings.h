#pragma once

// What a tool-compensated finishing program is asked for: the tool, how the passes run, how
// close they follow the relief, how feeds are written, what lies beyond the picture. Read
// from the texts the command line and the window give, each checked with a message that
// names the setting.

#include <optional>
#include <string>
#include <string_view>

#include "core/tool.h"
#include "core/wrap_parameters.h"

namespace vantorel {

enum class Pattern {
    Rows,    // passes along X at fixed A, alternate directions
    Rings,   // passes round A at fixed X
    Spiral,  // one helix, X advancing one stepover per turn (full turn only)
};

enum class FeedMode {
    Units,        // G94: F in mm/min
    InverseTime,  // G93: F = 1 / minutes on every feed move
};

enum class Border {
    Stock,  // beyond the picture the stock is uncut and must stay so
    Free,   // beyond the picture is air
};

struct ToolpathSettings {
    Tool tool;
    Pattern pattern = Pattern::Rows;
    double stepover = 0;               // mm; 0: a tenth of the tool's diameter
    double tolerance = 0.002;          // mm, how far a move may cut in below the exact height
    std::optional<FeedMode> feedMode;  // none: the pattern's own (DefaultFeedMode)
    Border border = Border::Stock;
    double rapidRate = 2000;  // mm/min, for the time estimate

    double Stepover() const { return stepover > 0 ? stepover : tool.diameter / 10; }
    FeedMode Feeds() const;
};

// Rows move X at fixed A, which units per minute time right; a ring or a helix turns A with
// little X or Z motion, which only inverse time times by the surface speed.
FeedMode DefaultFeedMode(Pattern pattern);

std::optional<Pattern> ParsePattern(std::string_view text);
std::optional<FeedMode> ParseFeedMode(std::string_view text);
std::optional<Border> ParseBorder(std::string_view text);
const char* PatternName(Pattern pattern);
const char* FeedModeName(FeedMode mode);
const char* BorderName(Border border);

// The settings' own texts, as typed; empty texts keep the defaults. On a bad text gives
// nothing and the reason in `problem`, naming the setting.
struct ToolpathTexts {
    std::string tool;
    std::string pattern;
    std::string stepover;
    std::string tolerance;
    std::string feedMode;
    std::string border;
    std::string rapidRate;
};
std::optional<ToolpathSettings> ParseToolpathSettings(const ToolpathTexts& texts,
                                                      std::string* problem);

// Whether the settings fit the job: the stepover against the tool, the spiral against the
// wrap, the tool against the rotary axis, the clearance against the stock. The reason when
// they do not.
std::optional<std::string> CheckToolpathJob(const ToolpathSettings& settings,
                                            const WrapParameters& parameters);

}  // namespace vantorel
