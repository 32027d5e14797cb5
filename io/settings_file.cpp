#include "io/settings_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <random>

#include "core/file_names.h"
#include "core/run_error.h"

namespace vantorel {
namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    return AsciiLowerCase(a) == AsciiLowerCase(b);
}

// The section a line opens, if it is a section line.
std::optional<std::string_view> SectionOf(std::string_view line) {
    line = Trim(line);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']')
        return Trim(line.substr(1, line.size() - 2));
    return std::nullopt;
}

bool IsComment(std::string_view line) {
    line = Trim(line);
    return !line.empty() && (line.front() == ';' || line.front() == '#');
}

// Key and raw value of a "key=value" line.
std::optional<std::pair<std::string_view, std::string_view>> EntryOf(std::string_view line) {
    if (IsComment(line)) return std::nullopt;
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return std::make_pair(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
}

std::string Decode(std::string_view raw) {
    if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"')
        raw = raw.substr(1, raw.size() - 2);
    return std::string(raw);
}

std::string Encode(std::string_view value) {
    const bool blankAtEnd = !value.empty() && (value.front() == ' ' || value.front() == '\t' ||
                                               value.back() == ' ' || value.back() == '\t');
    const bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    if (blankAtEnd || quoted) return "\"" + std::string(value) + "\"";
    return std::string(value);
}

}  // namespace

SettingsFile::SettingsFile(std::string path) : path_(std::move(path)) {}

std::vector<std::string> SettingsFile::ReadLines() const {
    std::vector<std::string> lines;
    std::ifstream in(path_, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // Some editors start a UTF-8 file with a byte order mark; it is no part of the text.
        if (lines.empty() && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
        lines.push_back(line);
    }
    return lines;
}

std::optional<std::string> SettingsFile::Find(std::string_view section,
                                              std::string_view key) const {
    bool inSection = false;
    for (const std::string& line : ReadLines()) {
        if (auto name = SectionOf(line)) {
            inSection = SameName(*name, section);
        } else if (inSection) {
            if (auto entry = EntryOf(line); entry && SameName(entry->first, key))
                return Decode(entry->second);
        }
    }
    return std::nullopt;
}

std::string SettingsFile::ReadString(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const {
    auto value = Find(section, key);
    return value ? *value : std::string(defaultValue);
}

int SettingsFile::ReadInteger(std::string_view section, std::string_view key,
                              int defaultValue) const {
    auto value = Find(section, key);
    if (!value) return defaultValue;
    std::string_view text = Trim(*value);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int result = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return defaultValue;
    return result;
}

void SettingsFile::WriteString(std::string_view section, std::string_view key,
                               std::string_view value) {
    std::vector<std::string> lines = ReadLines();
    const std::string entry = std::string(key) + "=" + Encode(value);

    // Replace the key in its section, or add it at the end of the section, or add the section.
    bool inSection = false;
    bool done = false;
    std::size_t insertAt = lines.size();
    bool sectionFound = false;
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        if (auto name = SectionOf(lines[i])) {
            if (inSection) {
                insertAt = i;
                break;
            }
            inSection = SameName(*name, section);
            if (inSection) sectionFound = true;
        } else if (inSection) {
            if (auto existing = EntryOf(lines[i]); existing && SameName(existing->first, key)) {
                lines[i] = entry;
                done = true;
            } else if (!Trim(lines[i]).empty()) {
                insertAt = i + 1;
            }
        }
    }
    if (!done) {
        if (sectionFound) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
        } else {
            if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
            lines.push_back("[" + std::string(section) + "]");
            lines.push_back(entry);
        }
    }

    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";

    // The settings are small: write them whole to a neighbour and move it into place, so a
    // crash never leaves half a file. A file we may not write is never replaced.
    const std::string failure = "Unable to write to " + path_;
    // The folder of a settings file kept among the user's configuration may not exist yet.
    if (const auto folder = std::filesystem::path(path_).parent_path(); !folder.empty()) {
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
    }
    if (::access(path_.c_str(), F_OK) == 0 && ::access(path_.c_str(), W_OK) != 0)
        throw RunError(failure);
    std::string temporary = path_ + ".vantorel-new-" + std::to_string(std::random_device{}());
    const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) throw RunError(failure);
    const char* data = text.data();
    std::size_t left = text.size();
    bool ok = true;
    while (left > 0) {
        const ssize_t written = ::write(descriptor, data, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            ok = false;
            break;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    if (::close(descriptor) != 0) ok = false;
    if (!ok || ::rename(temporary.c_str(), path_.c_str()) != 0) {
        ::unlink(temporary.c_str());
        throw RunError(failure);
    }
}

void SettingsFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

}  // namespace vantorel
