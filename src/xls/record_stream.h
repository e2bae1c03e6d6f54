// The "Workbook" stream as it is being written: BIFF records appended to a
// byte buffer, with the few fields that are only known later patched in place.
//
// The whole stream lives in memory until it is wrapped in its compound file,
// so writing a record cannot fail halfway and nothing needs to seek a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace lognex {

// A record as the template lists hold it: number and data, the data length
// being the data's size.
struct BiffRecord {
    std::uint16_t number = 0;
    std::vector<std::uint8_t> data;
};

// Largest data length a BIFF8 record may carry.
constexpr std::size_t kMaxRecordData = 8224;

// Field helpers for building record data, little-endian (little_endian.h).
void PutU8(std::vector<std::uint8_t>& data, unsigned value);
void PutU16(std::vector<std::uint8_t>& data, unsigned value);
void PutU32(std::vector<std::uint8_t>& data, std::uint32_t value);
void PutDouble(std::vector<std::uint8_t>& data, double value);
// Overwrites the 16-bit field at offset (which must lie inside data).
void SetU16(std::vector<std::uint8_t>& data, std::size_t offset, unsigned value);

// The record number of BOF, which begins every substream.
constexpr std::uint16_t kBofNumber = 0x0809;

namespace biff {

// A record whose data is the given 16-bit fields.
BiffRecord Record(std::uint16_t number, std::initializer_list<unsigned> fields16);

// The BIFF8 BOF record of a substream of the given type (0x0005 the workbook
// globals, 0x0010 a worksheet).
BiffRecord Bof(unsigned substreamType);

}  // namespace biff

class RecordStream {
public:
    // Offset of the next byte to be written, counted from the stream's start.
    std::size_t Position() const { return bytes_.size(); }

    void WriteU8(unsigned value);
    void WriteU16(unsigned value);
    void WriteU32(std::uint32_t value);
    void WriteBytes(std::string_view bytes);
    void WriteBytes(const std::vector<std::uint8_t>& bytes);

    // Overwrite a field written earlier; position must lie inside the stream.
    void PatchU16(std::size_t position, unsigned value);
    void PatchU32(std::size_t position, std::uint32_t value);

    // Writes a record header with length 0 and returns where the header
    // starts; EndRecord sets the length to the bytes written since.
    std::size_t BeginRecord(std::uint16_t number);
    void EndRecord(std::size_t headerPosition);

    // A complete record in one go.
    void WriteRecord(std::uint16_t number, const std::vector<std::uint8_t>& data);

    const std::string& Bytes() const { return bytes_; }
    std::string TakeBytes() { return std::move(bytes_); }

private:
    std::string bytes_;
};

}  // namespace lognex
