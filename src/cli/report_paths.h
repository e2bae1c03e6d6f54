// How the batch tool names and compares the files it is given.
#pragma once

#include <string>

namespace lognex {

// path made absolute and tidied, as messages show it; path itself when it
// cannot be made absolute.
std::string FullPath(const std::string& path);

// True when a and b name one file: the same existing file, or the same place
// once symbolic links are followed, a dangling link included (writing
// through it creates the file it names). Neither need exist.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace lognex
