#include "xls/shared_strings.h"

#include "support/error.h"

namespace lognex {
namespace {

constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kExtSst = 0x00FF;

// A string header (count and form) is never split; with 15 bytes or fewer
// left the next string starts in a fresh CONTINUE record.
constexpr std::size_t kStringStartReserve = 15;

// Index of the last entry probed by a binary search over count entries when
// the first `upper` of them compare as not greater than the new text and
// none matches it.
long LastProbe(std::size_t count, std::size_t upper) {
    long low = 0;
    long high = static_cast<long>(count) - 1;
    long probe = -1;
    while (low <= high) {
        probe = (low + high) / 2;
        if (static_cast<std::size_t>(probe) < upper)
            low = probe + 1;
        else
            high = probe - 1;
    }
    return probe;
}

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

    auto [slot, isNewHash] = byHash_.try_emplace(wanted.hash);
    std::vector<SharedString*>& sameHash = slot->second;
    for (SharedString* entry : sameHash) {
        if (entry->form == wanted.form && entry->bytes == wanted.bytes) {
            ++entry->referenceCount;
            return entry;
        }
    }

    // Where hashes collide, a new text goes where a binary search over the
    // hash-ordered table ends: after the entries of its hash, or before the
    // last of them when the search's last probe was that entry.
    auto place = sameHash.end();
    if (!isNewHash) {
        std::size_t upper = 0;
        for (auto it = byHash_.begin(); it != std::next(slot); ++it) upper += it->second.size();
        if (LastProbe(entries_.size(), upper) + 1 == static_cast<long>(upper)) --place;
    }
    wanted.referenceCount = 1;
    SharedString& added = entries_.emplace_back(std::move(wanted));
    sameHash.insert(place, &added);
    return &added;
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
