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

// A failure's message as the error box shows it: what() is Windows-1252 text,
// file paths included (they are converted where the error is thrown).
inline QString ErrorMessageText(const std::exception& error) { return FromAnsi(error.what()); }

}  // namespace lognex
