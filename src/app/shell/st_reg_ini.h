// The settings file: a small private-profile (INI) reader and writer.
//
// One object works on one file and one current section. Every read goes to
// the file; every write rewrites the file whole with one key replaced or
// appended, so the other lines (other sections, keys a user added, comments)
// stay byte for byte as they were, and a failed write leaves the old file.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "support/error.h"

namespace lognex {

// Raised by a write that cannot be stored; the text is always
// "Failed to write value to INI file".
class EStRegIniError : public Error {
public:
    EStRegIniError();
};

// Longest value a read returns; longer values are cut.
inline constexpr std::size_t kIniMaxValueLength = 1023;

class TStRegIni {
public:
    // A missing file is no error: reads give their defaults, the first write
    // creates it.
    explicit TStRegIni(std::string filePath);

    void SetSection(std::string section);

    // "TRUE"/"FALSE" in any case, or a decimal number (true when not zero);
    // anything else, a missing key or an empty value gives the default.
    bool ReadBool(std::string_view key, bool defaultValue) const;
    // Decimal, or hexadecimal after "$", "x" or "0x". 0..4294967295 is a
    // 32-bit pattern (4294967292 is -4); other numbers are taken as they are
    // when they fit an int, otherwise, like text, give the default.
    std::int32_t ReadInt(std::string_view key, std::int32_t defaultValue) const;
    // The stored text, at most kIniMaxValueLength characters; empty gives the default.
    std::string ReadStr(std::string_view key, const std::string& defaultValue) const;

    // Each write stores one key at once (creating the file and the section)
    // and throws EStRegIniError when it cannot.
    void WriteBool(std::string_view key, bool value);
    void WriteInt(std::string_view key, std::int32_t value);
    void WriteStr(std::string_view key, std::string_view value);

    const std::string& FilePath() const { return filePath_; }

private:
    std::optional<std::string> ReadRaw(std::string_view key) const;
    void WriteRaw(std::string_view key, std::string_view value);

    std::string filePath_;
    std::string section_;
    mutable std::mutex mutex_;
};

// The value encodings on their own, for callers that hold a value already.
// nullopt stands for "gives the default".
std::optional<bool> ParseIniBool(std::string_view value);
std::optional<std::int32_t> ParseIniInt(std::string_view value);
std::string FormatIniInt(std::int32_t value);

// The settings file in programFolder: an existing file named lognex.ini in any
// letter case, otherwise programFolder + "/LOGNEX.INI".
std::string SettingsFilePath(const std::string& programFolder);

}  // namespace lognex
