// The persistent list of database aliases: a name standing for a folder.
//
// The registry lives in a small text file in the program folder, one
// "name=folder" line per alias. It is read once when the registry is made and
// written back whole after every change. Names compare ignoring ASCII letter
// case; folders are kept exactly as given, however long. Lines the registry
// does not own (comments, lines that read as no alias, later lines of a name
// already read, which it ignores) stay in the file as they were.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace lognex {

// File name of the registry inside the program folder.
inline constexpr std::string_view kAliasRegistryFileName = "lognex-aliases.cfg";

// A registry holds a few short lines; a larger file is none the program wrote.
inline constexpr std::size_t kMaxAliasRegistryBytes = std::size_t{1} << 20;

class AliasRegistry {
public:
    // A registry that lives in memory only (nothing is read or written).
    AliasRegistry() = default;
    // Reads file when it exists (a missing file gives an empty registry; lines
    // that do not read as an alias are skipped), in time linear in its size.
    // Throws lognex::Error naming the file and the cause when it exists but
    // cannot be read, is no regular file or is larger than
    // kMaxAliasRegistryBytes; nothing is then changed.
    explicit AliasRegistry(std::filesystem::path file);

    // True when an alias of that name (in any letter case) is registered.
    bool IsAlias(std::string_view name) const;
    // Registers name for folder and writes the file. Throws lognex::Error
    // ("Name not unique in this context.") when the name is taken, or when the
    // name is empty or holds '=' or a line break. When the file cannot be
    // written the alias still holds for this registry object.
    void AddAlias(std::string_view name, std::string_view folder);
    // Removes the alias and writes the file; an unknown name is no error.
    void DeleteAlias(std::string_view name);
    // The folder of the alias, or nothing when it is not registered.
    std::optional<std::string> FolderOf(std::string_view name) const;

    const std::filesystem::path& File() const { return file_; }

private:
    void Save() const noexcept;

    std::filesystem::path file_;
    std::vector<std::string> lines_;  // the file's lines, without their line feeds
    // Alias name in lower case -> folder; the first line of a name holds it.
    std::unordered_map<std::string, std::string> folders_;
};

}  // namespace lognex
