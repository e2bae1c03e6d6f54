// The program's message boxes.
#pragma once

#include <QString>
#include <memory>

class QMessageBox;
class QWidget;

namespace lognex {

// The application's title, the caption of the standard error box.
inline const QString kApplicationTitle = QStringLiteral("Lognex");

// Names the application "Lognex" without a display name: the platform would
// append a display name to every window caption ("Export Complete — Lognex").
void SetApplicationTitle();

// The text the standard error box shows: the message with "." appended when
// its last character sorts after ".".
QString ErrorBoxText(const QString& message);

// A box's text as shown: a CR LF or a lone CR starts a new line, as a line
// feed does.
QString MessageBoxLines(const QString& text);

// The standard error box, ready to run: caption "Lognex", error icon, OK,
// plain text, modal over the whole application.
std::unique_ptr<QMessageBox> MakeErrorBox(QWidget* owner, const QString& message);

// One of the program's own boxes ("Export Complete", "No database files"),
// ready to run: the caption as given, OK, no icon, plain text.
std::unique_ptr<QMessageBox> MakePlainMessage(QWidget* parent, const QString& caption, const QString& text);

// The standard error box, modal over the active window (or parent when none is active).
void ShowErrorBox(QWidget* parent, const QString& message);

// Runs MakePlainMessage's box.
void ShowPlainMessage(QWidget* parent, const QString& caption, const QString& text);

}  // namespace lognex
