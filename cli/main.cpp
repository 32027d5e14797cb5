// vantorel-cli: the conversion run of the window, driven from the command line.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "core/clearance_rule.h"
#include "core/conversion_run.h"
#include "core/file_names.h"
#include "io/picture_file.h"
#include "io/settings_file.h"
#include "writers/formats.h"

namespace vantorel {
namespace {

class CommandLineHost final : public RunHost {
public:
    CommandLineHost(std::array<std::string, 12> fields, const Picture* picture, bool quiet,
                    const ToolpathSettings* toolpath)
        : fields_(std::move(fields)), picture_(picture), quiet_(quiet),
          showBar_(!quiet && ::isatty(STDERR_FILENO)), toolpath_(toolpath) {}

    std::string FieldText(Field field) const override { return fields_[static_cast<int>(field)]; }
    void SetStatus(const std::string& text) override {
        ClearBar();
        if (!quiet_) std::cerr << text << '\n';
        phaseStart_ = std::chrono::steady_clock::now();
    }
    void Repaint() override {}
    void ShowWarning(const std::string& message) override {
        ClearBar();
        std::cerr << message << '\n';
    }
    void ShowError(const std::string& message) override {
        ClearBar();
        std::cerr << "Error: " << message << '\n';
    }
    void SetControlsEnabled(bool) override {}
    const Picture& LoadedPicture() const override { return *picture_; }
    const ToolpathSettings* Toolpath() const override { return toolpath_; }

    void Progress(std::uint64_t done, std::uint64_t total) override {
        if (!showBar_ || total == 0) return;
        using namespace std::chrono;
        if (steady_clock::now() - phaseStart_ < milliseconds(400)) return;
        const int width = 40;
        const int filled = static_cast<int>(done * width / total);
        std::string bar = "\r[" + std::string(filled, '#') + std::string(width - filled, '.') + "] " +
                          std::to_string(done * 100 / total) + "%";
        std::cerr << bar << std::flush;
        barShown_ = true;
    }

private:
    void ClearBar() {
        if (barShown_) std::cerr << "\r" << std::string(50, ' ') << "\r";
        barShown_ = false;
    }

    std::array<std::string, 12> fields_;
    const Picture* picture_;
    bool quiet_;
    bool showBar_;
    bool barShown_ = false;
    const ToolpathSettings* toolpath_;
    std::chrono::steady_clock::time_point phaseStart_ = std::chrono::steady_clock::now();
};

// The finishing program's header states its estimated machining time; say it here too.
void PrintMachiningTime(const std::string& program) {
    std::ifstream in(program);
    const std::string mark = "( Estimated machining time: ";
    std::string text;
    for (int k = 0; k < 40 && std::getline(in, text); ++k)
        if (text.rfind(mark, 0) == 0) {
            const std::size_t end = text.find(" )");
            std::cerr << "Estimated machining time: " << text.substr(mark.size(), end - mark.size()) << '\n';
            return;
        }
}

// The texts the window would hold: its first-start defaults, then the settings file, then
// what was typed on the command line.
std::array<std::string, 12> FieldTexts(const CommandLine& line) {
    std::array<std::string, 12> texts;
    for (int f = static_cast<int>(Field::LeftX); f <= static_cast<int>(Field::Footer); ++f)
        texts[f] = DefaultFieldText(static_cast<Field>(f));
    if (line.settings) {
        SettingsFile settings(*line.settings);
        for (const FieldKey& k : kFieldKeys) {
            const int f = static_cast<int>(k.field);
            texts[f] = settings.ReadString(k.section, k.key, texts[f]);
        }
    }
    texts[static_cast<int>(Field::PicturePath)] = line.picture;
    texts[static_cast<int>(Field::OutputName)] = ChangeFileExt(line.picture, kOutputNameSuffix);
    for (int f = 1; f < 12; ++f)
        if (line.fields[f]) texts[f] = *line.fields[f];
    return texts;
}

int Main(const std::vector<std::string>& arguments) {
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    if (!parsed.commandLine) {
        std::cerr << "vantorel-cli: " << parsed.problem << "\nTry 'vantorel-cli --help'.\n";
        return kExitUsage;
    }
    const CommandLine& line = *parsed.commandLine;
    if (line.help) {
        std::cout << HelpText();
        return kExitWritten;
    }
    if (line.version) {
        std::cout << "vantorel-cli " << VANTOREL_VERSION << '\n';
        return kExitWritten;
    }
    if (line.settings && ::access(line.settings->c_str(), R_OK) != 0) {
        std::cerr << "vantorel-cli: cannot read the settings file \"" << *line.settings << "\"\n";
        return kExitUsage;
    }

    std::optional<ToolpathSettings> toolpath;
    if (line.toolpathAsked) {
        std::string problem;
        toolpath = ParseToolpathSettings(line.toolpath, &problem);
        if (!toolpath) {
            std::cerr << "vantorel-cli: " << problem << '\n';
            return kExitRefused;
        }
    }

    std::array<std::string, 12> texts = FieldTexts(line);
    const int work = static_cast<int>(Field::WorkSurface);
    const int clearance = static_cast<int>(Field::Clearance);
    if (auto raised = RaisedClearance(texts[work], texts[clearance])) {
        std::cerr << "Note: the clearance height \"" << texts[clearance]
                  << "\" is below the work surface; it is raised to " << *raised << ".\n";
        texts[clearance] = *raised;
    }

    // The picture is read once, as the window reads it when it is chosen.
    PictureLoad load;
    if (IsExistingFile(line.picture)) {
        load = LoadPictureFile(line.picture);
        if (!load.picture) {
            std::cerr << "Picture did not load: " << line.picture << ": " << load.problem << '\n';
            return kExitRefused;
        }
        if (!line.quiet)
            std::cerr << "Picture loaded and is = " << load.picture->Width() << "W x "
                      << load.picture->Height() << "H Pixels\n";
    }
    static const ColourTable kNoPicture(0, 0);
    const Picture* picture = load.picture ? load.picture.get() : nullptr;
    CommandLineHost host(texts, picture ? picture : &kNoPicture, line.quiet,
                         toolpath ? &*toolpath : nullptr);

    int status = kExitWritten;
    for (FormatKind kind : line.formats) {
        const OutputFormat& format = FormatOf(kind);
        switch (ConversionRun(host, format)) {
            case RunOutcome::Completed:
                std::cout << format.OutputPath(texts[static_cast<int>(Field::OutputName)]) << '\n';
                if (toolpath && kind == FormatKind::Nc && !line.quiet)
                    PrintMachiningTime(format.OutputPath(texts[static_cast<int>(Field::OutputName)]));
                break;
            case RunOutcome::Aborted:
                if (status == kExitWritten) status = kExitRefused;
                break;
            case RunOutcome::Failed:
                status = kExitRunError;
                break;
        }
    }
    return status;
}

}  // namespace
}  // namespace vantorel

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return vantorel::Main(arguments);
}
