#include "tables/table_indexes.h"

#include <algorithm>

#include "support/text_routines.h"
#include "tables/sqlite_db.h"

namespace lognex {

namespace {

std::vector<std::string> SplitFieldList(std::string_view list) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(';', start), list.size());
        fields.emplace_back(list.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

// Position of the field called name in def, -1 when there is none.
int FieldPosition(const TableDef& def, std::string_view name) {
    const auto found = std::find_if(def.fields.begin(), def.fields.end(),
                                    [&](const FieldDef& field) { return EqualsIgnoringAsciiCase(field.name, name); });
    return found == def.fields.end() ? -1 : static_cast<int>(found - def.fields.begin());
}

std::vector<std::string> PartialIndexNames(Connection& connection, const TableDef& def) {
    std::vector<std::string> partial;
    Statement list(connection.Handle(), "SELECT name FROM pragma_index_list(?1, ?2) WHERE partial");
    list.BindText(1, def.name);
    list.BindText(2, def.name);
    while (list.Step()) partial.push_back(list.ColumnText(0));
    return partial;
}

}  // namespace

const TableIndex& SequentialIndex() {
    static const TableIndex sequential{std::string(kSequentialIndexName), {}, true};
    return sequential;
}

std::vector<TableIndex> ReadTableIndexes(Connection& connection, const TableDef& def) {
    const std::vector<std::string> partial = PartialIndexNames(connection, def);
    // The schema table's rowid order is the order in which the indexes were
    // made, which decides "the first suitable index".
    const std::string schema = QuoteIdentifier(def.name);
    Statement names(connection.Handle(),
                    "SELECT name FROM " + schema + ".sqlite_schema WHERE type='index' AND tbl_name=?1 ORDER BY rowid");
    names.BindText(1, def.name);
    Statement columns(connection.Handle(),
                      "SELECT cid, name, desc, coll FROM pragma_index_xinfo(?1, ?2) WHERE key ORDER BY seqno");
    std::vector<TableIndex> indexes;
    while (names.Step()) {
        TableIndex index;
        index.name = names.ColumnText(0);
        index.usable = std::find(partial.begin(), partial.end(), index.name) == partial.end();
        columns.Reset();
        columns.BindText(1, index.name);
        columns.BindText(2, def.name);
        while (columns.Step()) {
            const int field = FieldPosition(def, columns.ColumnText(1));
            if (columns.ColumnInt(0) < 0 || field < 0) {
                index.usable = false;
                continue;
            }
            index.keys.push_back(KeyColumn{field, columns.ColumnInt(2) != 0, columns.ColumnText(3)});
        }
        indexes.push_back(std::move(index));
    }
    return indexes;
}

const TableIndex& IndexNamed(const std::vector<TableIndex>& indexes, std::string_view name,
                             const std::string& tableName) {
    if (EqualsIgnoringAsciiCase(name, SequentialIndex().name)) return SequentialIndex();
    for (const TableIndex& index : indexes) {
        if (EqualsIgnoringAsciiCase(index.name, name)) {
            if (!index.usable) throw StoreError("Index " + index.name + " cannot order table " + tableName);
            return index;
        }
    }
    throw StoreError("Index does not exist.\nIndex: " + std::string(name));
}

const TableIndex& IndexForFields(const std::vector<TableIndex>& indexes, const TableDef& def, std::string_view list) {
    std::vector<int> wanted;
    for (const std::string& name : SplitFieldList(list)) wanted.push_back(FieldPosition(def, name));
    const auto suits = [&](const TableIndex& index, bool exact) {
        if (!index.usable || index.keys.size() < wanted.size()) return false;
        if (exact != (index.keys.size() == wanted.size())) return false;
        for (const KeyColumn& key : index.keys) {
            if (key.descending) return false;
        }
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            if (index.keys[i].field != wanted[i]) return false;
        }
        return true;
    };
    for (bool exact : {true, false}) {
        for (const TableIndex& index : indexes) {
            if (suits(index, exact)) return index;
        }
    }
    throw StoreError("No index for fields '" + std::string(list) + "'");
}

}  // namespace lognex
