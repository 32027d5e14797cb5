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

namespace {

using namespace vantorel;

// Passes the bytes on to a file the host keeps after the run has let go of its output.
class KeptOutput final : public OutputFile {
public:
    explicit KeptOutput(std::shared_ptr<MemoryOutputFile> file) : file_(std::move(file)) {}
    void Write(std::string_view bytes) override { file_->Write(bytes); }
    void Commit() override { file_->Commit(); }

private:
    std::shared_ptr<MemoryOutputFile> file_;
};

class MemoryHost final : public RunHost {
public:
    MemoryHost(const Picture& picture, std::array<std::string, 12> fields)
        : picture_(picture), fields_(std::move(fields)) {}

    std::string FieldText(Field field) const override { return fields_[static_cast<int>(field)]; }
    void SetStatus(const std::string&) override {}
    void Repaint() override {}
    void ShowWarning(const std::string& message) override { warning = message; }
    void ShowError(const std::string& message) override { error = message; }
    void SetControlsEnabled(bool) override {}
    const Picture& LoadedPicture() const override { return picture_; }
    bool FileExists(const std::string&) const override { return true; }
    bool PathTaken(const std::string&) const override { return false; }
    std::unique_ptr<OutputFile> CreateOutput(const std::string&) override {
        output = std::make_shared<MemoryOutputFile>();
        return std::make_unique<KeptOutput>(output);
    }

    std::string warning;
    std::string error;
    std::shared_ptr<MemoryOutputFile> output;

private:
    const Picture& picture_;
    std::array<std::string, 12> fields_;
};

}  // namespace

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

    std::array<std::string, 12> fields;
    for (int f = 1; f < 12; ++f) fields[f] = DefaultFieldText(static_cast<Field>(f));
    fields[static_cast<int>(Field::PicturePath)] = "in.bmp";
    fields[static_cast<int>(Field::OutputName)] = "out.dxf";
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
        fields[f] = std::move(text);
    }

    MemoryHost host(picture, fields);
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
        case RunOutcome::Failed:
            FUZZ_CHECK(host.error == kFloatingOverflow || host.error == kDivisionByZero,
                       "run failed with \"%s\"", host.error.c_str());
            FUZZ_CHECK(!(host.output && host.output->IsCommitted()), "a failed run left a file");
            break;
        case RunOutcome::Aborted:
            FUZZ_CHECK(!host.warning.empty() && !host.output, "refused without a warning");
            break;
    }
    return 0;
}
