// The program's three tables and the database that holds them.
//
// ErrorName holds one record per distinct error with its count, ErrorOccur
// one record per occurrence (shown per distinct error through its link to
// ErrorName), ForExcel the rows prepared for the workbook export. Their files
// are made once by the table-file tool and installed with the program.
#pragma once

#include <filesystem>

#include "tables/alias_registry.h"
#include "tables/record_store.h"

namespace lognex {

// The alias through which the database folder is found.
inline constexpr std::string_view kDatabaseAlias = "EgErrors";

// Names of the tables, their fields and their indexes. ErrorTime is a
// date-time in ErrorOccur and the time text in ForExcel.
inline constexpr char kErrorNameTable[] = "ErrorName";
inline constexpr char kErrorOccurTable[] = "ErrorOccur";
inline constexpr char kForExcelTable[] = "ForExcel";
inline constexpr char kErrorText[] = "ErrorText";
inline constexpr char kErrorLoc[] = "ErrorLoc";
inline constexpr char kNumTime[] = "NumTime";
inline constexpr char kErrorTime[] = "ErrorTime";
inline constexpr char kLogLine[] = "LogLine";
inline constexpr char kErrorDate[] = "ErrorDate";
inline constexpr char kByErrorText[] = "ByErrorText";  // ErrorName: ErrorText, ErrorLoc
inline constexpr char kByNumberD[] = "ByNumberD";      // ErrorName: NumTime descending
inline constexpr char kByError[] = "ByError";          // ErrorOccur: ErrorText, ErrorLoc
inline constexpr char kByTime[] = "ByTime";            // ForExcel: ErrorDate, ErrorTime

const TableDef& ErrorNameTableDef();
const TableDef& ErrorOccurTableDef();
const TableDef& ForExcelTableDef();

// Creates (or replaces) the file of def in folder, with its fields and
// indexes and no records. The file is built under a temporary name and
// renamed at the end, so a failure leaves any previous file as it was.
// Throws StoreError.
void CreateTableFile(const std::filesystem::path& folder, const TableDef& def);
// CreateTableFile for the three tables.
void CreateErrorTableFiles(const std::filesystem::path& folder);

// The database LocalDb and its tables, reached through kDatabaseAlias in
// aliases. ErrorOccur is linked to ErrorName on ErrorText;ErrorLoc.
struct ErrorTables {
    explicit ErrorTables(AliasRegistry& aliases);
    ErrorTables(const ErrorTables&) = delete;
    ErrorTables& operator=(const ErrorTables&) = delete;

    // Opens the tables not yet open, in the order ErrorName, ErrorOccur,
    // ForExcel.
    void Open();
    // Empties ErrorName, ErrorOccur and ForExcel, in that order.
    void Empty();
    // Closes ErrorOccur, ErrorName and ForExcel, in that order, discarding
    // pending records.
    void Close() noexcept;

    AliasRegistry& aliases;
    Database localDb;
    Table tblError;
    Table tblOccur;
    Table tblExcel;
};

}  // namespace lognex
