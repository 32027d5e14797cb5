// Reading a field's text: any bytes at all give a finite number, and the default exactly when
// the text reads as no number.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/number_text.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double value = vantorel::ParseNumber(text, 7.5);
    FUZZ_CHECK(std::isfinite(value), "read as %g", value);
    // Whether the text gave a number cannot depend on the default offered.
    const double other = vantorel::ParseNumber(text, -3.25);
    FUZZ_CHECK(value == other || (value == 7.5 && other == -3.25), "%g against %g", value, other);
    if (text.empty()) FUZZ_CHECK(value == 7.5, "empty text read as %g", value);
    return 0;
}
