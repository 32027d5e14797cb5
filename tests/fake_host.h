#pragma once

// A run host for tests: field texts in a table, everything the run shows recorded in order.

#include <array>
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

}  // namespace vantorel::testing
