#include "tables/error_tables.h"

#include <system_error>

#include "support/ansi_text.h"
#include "support/platform_files.h"
#include "tables/sqlite_db.h"

namespace lognex {

namespace {

TableDef MakeErrorName() {
    return {
        .name = kErrorNameTable,
        .fields = {{.name = kErrorText, .type = FieldType::Text, .width = 90, .required = true},
                   {.name = kErrorLoc, .type = FieldType::Text, .width = 90, .required = true},
                   {.name = kNumTime, .type = FieldType::SmallInt}},
        .indexes = {{.name = kByErrorText, .keys = {{.field = kErrorText}, {.field = kErrorLoc}}},
                    {.name = kByNumberD, .keys = {{.field = kNumTime, .descending = true}}}},
        .indexName = kByErrorText,
    };
}

TableDef MakeErrorOccur() {
    return {
        .name = kErrorOccurTable,
        .fields = {{.name = kErrorText, .type = FieldType::Text, .width = 90, .required = true},
                   {.name = kErrorLoc, .type = FieldType::Text, .width = 90, .required = true},
                   {.name = kErrorTime, .type = FieldType::Timestamp, .required = true},
                   {.name = kLogLine, .type = FieldType::SmallInt, .required = true}},
        // Compares bytes, as ErrorName's ByErrorText does, so that the
        // occurrences shown for an error are exactly those counted into it.
        .indexes = {{.name = kByError, .keys = {{.field = kErrorText}, {.field = kErrorLoc}}}},
        .indexFieldNames = std::string(kErrorText) + ";" + kErrorLoc,
    };
}

TableDef MakeForExcel() {
    return {
        .name = kForExcelTable,
        .fields = {{.name = kErrorDate, .type = FieldType::Text, .width = 17, .required = true, .displayName = "Date"},
                   {.name = kErrorTime, .type = FieldType::Text, .width = 10, .required = true, .displayName = "Time"},
                   {.name = kErrorText,
                    .type = FieldType::Text,
                    .width = 180,
                    .required = true,
                    .displayName = "Error Text"}},
        .indexes = {{.name = kByTime, .keys = {{.field = kErrorDate}, {.field = kErrorTime}}, .ignoreCase = true}},
        .indexName = kByTime,
    };
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
        throw StoreError("Cannot create table file " + PathToAnsi(PathText(target)) + ": " + failure.code().message());
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
      database(registry, std::string(kDatabaseAlias)),
      errorNames(database, ErrorNameTableDef()),
      occurrences(database, ErrorOccurTableDef()),
      exportRows(database, ForExcelTableDef()) {
    occurrences.AttachMasterLink(MasterLink{&errorNames, {kErrorText, kErrorLoc}});
}

void ErrorTables::Open() {
    errorNames.Open();
    occurrences.Open();
    exportRows.Open();
}

void ErrorTables::Empty() {
    errorNames.Empty();
    occurrences.Empty();
    exportRows.Empty();
}

void ErrorTables::Close() noexcept {
    occurrences.Close();
    errorNames.Close();
    exportRows.Close();
}

}  // namespace lognex
