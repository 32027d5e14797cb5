#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "core/number_text.h"

namespace vantorel {

// A growable byte buffer that writers format their lines straight into. Every line of every
// output file ends with CR LF.
class TextBuffer {
public:
    explicit TextBuffer(std::size_t capacity = 1 << 20) { Reserve(capacity); }

    std::string_view View() const { return {data_.get(), size_}; }
    std::size_t Size() const { return size_; }
    void Clear() { size_ = 0; }

    void Append(std::string_view text) {
        char* at = Room(text.size());
        std::memcpy(at, text.data(), text.size());
        size_ += text.size();
    }
    void EndLine() { Append("\r\n"); }
    void Line(std::string_view text) {
        Append(text);
        EndLine();
    }
    void Char(char c) { *Room(1) = c, ++size_; }

    void Fixed(double value, int decimals, int precision = 15) {
        char* at = Room(kMaxNumberText);
        size_ = static_cast<std::size_t>(WriteFixed(at, value, decimals, precision) - data_.get());
    }
    void General(double value, int precision = 15) {
        char* at = Room(kMaxNumberText);
        size_ = static_cast<std::size_t>(WriteGeneral(at, value, precision) - data_.get());
    }

    // Direct writing for the hot loops: Begin(most) gives room for `most` bytes at the end,
    // End(at) keeps what was written up to `at`. One room check per item, not per number.
    char* Begin(std::size_t most) { return Room(most); }
    void End(const char* at) { size_ = static_cast<std::size_t>(at - data_.get()); }

private:
    char* Room(std::size_t extra) {
        if (size_ + extra > capacity_) Reserve((size_ + extra) * 2);
        return data_.get() + size_;
    }
    void Reserve(std::size_t capacity);

    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace vantorel
