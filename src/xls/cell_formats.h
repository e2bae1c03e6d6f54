// The font pool and the cell format (XF) pool that cells refer to, and the
// built-in number formats the workbook publishes.
//
// Cells hold pointers to formats, not numbers: when a format nobody uses any
// more leaves the pool, the later formats move down by one and every cell
// follows without being touched.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lognex {

// Style flags of a font.
constexpr std::uint8_t kFontBold = 0x01;
constexpr std::uint8_t kFontItalic = 0x02;
constexpr std::uint8_t kFontStrikeout = 0x04;

struct Font {
    std::u16string name = u"Arial";
    std::uint8_t characterSet = 0;
    std::uint8_t family = 2;
    std::uint8_t colour = 8;
    std::int32_t height = 200;   // twentieths of a point
    std::uint8_t style = 0;      // kFontBold | kFontItalic | kFontStrikeout
    std::uint8_t script = 0;     // 0 normal, 1 superscript, 2 subscript
    std::uint8_t underline = 0;  // 0 none, 1 single, 2 double, 3/4 accounting
};

// Equal as the pool compares them: the name ignoring letter case, every
// other field exactly.
bool SameFont(const Font& a, const Font& b);

class FontPool {
public:
    // Five equal default fonts, numbers 0 to 4; number 4 is never written
    // because BIFF has no font 4, which keeps pool and file numbers equal.
    FontPool();

    // The number of the first font equal to wanted, appending it if none is.
    std::uint16_t Find(const Font& wanted);

    const Font& At(std::uint16_t number) const { return fonts_.at(number); }
    const std::vector<Font>& Fonts() const { return fonts_; }

private:
    std::vector<Font> fonts_;
};

// The 20 data bytes of an XF record.
using XfBytes = std::array<std::uint8_t, 20>;

struct CellFormat {
    XfBytes bytes{};
    int useCount = 0;
    bool fixed = false;        // one of the 21 built-in formats: never removed, not counted
    std::uint16_t number = 0;  // position in the pool, kept current by the pool
};

// Which attribute of a cell's format a change sets.
enum class FormatAttribute { Font, HorizontalAlignment, VerticalAlignment };

class CellFormatPool {
public:
    // The 21 built-in formats, numbers 0 to 20.
    CellFormatPool();
    CellFormatPool(const CellFormatPool&) = delete;
    CellFormatPool& operator=(const CellFormatPool&) = delete;

    // The format every new cell gets (general, bottom, locked).
    CellFormat* Default() const { return formats_[15].get(); }

    // The format a cell has after one attribute of its format current is set
    // to value. Unless force is set, an attribute that already has the value
    // changes nothing. Otherwise current gives up its use, and leaves the
    // pool when nobody else uses it, before the pool is searched for the new
    // bytes; an equal format is shared, else the copy is appended.
    CellFormat* Change(CellFormat* current, FormatAttribute attribute, unsigned value, bool force);

    const std::vector<std::unique_ptr<CellFormat>>& Formats() const { return formats_; }

private:
    void Release(CellFormat* format);
    CellFormat* Acquire(const XfBytes& bytes);

    std::vector<std::unique_ptr<CellFormat>> formats_;
};

// Reads and sets the fields of XF bytes the writer uses.
unsigned XfFont(const XfBytes& bytes);
unsigned XfHorizontal(const XfBytes& bytes);
unsigned XfVertical(const XfBytes& bytes);

// A built-in number format: its number, its text and whether the workbook
// publishes it in a FORMAT record.
struct NumberFormat {
    std::uint16_t number = 0;
    std::u16string text;
    bool used = false;
};

// The 50 built-in number formats, 0 to 49, with the ones the built-in cell
// formats name (9, 42, 43, 44, 45) marked used. Only those carry their text:
// nothing else is ever marked, so no other text is ever written.
std::vector<NumberFormat> BuiltInNumberFormats();

}  // namespace lognex
