#include "core/run_host.h"

#include <sys/stat.h>

#include "core/file_names.h"

namespace vantorel {

bool IsExistingFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool IsPathTaken(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool RunHost::FileExists(const std::string& path) const { return IsExistingFile(path); }

bool RunHost::PathTaken(const std::string& path) const { return IsPathTaken(path); }

std::unique_ptr<OutputFile> RunHost::CreateOutput(const std::string& path) {
    return CreateOutputFile(path);
}

std::string RunHost::LowerCase(std::string_view text) const { return AsciiLowerCase(text); }

}  // namespace vantorel
