// The SQL text of a table cursor's queries, for one order and one link.
//
// Pure text: building it needs no connection, so every query can be checked
// on its own. A cursor's order is "keys, then rowid"; the first `linked` keys
// are fixed by a master link and every query but Insert, Update and ByRowid
// keeps to that range. Parameters are positional ('?'); each query's comment
// says what it binds, in order.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "tables/table_def.h"
#include "tables/table_indexes.h"

namespace lognex {

// How one step of a cursor move compares the key it moves on.
enum class SeekOp { Greater, Less, IsNotNull, IsNull };

class CursorSql {
public:
    CursorSql() = default;
    // The queries of def's table in the order keys (fields by position in
    // def), with the first linked keys fixed by a master link. Throws
    // StoreError "The order of table %s does not suit its master link" when
    // linked exceeds the number of keys.
    CursorSql(const TableDef& def, const std::vector<KeyColumn>& keys, std::size_t linked);

    std::size_t Linked() const { return linked_; }
    std::size_t KeyCount() const { return keyCount_; }

    // The first record of the range. Binds: the linked key values.
    const std::string& First() const { return first_; }
    // The number of records in the range. Binds: the linked key values.
    const std::string& Count() const { return count_; }
    // Adds a record. Binds: every field in definition order.
    const std::string& Insert() const { return insert_; }
    // Replaces a record. Binds: every field in definition order, then the rowid.
    const std::string& Update() const { return update_; }
    // The record with a rowid. Binds: the rowid.
    const std::string& ByRowid() const { return byRowid_; }

    // The first record of the range after a given one, found at level: for
    // level KeyCount()+1, among equal keys by rowid (only Greater); for a
    // level from Linked()+1 to KeyCount(), under equal keys before key
    // level-1, by that key compared with op. Binds: the linked key values,
    // the values of keys Linked() to level-2, then for Greater and Less the
    // value compared with (the rowid at the last level).
    const std::string& Seek(std::size_t level, SeekOp op) const;

    // The first record of the range whose first keyCount keys equal given
    // values (1 <= keyCount <= KeyCount()). Binds: the linked key values,
    // then the keyCount values.
    const std::string& Find(std::size_t keyCount) const;

private:
    std::size_t linked_ = 0;
    std::size_t keyCount_ = 0;
    std::string first_;
    std::string count_;
    std::string insert_;
    std::string update_;
    std::string byRowid_;
    std::vector<std::array<std::string, 4>> seek_;  // by level, then by SeekOp
    std::vector<std::string> find_;                 // by key count
};

}  // namespace lognex
