#pragma once

// A run host for tests: field texts in a table, everything the run shows recorded in order.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/conversion_run.h"
#include "core/picture.h"
#include "core/run_host.h"

namespace vantorel::testing {

class FakeHost : public RunHost {
public:
    explicit FakeHost(const Picture& picture) : picture_(&picture) {
        for (int f = 1; f < 12; ++f) fields[f] = DefaultFieldText(static_cast<Field>(f));
    }

    std::array<std::string, 12> fields;  // indexed by Field
    std::vector<std::string> events;     // "status:...", "warning:...", "error:...", "enable:0/1"

    void Set(Field field, std::string text) { fields[static_cast<int>(field)] = std::move(text); }
    std::string FieldText(Field field) const override { return fields[static_cast<int>(field)]; }
    void SetStatus(const std::string& text) override { events.push_back("status:" + text); }
    void Repaint() override {}
    void ShowWarning(const std::string& message) override { events.push_back("warning:" + message); }
    void ShowError(const std::string& message) override { events.push_back("error:" + message); }
    void SetControlsEnabled(bool enabled) override {
        events.push_back(enabled ? "enable:1" : "enable:0");
    }
    const Picture& LoadedPicture() const override { return *picture_; }

private:
    const Picture* picture_;
};

// Passes the bytes on to a file the host keeps after the run has let go of its output.
class KeptOutput final : public OutputFile {
public:
    explicit KeptOutput(std::shared_ptr<MemoryOutputFile> file) : file_(std::move(file)) {}
    void Write(std::string_view bytes) override { file_->Write(bytes); }
    void Commit() override { file_->Commit(); }

private:
    std::shared_ptr<MemoryOutputFile> file_;
};

// A host whose runs touch no disk: the picture file always exists, no output name is taken,
// and the output stays in memory.
class MemoryHost : public FakeHost {
public:
    explicit MemoryHost(const Picture& picture) : FakeHost(picture) {
        Set(Field::PicturePath, "in.bmp");
        Set(Field::OutputName, "out.dxf");
    }
    bool FileExists(const std::string&) const override { return true; }
    bool PathTaken(const std::string&) const override { return false; }
    std::unique_ptr<OutputFile> CreateOutput(const std::string&) override {
        output = std::make_shared<MemoryOutputFile>();
        return std::make_unique<KeptOutput>(output);
    }

    std::shared_ptr<MemoryOutputFile> output;  // of the last run, if it got that far
};

}  // namespace vantorel::testing
