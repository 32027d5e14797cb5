// vantorel-cli: the conversion run of the window, driven from the command line.

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
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
#include "core/number_text.h"
#include "core/run_error.h"
#include "io/picture_file.h"
#include "io/settings_file.h"
#include "io/sim_pictures.h"
#include "sim/simulation.h"
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

// The simulation's outputs: NAME.deviation.png and NAME.carved.png beside the program
// (NAME: the program's name without .nc), and the report where asked.
struct SimulationOutputs {
    std::string deviation;
    std::string carved;
    std::string report;
};

SimulationOutputs SimulationOutputsFor(const std::string& program, const CommandLine& line) {
    return {ChangeFileExt(program, ".deviation.png"), ChangeFileExt(program, ".carved.png"),
            line.report.value_or("")};
}

// Everything a simulation can be refused for, checked before anything is written. Gives the
// cell size asked for (0: the default) in `cell`.
std::optional<std::string> CheckSimulation(const CommandLine& line, const std::string& program,
                                           const Picture* picture, double* cell) {
    if (line.simResolution) {
        char* end = nullptr;
        *cell = std::strtod(line.simResolution->c_str(), &end);
        if (line.simResolution->empty() || *end != '\0' || !(*cell > 0) || !std::isfinite(*cell))
            return "the simulation's cell size (--sim-resolution \"" + *line.simResolution +
                   "\") must be a number of mm above 0";
    }
    if (line.simulateOnly) {
        if (!picture) return "the picture \"" + line.picture + "\" does not exist";
        if (!IsExistingFile(program) || ::access(program.c_str(), R_OK) != 0)
            return "cannot read the program \"" + program + "\"";
    }
    const SimulationOutputs outputs = SimulationOutputsFor(program, line);
    for (const std::string* path : {&outputs.deviation, &outputs.carved, &outputs.report})
        if (!path->empty() && IsPathTaken(*path))
            return "\"" + *path + "\" exists; the simulation never writes over a file";
    return std::nullopt;
}

// The wrapping as a run reads it from the fields, with what a simulation needs of it.
std::optional<WrapParameters> SimulationParameters(const std::array<std::string, 12>& texts,
                                                   const Picture& picture, std::string* problem) {
    auto number = [&](Field field, double fallback) {
        return ParseNumber(texts[static_cast<int>(field)], fallback);
    };
    WrapParameters p;
    p.LeftX = number(Field::LeftX, 0);
    p.WrapAngle = number(Field::WrapAngle, 360);
    p.ImageLength = number(Field::ImageLength, 100);
    p.WorkSurface = number(Field::WorkSurface, 7.5);
    p.DepthofCut = number(Field::DepthofCut, 1);
    if (picture.Width() < 2 || picture.Height() < 1)
        *problem = "a simulation needs a picture at least 2 pixels wide";
    else if (!(p.ImageLength > 0))
        *problem = "a simulation needs a length along X above 0 mm";
    else if (!(p.WorkSurface > 0))
        *problem = "a simulation needs the work surface above 0 mm from the rotary axis";
    else if (!(p.WrapAngle > 0 && p.WrapAngle <= 360))
        *problem = "a simulation needs a wrap angle above 0 and at most 360 degrees";
    if (!problem->empty()) return std::nullopt;
    p.XStep = ComputeXStep(p.ImageLength, picture.Width());
    p.AngleStep = ComputeAngleStep(p.WrapAngle, picture.Height());
    p.AngleStepDegrees = ComputeAngleStepDegrees(p.WrapAngle, picture.Height());
    return p;
}

void SaveWhole(const std::string& path, const std::string& bytes) {
    std::unique_ptr<OutputFile> out = CreateOutputFile(path);
    out->Write(bytes);
    out->Commit();
}

