// Expected bytes written out field by field, to compare with what the writer
// produces. Kept apart from the writer's own helpers so a slip in those
// cannot hide in both.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace lognex::test {

class Bytes {
public:
    Bytes& U8(unsigned v) {
        s_.push_back(static_cast<char>(v));
        return *this;
    }
    Bytes& U16(unsigned v) { return U8(v & 0xFF).U8((v >> 8) & 0xFF); }
    Bytes& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    Bytes& F64(double d) {
        std::uint64_t bits;
        std::memcpy(&bits, &d, 8);
        return U32(static_cast<std::uint32_t>(bits)).U32(static_cast<std::uint32_t>(bits >> 32));
    }
    Bytes& Utf16(std::u16string_view text) {
        for (char16_t c : text) U16(c);
        return *this;
    }
    Bytes& Latin1(std::u16string_view text) {
        for (char16_t c : text) U8(c);
        return *this;
    }
    Bytes& Fill(std::size_t count, unsigned v) {
        s_.append(count, static_cast<char>(v));
        return *this;
    }
    Bytes& Raw(std::string_view bytes) {
        s_.append(bytes);
        return *this;
    }
    // A whole record: number, data length, data.
    Bytes& Record(unsigned number, const Bytes& data) {
        return U16(number).U16(static_cast<unsigned>(data.Size())).Raw(data.s_);
    }

    // Overwrites a 32-bit field written earlier.
    Bytes& Patch32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) s_.at(at + i) = static_cast<char>((v >> (8 * i)) & 0xFF);
        return *this;
    }

    std::size_t Size() const { return s_.size(); }
    const std::string& Str() const { return s_; }

private:
    std::string s_;
};

inline std::uint16_t Read16(std::string_view s, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(s.at(at)) | static_cast<unsigned char>(s.at(at + 1))
                                                                                 << 8);
}
inline std::uint32_t Read32(std::string_view s, std::size_t at) {
    return Read16(s, at) | std::uint32_t{Read16(s, at + 2)} << 16;
}

// One BIFF record as found in a stream.
struct FoundRecord {
    std::size_t position;  // of its header
    std::uint16_t number;
    std::string data;
};

// The stream cut into records.
inline std::vector<FoundRecord> SplitRecords(std::string_view stream) {
    std::vector<FoundRecord> records;
    std::size_t at = 0;
    while (at + 4 <= stream.size()) {
        const std::uint16_t number = Read16(stream, at), length = Read16(stream, at + 2);
        records.push_back({at, number, std::string(stream.substr(at + 4, length))});
        at += 4 + length;
    }
    return records;
}

}  // namespace lognex::test
