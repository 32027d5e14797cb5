#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/fields.h"
#include "core/output_file.h"
#include "core/picture.h"

namespace vantorel {

struct ToolpathSettings;

// Whether `path` names an existing file (not a folder).
bool IsExistingFile(const std::string& path);
// Whether anything at all, a dangling link included, is at `path`.
bool IsPathTaken(const std::string& path);

// What a conversion run needs of whoever hosts it: the window, the command line or a test.
class RunHost {
public:
    virtual ~RunHost() = default;

    virtual std::string FieldText(Field field) const = 0;
    virtual void SetStatus(const std::string& text) = 0;
    virtual void Repaint() = 0;
    // A modal box captioned "Warning" with the error icon and one OK button.
    virtual void ShowWarning(const std::string& message) = 0;
    // An error that ended a run, shown after the end-of-run steps.
    virtual void ShowError(const std::string& message) = 0;
    // Enables or disables every button and edit, then repaints.
    virtual void SetControlsEnabled(bool enabled) = 0;
    // The picture as last loaded; the picture file is never read again by a run.
    virtual const Picture& LoadedPicture() const = 0;

    // Whether the picture file named by the first field exists (a file, not a folder).
    virtual bool FileExists(const std::string& path) const;
    // Whether anything at all is at the output path: such a name is never written over.
    virtual bool PathTaken(const std::string& path) const;
    // Opens the output; by default a file that appears whole or not at all.
    virtual std::unique_ptr<OutputFile> CreateOutput(const std::string& path);
    // Lower-cases text for the same-name test.
    virtual std::string LowerCase(std::string_view text) const;
    // Told as the output grows; a run shows no progress otherwise.
    virtual void Progress(std::uint64_t /*done*/, std::uint64_t /*total*/) {}
    // The tool-compensated finishing program asked for; none: the original NC program.
    virtual const ToolpathSettings* Toolpath() const { return nullptr; }
};

}  // namespace vantorel
