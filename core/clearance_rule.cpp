#include "core/clearance_rule.h"

#include "core/number_text.h"

namespace vantorel {

std::optional<std::string> RaisedClearance(std::string_view workSurfaceText,
                                           std::string_view clearanceText) {
    const double workSurface = ParseNumber(workSurfaceText, 7.5);
    const double clearance = ParseNumber(clearanceText, 0);
    if (!(clearance < workSurface)) return std::nullopt;
    return FormatGeneral(ParseNumber(workSurfaceText, 7.5) + 1);
}

}  // namespace vantorel
