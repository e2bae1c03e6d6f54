// Fonts and labels in the classic dialog look, shared by the splash and the About box.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

namespace lognex {

// A font sized in pixels, as the classic dialogs size theirs.
QFont PixelFont(const QString& family, QFont::StyleHint hint, int pixels, bool bold);

// A label drawn in colour with font, sized to its text; a transparent one
// lets the picture behind it show.
QLabel* TextLabel(const QString& text, const QFont& font, const QColor& colour, QWidget* parent,
                  bool transparent = false);

}  // namespace lognex
