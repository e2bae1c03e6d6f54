// Where the program's single-byte text meets Qt's UTF-16.
//
// Log, summary and table texts are Windows-1252 bytes; file paths are the
// system's own bytes (UTF-8 here), so they convert through the file-name codec.
#pragma once

#include <QFile>
#include <QString>
#include <exception>
#include <string>
#include <string_view>

#include "support/ansi_text.h"
#include "support/error.h"

namespace lognex {

inline QString FromAnsi(std::string_view text) {
    const std::u16string wide = WidenAnsi(text);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

inline std::string ToAnsi(const QString& text) { return NarrowToAnsi(text.toStdU16String()); }

inline QString FromPath(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

inline std::string ToPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// A failure's message as the error box shows it. A conversion failure quotes
// the text it could not read, which is log or table text (Windows-1252);
// every other message may name files and is read in the file system's
// encoding.
inline QString ErrorMessageText(const std::exception& error) {
    if (dynamic_cast<const ConversionError*>(&error) != nullptr) return FromAnsi(error.what());
    return FromPath(error.what());
}

}  // namespace lognex
