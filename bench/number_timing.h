#pragma once

#include <cstddef>

namespace vantorel {

// Times the fixed and general number forms against std::to_chars on the same file-shaped
// values, `count` values per set, and prints the ratios.
void PrintNumberTimings(std::size_t count);

}  // namespace vantorel
