// Sunken and raised frames drawn the way the classic window toolkit draws
// its panels and bevels.
#pragma once

#include <QWidget>

namespace lognex {

enum class BevelStyle { Lowered, Raised };

// A rectangle with a shaded edge and nothing else: mouse and keyboard go to
// what lies under or above it.
class Bevel : public QWidget {
    Q_OBJECT
public:
    Bevel(BevelStyle style, int width, QWidget* parent);
    BevelStyle Style() const { return style_; }
    void SetStyle(BevelStyle style);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    BevelStyle style_;
    int width_;
};

// A horizontal divider line of two pixels, light under dark (raised) or
// dark under light (lowered).
class DividerLine : public QWidget {
    Q_OBJECT
public:
    DividerLine(BevelStyle style, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    BevelStyle style_;
};

}  // namespace lognex
