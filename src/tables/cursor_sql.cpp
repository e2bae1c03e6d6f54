#include "tables/cursor_sql.h"

#include <cassert>

#include "tables/sqlite_db.h"

namespace lognex {

namespace {

std::string JoinWhere(const std::string& first, const std::string& second) {
    if (first.empty()) return second;
    if (second.empty()) return first;
    return first + " AND " + second;
}

// The pieces every cursor query is put together from.
struct QueryParts {
    std::vector<std::string> keyTerms;  // each key's column with its collation
    std::string from;
    std::string selectHead;
    std::string orderBy;
    std::string rangeWhere;

    // "keyTerm IS ?" for the keys from first up to (not including) last.
    std::string EqualKeys(std::size_t first, std::size_t last) const {
        std::string where;
        for (std::size_t i = first; i < last; ++i) where = JoinWhere(where, keyTerms[i] + " IS ?");
        return where;
    }
    // One record in order within the range, further restricted by where.
    std::string Select(const std::string& where) const {
        const std::string all = JoinWhere(rangeWhere, where);
        return selectHead + (all.empty() ? "" : " WHERE " + all) + orderBy + " LIMIT 1";
    }
};

QueryParts MakeParts(const TableDef& def, const std::vector<KeyColumn>& keys, std::size_t linked) {
    QueryParts parts;
    for (const KeyColumn& key : keys) {
        parts.keyTerms.push_back(QuoteIdentifier(def.fields[static_cast<std::size_t>(key.field)].name) + " COLLATE " +
                                 key.collation);
    }
    std::string columns = "rowid";
    for (const FieldDef& field : def.fields) columns += ", " + QuoteIdentifier(field.name);
    const std::string schema = QuoteIdentifier(def.name);
    parts.from = schema + "." + schema;
    parts.selectHead = "SELECT " + columns + " FROM " + parts.from;
    parts.orderBy = " ORDER BY ";
    for (std::size_t i = 0; i < keys.size(); ++i)
        parts.orderBy += parts.keyTerms[i] + (keys[i].descending ? " DESC, " : ", ");
    parts.orderBy += "rowid";
    parts.rangeWhere = parts.EqualKeys(0, linked);
    return parts;
}

std::string SeekTerm(const std::string& subject, SeekOp op) {
    switch (op) {
        case SeekOp::Greater: return subject + " > ?";
        case SeekOp::Less: return subject + " < ?";
        case SeekOp::IsNotNull: return subject + " IS NOT NULL";
        case SeekOp::IsNull: return subject + " IS NULL";
    }
    return subject;
}

}  // namespace

CursorSql::CursorSql(const TableDef& def, const std::vector<KeyColumn>& keys, std::size_t linked)
    : linked_(linked), keyCount_(keys.size()) {
    if (linked > keys.size()) throw StoreError("The order of table " + def.name + " does not suit its master link");
    const QueryParts parts = MakeParts(def, keys, linked);

    first_ = parts.Select("");
    count_ = "SELECT count(*) FROM " + parts.from + (parts.rangeWhere.empty() ? "" : " WHERE " + parts.rangeWhere);
    byRowid_ = parts.selectHead + " WHERE rowid = ?1";

    std::string names, marks, sets;
    for (std::size_t i = 0; i < def.fields.size(); ++i) {
        const std::string name = QuoteIdentifier(def.fields[i].name);
        names += (i ? ", " : "") + name;
        marks += (i ? ", ?" : "?");
        sets += (i ? ", " : "") + name + " = ?";
    }
    insert_ = "INSERT INTO " + parts.from + " (" + names + ") VALUES (" + marks + ")";
    update_ = "UPDATE " + parts.from + " SET " + sets + " WHERE rowid = ?";

    seek_.resize(keyCount_ + 2);
    seek_[keyCount_ + 1][static_cast<std::size_t>(SeekOp::Greater)] =
        parts.Select(JoinWhere(parts.EqualKeys(linked, keyCount_), SeekTerm("rowid", SeekOp::Greater)));
    for (std::size_t level = linked + 1; level <= keyCount_; ++level) {
        const std::string equal = parts.EqualKeys(linked, level - 1);
        for (SeekOp op : {SeekOp::Greater, SeekOp::Less, SeekOp::IsNotNull, SeekOp::IsNull}) {
            seek_[level][static_cast<std::size_t>(op)] =
                parts.Select(JoinWhere(equal, SeekTerm(parts.keyTerms[level - 1], op)));
        }
    }
    find_.resize(keyCount_ + 1);
    for (std::size_t count = 1; count <= keyCount_; ++count) find_[count] = parts.Select(parts.EqualKeys(0, count));
}

const std::string& CursorSql::Seek(std::size_t level, SeekOp op) const {
    assert(level > linked_ && level <= keyCount_ + 1);
    assert(level <= keyCount_ || op == SeekOp::Greater);
    return seek_[level][static_cast<std::size_t>(op)];
}

const std::string& CursorSql::Find(std::size_t keyCount) const {
    assert(keyCount >= 1 && keyCount <= keyCount_);
    return find_[keyCount];
}

}  // namespace lognex
