#include "tables/error_tables.h"

#include <system_error>

#include "tables/sqlite_db.h"
#include "support/platform_files.h"

namespace lognex {

namespace {

TableDef MakeErrorName() {
    TableDef def;
    def.name = "ErrorName";
    def.fields = {
        {"ErrorText", FieldType::Text, 90, true, ""},
        {"ErrorLoc", FieldType::Text, 90, true, ""},
        {"NumTime", FieldType::SmallInt, 0, false, ""},
    };
    def.indexes = {
        {"ByErrorText", {{"ErrorText", false}, {"ErrorLoc", false}}, false, false},
        {"ByNumberD", {{"NumTime", true}}, false, false},
    };
    def.indexName = "ByErrorText";
    return def;
}

TableDef MakeErrorOccur() {
    TableDef def;
    def.name = "ErrorOccur";
    def.fields = {
        {"ErrorText", FieldType::Text, 90, true, ""},
        {"ErrorLoc", FieldType::Text, 90, true, ""},
        {"ErrorTime", FieldType::Timestamp, 0, true, ""},
        {"LogLine", FieldType::SmallInt, 0, true, ""},
    };
    // Compares bytes, as ErrorName's ByErrorText does, so that the
    // occurrences shown for an error are exactly those counted into it.
    def.indexes = {
        {"ByError", {{"ErrorText", false}, {"ErrorLoc", false}}, false, false},
    };
    def.indexFieldNames = "ErrorText;ErrorLoc";
    return def;
}

TableDef MakeForExcel() {
    TableDef def;
    def.name = "ForExcel";
    def.fields = {
        {"ErrorDate", FieldType::Text, 17, true, "Date"},
        {"ErrorTime", FieldType::Text, 10, true, "Time"},
        {"ErrorText", FieldType::Text, 180, true, "Error Text"},
    };
    def.indexes = {
        {"ByTime", {{"ErrorDate", false}, {"ErrorTime", false}}, true, false},
    };
    def.indexName = "ByTime";
    return def;
}

std::string ColumnType(FieldType type) {
    // Date-times are stored as whole milliseconds since 30 December 1899.
    return type == FieldType::Text ? "TEXT" : "INTEGER";
}

bool IsTextField(const TableDef& def, const std::string& name) {
    for (const FieldDef& field : def.fields) {
        if (field.name == name) return field.type == FieldType::Text;
    }
    return false;
}

}  // namespace

const TableDef& ErrorNameTableDef() {
    static const TableDef def = MakeErrorName();
    return def;
}

const TableDef& ErrorOccurTableDef() {
    static const TableDef def = MakeErrorOccur();
    return def;
}

const TableDef& ForExcelTableDef() {
    static const TableDef def = MakeForExcel();
    return def;
}

void CreateTableFile(const std::filesystem::path& folder, const TableDef& def) {
    const std::filesystem::path target = folder / (def.name + std::string(kTableFileExtension));
    std::filesystem::path temporary = target;
    temporary += ".new";
    std::error_code error;
    std::filesystem::remove(temporary, error);
    try {
        {
            Connection connection(PathText(temporary), OpenOrCreateFlags());
            std::string sql = "PRAGMA journal_mode=OFF; BEGIN; CREATE TABLE " + QuoteIdentifier(def.name) + " (";
            for (std::size_t i = 0; i < def.fields.size(); ++i) {
                const FieldDef& field = def.fields[i];
                sql += (i ? ", " : "") + QuoteIdentifier(field.name) + " " + ColumnType(field.type) +
                       (field.required ? " NOT NULL" : "");
            }
            sql += ");";
            for (const IndexDef& index : def.indexes) {
                sql += std::string(index.unique ? " CREATE UNIQUE INDEX " : " CREATE INDEX ") +
                       QuoteIdentifier(index.name) + " ON " + QuoteIdentifier(def.name) + " (";
                for (std::size_t i = 0; i < index.keys.size(); ++i) {
                    sql += (i ? ", " : "") + QuoteIdentifier(index.keys[i].field) +
                           (IsTextField(def, index.keys[i].field)
                                ? (index.ignoreCase ? " COLLATE NOCASE" : " COLLATE BINARY")
                                : "") +
                           (index.keys[i].descending ? " DESC" : "");
                }
                sql += ");";
            }
            sql += " COMMIT;";
            connection.Execute(sql);
        }
        std::filesystem::rename(temporary, target);
    } catch (const std::filesystem::filesystem_error& failure) {
        std::filesystem::remove(temporary, error);
        throw StoreError("Cannot create table file " + PathText(target) + ": " + failure.code().message());
    } catch (...) {
        std::filesystem::remove(temporary, error);
        throw;
    }
}

void CreateErrorTableFiles(const std::filesystem::path& folder) {
    for (const TableDef* def : {&ErrorNameTableDef(), &ErrorOccurTableDef(), &ForExcelTableDef()}) {
        CreateTableFile(folder, *def);
    }
}

ErrorTables::ErrorTables(AliasRegistry& registry)
    : aliases(registry),
      localDb(registry, std::string(kDatabaseAlias)),
      tblError(localDb, ErrorNameTableDef()),
      tblOccur(localDb, ErrorOccurTableDef()),
      tblExcel(localDb, ForExcelTableDef()) {
    tblOccur.AttachMasterLink(MasterLink{&tblError, {"ErrorText", "ErrorLoc"}});
}

void ErrorTables::Open() {
    tblError.Open();
    tblOccur.Open();
    tblExcel.Open();
}

void ErrorTables::Empty() {
    tblError.Empty();
    tblOccur.Empty();
    tblExcel.Empty();
}

void ErrorTables::Close() noexcept {
    tblOccur.Close();
    tblError.Close();
    tblExcel.Close();
}

}  // namespace lognex
