// The workbook globals substream: its record template list and its writer.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "xls/cell_formats.h"
#include "xls/record_stream.h"
#include "xls/shared_strings.h"

namespace lognex {

// The globals' records in file order, with this program's settings in
// place. Entries 0x8001 to 0x8005 stand for the generated groups: fonts,
// number formats, cell formats and styles; sheets; external references and
// names; the drawing group; the shared strings.
std::vector<BiffRecord> GlobalsTemplate();

// What the generated groups are made from.
struct GlobalsContent {
    const FontPool& fonts;
    const std::vector<NumberFormat>& numberFormats;
    const CellFormatPool& formats;
    SharedStringTable& strings;
    const std::vector<std::u16string>& sheetNames;  // in tab order
};

// Writes the globals substream at the stream's current position, numbering
// the shared strings on the way, and returns where each sheet's 32-bit
// BOUNDSHEET offset lies so it can be patched when the sheet begins.
std::vector<std::size_t> WriteGlobals(RecordStream& stream, const std::vector<BiffRecord>& list,
                                      const GlobalsContent& content);

}  // namespace lognex
