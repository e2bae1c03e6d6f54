// Little-endian fields in byte buffers: the one way the workbook's records
// and its compound file put numbers into bytes.
//
// Bytes is any container of char-sized elements with at, and push_back for
// appending (std::string, std::vector<std::uint8_t>, std::array).
#pragma once

#include <cstddef>
#include <cstdint>

namespace lognex {

// Appends the low size bytes of value, least significant first.
template <std::size_t size, typename Bytes>
void AppendLittleEndian(Bytes& out, std::uint64_t value) {
    using Byte = typename Bytes::value_type;
    for (std::size_t i = 0; i < size; ++i) out.push_back(static_cast<Byte>(value >> (8 * i)));
}

// Overwrites the size bytes at offset with value, least significant first.
// Throws std::out_of_range when they do not all lie inside out.
template <std::size_t size, typename Bytes>
void StoreLittleEndian(Bytes& out, std::size_t offset, std::uint64_t value) {
    using Byte = typename Bytes::value_type;
    for (std::size_t i = 0; i < size; ++i) out.at(offset + i) = static_cast<Byte>(value >> (8 * i));
}

// The size bytes at offset read as a little-endian number. Throws
// std::out_of_range when they do not all lie inside bytes.
template <std::size_t size, typename Bytes>
std::uint64_t LoadLittleEndian(const Bytes& bytes, std::size_t offset) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
        value |= std::uint64_t{static_cast<std::uint8_t>(bytes.at(offset + i))} << (8 * i);
    }
    return value;
}

}  // namespace lognex
