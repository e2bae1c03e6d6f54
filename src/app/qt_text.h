// Where the program's single-byte text meets Qt's UTF-16.
//
// Log, summary and table texts are Windows-1252 bytes; file paths are the
// system's own bytes (UTF-8 here), so they convert through the file-name codec.
#pragma once

#include <QFile>
#include <QString>
#include <string>
#include <string_view>

#include "support/ansi_text.h"

namespace lognex {

inline QString FromAnsi(std::string_view text) {
    const std::u16string wide = WidenAnsi(text);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

inline std::string ToAnsi(const QString& text) { return NarrowToAnsi(text.toStdU16String()); }

inline QString FromPath(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

inline std::string ToPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace lognex
