#include "xls/cell_formats.h"

#include <algorithm>

#include "xls/little_endian.h"

namespace lognex {
namespace {

char16_t FoldCase(char16_t unit) {
    // Latin-1 capitals too, except the multiplication sign.
    if ((unit >= u'A' && unit <= u'Z') || (unit >= 0xC0 && unit <= 0xDE && unit != 0xD7)) return unit + 0x20;
    return unit;
}

std::uint16_t Get16(const XfBytes& bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(LoadLittleEndian<2>(bytes, offset));
}

void Set16(XfBytes& bytes, std::size_t offset, unsigned value) { StoreLittleEndian<2>(bytes, offset, value); }

XfBytes MakeXf(unsigned font, unsigned numberFormat, unsigned typeAndProtection, unsigned alignment,
               unsigned attributes) {
    XfBytes bytes{};
    Set16(bytes, 0, font);
    Set16(bytes, 2, numberFormat);
    Set16(bytes, 4, typeAndProtection);
    Set16(bytes, 6, alignment);
    Set16(bytes, 8, attributes);
    Set16(bytes, 18, 0x20C0);  // foreground 64, background 65
    return bytes;
}

// Bit 12 of bytes 8-9 says the format sets its own alignment.
constexpr unsigned kAlignmentAttribute = 0x1000;

}  // namespace

bool SameFont(const Font& a, const Font& b) {
    return a.characterSet == b.characterSet && a.family == b.family && a.colour == b.colour && a.height == b.height &&
           a.style == b.style && a.script == b.script && a.underline == b.underline &&
           std::equal(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                      [](char16_t x, char16_t y) { return FoldCase(x) == FoldCase(y); });
}

FontPool::FontPool() : fonts_(5) {}

std::uint16_t FontPool::Find(const Font& wanted) {
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        if (SameFont(fonts_[i], wanted)) return static_cast<std::uint16_t>(i);
    }
    fonts_.push_back(wanted);
    return static_cast<std::uint16_t>(fonts_.size() - 1);
}

unsigned XfFont(const XfBytes& bytes) { return Get16(bytes, 0); }
unsigned XfHorizontal(const XfBytes& bytes) { return Get16(bytes, 6) & 0x07; }
unsigned XfVertical(const XfBytes& bytes) { return (Get16(bytes, 6) >> 4) & 0x07; }

CellFormatPool::CellFormatPool() {
    auto add = [this](const XfBytes& bytes) {
        auto format = std::make_unique<CellFormat>();
        format->bytes = bytes;
        format->fixed = true;
        format->number = static_cast<std::uint16_t>(formats_.size());
        formats_.push_back(std::move(format));
    };
    add(MakeXf(0, 0, 0xFFF5, 0x0020, 0x0000));
    for (unsigned font : {1, 1, 2, 2}) add(MakeXf(font, 0, 0xFFF5, 0x0020, 0xF400));
    for (int i = 5; i <= 14; ++i) add(MakeXf(0, 0, 0xFFF5, 0x0020, 0xF400));
    add(MakeXf(0, 0, 0x0001, 0x0020, 0x0000));
    for (unsigned numberFormat : {42, 43, 44, 45, 9}) add(MakeXf(0, numberFormat, 0xFFF5, 0x0020, 0x0000));
}

CellFormat* CellFormatPool::Change(CellFormat* current, FormatAttribute attribute, unsigned value, bool force) {
    XfBytes bytes = current->bytes;
    switch (attribute) {
        case FormatAttribute::Font:
            if (!force && XfFont(bytes) == value) return current;
            Set16(bytes, 0, value);
            break;
        case FormatAttribute::HorizontalAlignment:
        case FormatAttribute::VerticalAlignment: {
            const bool horizontal = attribute == FormatAttribute::HorizontalAlignment;
            if (!force && (horizontal ? XfHorizontal(bytes) : XfVertical(bytes)) == (value & 0x07)) return current;
            unsigned alignment = Get16(bytes, 6);
            alignment =
                horizontal ? (alignment & ~0x07u) | (value & 0x07) : (alignment & ~0x70u) | ((value & 0x07) << 4);
            Set16(bytes, 6, alignment);
            unsigned attributes = Get16(bytes, 8);
            attributes = (alignment & 0x7F) != 0 ? attributes | kAlignmentAttribute : attributes & ~kAlignmentAttribute;
            Set16(bytes, 8, attributes);
            break;
        }
    }
    Release(current);
    return Acquire(bytes);
}

void CellFormatPool::Release(CellFormat* format) {
    if (format->fixed || --format->useCount > 0) return;
    formats_.erase(formats_.begin() + format->number);
    for (std::size_t i = 0; i < formats_.size(); ++i) formats_[i]->number = static_cast<std::uint16_t>(i);
}

CellFormat* CellFormatPool::Acquire(const XfBytes& bytes) {
    for (const auto& format : formats_) {
        if (format->bytes == bytes) {
            if (!format->fixed) ++format->useCount;
            return format.get();
        }
    }
    auto format = std::make_unique<CellFormat>();
    format->bytes = bytes;
    format->useCount = 1;
    format->number = static_cast<std::uint16_t>(formats_.size());
    formats_.push_back(std::move(format));
    return formats_.back().get();
}

std::vector<NumberFormat> BuiltInNumberFormats() {
    std::vector<NumberFormat> formats(50);
    for (std::size_t i = 0; i < formats.size(); ++i) formats[i].number = static_cast<std::uint16_t>(i);
    formats[9] = {9, u"0%", true};
    formats[42] = {42, u"_($* #,##0_);_($* (#,##0);_($* \"-\"_);_(@_)", true};
    formats[43] = {43, u"_(* #,##0.00_);_(* (#,##0.00);_(* \"-\"??_);_(@_)", true};
    formats[44] = {44, u"_($* #,##0.00_);_($* (#,##0.00);_($* \"-\"??_);_(@_)", true};
    formats[45] = {45, u"mm:ss", true};
    return formats;
}

}  // namespace lognex
