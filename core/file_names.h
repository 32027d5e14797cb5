#pragma once

// File-name rules shared by the run and the window. A path delimiter is "/" (this platform),
// "\" or ":" (names typed the way Windows users write them), so "C:\jobs.old\vase" has no
// extension and "vase" as its file name.

#include <string>
#include <string_view>

namespace vantorel {

bool IsPathDelimiter(char c);

// The text from the last "." to the end, when no delimiter follows that dot; else empty.
std::string_view ExtractFileExt(std::string_view path);

// The path without its extension, followed by `newExtension`.
std::string ChangeFileExt(std::string_view path, std::string_view newExtension);

// The text up to and including the last delimiter; empty when there is none.
std::string_view ExtractFilePath(std::string_view path);

// The text after the last delimiter.
std::string_view ExtractFileName(std::string_view path);

// Lower-cases ASCII letters; other bytes are kept as they are.
std::string AsciiLowerCase(std::string_view text);

}  // namespace vantorel
