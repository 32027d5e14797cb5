// Whole conversion runs in memory on tiny pictures with fuzzed field texts, all four formats:
// a run completes with nothing but finite numbers in its file, or fails with a floating-point
// error and leaves no file, or is refused by the validation chain.
//
// Input: format, width and height (1 to 8), then the pixels as red, green, blue bytes, then
// the field texts LeftX, WrapAngle, ImageLength, WorkSurface, DepthofCut, Feedrate,
// Clearance, Header and Footer, each ended by a 0xff byte.

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "core/conversion_run.h"
#include "core/run_error.h"
#include "fuzz/fuzz_check.h"
#include "tests/fake_host.h"
#include "writers/formats.h"

using namespace vantorel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const OutputFormat& format = FormatOf(static_cast<FormatKind>(data[0] % 4));
    const int width = 1 + data[1] % 8;
    const int height = 1 + data[2] % 8;
    std::size_t at = 3;
    auto next = [&]() -> std::uint8_t { return at < size ? data[at++] : 0; };

    ColourTable picture(width, height);
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i) {
            const std::uint32_t r = next(), g = next(), b = next();
            picture.SetColour(i, j, Rgb(r, g, b));
        }

    testing::MemoryHost host(picture);
    for (int f = static_cast<int>(Field::LeftX); f <= static_cast<int>(Field::Footer) && at < size; ++f) {
        const auto* begin = data + at;
        const auto* end = std::find(begin, data + size, 0xff);
        std::string text(begin, end);
        at = static_cast<std::size_t>(end - data) + 1;
        if (f >= static_cast<int>(Field::Header)) {
            // The free G-code lines are copied as typed; kept to one line without the letters
            // of "nan" and "inf", so the check below sees only what the program wrote.
            std::erase_if(text, [](char c) {
                return std::strchr("nNaAiIfF\r\n", c) != nullptr && c != '\0';
            });
        }
        host.Set(static_cast<Field>(f), std::move(text));
    }

    const RunOutcome outcome = ConversionRun(host, format);
    switch (outcome) {
        case RunOutcome::Completed: {
            FUZZ_CHECK(host.output && host.output->IsCommitted(), "completed without a file");
            std::string text = host.output->Bytes();
            std::transform(text.begin(), text.end(), text.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            FUZZ_CHECK(text.find("nan") == std::string::npos && text.find("inf") == std::string::npos,
                       "a non-number in the %s file", std::string(format.name).c_str());
            FUZZ_CHECK(text.size() >= 2 && text.ends_with("\r\n"), "the file does not end a line");
            break;
        }
        case RunOutcome::Failed: {
            const std::string& last = host.events.back();
            FUZZ_CHECK(last == std::string("error:") + kFloatingOverflow ||
                           last == std::string("error:") + kDivisionByZero,
                       "run ended with \"%s\"", last.c_str());
            FUZZ_CHECK(!(host.output && host.output->IsCommitted()), "a failed run left a file");
            break;
        }
        case RunOutcome::Aborted:
            FUZZ_CHECK(host.events.front().starts_with("warning:") && !host.output,
                       "refused without a warning");
            break;
    }
    return 0;
}
