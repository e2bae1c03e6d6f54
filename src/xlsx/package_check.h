// A check of a finished .xlsx package before it is put in place.
//
// The workbook library writes each part through scratch files and does not
// notice when a write to one fails (a full disk, a file-size limit): the
// package then holds parts cut short and still zips up without complaint.
// Every XML part of a whole package ends with the end tag of its root
// element, and a cut part does not.
#pragma once

#include <string>
#include <string_view>

namespace lognex {

// The name of the first part of package (the bytes of a zip file) that is
// not whole: its XML does not end with its root element's end tag, or it
// cannot be read out of the zip. Empty when every part is whole.
std::string FirstCutPart(std::string_view package);

}  // namespace lognex
