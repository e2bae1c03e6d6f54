#include "tables/alias_registry.h"

#include <algorithm>
#include <fstream>

#include "support/error.h"
#include "support/file_io.h"
#include "support/text_routines.h"

namespace lognex {

namespace {

// Folders may hold any byte but NUL; '%' and the line breaks are escaped so
// that one alias stays one line.
std::string EscapeFolder(std::string_view folder) {
    std::string out;
    for (char c : folder) {
        if (c == '%') {
            out += "%25";
        } else if (c == '\n') {
            out += "%0A";
        } else if (c == '\r') {
            out += "%0D";
        } else {
            out += c;
        }
    }
    return out;
}

std::string UnescapeFolder(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const std::string_view code = text.substr(i + 1, 2);
            if (code == "25" || code == "0A" || code == "0D") {
                out += code == "25" ? '%' : (code == "0A" ? '\n' : '\r');
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

bool ValidName(std::string_view name) {
    return !name.empty() && name.find_first_of("=\r\n") == std::string_view::npos && name.front() != '#';
}

}  // namespace

AliasRegistry::AliasRegistry(std::filesystem::path file) : file_(std::move(file)) {
    std::ifstream in(file_, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto equals = line.find('=');
        if (line.empty() || line.front() == '#' || equals == std::string::npos) continue;
        const std::string name = line.substr(0, equals);
        if (!ValidName(name) || IsAlias(name)) continue;
        entries_.emplace_back(name, UnescapeFolder(std::string_view(line).substr(equals + 1)));
    }
}

bool AliasRegistry::IsAlias(std::string_view name) const { return FolderOf(name).has_value(); }

void AliasRegistry::AddAlias(std::string_view name, std::string_view folder) {
    if (!ValidName(name)) throw Error("Invalid alias name '" + std::string(name) + "'");
    if (IsAlias(name)) throw Error("Name not unique in this context.\nAlias: " + std::string(name));
    entries_.emplace_back(std::string(name), std::string(folder));
    Save();
}

void AliasRegistry::DeleteAlias(std::string_view name) {
    const auto removed = std::remove_if(entries_.begin(), entries_.end(),
                                        [&](const auto& entry) { return EqualsIgnoringAsciiCase(entry.first, name); });
    if (removed == entries_.end()) return;
    entries_.erase(removed, entries_.end());
    Save();
}

std::optional<std::string> AliasRegistry::FolderOf(std::string_view name) const {
    for (const auto& [alias, folder] : entries_) {
        if (EqualsIgnoringAsciiCase(alias, name)) return folder;
    }
    return std::nullopt;
}

void AliasRegistry::Save() const noexcept {
    if (file_.empty()) return;
    try {
        std::string text = "# Lognex database aliases: name=folder\n";
        for (const auto& [alias, folder] : entries_) text += alias + "=" + EscapeFolder(folder) + "\n";
        WriteFileWhole(file_, text);
    } catch (...) {
        // A read-only program folder must not stop the program: the change
        // holds in memory for this run and is lost at the next start.
    }
}

}  // namespace lognex
