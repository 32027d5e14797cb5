#pragma once

// The INI file that keeps the window's field texts from one start to the next. Values are
// stored as the text typed; a value that a plain INI reader would alter (leading or trailing
// blanks, or one wrapped in double quotes) is written inside a pair of double quotes, which
// reading removes again. Section and key names match without regard to case; lines that
// start with ";" or "#" are comments. A write creates the file's folder when it is missing.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/run_host.h"

namespace vantorel {

// A field text's place in the settings file, in the order the keys are read and written.
struct FieldKey {
    const char* section;
    const char* key;
    Field field;
};
inline constexpr FieldKey kFieldKeys[] = {
    {"Vantorel", "LeftX", Field::LeftX},
    {"Vantorel", "WrapAngle", Field::WrapAngle},
    {"Vantorel", "ImageLength", Field::ImageLength},
    {"Vantorel", "WorkSurface", Field::WorkSurface},
    {"Vantorel", "DepthofCut", Field::DepthofCut},
    {"Vantorel", "Feedrate", Field::Feedrate},
    {"Vantorel", "Clearance", Field::Clearance},
    {"GCode", "Header", Field::Header},
    {"GCode", "Footer", Field::Footer},
};

class SettingsFile {
public:
    explicit SettingsFile(std::string path);

    const std::string& Path() const { return path_; }

    // A missing file or key gives the default; a key present with an empty value gives "".
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // A value that is not a decimal integer gives the default.
    int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;

    // Each write goes straight to the file; raises RunError("Unable to write to <path>").
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);

private:
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    std::vector<std::string> ReadLines() const;

    std::string path_;
};

}  // namespace vantorel
