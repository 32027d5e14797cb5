#include "writers/text_buffer.h"

namespace vantorel {

void TextBuffer::Reserve(std::size_t capacity) {
    if (capacity <= capacity_) return;
    std::unique_ptr<char[]> larger(new char[capacity]);
    if (size_ > 0) std::memcpy(larger.get(), data_.get(), size_);
    data_ = std::move(larger);
    capacity_ = capacity;
}

void TextBuffer::Integer(std::int64_t value) {
    char digits[24];
    int count = 0;
    std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    char* at = Room(static_cast<std::size_t>(count) + 1);
    if (value < 0) *at++ = '-';
    while (count > 0) *at++ = digits[--count];
    size_ = static_cast<std::size_t>(at - data_.get());
}

}  // namespace vantorel
