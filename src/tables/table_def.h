// What a table is made of: its fields, its indexes and the order it opens in.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lognex {

// SmallInt keeps its old name but holds 32 bits (see kIntegerFieldMin); Timestamp
// is a DateTime kept to the millisecond.
enum class FieldType { Text, SmallInt, Timestamp };

struct FieldDef {
    std::string name;
    FieldType type = FieldType::Text;
    int width = 0;  // characters kept by a Text field
    bool required = false;
    std::string displayName;  // the name messages use; empty means name
};

struct IndexKeyDef {
    std::string field;
    bool descending = false;
};

// An index as the table-file tool creates it. At run time the store reads the
// indexes from the file itself.
struct IndexDef {
    std::string name;
    std::vector<IndexKeyDef> keys;
    bool ignoreCase = false;  // ASCII letter case, for every text key
    bool unique = false;
};

struct TableDef {
    std::string name;
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;
    // The order in force from Open: an index by name, or the first suitable
    // index for a ';'-separated field list. Exactly one is set.
    std::string indexName;
    std::string indexFieldNames;
};

// The index every table has without it being stored: storage order, which is
// insertion order since the last Empty.
inline constexpr std::string_view kSequentialIndexName = "Sequential Access Index";

// The file of a table: its name with this extension, in the database folder.
inline constexpr std::string_view kTableFileExtension = ".ff2";

}  // namespace lognex
