#include "core/file_names.h"

namespace vantorel {

bool IsPathDelimiter(char c) { return c == '/' || c == '\\' || c == ':'; }

namespace {
std::size_t LastDelimiter(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (IsPathDelimiter(path[i - 1])) return i - 1;
    return std::string_view::npos;
}
}  // namespace

std::string_view ExtractFileExt(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        const char c = path[i - 1];
        if (c == '.') return path.substr(i - 1);
        if (IsPathDelimiter(c)) break;
    }
    return {};
}

std::string ChangeFileExt(std::string_view path, std::string_view newExtension) {
    std::string result(path.substr(0, path.size() - ExtractFileExt(path).size()));
    result += newExtension;
    return result;
}

std::string_view ExtractFilePath(std::string_view path) {
    const std::size_t last = LastDelimiter(path);
    return last == std::string_view::npos ? std::string_view{} : path.substr(0, last + 1);
}

std::string_view ExtractFileName(std::string_view path) {
    const std::size_t last = LastDelimiter(path);
    return last == std::string_view::npos ? path : path.substr(last + 1);
}

std::string AsciiLowerCase(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return result;
}

}  // namespace vantorel
