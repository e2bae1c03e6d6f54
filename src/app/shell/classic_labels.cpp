#include "app/shell/classic_labels.h"

#include <QLabel>
#include <QPalette>

namespace lognex {

QFont PixelFont(const QString& family, QFont::StyleHint hint, int pixels, bool bold) {
    QFont font(family);
    font.setStyleHint(hint);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QLabel* TextLabel(const QString& text, const QFont& font, const QColor& colour, QWidget* parent, bool transparent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    // Children of a button-face window would otherwise draw in the button text colour.
    label->setForegroundRole(QPalette::WindowText);
    if (transparent) label->setAttribute(Qt::WA_TranslucentBackground);
    label->adjustSize();
    return label;
}

}  // namespace lognex
