// A small reader of version 3 compound files for the tests: follows the
// DIFAT, the FAT and the mini FAT the way a reader of the format would, so a
// wrong chain or count in the writer shows up as a wrong stream.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "xls/byte_builder.h"

namespace lognex::test {

struct DirectoryEntry {
    std::u16string name;
    int type = 0;  // 0 unused, 1 storage, 2 stream, 5 root
    std::uint32_t child = 0, start = 0, size = 0;
};

class CompoundReader {
public:
    explicit CompoundReader(std::string file) : file_(std::move(file)) {
        if (file_.size() < 512 || file_.compare(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") != 0) Fail("signature");
        if (Read16(file_, 26) != 3 || Read16(file_, 30) != 9 || Read16(file_, 32) != 6) Fail("version");
        if (file_.size() % 512 != 0) Fail("size not whole sectors");
        const std::uint32_t fatCount = Read32(file_, 44);
        std::vector<std::uint32_t> fatSectors;
        for (std::size_t i = 0; i < 109 && fatSectors.size() < fatCount; ++i)
            fatSectors.push_back(Read32(file_, 76 + 4 * i));
        std::uint32_t difat = Read32(file_, 68);
        for (std::uint32_t n = Read32(file_, 72); n > 0; --n) {
            for (std::size_t i = 0; i < 127 && fatSectors.size() < fatCount; ++i)
                fatSectors.push_back(Read32(Sector(difat), 4 * i));
            difat = Read32(Sector(difat), 508);
        }
        if (difat != 0xFFFFFFFE) Fail("DIFAT chain end");
        for (std::uint32_t sector : fatSectors) {
            for (std::size_t i = 0; i < 128; ++i) fat_.push_back(Read32(Sector(sector), 4 * i));
            if (fat_.at(sector) != 0xFFFFFFFD) Fail("FAT sector not marked");
        }
        const std::string directory =
            Chain(fat_, Read32(file_, 48), 512, [this](std::uint32_t s) { return Sector(s); });
        for (std::size_t at = 0; at + 128 <= directory.size(); at += 128) {
            DirectoryEntry entry;
            const unsigned nameBytes = Read16(directory, at + 64);
            for (unsigned i = 0; i + 2 < nameBytes; i += 2) entry.name.push_back(Read16(directory, at + i));
            entry.type = static_cast<unsigned char>(directory[at + 66]);
            entry.child = Read32(directory, at + 76);
            entry.start = Read32(directory, at + 116);
            entry.size = Read32(directory, at + 120);
            entries_.push_back(entry);
        }
        if (entries_.empty() || entries_[0].type != 5) Fail("root entry");
        const std::uint32_t miniFatStart = Read32(file_, 60);
        if (miniFatStart != 0xFFFFFFFE) {
            const std::string miniFat = Chain(fat_, miniFatStart, 512, [this](std::uint32_t s) { return Sector(s); });
            for (std::size_t at = 0; at < miniFat.size(); at += 4) miniFat_.push_back(Read32(miniFat, at));
            miniStream_ = Chain(fat_, entries_[0].start, 512, [this](std::uint32_t s) { return Sector(s); });
        }
    }

    const std::vector<DirectoryEntry>& Entries() const { return entries_; }
    std::size_t EntriesInUse() const {
        std::size_t count = 0;
        for (const DirectoryEntry& entry : entries_) count += entry.type != 0;
        return count;
    }
    std::uint32_t DifatSectors() const { return Read32(file_, 72); }

    // The contents of the stream entry named name in the root storage.
    std::string Stream(std::u16string_view name) const {
        for (const DirectoryEntry& entry : entries_) {
            if (entry.type != 2 || entry.name != name) continue;
            if (entry.size == 0) return {};
            std::string bytes;
            if (entry.size < 4096) {
                bytes = Chain(miniFat_, entry.start, 64, [this](std::uint32_t s) {
                    if ((s + 1) * 64 > miniStream_.size()) Fail("mini sector outside the mini stream");
                    return std::string_view(miniStream_).substr(s * 64, 64);
                });
            } else {
                bytes = Chain(fat_, entry.start, 512, [this](std::uint32_t s) { return Sector(s); });
            }
            if (bytes.size() < entry.size) Fail("chain shorter than the stream");
            return bytes.substr(0, entry.size);
        }
        Fail("no such stream");
    }

private:
    [[noreturn]] static void Fail(const std::string& what) { throw std::runtime_error("compound file: " + what); }

    std::string_view Sector(std::uint32_t sector) const {
        if ((std::size_t{sector} + 2) * 512 > file_.size()) Fail("sector outside the file");
        return std::string_view(file_).substr((std::size_t{sector} + 1) * 512, 512);
    }

    template <typename SectorOf>
    static std::string Chain(const std::vector<std::uint32_t>& table, std::uint32_t start, std::size_t unit,
                             SectorOf sectorOf) {
        std::string bytes;
        for (std::uint32_t s = start; s != 0xFFFFFFFE;) {
            if (s >= table.size() || bytes.size() > table.size() * unit) Fail("broken chain");
            bytes.append(sectorOf(s));
            s = table[s];
        }
        return bytes;
    }

    std::string file_;
    std::vector<std::uint32_t> fat_, miniFat_;
    std::string miniStream_;
    std::vector<DirectoryEntry> entries_;
};

}  // namespace lognex::test
