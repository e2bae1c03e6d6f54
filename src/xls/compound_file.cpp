#include "xls/compound_file.h"

#include <cstdint>
#include <string>
#include <vector>

#include "support/ansi_text.h"
#include "support/error.h"
#include "xls/little_endian.h"

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

constexpr std::size_t kMaxStreamName = 31;
// The stream's size and its last sector's end must fit 32 bits.
constexpr std::size_t kMaxStreamSize = 0xFFFFFFFFu - kSectorSize;

std::size_t SectorsFor(std::size_t bytes, std::size_t unit) { return (bytes + unit - 1) / unit; }

void Put16(std::string& out, std::size_t at, unsigned value) { StoreLittleEndian<2>(out, at, value); }

void Put32(std::string& out, std::size_t at, std::uint32_t value) { StoreLittleEndian<4>(out, at, value); }

std::uint32_t SectorId(std::size_t sector) { return static_cast<std::uint32_t>(sector); }

// Where everything lies, in file order: FAT, DIFAT, directory, mini FAT, then
// the mini stream or the stream itself. Sectors are numbered from 0, which
// follows the header.
struct SectorPlan {
    bool small = false;  // the stream lies in the mini stream
    std::size_t miniSectors = 0;
    std::size_t miniFatSectors = 0;
    std::size_t dataSectors = 0;
    std::size_t fatSectors = 0;
    std::size_t difatSectors = 0;
    std::size_t firstDifat = 0;
    std::size_t directory = 0;
    std::size_t firstMiniFat = 0;
    std::size_t firstData = 0;
    std::size_t totalSectors = 0;
};

SectorPlan PlanSectors(std::size_t streamSize) {
    SectorPlan plan;
    plan.small = streamSize != 0 && streamSize < kMiniStreamCutoff;
    plan.miniSectors = plan.small ? SectorsFor(streamSize, kMiniSectorSize) : 0;
    plan.miniFatSectors = SectorsFor(plan.miniSectors, kIdsPerSector);
    plan.dataSectors =
        plan.small ? SectorsFor(plan.miniSectors * kMiniSectorSize, kSectorSize) : SectorsFor(streamSize, kSectorSize);
    const std::size_t otherSectors = 1 + plan.miniFatSectors + plan.dataSectors;

    // The FAT must also cover its own sectors and the DIFAT sectors that list them.
    plan.fatSectors = 1;
    for (;;) {
        plan.difatSectors =
            plan.fatSectors > kHeaderFatSlots ? SectorsFor(plan.fatSectors - kHeaderFatSlots, kIdsPerSector - 1) : 0;
        const std::size_t needed = SectorsFor(otherSectors + plan.fatSectors + plan.difatSectors, kIdsPerSector);
        if (needed <= plan.fatSectors) break;
        plan.fatSectors = needed;
    }
    plan.firstDifat = plan.fatSectors;
    plan.directory = plan.firstDifat + plan.difatSectors;
    plan.firstMiniFat = plan.directory + 1;
    plan.firstData = plan.firstMiniFat + plan.miniFatSectors;
    plan.totalSectors = plan.firstData + plan.dataSectors;
    return plan;
}

// Offset of a sector in the file: the header takes the place of sector -1.
std::size_t SectorAt(std::size_t sector) { return (sector + 1) * kSectorSize; }

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

std::vector<std::uint32_t> MakeFat(const SectorPlan& plan) {
    std::vector<std::uint32_t> fat(plan.fatSectors * kIdsPerSector, kFreeSector);
    for (std::size_t i = 0; i < plan.fatSectors; ++i) fat[i] = kFatSector;
    for (std::size_t i = 0; i < plan.difatSectors; ++i) fat[plan.firstDifat + i] = kDifatSector;
    Chain(fat, plan.directory, 1);
    Chain(fat, plan.firstMiniFat, plan.miniFatSectors);
    Chain(fat, plan.firstData, plan.dataSectors);
    return fat;
}

