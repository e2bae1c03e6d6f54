// A compound file ([MS-CFB], version 3) holding one stream in its root.
#pragma once

#include <string>
#include <string_view>

namespace lognex {

// The bytes of a version 3 compound file (512-byte sectors) whose root
// storage holds exactly one stream, `name`, with contents `stream`. A stream
// under 4,096 bytes lies in the mini stream; the FAT grows DIFAT sectors
// once the header's 109 FAT slots are not enough. No class identifier,
// state bits or time stamps are written. Throws Error when name is longer
// than 31 characters or the stream does not fit under 4 GiB.
std::string BuildCompoundFile(std::u16string_view name, std::string_view stream);

}  // namespace lognex
