#include "app/shell/about_box.h"

#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include "app/shell/bevel.h"
#include "app/shell/classic_labels.h"
#include "app/shell/jpeg_image.h"
#include "app/shell/splash_window.h"

namespace lognex {
namespace {

const QColor kMaroon(0x80, 0x00, 0x00);
const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kYellow(0xFF, 0xFF, 0x00);

// The classic dialog font has Arial's proportions; fontconfig maps Arial to
// a metric twin where the real one is missing.
QFont DialogFont(int pixels, bool bold) { return PixelFont(QStringLiteral("Arial"), QFont::SansSerif, pixels, bold); }

// The product name in large letters, drawn four times for its shadowed look.
class ShadowedTitle : public QWidget {
public:
    ShadowedTitle(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
        setFont(PixelFont(QStringLiteral("Times New Roman"), QFont::Serif, 85, false));
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const struct {
            QColor colour;
            int offset;
        } passes[] = {{kSilver, 2}, {kMaroon, 1}, {kYellow, -2}, {kMaroon, 0}};
        for (const auto& pass : passes) {
            painter.setPen(pass.colour);
            painter.drawText(rect().translated(pass.offset, pass.offset), Qt::AlignHCenter | Qt::AlignTop, text_);
        }
    }

private:
    QString text_;
};

QByteArray BuiltInBackground() {
    QFile file(QStringLiteral(":/lognex/pictures/about_background.jpg"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

}  // namespace

FlashStep NextFlashStep(BevelStyle current) {
    if (current == BevelStyle::Raised) return {BevelStyle::Lowered, true, 1000};
    return {BevelStyle::Raised, false, 3500};
}

TfrmAbout::TfrmAbout(const QString& versionText, QWidget* mainWindow, const QByteArray& backgroundJpeg)
    : QDialog(mainWindow,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Lognex"));
    setFixedSize(400, 450);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);

    imgBackground = new QLabel(this);
    imgBackground->setObjectName(QStringLiteral("imgBackground"));
    imgBackground->setGeometry(0, 0, 400, 300);
    imgBackground->setPixmap(
        QPixmap::fromImage(DecodeJpegImage(backgroundJpeg.isEmpty() ? BuiltInBackground() : backgroundJpeg)));

    (new ShadowedTitle(QStringLiteral("Log"), this))->setGeometry(0, 63, 400, 100);
    (new ShadowedTitle(QStringLiteral("nex"), this))->setGeometry(0, 137, 400, 100);

    lblVersion = TextLabel(versionText, DialogFont(13, true), kMaroon, this, true);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(8, 274, 95, 16);

    TextLabel(QStringLiteral("Written by the %1").arg(QLatin1String(kMakerName)), DialogFont(11, false), Qt::black,
              this, true)
        ->move(248, 269);
    TextLabel(QStringLiteral("Log format of EG Commander"), DialogFont(11, false), Qt::black, this, true)
        ->move(211, 283);

    const QRect bevelArea(86, 306, 229, 83);
    bvlBottom = new Bevel(BevelStyle::Lowered, 1, this);
    bvlBottom->setObjectName(QStringLiteral("bvlBottom"));
    bvlBottom->setGeometry(bevelArea);

    // The maker's lines; ours differ in length from the originals, so each
    // keeps its line but is centred in the bevel.
    const struct {
        QString text;
        QFont font;
        QColor colour;
        int top;
    } lines[] = {
        {QStringLiteral("Copyright \u00A9 2026 %1").arg(QLatin1String(kMakerName)), DialogFont(12, true), kMaroon, 307},
        {QString::fromLatin1(kMakerName), DialogFont(16, true), Qt::black, 327},
        {QStringLiteral("Error logs sorted, counted, exported"), DialogFont(11, false), Qt::black, 347},
        {QStringLiteral("Help > Help has the manual"), DialogFont(13, true), Qt::black, 369},
    };
    for (const auto& line : lines) {
        QLabel* label = TextLabel(line.text, line.font, line.colour, this, true);
        label->setGeometry(bevelArea.left() + 1, line.top, bevelArea.width() - 2, label->height());
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }

    // Created after the lines so that it covers them while visible.
    imgPoweredBy = new QLabel(this);
    imgPoweredBy->setObjectName(QStringLiteral("imgPoweredBy"));
    imgPoweredBy->setPixmap(QPixmap(QStringLiteral(":/lognex/pictures/powered_by.png")));
    imgPoweredBy->setScaledContents(true);
    imgPoweredBy->setAutoFillBackground(true);
    imgPoweredBy->setGeometry(87, 307, 226, 81);

    lblDescription =
        TextLabel(QStringLiteral("A program for sorting error log data from Electroglas model 40x0 probers"),
                  DialogFont(11, false), Qt::black, this, true);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // One line in 340 pixels as designed; a wider stand-in font is narrowed
    // rather than cut.
    QFont descriptionFont = lblDescription->font();
    for (int stretch = 100;
         stretch > 80 && QFontMetrics(descriptionFont).horizontalAdvance(lblDescription->text()) > 340;) {
        stretch -= 5;
        descriptionFont.setStretch(stretch);
    }
    lblDescription->setFont(descriptionFont);
    lblDescription->setWordWrap(true);
    lblDescription->setGeometry(30, 394, 340, 19);

    auto* pnlButton = new QWidget(this);
    pnlButton->setObjectName(QStringLiteral("pnlButton"));
    pnlButton->setGeometry(0, 450 - 37, 400, 37);
    (new Bevel(BevelStyle::Raised, 1, pnlButton))->setGeometry(0, 0, 400, 37);
    btnOk = new QPushButton(QStringLiteral("OK"), pnlButton);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setGeometry(163, 6, 75, 25);
    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);

    tmrFlash = new QTimer(this);
    tmrFlash->setObjectName(QStringLiteral("tmrFlash"));
    connect(tmrFlash, &QTimer::timeout, this, &TfrmAbout::tmrFlashTimer);

    if (mainWindow != nullptr) {
        move(mainWindow->geometry().center() - QPoint(width() / 2, height() / 2));
    }
}

void TfrmAbout::FormActivate() {
    tmrFlash->setInterval(kFirstFlashIntervalMs);
    tmrFlash->start();
}

void TfrmAbout::FormDeactivate() { tmrFlash->stop(); }

void TfrmAbout::tmrFlashTimer() {
    const FlashStep step = NextFlashStep(bvlBottom->Style());
    bvlBottom->SetStyle(step.bevel);
    imgPoweredBy->setVisible(step.pictureVisible);
    tmrFlash->setInterval(step.nextIntervalMs);
}

void TfrmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Activated once per showing; switching to other programs does not count.
    if (!activated_) {
        activated_ = true;
        FormActivate();
    }
}

void TfrmAbout::done(int result) {
    if (activated_) {
        activated_ = false;
        FormDeactivate();
    }
    QDialog::done(result);
}

void RunWithWindowHidden(QWidget* mainWindow, const std::function<void()>& body) {
    struct ShowAgain {
        QWidget* window;
        ~ShowAgain() {
            if (window != nullptr) window->show();
        }
    } showAgain{mainWindow};
    if (mainWindow != nullptr) mainWindow->hide();
    body();
}

void ShowAboutBox(QWidget* mainWindow, const QString& versionText) {
    RunWithWindowHidden(mainWindow, [&] {
        TfrmAbout box(versionText, mainWindow);
        box.exec();
    });
}

}  // namespace lognex