void WriteHeader(std::string& out, const SectorPlan& plan) {
    static constexpr unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    for (std::size_t i = 0; i < 8; ++i) out[i] = static_cast<char>(kSignature[i]);
    Put16(out, 24, 0x003E);  // minor version
    Put16(out, 26, 0x0003);  // major version
    Put16(out, 28, 0xFFFE);  // little-endian
    Put16(out, 30, 9);       // 512-byte sectors
    Put16(out, 32, 6);       // 64-byte mini sectors
    Put32(out, 44, SectorId(plan.fatSectors));
    Put32(out, 48, SectorId(plan.directory));
    Put32(out, 56, kMiniStreamCutoff);
    Put32(out, 60, plan.miniFatSectors ? SectorId(plan.firstMiniFat) : kEndOfChain);
    Put32(out, 64, SectorId(plan.miniFatSectors));
    Put32(out, 68, plan.difatSectors ? SectorId(plan.firstDifat) : kEndOfChain);
    Put32(out, 72, SectorId(plan.difatSectors));
    for (std::size_t i = 0; i < kHeaderFatSlots; ++i) {
        Put32(out, 76 + 4 * i, i < plan.fatSectors ? SectorId(i) : kFreeSector);
    }
}

// DIFAT sectors: 127 FAT sector numbers each, then the next DIFAT sector.
void WriteDifat(std::string& out, const SectorPlan& plan) {
    for (std::size_t d = 0; d < plan.difatSectors; ++d) {
        const std::size_t at = SectorAt(plan.firstDifat + d);
        for (std::size_t slot = 0; slot < kIdsPerSector - 1; ++slot) {
            const std::size_t fatIndex = kHeaderFatSlots + d * (kIdsPerSector - 1) + slot;
            Put32(out, at + 4 * slot, fatIndex < plan.fatSectors ? SectorId(fatIndex) : kFreeSector);
        }
        Put32(out, at + 4 * (kIdsPerSector - 1),
              d + 1 < plan.difatSectors ? SectorId(plan.firstDifat + d + 1) : kEndOfChain);
    }
}

// A FAT or mini FAT written from the start of its first sector.
void WriteSectorTable(std::string& out, std::size_t firstSector, const std::vector<std::uint32_t>& table) {
    for (std::size_t i = 0; i < table.size(); ++i) Put32(out, SectorAt(firstSector) + 4 * i, table[i]);
}

// The root, the stream, and two unused entries.
void WriteDirectory(std::string& out, const SectorPlan& plan, std::u16string_view name, std::size_t streamSize) {
    const std::size_t dirAt = SectorAt(plan.directory);
    for (std::size_t entry = 0; entry < kSectorSize / kDirectoryEntrySize; ++entry) {
        const std::size_t at = dirAt + entry * kDirectoryEntrySize;
        Put32(out, at + 68, kNoStream);
        Put32(out, at + 72, kNoStream);
        Put32(out, at + 76, kNoStream);
    }
    const std::uint32_t streamStart = plan.small ? 0 : (streamSize == 0 ? kEndOfChain : SectorId(plan.firstData));
    WriteDirectoryEntry(out, dirAt, u"Root Entry", 5, 1, plan.small ? SectorId(plan.firstData) : kEndOfChain,
                        SectorId(plan.miniSectors * kMiniSectorSize));
    WriteDirectoryEntry(out, dirAt + kDirectoryEntrySize, name, 2, kNoStream, streamStart,
                        static_cast<std::uint32_t>(streamSize));
}

}  // namespace

std::string BuildCompoundFile(std::u16string_view name, std::string_view stream) {
    if (name.size() > kMaxStreamName) {
        throw Error("Cannot write the workbook: the stream name \"" + NarrowToAnsi(name) + "\" is longer than " +
                    std::to_string(kMaxStreamName) + " characters");
    }
    if (stream.size() > kMaxStreamSize) {
        throw Error("Cannot write the workbook: it would be " + std::to_string(stream.size()) +
                    " bytes, more than a workbook file can hold");
    }
    const SectorPlan plan = PlanSectors(stream.size());
    std::string out((1 + plan.totalSectors) * kSectorSize, '\0');
    WriteHeader(out, plan);
    WriteDifat(out, plan);
    WriteSectorTable(out, 0, MakeFat(plan));
    WriteDirectory(out, plan, name, stream.size());
    if (plan.small) {
        std::vector<std::uint32_t> miniFat(plan.miniFatSectors * kIdsPerSector, kFreeSector);
        Chain(miniFat, 0, plan.miniSectors);
        WriteSectorTable(out, plan.firstMiniFat, miniFat);
    }
    out.replace(SectorAt(plan.firstData), stream.size(), stream);
    return out;
}

}  // namespace lognex
