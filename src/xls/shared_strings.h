// The workbook-wide table of cell texts (SST) and its writer.
//
// Every text put into a cell is stored here once; the cell keeps a pointer to
// the entry and writes the entry's number when the sheet is saved. Entries are
// ordered by the ELF hash of their stored bytes, and where hashes collide by
// the place the binary-search insertion gives them, so the numbers a file
// gets do not depend on how the table is held in memory.
//
// A text is looked up with a plain binary search over that order, which
// steers by hash alone: where three or more entries share a hash it can pass
// an equal text by, and the text is then stored a second time. Readers show
// the same cells either way; the bytes are those of the classic writer.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "xls/record_stream.h"

namespace lognex {

// The hash of the ELF symbol table (System V ABI) over bytes, from 0.
std::uint32_t ElfHash(std::string_view bytes);

struct SharedString {
    std::uint32_t number = 0;  // position in the table; valid after SharedStringTable::Number()
    std::uint32_t hash = 0;
    std::uint32_t referenceCount = 0;
    std::uint16_t characterCount = 0;
    std::uint8_t form = 0;  // 0: one byte per character, 1: UTF-16LE
    std::string bytes;      // the stored bytes
};

// Where each EXTSST bucket starts: stream position and offset from the first
// byte of the header of the record it lies in.
struct SstBucket {
    std::uint32_t streamPosition = 0;
    std::uint16_t recordOffset = 0;
};

class SharedStringTable {
public:
    SharedStringTable() = default;
    SharedStringTable(const SharedStringTable&) = delete;
    SharedStringTable& operator=(const SharedStringTable&) = delete;

    // Counts one more use of text and returns its entry, adding one when the
    // same stored bytes are not in the table yet. The pointer stays valid as
    // long as the table. Throws lognex::Error for a text longer than 65,535
    // characters, which the 16-bit character count cannot hold.
    const SharedString* Add(std::u16string_view text);

    std::uint32_t TotalCount() const { return totalCount_; }
    std::uint32_t UniqueCount() const { return static_cast<std::uint32_t>(entries_.size()); }

    // Gives every entry its number from the current order and returns the
    // entries in that order.
    std::vector<const SharedString*> Number();

    // Writes SST, its CONTINUE records and EXTSST (numbering the entries
    // first) and returns the EXTSST buckets it wrote.
    std::vector<SstBucket> Write(RecordStream& stream);

private:
    static constexpr unsigned kHashBlockBits = 12;
    static constexpr std::size_t kHashBlocks = std::size_t{1} << (28 - kHashBlockBits);

    // Counts one more entry of hash for EntriesBelow.
    void CountEntry(std::uint32_t hash);
    // How many entries have a smaller hash: where hash's run starts.
    std::size_t EntriesBelow(std::uint32_t hash) const;

    std::deque<SharedString> entries_;
    // Entries by hash; within one hash in table order.
    std::map<std::uint32_t, std::vector<SharedString*>> byHash_;
    std::vector<std::uint32_t> blockCounts_;  // Fenwick tree of entries per hash block, 1-based
    std::uint32_t totalCount_ = 0;
};

// Strings per EXTSST bucket for a table of uniqueCount entries: the usual
// max(8, n * 8 / 8222 + 1), raised where that would give more buckets than
// one EXTSST record holds.
unsigned SstBucketSize(std::uint32_t uniqueCount);

}  // namespace lognex
