#include "xls/record_stream.h"

#include <bit>
#include <cstring>

#include "xls/little_endian.h"

namespace lognex {

void PutU8(std::vector<std::uint8_t>& data, unsigned value) { AppendLittleEndian<1>(data, value); }

void PutU16(std::vector<std::uint8_t>& data, unsigned value) { AppendLittleEndian<2>(data, value); }

void PutU32(std::vector<std::uint8_t>& data, std::uint32_t value) { AppendLittleEndian<4>(data, value); }

void PutDouble(std::vector<std::uint8_t>& data, double value) {
    AppendLittleEndian<8>(data, std::bit_cast<std::uint64_t>(value));
}

void SetU16(std::vector<std::uint8_t>& data, std::size_t offset, unsigned value) {
    StoreLittleEndian<2>(data, offset, value);
}

namespace biff {

BiffRecord Record(std::uint16_t number, std::initializer_list<unsigned> fields16) {
    BiffRecord record{number, {}};
    record.data.reserve(2 * fields16.size());
    for (unsigned field : fields16) PutU16(record.data, field);
    return record;
}

BiffRecord Bof(unsigned substreamType) {
    // BIFF8, build 6319 of 1997, then the file history and lowest version fields.
    BiffRecord bof = Record(kBofNumber, {0x0600, substreamType, 6319, 1997});
    PutU32(bof.data, 0x80C9);
    PutU32(bof.data, 0x106);
    return bof;
}

}  // namespace biff

void RecordStream::WriteU8(unsigned value) { AppendLittleEndian<1>(bytes_, value); }

void RecordStream::WriteU16(unsigned value) { AppendLittleEndian<2>(bytes_, value); }

void RecordStream::WriteU32(std::uint32_t value) { AppendLittleEndian<4>(bytes_, value); }

void RecordStream::WriteBytes(std::string_view bytes) { bytes_.append(bytes); }

void RecordStream::WriteBytes(const std::vector<std::uint8_t>& bytes) {
    bytes_.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void RecordStream::PatchU16(std::size_t position, unsigned value) { StoreLittleEndian<2>(bytes_, position, value); }

void RecordStream::PatchU32(std::size_t position, std::uint32_t value) {
    StoreLittleEndian<4>(bytes_, position, value);
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
