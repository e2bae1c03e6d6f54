#include "xls/workbook_globals.h"

namespace lognex {
namespace {

constexpr std::uint16_t kFontsAndFormats = 0x8001;
constexpr std::uint16_t kSheets = 0x8002;
constexpr std::uint16_t kNames = 0x8003;
constexpr std::uint16_t kDrawingGroup = 0x8004;
constexpr std::uint16_t kSharedStrings = 0x8005;

constexpr std::uint16_t kPassword = 0x0013;
constexpr std::uint16_t kTabId = 0x013D;
constexpr std::uint16_t kFont = 0x0031;
constexpr std::uint16_t kFormat = 0x041E;
constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kStyle = 0x0293;
constexpr std::uint16_t kBoundSheet = 0x0085;

using biff::Record;

void PutUtf16(std::vector<std::uint8_t>& data, const std::u16string& text) {
    for (char16_t unit : text) PutU16(data, unit);
}

void WriteFonts(RecordStream& stream, const FontPool& fonts) {
    const std::vector<Font>& all = fonts.Fonts();
    for (std::size_t number = 0; number < all.size(); ++number) {
        if (number == 4) continue;  // BIFF has no font 4
        const Font& font = all[number];
        static constexpr std::uint8_t kUnderline[] = {0x00, 0x01, 0x02, 0x21, 0x22};
        std::vector<std::uint8_t> data;
        PutU16(data, static_cast<unsigned>(font.height));
        PutU16(data, ((font.style & kFontItalic) ? 0x0002u : 0u) | ((font.style & kFontStrikeout) ? 0x0008u : 0u));
        PutU16(data, font.colour);
        PutU16(data, (font.style & kFontBold) ? 700 : 400);
        PutU16(data, font.script);
        PutU8(data, font.underline < 5 ? kUnderline[font.underline] : 0);
        PutU8(data, font.family);
        PutU8(data, font.characterSet);
        PutU8(data, 0);
        PutU8(data, static_cast<unsigned>(font.name.size()));
        PutU8(data, 0x01);
        PutUtf16(data, font.name);
        stream.WriteRecord(kFont, data);
    }
}

void WriteFontsAndFormats(RecordStream& stream, const GlobalsContent& content) {
    WriteFonts(stream, content.fonts);
    for (const NumberFormat& format : content.numberFormats) {
        // General (0) is every reader's own and never written.
        if (!format.used || format.number == 0) continue;
        std::vector<std::uint8_t> data;
        PutU16(data, format.number);
        PutU16(data, static_cast<unsigned>(format.text.size()));
        PutU8(data, 0x01);
        PutUtf16(data, format.text);
        stream.WriteRecord(kFormat, data);
    }
    for (const auto& format : content.formats.Formats()) {
        stream.WriteRecord(kXf, std::vector<std::uint8_t>(format->bytes.begin(), format->bytes.end()));
    }
    // Comma, Comma [0], Currency, Currency [0], Normal and Percent, each on
    // the built-in cell format that carries its number format.
    static constexpr std::uint8_t kStyles[6][4] = {{0x10, 0x80, 0x03, 0xFF}, {0x11, 0x80, 0x06, 0xFF},
                                                   {0x12, 0x80, 0x04, 0xFF}, {0x13, 0x80, 0x07, 0xFF},
                                                   {0x00, 0x80, 0x00, 0xFF}, {0x14, 0x80, 0x05, 0xFF}};
    for (const auto& style : kStyles) stream.WriteRecord(kStyle, std::vector<std::uint8_t>(style, style + 4));
}

}  // namespace

std::vector<BiffRecord> GlobalsTemplate() {
    std::vector<BiffRecord> list;
    list.push_back(biff::Bof(0x0005));
    // WRITEACCESS: no user name, padded with blanks to its fixed size.
    BiffRecord writeAccess = Record(0x005C, {0});
    PutU8(writeAccess.data, 0x00);
    writeAccess.data.resize(112, 0x20);
    list.push_back(writeAccess);
    list.push_back(Record(0x0042, {1200}));  // CODEPAGE: UTF-16
    list.push_back(Record(0x0161, {0}));     // DSF
    list.push_back(Record(kTabId, {}));
    list.push_back(Record(0x009C, {14}));  // FNGROUPCOUNT
    list.push_back(Record(0x0019, {0}));   // WINDOWPROTECT
    list.push_back(Record(0x0012, {0}));   // PROTECT
    list.push_back(Record(kPassword, {0}));
    list.push_back(Record(0x01AF, {0}));  // PROT4REV
    // WINDOW1: left, top, width, height; scroll bars and tabs shown; sheet 0 active.
    list.push_back(Record(0x003D, {100, 100, 10000, 7000, 0x0038, 0, 0, 1, 600}));
    list.push_back(Record(0x0040, {0}));  // BACKUP
    list.push_back(Record(0x008D, {0}));  // HIDEOBJ: show all
    list.push_back(Record(0x0022, {0}));  // DATEMODE: 1900 dates
    list.push_back(Record(0x000E, {1}));  // PRECISION: as displayed
    list.push_back(Record(0x01B7, {0}));  // REFRESHALL
    list.push_back(Record(0x00DA, {0}));  // BOOKBOOL
    list.push_back({kFontsAndFormats, {}});
    list.push_back({kSheets, {}});
    list.push_back(Record(0x008C, {1, 46}));  // COUNTRY
    BiffRecord recalcId = Record(0x01C1, {0x01C1, 0});
    PutU32(recalcId.data, 0x00FFFFFF);
    list.push_back(recalcId);
    list.push_back({kNames, {}});
    list.push_back({kDrawingGroup, {}});
    list.push_back({kSharedStrings, {}});
    list.push_back({0x000A, {}});  // EOF
    return list;
}

std::vector<std::size_t> WriteGlobals(RecordStream& stream, const std::vector<BiffRecord>& list,
                                      const GlobalsContent& content) {
    std::vector<std::size_t> sheetOffsetFields;
    for (const BiffRecord& record : list) {
        switch (record.number) {
            case kPassword: stream.WriteRecord(kPassword, {0, 0}); break;
            case kTabId: {
                // The sheets' ids, 1 upwards in tab order.
                std::vector<std::uint8_t> data;
                for (std::size_t id = 1; id <= content.sheetNames.size(); ++id) PutU16(data, static_cast<unsigned>(id));
                stream.WriteRecord(kTabId, data);
                break;
            }
            case kFontsAndFormats: WriteFontsAndFormats(stream, content); break;
            case kSheets:
                for (const std::u16string& name : content.sheetNames) {
                    std::vector<std::uint8_t> data;
                    PutU32(data, 0);  // patched when the sheet begins
                    PutU16(data, 0);  // visible worksheet
                    PutU8(data, static_cast<unsigned>(name.size()));
                    PutU8(data, 0x01);
                    PutUtf16(data, name);
                    sheetOffsetFields.push_back(stream.Position() + 4);
                    stream.WriteRecord(kBoundSheet, data);
                }
                break;
            case kNames:
            case kDrawingGroup:
                // No external references, names or drawings in this workbook.
                break;
            case kSharedStrings: content.strings.Write(stream); break;
            default: stream.WriteRecord(record.number, record.data);
        }
    }
    return sheetOffsetFields;
}

}  // namespace lognex
