#include "xls/compound_file.h"

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace lognex {
namespace {

constexpr std::size_t kSectorSize = 512;
constexpr std::size_t kMiniSectorSize = 64;
constexpr std::size_t kMiniStreamCutoff = 4096;
constexpr std::size_t kIdsPerSector = kSectorSize / 4;
constexpr std::size_t kHeaderFatSlots = 109;
constexpr std::size_t kDirectoryEntrySize = 128;

constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

std::size_t SectorsFor(std::size_t bytes, std::size_t unit) { return (bytes + unit - 1) / unit; }

void Put16(std::string& out, std::size_t at, unsigned value) {
    out[at] = static_cast<char>(value);
    out[at + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& out, std::size_t at, std::uint32_t value) {
    Put16(out, at, value & 0xFFFF);
    Put16(out, at + 2, value >> 16);
}

// Chains `count` consecutive sectors from `first` in a FAT or mini FAT.
void Chain(std::vector<std::uint32_t>& table, std::size_t first, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        table[first + i] = i + 1 < count ? static_cast<std::uint32_t>(first + i + 1) : kEndOfChain;
    }
}

void WriteDirectoryEntry(std::string& out, std::size_t at, std::u16string_view name, std::uint8_t type,
                         std::uint32_t child, std::uint32_t start, std::uint32_t size) {
    for (std::size_t i = 0; i < name.size(); ++i) Put16(out, at + 2 * i, name[i]);
    Put16(out, at + 64, static_cast<unsigned>((name.size() + 1) * 2));
    out[at + 66] = static_cast<char>(type);
    out[at + 67] = 1;  // black: a tree of one node
    Put32(out, at + 68, kNoStream);
    Put32(out, at + 72, kNoStream);
    Put32(out, at + 76, child);
    Put32(out, at + 116, start);
    Put32(out, at + 120, size);
}

}  // namespace

std::string BuildCompoundFile(std::u16string_view name, std::string_view stream) {
    if (name.size() > 31) throw std::invalid_argument("stream name too long");
    if (stream.size() > 0xFFFFFFFFu - kSectorSize) throw std::length_error("stream too large for a compound file");

    // Sector plan, in file order: FAT, DIFAT, directory, mini FAT, then the
    // mini stream or the stream itself.
    const bool small = !stream.empty() && stream.size() < kMiniStreamCutoff;
    const std::size_t miniSectors = small ? SectorsFor(stream.size(), kMiniSectorSize) : 0;
    const std::size_t miniFatSectors = SectorsFor(miniSectors, kIdsPerSector);
    const std::size_t dataSectors =
        small ? SectorsFor(miniSectors * kMiniSectorSize, kSectorSize) : SectorsFor(stream.size(), kSectorSize);
    const std::size_t otherSectors = 1 + miniFatSectors + dataSectors;

    // The FAT must also cover its own sectors and the DIFAT sectors that list them.
    std::size_t fatSectors = 1;
    std::size_t difatSectors = 0;
    for (;;) {
        difatSectors = fatSectors > kHeaderFatSlots ? SectorsFor(fatSectors - kHeaderFatSlots, kIdsPerSector - 1) : 0;
        const std::size_t needed = SectorsFor(otherSectors + fatSectors + difatSectors, kIdsPerSector);
        if (needed <= fatSectors) break;
        fatSectors = needed;
    }
    const std::size_t firstDifat = fatSectors;
    const std::size_t directory = firstDifat + difatSectors;
    const std::size_t firstMiniFat = directory + 1;
    const std::size_t firstData = firstMiniFat + miniFatSectors;
    const std::size_t totalSectors = firstData + dataSectors;

    std::vector<std::uint32_t> fat(fatSectors * kIdsPerSector, kFreeSector);
    for (std::size_t i = 0; i < fatSectors; ++i) fat[i] = kFatSector;
    for (std::size_t i = 0; i < difatSectors; ++i) fat[firstDifat + i] = kDifatSector;
    Chain(fat, directory, 1);
    Chain(fat, firstMiniFat, miniFatSectors);
    Chain(fat, firstData, dataSectors);

    std::string out((1 + totalSectors) * kSectorSize, '\0');
    auto sectorAt = [](std::size_t sector) { return (sector + 1) * kSectorSize; };

    // Header.
    static constexpr unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    for (std::size_t i = 0; i < 8; ++i) out[i] = static_cast<char>(kSignature[i]);
    Put16(out, 24, 0x003E);  // minor version
    Put16(out, 26, 0x0003);  // major version
    Put16(out, 28, 0xFFFE);  // little-endian
    Put16(out, 30, 9);       // 512-byte sectors
    Put16(out, 32, 6);       // 64-byte mini sectors
    Put32(out, 44, static_cast<std::uint32_t>(fatSectors));
    Put32(out, 48, static_cast<std::uint32_t>(directory));
    Put32(out, 56, kMiniStreamCutoff);
    Put32(out, 60, miniFatSectors ? static_cast<std::uint32_t>(firstMiniFat) : kEndOfChain);
    Put32(out, 64, static_cast<std::uint32_t>(miniFatSectors));
    Put32(out, 68, difatSectors ? static_cast<std::uint32_t>(firstDifat) : kEndOfChain);
    Put32(out, 72, static_cast<std::uint32_t>(difatSectors));
    for (std::size_t i = 0; i < kHeaderFatSlots; ++i) {
        Put32(out, 76 + 4 * i, i < fatSectors ? static_cast<std::uint32_t>(i) : kFreeSector);
    }

    // DIFAT sectors: 127 FAT sector numbers each, then the next DIFAT sector.
    for (std::size_t d = 0; d < difatSectors; ++d) {
        const std::size_t at = sectorAt(firstDifat + d);
        for (std::size_t slot = 0; slot < kIdsPerSector - 1; ++slot) {
            const std::size_t fatIndex = kHeaderFatSlots + d * (kIdsPerSector - 1) + slot;
            Put32(out, at + 4 * slot, fatIndex < fatSectors ? static_cast<std::uint32_t>(fatIndex) : kFreeSector);
        }
        Put32(out, at + 4 * (kIdsPerSector - 1),
              d + 1 < difatSectors ? static_cast<std::uint32_t>(firstDifat + d + 1) : kEndOfChain);
    }

    for (std::size_t i = 0; i < fat.size(); ++i) Put32(out, sectorAt(0) + 4 * i, fat[i]);

    // Directory: the root, the stream, and two unused entries.
    const std::size_t dirAt = sectorAt(directory);
    for (std::size_t entry = 0; entry < kSectorSize / kDirectoryEntrySize; ++entry) {
        const std::size_t at = dirAt + entry * kDirectoryEntrySize;
        Put32(out, at + 68, kNoStream);
        Put32(out, at + 72, kNoStream);
        Put32(out, at + 76, kNoStream);
    }
    const auto streamSize = static_cast<std::uint32_t>(stream.size());
    WriteDirectoryEntry(out, dirAt, u"Root Entry", 5, 1, small ? static_cast<std::uint32_t>(firstData) : kEndOfChain,
                        static_cast<std::uint32_t>(miniSectors * kMiniSectorSize));
    WriteDirectoryEntry(out, dirAt + kDirectoryEntrySize, name, 2, kNoStream,
                        small ? 0 : (stream.empty() ? kEndOfChain : static_cast<std::uint32_t>(firstData)),
                        streamSize);

    if (small) {
        std::vector<std::uint32_t> miniFat(miniFatSectors * kIdsPerSector, kFreeSector);
        Chain(miniFat, 0, miniSectors);
        for (std::size_t i = 0; i < miniFat.size(); ++i) Put32(out, sectorAt(firstMiniFat) + 4 * i, miniFat[i]);
    }
    out.replace(sectorAt(firstData), stream.size(), stream);
    return out;
}

}  // namespace lognex
