#include "core/toolpath_settings.h"

#include <cmath>

#include "core/number_text.h"

namespace vantorel {
namespace {

}  // namespace

FeedMode DefaultFeedMode(Pattern pattern) {
    return pattern == Pattern::Rows ? FeedMode::Units : FeedMode::InverseTime;
}

FeedMode ToolpathSettings::Feeds() const { return feedMode ? *feedMode : DefaultFeedMode(pattern); }

std::optional<Pattern> ParsePattern(std::string_view text) {
    if (text == "rows") return Pattern::Rows;
    if (text == "rings") return Pattern::Rings;
    if (text == "spiral") return Pattern::Spiral;
    return std::nullopt;
}

std::optional<FeedMode> ParseFeedMode(std::string_view text) {
    if (text == "units") return FeedMode::Units;
    if (text == "inverse-time") return FeedMode::InverseTime;
    return std::nullopt;
}

std::optional<Border> ParseBorder(std::string_view text) {
    if (text == "stock") return Border::Stock;
    if (text == "free") return Border::Free;
    return std::nullopt;
}

const char* PatternName(Pattern pattern) {
    switch (pattern) {
        case Pattern::Rows:
            return "rows";
        case Pattern::Rings:
            return "rings";
        case Pattern::Spiral:
            return "spiral";
    }
    return "";
}

const char* FeedModeName(FeedMode mode) {
    return mode == FeedMode::Units ? "units" : "inverse-time";
}

const char* BorderName(Border border) { return border == Border::Stock ? "stock" : "free"; }

std::optional<ToolpathSettings> ParseToolpathSettings(const ToolpathTexts& texts,
                                                      std::string* problem) {
    auto fail = [problem](std::string why) -> std::optional<ToolpathSettings> {
        if (problem) *problem = std::move(why);
        return std::nullopt;
    };
    ToolpathSettings settings;
    if (texts.tool.empty())
        return fail(
            "--tool: choose a tool (ball:D, flat:D, vee:ANGLE:D or taper:TIPD:ANGLE:SHANKD)");
    std::string why;
    const auto tool = ParseTool(texts.tool, &why);
    if (!tool) return fail("--tool: " + why);
    settings.tool = *tool;
    if (!texts.pattern.empty()) {
        const auto pattern = ParsePattern(texts.pattern);
        if (!pattern)
            return fail("--pattern: \"" + texts.pattern + "\" is not rows, rings or spiral");
        settings.pattern = *pattern;
    }
    if (!texts.feedMode.empty()) {
        const auto mode = ParseFeedMode(texts.feedMode);
        if (!mode)
            return fail("--feed-mode: \"" + texts.feedMode + "\" is not units or inverse-time");
        settings.feedMode = *mode;
    }
    if (!texts.border.empty()) {
        const auto border = ParseBorder(texts.border);
        if (!border) return fail("--border: \"" + texts.border + "\" is not stock or free");
        settings.border = *border;
    }
    auto positive = [&](const std::string& text, const char* name, const char* unit,
                        double* value) -> bool {
        if (text.empty()) return true;
        const auto number = ParseStrictNumber(text);
        if (!number) {
            fail(std::string(name) + ": \"" + text + "\" is not a number");
            return false;
        }
        if (!(*number > 0)) {
            fail(std::string(name) + " must be more than 0 " + unit + " (got " + text + ")");
            return false;
        }
        *value = *number;
        return true;
    };
    if (!positive(texts.stepover, "--stepover", "mm", &settings.stepover) ||
        !positive(texts.tolerance, "--tolerance", "mm", &settings.tolerance) ||
        !positive(texts.rapidRate, "--rapid-rate", "mm/min", &settings.rapidRate))
        return std::nullopt;
    if (settings.Stepover() > settings.tool.diameter)
        return fail("--stepover: " + FormatGeneral(settings.Stepover()) +
                    " mm is more than the tool's diameter (" +
                    FormatGeneral(settings.tool.diameter) +
                    " mm): the passes would leave ridges standing between them");
    return settings;
}

std::optional<std::string> CheckToolpathJob(const ToolpathSettings& settings,
                                            const WrapParameters& p) {
    if (settings.pattern == Pattern::Spiral && !(p.WrapAngle >= 360))
        return "--pattern spiral needs a picture wrapped through a full turn (360 degrees, not " +
               FormatGeneral(p.WrapAngle) + "): use rows or rings";
    if (!(p.WorkSurface - p.DepthofCut > 0))
        return "--tool: the tool would have to reach the rotary axis: the depth of cut (" +
               FormatGeneral(p.DepthofCut) + " mm) must be less than the work surface radius (" +
               FormatGeneral(p.WorkSurface) + " mm)";
    // At the work surface itself a rapid only grazes the stock's top line.
    if (!(p.Clearance >= p.WorkSurface && p.Clearance >= p.WorkSurface - p.DepthofCut))
        return "--tool: the clearance plane (Z " + FormatGeneral(p.Clearance) +
               ") must not lie below the work surface (" + FormatGeneral(p.WorkSurface) +
               " mm), so that rapid moves clear the stock";
    if (!(p.Feedrate > 0))
        return "--tool: the feed rate must be more than 0 mm/min (got " +
               FormatGeneral(p.Feedrate) + ")";
    return std::nullopt;
}

}  // namespace vantorel
