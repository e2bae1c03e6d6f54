#include "app/shell/bevel.h"

#include <qdrawutil.h>
#include <QPainter>
#include <QPalette>

namespace lognex {

Bevel::Bevel(BevelStyle style, int width, QWidget* parent) : QWidget(parent), style_(style), width_(width) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Bevel::SetStyle(BevelStyle style) {
    if (style_ == style) return;
    style_ = style;
    update();
}

void Bevel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    qDrawShadePanel(&painter, rect(), palette(), style_ == BevelStyle::Lowered, width_, nullptr);
}

DividerLine::DividerLine(BevelStyle style, QWidget* parent) : QWidget(parent), style_(style) { setFixedHeight(2); }

void DividerLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    painter.setPen(style_ == BevelStyle::Raised ? light : dark);
    painter.drawLine(0, 0, width() - 1, 0);
    painter.setPen(style_ == BevelStyle::Raised ? dark : light);
    painter.drawLine(0, 1, width() - 1, 1);
}

}  // namespace lognex
