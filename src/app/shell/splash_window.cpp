#include "app/shell/splash_window.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

#include "app/shell/bevel.h"
#include "app/shell/classic_labels.h"

namespace lognex {
namespace {}  // namespace

TfrmSplash::TfrmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(140, 131);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);

    pnlOuter_ = new QWidget(this);
    pnlOuter_->setGeometry(0, 0, 140, 131);
    (new Bevel(BevelStyle::Raised, 3, pnlOuter_))->setGeometry(0, 0, 140, 131);

    pnlInner_ = new QWidget(pnlOuter_);
    pnlInner_->setGeometry(11, 13, 118, 104);
    (new Bevel(BevelStyle::Lowered, 1, pnlInner_))->setGeometry(0, 0, 118, 104);

    imgLogo = new QLabel(pnlInner_);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setPixmap(QPixmap(QStringLiteral(":/lognex/pictures/splash_logo.png")));
    imgLogo->setScaledContents(true);
    imgLogo->setGeometry(40, 8, 38, 37);

    lblMaker = TextLabel(QString::fromLatin1(kMakerName),
                         PixelFont(QStringLiteral("Arial"), QFont::SansSerif, 12, false), Qt::black, pnlInner_);
    lblMaker->setObjectName(QStringLiteral("lblMaker"));
    // The name is ours and shorter than the panel: centred on the same line.
    lblMaker->setGeometry(6, 52, 106, lblMaker->height());
    lblMaker->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    auto* divider = new DividerLine(BevelStyle::Raised, pnlInner_);
    divider->setGeometry(7, 75, 104, 2);

    lblLoading = TextLabel(QStringLiteral("Loading..."), PixelFont(QStringLiteral("Arial"), QFont::SansSerif, 12, true),
                           QColor(0x80, 0x00, 0x00), pnlInner_);
    lblLoading->setObjectName(QStringLiteral("lblLoading"));
    lblLoading->move(32, 82);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void TfrmSplash::ShowAndPaint() {
    show();
    raise();
    repaint();
    // Let the window system map and draw the window before loading goes on.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace lognex
