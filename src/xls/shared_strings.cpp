#include "xls/shared_strings.h"

#include <algorithm>

#include "support/error.h"

namespace lognex {
namespace {

constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kExtSst = 0x00FF;

// A string header (count and form) is never split; with 15 bytes or fewer
// left the next string starts in a fresh CONTINUE record.
constexpr std::size_t kStringStartReserve = 15;

// The SST and CONTINUE records being filled, each with its 8,224-byte budget.
class SstRecordWriter {
public:
    explicit SstRecordWriter(RecordStream& stream) : stream_(stream) { Begin(kSst); }

    std::size_t Left() const { return kMaxRecordData - (stream_.Position() - header_ - 4); }
    std::size_t Header() const { return header_; }

    void Continue() {
        stream_.EndRecord(header_);
        Begin(kContinue);
    }
    void Close() { stream_.EndRecord(header_); }

private:
    void Begin(std::uint16_t number) { header_ = stream_.BeginRecord(number); }

    RecordStream& stream_;
    std::size_t header_ = 0;
};

}  // namespace

std::uint32_t ElfHash(std::string_view bytes) {
    std::uint32_t hash = 0;
    for (unsigned char byte : bytes) {
        hash = (hash << 4) + byte;
        const std::uint32_t high = hash & 0xF0000000u;
        if (high != 0) hash ^= high >> 24;
        hash &= ~high;
    }
    return hash;
}

unsigned SstBucketSize(std::uint32_t uniqueCount) {
    unsigned size = static_cast<unsigned>(std::max<std::uint64_t>(8, std::uint64_t{uniqueCount} * 8 / 8222 + 1));
    // A few counts (8,217 to 8,221) would need 1,028 buckets, two bytes more
    // than one EXTSST record holds.
    while (2 + 8 * ((std::uint64_t{uniqueCount} + size - 1) / size) > kMaxRecordData) ++size;
    return size;
}

const SharedString* SharedStringTable::Add(std::u16string_view text) {
    if (text.size() > 0xFFFF) throw Error("Text too long for a cell: " + std::to_string(text.size()) + " characters");
    ++totalCount_;

    SharedString wanted;
    wanted.characterCount = static_cast<std::uint16_t>(text.size());
    wanted.form = 0;
    for (char16_t unit : text) {
        if (unit > 0xFF) {
            wanted.form = 1;
            break;
        }
    }
    wanted.bytes.reserve(text.size() * (wanted.form + 1u));
    for (char16_t unit : text) {
        wanted.bytes.push_back(static_cast<char>(unit & 0xFF));
        if (wanted.form == 1) wanted.bytes.push_back(static_cast<char>(unit >> 8));
    }
    wanted.hash = ElfHash(wanted.bytes);

    // The table is searched as one hash-ordered array with a plain binary
    // search. Only entries of the new text's hash can match, so the array is
    // needed only where its run of equal hashes lies.
    auto [slot, isNewHash] = byHash_.try_emplace(wanted.hash);
    std::vector<SharedString*>& sameHash = slot->second;
    std::size_t place = 0;  // where in its run a new entry goes
    // A hash of its own is always met by the search: the common repeat.
    if (sameHash.size() == 1 && sameHash.front()->characterCount == wanted.characterCount &&
        sameHash.front()->bytes == wanted.bytes) {
        ++sameHash.front()->referenceCount;
        return sameHash.front();
    }
    if (!isNewHash) {
        const long runStart = static_cast<long>(EntriesBelow(wanted.hash));
        const long runEnd = runStart + static_cast<long>(sameHash.size());
        long low = 0;
        long high = static_cast<long>(entries_.size()) - 1;
        long probe = -1;
        while (low <= high) {
            probe = (low + high) / 2;
            if (probe >= runEnd) {  // a greater hash
                high = probe - 1;
                continue;
            }
            if (probe >= runStart) {
                SharedString* entry = sameHash[static_cast<std::size_t>(probe - runStart)];
                if (entry->characterCount == wanted.characterCount && entry->bytes == wanted.bytes) {
                    ++entry->referenceCount;
                    return entry;
                }
            }
            low = probe + 1;
        }
        // Not found: the new entry takes the last probe's place, or the
        // place after it when that entry's hash is smaller. Here the last
        // probe lies in the run or just after it (a searched run is never
        // passed by on a smaller hash).
        place = static_cast<std::size_t>(std::clamp(probe, runStart, runEnd) - runStart);
    }
    wanted.referenceCount = 1;
    SharedString& added = entries_.emplace_back(std::move(wanted));
    sameHash.insert(sameHash.begin() + static_cast<std::ptrdiff_t>(place), &added);
    CountEntry(added.hash);
    return &added;
}

// The counts are kept per block of 4,096 hashes (the top 16 of the 28 bits)
// in a Fenwick tree; the entries of the hash's own block are counted from
// the map.
void SharedStringTable::CountEntry(std::uint32_t hash) {
    if (blockCounts_.empty()) blockCounts_.assign(kHashBlocks + 1, 0);
    for (std::size_t i = (hash >> kHashBlockBits) + 1; i <= kHashBlocks; i += i & (~i + 1)) ++blockCounts_[i];
}

std::size_t SharedStringTable::EntriesBelow(std::uint32_t hash) const {
    std::size_t below = 0;
    const std::uint32_t block = hash >> kHashBlockBits;
    if (!blockCounts_.empty())
        for (std::size_t i = block; i > 0; i -= i & (~i + 1)) below += blockCounts_[i];
    for (auto it = byHash_.lower_bound(block << kHashBlockBits); it != byHash_.end() && it->first < hash; ++it)
        below += it->second.size();
    return below;
}

std::vector<const SharedString*> SharedStringTable::Number() {
    std::vector<const SharedString*> ordered;
    ordered.reserve(entries_.size());
    for (auto& [hash, sameHash] : byHash_) {
        for (SharedString* entry : sameHash) {
            entry->number = static_cast<std::uint32_t>(ordered.size());
            ordered.push_back(entry);
        }
    }
    return ordered;
}

std::vector<SstBucket> SharedStringTable::Write(RecordStream& stream) {
    const std::vector<const SharedString*> ordered = Number();
    const unsigned bucketSize = SstBucketSize(UniqueCount());
    std::vector<SstBucket> buckets;

    SstRecordWriter record(stream);
    stream.WriteU32(totalCount_);
    stream.WriteU32(UniqueCount());
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        const SharedString& entry = *ordered[i];
        if (record.Left() <= kStringStartReserve) record.Continue();
        if (i % bucketSize == 0) {
            buckets.push_back({static_cast<std::uint32_t>(stream.Position()),
                               static_cast<std::uint16_t>(stream.Position() - record.Header())});
        }
        stream.WriteU16(entry.characterCount);
        stream.WriteU8(entry.form);

        std::string_view rest = entry.bytes;
        while (rest.size() > record.Left()) {
            // A UTF-16 character is never split across two records.
            std::size_t part = record.Left();
            if (entry.form == 1 && part % 2 == 1) --part;
            stream.WriteBytes(rest.substr(0, part));
            rest.remove_prefix(part);
            record.Continue();
            stream.WriteU8(entry.form);
        }
        stream.WriteBytes(rest);
    }
    record.Close();

    std::vector<std::uint8_t> extSst;
    extSst.reserve(2 + 8 * buckets.size());
    PutU16(extSst, bucketSize);
    for (const SstBucket& bucket : buckets) {
        PutU32(extSst, bucket.streamPosition);
        PutU16(extSst, bucket.recordOffset);
        PutU16(extSst, 0);
    }
    stream.WriteRecord(kExtSst, extSst);
    return buckets;
}

}  // namespace lognex
