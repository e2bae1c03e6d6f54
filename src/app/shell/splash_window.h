// The small window shown while the program loads.
#pragma once

#include <QWidget>

class QLabel;

namespace lognex {

class Bevel;

// Borderless, centred on the screen, client 140 x 131: the logo, the maker's
// name and "Loading..." in two nested panels. No behaviour of its own.
class TfrmSplash : public QWidget {
    Q_OBJECT
public:
    explicit TfrmSplash(QWidget* parent = nullptr);

    // Shows the window and paints it before returning, for callers that keep
    // the event loop busy with loading right after.
    void ShowAndPaint();

    QLabel* imgLogo = nullptr;
    QLabel* lblMaker = nullptr;
    QLabel* lblLoading = nullptr;

private:
    QWidget* pnlOuter_ = nullptr;
    QWidget* pnlInner_ = nullptr;
};

// The maker's name shown on the splash and in the About box.
inline constexpr const char* kMakerName = "Lognex Team";

}  // namespace lognex
