// The settings file: a small private-profile (INI) reader and writer.
//
// One object works on one file and one current section. The file is read
// once, at the first read or write; writes change the lines held in memory
// and Flush writes the file whole once, so the lines no write touched (other
// sections, keys a user added, comments, junk) stay byte for byte as they
// were, and a failed write leaves the old file. Reads see earlier writes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/error.h"

namespace lognex {

// Raised by a write that cannot be stored. The text's first line is always
// "Failed to write value to INI file"; the second names the file and the
// cause ("/home/u/.config/lognex/LOGNEX.INI: Is a directory").
class EStRegIniError : public Error {
public:
    EStRegIniError(std::string_view file, std::string_view cause);
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

    // Each write sets one key (adding the section when it is missing) for the
    // next Flush. Throws EStRegIniError at once when the key or value cannot
    // be stored, or the file cannot be read or may not be written.
    void WriteBool(std::string_view key, bool value);
    void WriteInt(std::string_view key, std::int32_t value);
    void WriteStr(std::string_view key, std::string_view value);

    // Writes the file whole when a write changed it since the last Flush,
    // creating it when it is missing. Throws EStRegIniError when it cannot;
    // the file is then as it was.
    void Flush();
    // Flushes what is left, keeping quiet about a failure: call Flush to hear of it.
    ~TStRegIni();
    TStRegIni(const TStRegIni&) = delete;
    TStRegIni& operator=(const TStRegIni&) = delete;

    const std::string& FilePath() const { return filePath_; }

private:
    struct Line {
        std::string text;
        std::string end;  // "\n", "\r\n" or "" for a last line without one
    };
    enum class FileState { Missing, Read, Unreadable };

    void LoadLocked() const;
    std::optional<std::string> ReadRaw(std::string_view key) const;
    void WriteRaw(std::string_view key, std::string_view value);
    void FlushLocked();

    std::string filePath_;
    std::string section_;
    mutable bool loaded_ = false;
    mutable FileState state_ = FileState::Missing;
    mutable std::vector<Line> lines_;
    mutable std::string problem_;  // why an unreadable file could not be read
    bool dirty_ = false;
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
