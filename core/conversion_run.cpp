#include "core/conversion_run.h"

#include <memory>
#include <new>

#include "core/depth_grid.h"
#include "core/number_text.h"
#include "core/run_error.h"
#include "core/toolpath_settings.h"
#include "core/wrap_parameters.h"

namespace vantorel {
namespace {

constexpr const char* kAborted = "Conversion Aborted";

// A field's number, as a run reads it.
double FieldNumber(const RunHost& host, Field field) {
    return ParseNumber(host.FieldText(field), DefaultOf(field).value);
}

WrapParameters ReadParameters(const RunHost& host, const OutputFormat& format, int width,
                              int height) {
    auto number = [&](Field field) { return FieldNumber(host, field); };
    WrapParameters p;
    p.LeftX = number(Field::LeftX);
    p.WrapAngle = number(Field::WrapAngle);
    if (format.kind == FormatKind::Nc)
        p.AngleStepDegrees = ComputeAngleStepDegrees(p.WrapAngle, height);
    else
        p.AngleStep = ComputeAngleStep(p.WrapAngle, height);
    p.ImageLength = number(Field::ImageLength);
    p.XStep = ComputeXStep(p.ImageLength, width);
    p.WorkSurface = number(Field::WorkSurface);
    p.DepthofCut = number(Field::DepthofCut);
    if (format.readsMachiningFields) {
        p.Feedrate = number(Field::Feedrate);
        p.Clearance = number(Field::Clearance);
        p.Header = host.FieldText(Field::Header);
        p.Footer = host.FieldText(Field::Footer);
    }
    return p;
}

}  // namespace

std::optional<std::string> ValidateJob(const RunHost& host, const OutputFormat& format) {
    const std::string picturePath = host.FieldText(Field::PicturePath);
    const std::string outputName = host.FieldText(Field::OutputName);
    if (picturePath.empty() || outputName.empty())
        return "Need two file names\n\nConversion Aborted.";
    const std::string outputPath = format.OutputPath(outputName);
    if (host.LowerCase(picturePath) == host.LowerCase(outputPath))
        return "Both file names the same\n\nConversion Aborted.";
    if (host.FieldText(Field::WrapAngle).empty())
        return "Please enter a maximum value for\nthe angle subtended by the image\n\n"
               "Conversion Aborted.";
    if (ParseNumber(host.FieldText(Field::ImageLength), 0) == 0)
        return "The Image has zero length along the X Axis.\n\nConversion Aborted.";
    if (ParseNumber(host.FieldText(Field::WorkSurface), 0) == 0)
        return "The nominal work surface is at the rotary Axis centre.\n\nConversion Aborted.";
    if (ParseNumber(host.FieldText(Field::DepthofCut), 0) == 0)
        return "The depth of cut is zero, so no machining will occur.\n\nConversion Aborted.";
    if (!host.FileExists(picturePath)) return "The input file does not exist.\n\nPlease check";
    if (const ToolpathSettings* toolpath = host.Toolpath(); toolpath && format.kind == FormatKind::Nc) {
        WrapParameters p;
        p.WrapAngle = FieldNumber(host, Field::WrapAngle);
        p.WorkSurface = FieldNumber(host, Field::WorkSurface);
        p.DepthofCut = FieldNumber(host, Field::DepthofCut);
        p.Feedrate = FieldNumber(host, Field::Feedrate);
        p.Clearance = FieldNumber(host, Field::Clearance);
        if (auto problem = CheckToolpathJob(*toolpath, p)) return *problem + "\n\nConversion Aborted.";
    }
    if (host.PathTaken(outputPath)) return std::string(format.overwriteMessage);
    return std::nullopt;
}

RunOutcome ConversionRun(RunHost& host, const OutputFormat& format) {
    if (auto warning = ValidateJob(host, format)) {
        host.ShowWarning(*warning);
        host.SetStatus(kAborted);
        return RunOutcome::Aborted;
    }

    const Picture& picture = host.LoadedPicture();
    const int width = picture.Width();
    const int height = picture.Height();
    const std::string outputPath = format.OutputPath(host.FieldText(Field::OutputName));

    std::unique_ptr<DepthGrid> grid;
    try {
        // The NC program cuts a row at a time, the models walk columns.
        grid = std::make_unique<DepthGrid>(
            width, height, format.shape,
            format.kind == FormatKind::Nc ? GridOrder::ByRow : GridOrder::ByColumn);
    } catch (const std::bad_alloc&) {
        host.ShowError("Out of memory");
        return RunOutcome::Failed;
    }

    // From here on the end-of-run steps always run.
    std::string error;
    bool failed = false;
    try {
        host.SetControlsEnabled(false);
        const WrapParameters parameters = ReadParameters(host, format, width, height);

        host.SetStatus("Checking max brightness values");
        host.Repaint();
        BuildDepthGrid(*grid, picture, parameters.DepthofCut);

        host.SetStatus(std::string(format.buildingStatus));
        host.Repaint();
        std::unique_ptr<OutputFile> output = host.CreateOutput(outputPath);
        format.write(WriterJob{*grid, parameters, outputPath,
                               format.kind == FormatKind::Nc ? host.Toolpath() : nullptr},
                     *output,
                     [&host](std::uint64_t done, std::uint64_t total) { host.Progress(done, total); });

        host.SetStatus(std::string(format.savingStatus));
        host.Repaint();
        output->Commit();
        output.reset();
        host.Repaint();
    } catch (const TargetExists&) {
        failed = true;
        error = std::string(format.overwriteMessage);
    } catch (const std::bad_alloc&) {
        failed = true;
        error = "Out of memory";
    } catch (const std::exception& e) {
        failed = true;
        error = e.what();
    }

    host.SetControlsEnabled(true);
    grid.reset();
    host.SetStatus(failed ? "Conversion Failed" : "Complete");
    host.Repaint();
    if (failed) {
        host.ShowError(error);
        return RunOutcome::Failed;
    }
    return RunOutcome::Completed;
}

}  // namespace vantorel
