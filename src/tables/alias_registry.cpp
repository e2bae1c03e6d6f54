#include "tables/alias_registry.h"

#include <algorithm>
#include <system_error>

#include "support/ansi_text.h"
#include "support/error.h"
#include "support/file_io.h"
#include "support/platform_files.h"
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

std::string LowerName(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) c = LowerAscii(c);
    return lower;
}

// The alias a line defines, when it defines one: name and stored folder text.
std::optional<std::pair<std::string_view, std::string_view>> AliasOf(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const auto equals = line.find('=');
    if (line.empty() || line.front() == '#' || equals == std::string_view::npos) return std::nullopt;
    const std::string_view name = line.substr(0, equals);
    if (!ValidName(name)) return std::nullopt;
    return std::pair{name, line.substr(equals + 1)};
}

[[noreturn]] void ThrowUnreadable(const std::filesystem::path& file, const std::string& cause) {
    throw Error("Cannot read the alias registry \"" + PathToAnsi(PathText(file)) + "\". " + cause);
}

}  // namespace

AliasRegistry::AliasRegistry(std::filesystem::path file) : file_(std::move(file)) {
    std::error_code ec;
    if (std::filesystem::status(file_, ec).type() == std::filesystem::file_type::not_found) return;
    RegularFileReader in(PathText(file_));
    if (!in.Problem().empty()) ThrowUnreadable(file_, in.Problem());
    if (in.Size() > kMaxAliasRegistryBytes)
        ThrowUnreadable(file_, "It is larger than " + std::to_string(kMaxAliasRegistryBytes >> 20) +
                                   " MB, which no alias registry is");
    std::string content;
    try {
        char buffer[1 << 16];
        while (const std::size_t n = in.Read(buffer, sizeof buffer)) {
            content.append(buffer, n);
            if (content.size() > kMaxAliasRegistryBytes) ThrowUnreadable(file_, "It keeps growing");
        }
    } catch (const std::system_error& failure) {
        ThrowUnreadable(file_, SystemErrorText(failure.code().value()));
    }
    for (std::size_t start = 0; start < content.size();) {
        const std::size_t end = std::min(content.find('\n', start), content.size());
        lines_.emplace_back(content, start, end - start);
        start = end + 1;
        if (const auto alias = AliasOf(lines_.back()))
            folders_.try_emplace(LowerName(alias->first), UnescapeFolder(alias->second));
    }
}

bool AliasRegistry::IsAlias(std::string_view name) const { return FolderOf(name).has_value(); }

void AliasRegistry::AddAlias(std::string_view name, std::string_view folder) {
    if (!ValidName(name)) throw Error("Invalid alias name '" + std::string(name) + "'");
    if (IsAlias(name)) throw Error("Name not unique in this context.\nAlias: " + std::string(name));
    folders_.emplace(LowerName(name), std::string(folder));
    if (lines_.empty()) lines_.emplace_back("# Lognex database aliases: name=folder");
    lines_.push_back(std::string(name) + "=" + EscapeFolder(folder));
    Save();
}

void AliasRegistry::DeleteAlias(std::string_view name) {
    if (folders_.erase(LowerName(name)) == 0) return;
    // Every line of the name goes: a later one, ignored so far, would
    // otherwise bring the alias back at the next start.
    std::erase_if(lines_, [&](const std::string& line) {
        const auto alias = AliasOf(line);
        return alias && EqualsIgnoringAsciiCase(alias->first, name);
    });
    Save();
}

std::optional<std::string> AliasRegistry::FolderOf(std::string_view name) const {
    const auto found = folders_.find(LowerName(name));
    if (found == folders_.end()) return std::nullopt;
    return found->second;
}

void AliasRegistry::Save() const noexcept {
    if (file_.empty()) return;
    try {
        std::string text;
        for (const std::string& line : lines_) text += line + "\n";
        WriteFileWhole(file_, text);
    } catch (...) {
        // A read-only program folder must not stop the program: the change
        // holds in memory for this run and is lost at the next start.
    }
}

}  // namespace lognex
