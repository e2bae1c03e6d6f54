// The program's message boxes.
#pragma once

#include <QString>

class QWidget;

namespace lognex {

// The application's title, the caption of the standard error box.
inline const QString kApplicationTitle = QStringLiteral("Lognex");

// The text the standard error box shows: the message with "." appended when
// its last character sorts after ".".
QString ErrorBoxText(const QString& message);

// The standard error box: caption "Lognex", error icon, OK, modal over the
// active window (or parent when none is active).
void ShowErrorBox(QWidget* parent, const QString& message);

// The program's own boxes ("Export Complete", "No database files"): OK, no icon.
void ShowPlainMessage(QWidget* parent, const QString& caption, const QString& text);

}  // namespace lognex
