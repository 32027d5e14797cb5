#pragma once

// Small helpers for tests that touch the file system.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/picture.h"

namespace vantorel::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/vantorel-test-XXXXXX";
        path_ = ::mkdtemp(pattern);
    }
    ~TempFolder() {
        ::chmod(path_.c_str(), 0755);
        std::system(("rm -rf '" + path_ + "'").c_str());
    }
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// Names in a folder, "." and ".." left out.
std::vector<std::string> FolderEntries(const std::string& folder);

// Writes a 24-bit bottom-up bitmap of the picture.
void WriteBitmap(const std::string& path, const Picture& picture);

// Splits a file's text at CR LF; a text not ending in CR LF gets a final "<no CR LF>" entry.
std::vector<std::string> SplitCrLf(const std::string& text);

}  // namespace vantorel::testing
