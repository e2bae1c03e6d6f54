// The indexes of an open table file and the choice of the order among them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tables/table_def.h"

namespace lognex {

class Connection;

// One key column of an index, its field given by position in the table's
// definition.
struct KeyColumn {
    int field = 0;
    bool descending = false;
    std::string collation;
};

struct TableIndex {
    std::string name;
    std::vector<KeyColumn> keys;
    bool usable = true;  // false for expression and partial indexes
};

// The index without keys that stands for storage order (kSequentialIndexName).
const TableIndex& SequentialIndex();

// The indexes of def's table file, attached to connection under the table's
// own name, in the order they were made. An index over a column def does not
// know, or over an expression, or a partial one, is read as not usable.
std::vector<TableIndex> ReadTableIndexes(Connection& connection, const TableDef& def);

// The index called name (ASCII letter case ignored), SequentialIndex
// included. Throws StoreError "Index does not exist." for an unknown name and
// "Index %s cannot order table %s" for one that is not usable.
const TableIndex& IndexNamed(const std::vector<TableIndex>& indexes, std::string_view name,
                             const std::string& tableName);

// The first usable index whose keys are exactly the fields in list
// (';'-separated, names of def's fields), else the first whose keys begin
// with them; descending indexes are never chosen. Throws StoreError "No index
// for fields '%s'" when there is none.
const TableIndex& IndexForFields(const std::vector<TableIndex>& indexes, const TableDef& def, std::string_view list);

}  // namespace lognex
