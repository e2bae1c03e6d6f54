#include "xlsx/package_check.h"

#include <zlib.h>

#include <cstdint>
#include <optional>

namespace lognex {
namespace {

std::uint32_t Read(std::string_view bytes, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

// The part's bytes: stored, or deflated as zip files deflate them.
std::optional<std::string> Unpacked(std::string_view data, std::uint32_t method, std::uint32_t size) {
    if (method == 0) return data.size() == size ? std::optional<std::string>(data) : std::nullopt;
    if (method != 8) return std::nullopt;
    std::string out(size, '\0');
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return std::nullopt;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&stream, Z_FINISH);
    const bool whole = result == Z_STREAM_END && stream.total_out == size;
    inflateEnd(&stream);
    return whole ? std::optional<std::string>(std::move(out)) : std::nullopt;
}

// The XML ends with the end tag of the element its text begins with.
bool EndsItsRoot(std::string_view xml) {
    std::size_t at = 0;
    while ((at = xml.find('<', at)) != std::string_view::npos && at + 1 < xml.size() &&
           (xml[at + 1] == '?' || xml[at + 1] == '!'))
        ++at;
    if (at == std::string_view::npos || at + 1 >= xml.size()) return false;
    const std::size_t nameEnd = xml.find_first_of(" \t\r\n/>", at + 1);
    if (nameEnd == std::string_view::npos) return false;
    const std::string_view name = xml.substr(at + 1, nameEnd - at - 1);
    std::size_t last = xml.find_last_not_of(" \t\r\n");
    if (last == std::string_view::npos) return false;
    const std::string_view body = xml.substr(0, last + 1);
    const std::string endTag = "</" + std::string(name) + ">";
    // A root with no content closes itself.
    if (body.ends_with("/>") && body.find('<', at + 1) == std::string_view::npos) return true;
    return body.ends_with(endTag);
}

}  // namespace

std::string FirstCutPart(std::string_view package) {
    constexpr std::size_t kEndRecord = 22;
    if (package.size() < kEndRecord) return "(the package)";
    std::size_t end = package.size() - kEndRecord;
    while (Read(package, end, 4) != 0x06054b50) {  // the end of the central directory
        if (end == 0 || package.size() - end > kEndRecord + 0xFFFF) return "(the package)";
        --end;
    }
    const std::uint32_t entries = Read(package, end + 10, 2);
    std::size_t at = Read(package, end + 16, 4);
    for (std::uint32_t i = 0; i < entries; ++i) {
        if (at + 46 > package.size() || Read(package, at, 4) != 0x02014b50) return "(the package)";
        const std::uint32_t method = Read(package, at + 10, 2);
        const std::uint32_t packed = Read(package, at + 20, 4), size = Read(package, at + 24, 4);
        const std::uint32_t nameLength = Read(package, at + 28, 2);
        const std::uint32_t extra = Read(package, at + 30, 2), comment = Read(package, at + 32, 2);
        const std::size_t local = Read(package, at + 42, 4);
        if (at + 46 + nameLength > package.size()) return "(the package)";
        const std::string name(package.substr(at + 46, nameLength));
        at += 46 + nameLength + extra + comment;

        if (local + 30 > package.size() || Read(package, local, 4) != 0x04034b50) return name;
        const std::size_t data = local + 30 + Read(package, local + 26, 2) + Read(package, local + 28, 2);
        if (data + packed > package.size()) return name;
        const std::optional<std::string> part = Unpacked(package.substr(data, packed), method, size);
        if (!part) return name;
        const bool xml = name.ends_with(".xml") || name.ends_with(".rels");
        if (xml && !EndsItsRoot(*part)) return name;
    }
    return {};
}

}  // namespace lognex
