#include "xls/record_stream.h"

#include <bit>
#include <cstring>

namespace lognex {

void PutU8(std::vector<std::uint8_t>& data, unsigned value) { data.push_back(static_cast<std::uint8_t>(value)); }

void PutU16(std::vector<std::uint8_t>& data, unsigned value) {
    data.push_back(static_cast<std::uint8_t>(value));
    data.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(std::vector<std::uint8_t>& data, std::uint32_t value) {
    PutU16(data, value & 0xFFFF);
    PutU16(data, value >> 16);
}

void PutDouble(std::vector<std::uint8_t>& data, double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    PutU32(data, static_cast<std::uint32_t>(bits));
    PutU32(data, static_cast<std::uint32_t>(bits >> 32));
}

void SetU16(std::vector<std::uint8_t>& data, std::size_t offset, unsigned value) {
    data.at(offset) = static_cast<std::uint8_t>(value);
    data.at(offset + 1) = static_cast<std::uint8_t>(value >> 8);
}

void RecordStream::WriteU8(unsigned value) { bytes_.push_back(static_cast<char>(value)); }

void RecordStream::WriteU16(unsigned value) {
    bytes_.push_back(static_cast<char>(value));
    bytes_.push_back(static_cast<char>(value >> 8));
}

void RecordStream::WriteU32(std::uint32_t value) {
    WriteU16(value & 0xFFFF);
    WriteU16(value >> 16);
}

void RecordStream::WriteBytes(std::string_view bytes) { bytes_.append(bytes); }

void RecordStream::WriteBytes(const std::vector<std::uint8_t>& bytes) {
    bytes_.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void RecordStream::PatchU16(std::size_t position, unsigned value) {
    bytes_.at(position) = static_cast<char>(value);
    bytes_.at(position + 1) = static_cast<char>(value >> 8);
}

void RecordStream::PatchU32(std::size_t position, std::uint32_t value) {
    PatchU16(position, value & 0xFFFF);
    PatchU16(position + 2, value >> 16);
}

std::size_t RecordStream::BeginRecord(std::uint16_t number) {
    const std::size_t header = Position();
    WriteU16(number);
    WriteU16(0);
    return header;
}

void RecordStream::EndRecord(std::size_t headerPosition) {
    PatchU16(headerPosition + 2, static_cast<unsigned>(Position() - headerPosition - 4));
}

void RecordStream::WriteRecord(std::uint16_t number, const std::vector<std::uint8_t>& data) {
    WriteU16(number);
    WriteU16(static_cast<unsigned>(data.size()));
    WriteBytes(data);
}

}  // namespace lognex
