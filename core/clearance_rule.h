#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantorel {

// The clearance height is never left below the work surface: when the clearance text reads
// (default 0) below the work surface text (default 7.5), the clearance becomes the work
// surface plus 1, in the general number form. Returns the new clearance text, or nothing when
// the clearance may stay.
std::optional<std::string> RaisedClearance(std::string_view workSurfaceText,
                                           std::string_view clearanceText);

}  // namespace vantorel
