// The two number forms against the slow exact reference, for any double, any count of
// decimals and any precision, and the hot-path forms against both. A value that is no number
// never becomes text.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "core/number_text.h"
#include "core/run_error.h"
#include "fuzz/fuzz_check.h"
#include "tests/number_reference.h"

namespace {

using namespace vantorel;

template <typename Form>
bool Raises(Form form) {
    try {
        form();
    } catch (const RunError&) {
        return true;
    }
    return false;
}

// The hot path writes into exactly kMaxNumberText bytes, so a longer text is an overflow.
template <typename Write>
std::string Written(Write write) {
    auto room = std::make_unique<char[]>(kMaxNumberText);
    char* end = write(room.get());
    return std::string(room.get(), end);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 10) return 0;
    double value;
    std::memcpy(&value, data, sizeof value);
    // Decimals and precision beyond their ranges are clamped by the forms.
    const int decimals = static_cast<std::int8_t>(data[8]);
    const int precision = static_cast<std::int8_t>(data[9]);
    const int d = decimals < 0 ? 0 : decimals > kMaxDecimals ? kMaxDecimals : decimals;
    const int p = precision < 1 ? 1 : precision > kMaxPrecision ? kMaxPrecision : precision;

    if (!std::isfinite(value)) {
        FUZZ_CHECK(Raises([&] { FormatGeneral(value, precision); }), "general of %g", value);
        FUZZ_CHECK(Raises([&] { FormatFixed(value, decimals, precision); }), "fixed of %g", value);
        char room[kMaxNumberText];
        FUZZ_CHECK(Raises([&] { WriteGeneral(room, value, precision); }), "write %g", value);
        FUZZ_CHECK(Raises([&] { WriteFixed(room, value, decimals, precision); }), "write %g", value);
        return 0;
    }

    const std::string general = FormatGeneral(value, precision);
    const std::string expectedGeneral = reference::ReferenceGeneral(value, p);
    FUZZ_CHECK(general == expectedGeneral, "general %.17g at %d: %s, not %s", value, p,
               general.c_str(), expectedGeneral.c_str());
    const std::string fixed = FormatFixed(value, decimals, precision);
    const std::string expectedFixed = reference::ReferenceFixed(value, d, p);
    FUZZ_CHECK(fixed == expectedFixed, "fixed %.17g, %d decimals at %d: %s, not %s", value, d, p,
               fixed.c_str(), expectedFixed.c_str());

    const std::string writtenGeneral = Written([&](char* out) { return WriteGeneral(out, value, precision); });
    FUZZ_CHECK(writtenGeneral == general, "written %s, formed %s", writtenGeneral.c_str(), general.c_str());
    const std::string writtenFixed =
        Written([&](char* out) { return WriteFixed(out, value, decimals, precision); });
    FUZZ_CHECK(writtenFixed == fixed, "written %s, formed %s", writtenFixed.c_str(), fixed.c_str());

    // Seventeen significant digits name every double: the general form reads back exactly.
    const double back = ParseNumber(FormatGeneral(value, 17), std::nan(""));
    FUZZ_CHECK(back == value, "%.17g read back as %.17g", value, back);
    return 0;
}