// Simulates the program with the job's tool against the picture; writes the pictures and
// the report only when the program could be read to its end.
int SimulateProgram(const std::string& program, const CommandLine& line,
                    const std::array<std::string, 12>& texts, const Picture& picture,
                    const ToolpathSettings& settings, double cell) {
    std::string problem;
    const std::optional<WrapParameters> parameters = SimulationParameters(texts, picture, &problem);
    if (!parameters) {
        std::cerr << "vantorel-cli: " << problem << "; nothing written\n";
        return kExitRefused;
    }
    std::ifstream in(program, std::ios::binary);
    if (!in) {
        std::cerr << "vantorel-cli: cannot read the program \"" << program << "\"\n";
        return kExitRefused;
    }
    try {
        auto grid = std::make_unique<DepthGrid>(picture.Width(), picture.Height(), GridShape::Closed);
        try {
            BuildDepthGrid(*grid, picture, parameters->DepthofCut);
        } catch (const RunError&) {
            // An all-black picture: the relief is the uncut work surface.
            grid = std::make_unique<DepthGrid>(picture.Width(), picture.Height(), GridShape::Closed);
        }
        SimulationOptions options;
        options.resolution = cell;
        options.tolerance = settings.tolerance;
        options.rapidRate = settings.rapidRate;
        if (!line.quiet)
            std::cerr << "Simulating " << program << " with a " << DescribeTool(settings.tool)
                      << '\n';
        const SimulationResult result = Simulate(in, settings.tool, *grid, *parameters, options);
        if (result.problem) {
            std::cerr << "vantorel-cli: " << program;
            if (result.problem->line > 0) std::cerr << " line " << result.problem->line;
            std::cerr << ": " << result.problem->message << "; nothing written\n";
            return kExitRefused;
        }
        for (const std::string& warning : result.warnings)
            std::cerr << "Warning: " << program << ": " << warning << '\n';
        std::cerr << ReportSummary(result.report);
        const SimulationOutputs outputs = SimulationOutputsFor(program, line);
        SaveWhole(outputs.deviation, PngBytes(DeviationImage(result)));
        SaveWhole(outputs.carved, PngBytes(CarvedImage(result)));
        if (!outputs.report.empty())
            SaveWhole(outputs.report,
                      ReportJson(result.report, program, DescribeTool(settings.tool)));
        std::cout << outputs.deviation << '\n' << outputs.carved << '\n';
        if (!outputs.report.empty()) std::cout << outputs.report << '\n';
        return result.report.Gouges() ? kExitGouges : kExitWritten;
    } catch (const TargetExists& taken) {
        std::cerr << "Error: \"" << taken.what() << "\" appeared meanwhile; it is not written over\n";
    } catch (const std::bad_alloc&) {
        std::cerr << "Error: Out of memory\n";
    } catch (const std::exception& error) {
        std::cerr << "Error: " << error.what() << '\n';
    }
    return kExitRunError;
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

    // The simulation is checked whole before any output is written.
    std::string simulated;
    double cell = 0;
    if (line.simulate || line.simulateOnly) {
        simulated = line.simulateOnly ? *line.simulateOnly
                                      : FormatOf(FormatKind::Nc).OutputPath(
                                            texts[static_cast<int>(Field::OutputName)]);
        if (auto refused = CheckSimulation(line, simulated, picture, &cell)) {
            std::cerr << "vantorel-cli: " << *refused << '\n';
            return kExitRefused;
        }
    }

    int status = kExitWritten;
    bool ncWritten = false;
    for (FormatKind kind : line.formats) {
        const OutputFormat& format = FormatOf(kind);
        switch (ConversionRun(host, format)) {
            case RunOutcome::Completed:
                ncWritten = ncWritten || kind == FormatKind::Nc;
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
    if (!simulated.empty() && (line.simulateOnly || ncWritten)) {
        const int outcome = SimulateProgram(simulated, line, texts, *picture, *toolpath, cell);
        if (status == kExitWritten) status = outcome;
    }
    return status;
}

}  // namespace
}  // namespace vantorel

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return vantorel::Main(arguments);
}
