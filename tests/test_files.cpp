#include "tests/test_files.h"

#include <dirent.h>

namespace vantorel::testing {

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        ::closedir(dir);
    }
    return names;
}

void WriteBitmap(const std::string& path, const Picture& picture) {
    const int width = picture.Width();
    const int height = picture.Height();
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width) * 3 + 3) / 4 * 4;
    const std::uint32_t dataBytes = rowBytes * static_cast<std::uint32_t>(height);
    std::string bytes;
    auto put = [&bytes](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xff);
    };
    bytes += "BM";
    put(54 + dataBytes, 4), put(0, 4), put(54, 4);
    put(40, 4), put(static_cast<std::uint32_t>(width), 4), put(static_cast<std::uint32_t>(height), 4);
    put(1, 2), put(24, 2), put(0, 4), put(dataBytes, 4), put(2835, 4), put(2835, 4), put(0, 4),
        put(0, 4);
    for (int row = height - 1; row >= 0; --row) {
        std::uint32_t written = 0;
        for (int column = 0; column < width; ++column) {
            const std::uint32_t c = picture.Colour(column, row);
            put((c >> 16) & 0xff, 1), put((c >> 8) & 0xff, 1), put(c & 0xff, 1);
            written += 3;
        }
        for (; written < rowBytes; ++written) bytes += '\0';
    }
    WriteFile(path, bytes);
}

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) break;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    if (start != text.size()) lines.push_back("<no CR LF>" + text.substr(start));
    return lines;
}

}  // namespace vantorel::testing
