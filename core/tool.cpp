#include "core/tool.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/number_text.h"
#include "core/wrap_parameters.h"

namespace vantorel {
namespace {

double HalfAngleTangent(double includedAngle) { return std::tan(includedAngle * kPi / 360); }

std::vector<std::string_view> Split(std::string_view text) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t colon = text.find(':', start);
        parts.push_back(text.substr(start, colon - start));
        if (colon == std::string_view::npos) return parts;
        start = colon + 1;
    }
}

}  // namespace

double Tool::ProfileHeight(double d) const {
    const double r = Radius();
    d = std::min(std::max(d, 0.0), r);
    switch (shape) {
        case ToolShape::Ball: return r - std::sqrt(std::max(0.0, r * r - d * d));
        case ToolShape::Flat: return 0;
        case ToolShape::Vee: return d / HalfAngleTangent(includedAngle);
        case ToolShape::TaperedBall: {
            const double rt = tipDiameter / 2;
            const double alpha = includedAngle * kPi / 360;  // half-angle of the taper
            const double d0 = rt * std::cos(alpha);           // where the ball meets the cone
            if (d <= d0) return rt - std::sqrt(std::max(0.0, rt * rt - d * d));
            const double z0 = rt - rt * std::sin(alpha);
            return z0 + (d - d0) / std::tan(alpha);
        }
    }
    return 0;
}

double Tool::ProfileTop() const { return ProfileHeight(Radius()); }

std::optional<Tool> ParseTool(std::string_view text, std::string* problem) {
    auto fail = [problem](std::string why) -> std::optional<Tool> {
        if (problem) *problem = std::move(why);
        return std::nullopt;
    };
    const std::vector<std::string_view> parts = Split(text);
    const std::string kind(parts[0]);
    std::vector<double> values;
    for (std::size_t k = 1; k < parts.size(); ++k) {
        const auto value = ParseStrictNumber(parts[k]);
        if (!value)
            return fail("the tool \"" + std::string(text) + "\" has \"" + std::string(parts[k]) +
                        "\" where a number belongs");
        values.push_back(*value);
    }
    auto want = [&](std::size_t count, const char* form) -> bool {
        if (values.size() == count) return true;
        fail("the tool \"" + std::string(text) + "\" should be written " + form);
        return false;
    };
    auto positive = [&](double value, const char* what) -> bool {
        if (value > 0) return true;
        fail("the tool's " + std::string(what) + " must be more than 0 mm (got " +
             FormatGeneral(value) + ")");
        return false;
    };
    auto angle = [&](double value) -> bool {
        if (value > 0 && value < 180) return true;
        fail("the tool's included angle must lie between 0 and 180 degrees (got " +
             FormatGeneral(value) + ")");
        return false;
    };
    Tool tool;
    if (kind == "ball" || kind == "flat") {
        if (!want(1, kind == "ball" ? "ball:DIAMETER" : "flat:DIAMETER")) return std::nullopt;
        if (!positive(values[0], "diameter")) return std::nullopt;
        tool.shape = kind == "ball" ? ToolShape::Ball : ToolShape::Flat;
        tool.diameter = values[0];
    } else if (kind == "vee") {
        if (!want(2, "vee:ANGLE:DIAMETER")) return std::nullopt;
        if (!angle(values[0]) || !positive(values[1], "diameter")) return std::nullopt;
        tool.shape = ToolShape::Vee;
        tool.includedAngle = values[0];
        tool.diameter = values[1];
    } else if (kind == "taper") {
        if (!want(3, "taper:TIP_DIAMETER:ANGLE:SHANK_DIAMETER")) return std::nullopt;
        if (!positive(values[0], "tip diameter") || !angle(values[1]) ||
            !positive(values[2], "shank diameter"))
            return std::nullopt;
        tool.shape = ToolShape::TaperedBall;
        tool.tipDiameter = values[0];
        tool.includedAngle = values[1];
        tool.diameter = values[2];
        // The cone widens from the ball to the shank: a shank no wider than the tip leaves
        // no taper.
        if (!(tool.diameter > tool.tipDiameter))
            return fail("the tapered tool's shank (" + FormatGeneral(values[2]) +
                        " mm) must be wider than its tip (" + FormatGeneral(values[0]) + " mm)");
    } else {
        return fail("unknown tool \"" + std::string(text) +
                    "\": use ball:D, flat:D, vee:ANGLE:D or taper:TIPD:ANGLE:SHANKD");
    }
    return tool;
}

std::string DescribeTool(const Tool& tool) {
    switch (tool.shape) {
        case ToolShape::Ball: return FormatGeneral(tool.diameter) + " mm ball nose";
        case ToolShape::Flat: return FormatGeneral(tool.diameter) + " mm flat end";
        case ToolShape::Vee:
            return FormatGeneral(tool.includedAngle) + " degree V-bit, " +
                   FormatGeneral(tool.diameter) + " mm";
        case ToolShape::TaperedBall:
            return FormatGeneral(tool.tipDiameter) + " mm tapered ball nose, " +
                   FormatGeneral(tool.includedAngle) + " degree taper, " +
                   FormatGeneral(tool.diameter) + " mm shank";
    }
    return {};
}

}  // namespace vantorel
