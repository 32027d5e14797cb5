#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vantorel {

// Where a writer's bytes go. Writers never learn whether that is a file or memory.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void Write(std::string_view bytes) = 0;
};

// Raised when the output name was taken by another file before ours could be put there.
class TargetExists : public std::runtime_error {
public:
    explicit TargetExists(const std::string& path) : std::runtime_error(path) {}
};

// An output file that appears whole or not at all. Bytes go to a hidden temporary file in
// the target folder; Commit() moves it to the target name without ever replacing a file
// that is there. Destroying an uncommitted file removes the temporary file.
class OutputFile : public ByteSink {
public:
    // Raises TargetExists when the name is taken, RunError on any other failure.
    virtual void Commit() = 0;
};

// Opens the temporary file for `path`; raises RunError("Cannot create file <path>") when it
// cannot be created. A write that fails raises RunError naming the file and the reason.
std::unique_ptr<OutputFile> CreateOutputFile(const std::string& path);

// The prefix and marker of temporary files, so a leftover one (after the process was killed)
// can be recognised: ".<name>.vantorel-unfinished-XXXXXX" beside the target.
inline constexpr std::string_view kUnfinishedMarker = ".vantorel-unfinished-";

// An output held in memory, for tests and in-memory conversions.
class MemoryOutputFile : public OutputFile {
public:
    void Write(std::string_view bytes) override { pending_.append(bytes); }
    void Commit() override {
        committed_ = std::move(pending_);
        isCommitted_ = true;
    }
    bool IsCommitted() const { return isCommitted_; }
    const std::string& Bytes() const { return committed_; }

private:
    std::string pending_;
    std::string committed_;
    bool isCommitted_ = false;
};

}  // namespace vantorel
