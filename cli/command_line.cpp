#include "cli/command_line.h"

#include <algorithm>
#include <map>

namespace vantorel {
namespace {

const std::map<std::string, Field>& FieldOptions() {
    static const std::map<std::string, Field> options{
        {"--output", Field::OutputName},   {"--left-x", Field::LeftX},
        {"--wrap-angle", Field::WrapAngle}, {"--length", Field::ImageLength},
        {"--work-surface", Field::WorkSurface}, {"--depth", Field::DepthofCut},
        {"--feedrate", Field::Feedrate},   {"--clearance", Field::Clearance},
        {"--header", Field::Header},       {"--footer", Field::Footer},
    };
    return options;
}

// The finishing program's options and where their texts go.
std::string* ToolpathText(const std::string& name, ToolpathTexts& texts) {
    if (name == "--tool") return &texts.tool;
    if (name == "--pattern") return &texts.pattern;
    if (name == "--stepover") return &texts.stepover;
    if (name == "--tolerance") return &texts.tolerance;
    if (name == "--feed-mode") return &texts.feedMode;
    if (name == "--border") return &texts.border;
    if (name == "--rapid-rate") return &texts.rapidRate;
    return nullptr;
}

// The simulation's options that take a value.
std::optional<std::string>* SimulationText(const std::string& name, CommandLine& line) {
    if (name == "--simulate-only") return &line.simulateOnly;
    if (name == "--report") return &line.report;
    if (name == "--sim-resolution") return &line.simResolution;
    return nullptr;
}

bool AddFormats(const std::string& name, std::vector<FormatKind>& formats) {
    std::vector<FormatKind> named;
    if (name == "nc") named = {FormatKind::Nc};
    else if (name == "stl") named = {FormatKind::Stl};
    else if (name == "obj") named = {FormatKind::Obj};
    else if (name == "dxf") named = {FormatKind::Dxf};
    else if (name == "all") named = {FormatKind::Dxf, FormatKind::Stl, FormatKind::Obj, FormatKind::Nc};
    else return false;
    for (FormatKind kind : named)
        if (std::find(formats.begin(), formats.end(), kind) == formats.end()) formats.push_back(kind);
    return true;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    auto fail = [](std::string problem) { return ParsedCommandLine{std::nullopt, std::move(problem)}; };
    bool onlyNames = false;
    for (std::size_t k = 0; k < arguments.size(); ++k) {
        std::string argument = arguments[k];
        if (onlyNames || argument == "-" || argument.empty() || argument[0] != '-') {
            if (!line.picture.empty())
                return fail("only one picture can be converted at a time (got \"" + line.picture +
                            "\" and \"" + argument + "\")");
            line.picture = argument;
            continue;
        }
        if (argument == "--") {
            onlyNames = true;
            continue;
        }
        if (argument == "-h" || argument == "--help") { line.help = true; continue; }
        if (argument == "--version") { line.version = true; continue; }
        if (argument == "-q" || argument == "--quiet") { line.quiet = true; continue; }
        if (argument == "--simulate") { line.simulate = true; continue; }

        // Options that take a value: "--name VALUE", "--name=VALUE", "-f VALUE", "-fVALUE".
        std::string name = argument;
        std::optional<std::string> value;
        if (argument.rfind("--", 0) == 0) {
            if (auto equals = argument.find('='); equals != std::string::npos) {
                name = argument.substr(0, equals);
                value = argument.substr(equals + 1);
            }
        } else if (argument.size() > 2) {
            name = argument.substr(0, 2);
            value = argument.substr(2);
        }
        if (name == "-f") name = "--format";
        if (name == "-o") name = "--output";
        const bool known = name == "--format" || name == "--settings" || FieldOptions().count(name) != 0 ||
                           ToolpathText(name, line.toolpath) != nullptr ||
                           SimulationText(name, line) != nullptr;
        if (!known) return fail("unknown option \"" + argument + "\"");
        if (!value) {
            if (k + 1 >= arguments.size()) return fail("option " + name + " needs a value");
            value = arguments[++k];
        }
        if (name == "--format") {
            if (!AddFormats(*value, line.formats))
                return fail("unknown format \"" + *value + "\" (use nc, stl, obj, dxf or all)");
        } else if (name == "--settings") {
            line.settings = *value;
        } else if (std::optional<std::string>* simulation = SimulationText(name, line)) {
            *simulation = *value;
        } else if (std::string* text = ToolpathText(name, line.toolpath)) {
            *text = *value;
            line.toolpathAsked = true;
        } else {
            const Field field = FieldOptions().at(name);
            if ((field == Field::Header || field == Field::Footer) &&
                value->find_first_of("\r\n") != std::string::npos)
                return fail("the " + std::string(field == Field::Header ? "header" : "footer") +
                            " is one line of the G-code file and cannot hold a line break");
            line.fields[static_cast<int>(field)] = *value;
        }
    }
    if (line.help || line.version) return {line, ""};
    if (line.picture.empty()) return fail("no picture given");
    if (line.simulate && line.simulateOnly)
        return fail("--simulate and --simulate-only cannot be given together");
    if ((line.simulate || line.simulateOnly) && line.toolpath.tool.empty())
        return fail("a simulation needs the tool in the spindle: --tool ball:D, flat:D, "
                    "vee:ANGLE:D or taper:TIPD:ANGLE:SHANKD");
    if ((line.report || line.simResolution) && !line.simulate && !line.simulateOnly)
        return fail("--report and --sim-resolution go with --simulate or --simulate-only");
    if (line.simulate && !line.formats.empty() &&
        std::find(line.formats.begin(), line.formats.end(), FormatKind::Nc) == line.formats.end())
        return fail("--simulate simulates the NC program it writes: add -f nc");
    // Simulating a given program writes no conversion output unless one is asked for.
    if (line.formats.empty() && !line.simulateOnly) line.formats.push_back(FormatKind::Nc);
    return {line, ""};
}

std::string HelpText() {
    return R"(Usage: vantorel-cli [options] PICTURE

Turns a depth map (a BMP picture: black = no cut, the brightest pixel = the full
depth of cut) wrapped round a cylinder into G-code for a mill with a rotary A axis,
and into STL, OBJ and DXF models of the wrapped relief. Columns of the picture run
along X; rows run round the A axis from angle 0 (the top row).

Outputs:
  -f, --format nc|stl|obj|dxf|all   what to write; repeatable; default nc
  -o, --output NAME                 the output name. The DXF is written to NAME as
                                    given; the others to NAME with its extension
                                    changed to .stl, .obj or .nc. Default: PICTURE
                                    with its extension changed to " Vantorel.dxf".
Wrapping (each T is the text you would type in the window's field):
  --left-x T         X of the picture's left edge, mm            (default 0.0)
  --wrap-angle T     degrees the picture's height is wrapped     (default 360)
  --length T         length of the picture along X, mm           (default 100.0)
  --work-surface T   Z (radius) of the uncut work surface, mm    (default 7.5)
  --depth T          depth of cut at the brightest pixel, mm     (default 1.0)
G-code only:
  --feedrate T       cutting feed rate, mm/min                   (default 200)
  --clearance T      Z of the retract plane, mm; raised to work surface + 1
                     when below the work surface                 (default 10)
  --header T         one G-code line after the header comment    (default empty)
  --footer T         the program's last line                     (default M2)
Finishing with a real cutter (the NC file only; without --tool the NC file is
the original program, which follows the tool's tip over the pixels):
  --tool ball:D | flat:D | vee:ANGLE:D | taper:TIPD:ANGLE:SHANKD
                     the cutter in the spindle, in mm and degrees: a ball nose
                     of diameter D, a flat end, a V-bit of included ANGLE, a
                     tapered ball nose (tip diameter, included taper angle,
                     shank diameter). The tool's whole body, shank included, is
                     kept out of the relief.
  --pattern rows|rings|spiral
                     rows: passes along X at fixed A (as the original program);
                     rings: passes round A at fixed X; spiral: one helix, X
                     advancing a stepover per turn (full turn only; A grows past
                     360, so the A axis must not wrap)           (default rows)
  --stepover MM      distance between passes: arc length at the work surface
                     for rows, along X for rings and spiral; at most the tool's
                     diameter; smaller leaves lower scallops     (default D / 10)
  --tolerance MM     how far a straight move may cut below the exact height the
                     tool may reach; it is also how straight a stretch must be
                     to become one move                          (default 0.002)
  --feed-mode units|inverse-time
                     units (G94): F in mm/min; LinuxCNC times a move that turns
                     A by its X and Z travel alone, right for rows. inverse-time
                     (G93): every move gets F = 1/minutes from the length its
                     contact point travels on the work, so the surface moves at
                     the feed rate while A turns: the default for rings and
                     spiral
  --border stock|free
                     stock: beyond the picture (before its first and after its
                     last column, outside a wrap under 360) the stock is uncut
                     and is not cut; free: it is air             (default stock)
  --rapid-rate MM_PER_MIN
                     rapid speed for the machining-time estimate (default 2000)
Simulation (the material a program removes, cell by cell, against the relief's
own triangles; the stock beyond the picture must stay uncut):
  --simulate         after writing the NC program, simulate it with the --tool
  --simulate-only PROGRAM.nc
                     simulate any G-code program (ours, another CAM's, one
                     written by hand) against PICTURE and the wrapping given,
                     with the --tool given; writes no conversion output
  --sim-resolution MM  the stock's cell size (default: a quarter of the smaller
                     pixel pitch); finer is slower and shows more
  --report FILE.json the figures as JSON: gouge_max_mm and where, left_max_mm,
                     left_mean_mm, within_tolerance_share, removed_mm3,
                     time_min, rapids_through_stock
                     Both write NAME.deviation.png (red: gouge, green: within the
                     --tolerance, blue: material left; X across, angle down) and
                     NAME.carved.png beside the program (NAME: the program's
                     name without .nc), the summary on stderr; the time uses
                     --rapid-rate. Exit 3 when the program gouges the relief or
                     the stock beyond the tolerance.
Other:
  --settings FILE    take the field texts from a Data.ini first (options given
                     here still win)
  -q, --quiet        no status texts on stderr
  -h, --help         this text
  --version          the program's version

Nothing is ever overwritten: when an output file exists, that output is refused.
Each output appears whole or not at all.

Exit status: 0 every requested file written (and a simulated program within
tolerance); 1 a job refused (the reason on stderr); 2 an error during a run;
3 the simulated program gouges; 64 bad usage.

Example:
  vantorel-cli -f nc -f stl --length 120 --work-surface 25 --depth 2 face.bmp
    writes "face Vantorel.nc" and "face Vantorel.stl" beside face.bmp.
)";
}

}  // namespace vantorel
