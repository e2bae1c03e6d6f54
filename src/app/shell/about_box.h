// The About box: product name, version, the maker's lines, and a lower panel
// that alternates slowly between a picture and the maker's lines.
#pragma once

#include <QByteArray>
#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QPushButton;
class QTimer;

namespace lognex {

class Bevel;
enum class BevelStyle;

// What the flash timer does on one tick, decided by how the bevel looks now.
struct FlashStep {
    BevelStyle bevel;
    bool pictureVisible;
    int nextIntervalMs;
};

// Raised (lines shown) turns to lowered with the picture for 1 s; lowered
// turns to raised without the picture for 3.5 s.
FlashStep NextFlashStep(BevelStyle current);

// How long the picture stays after the box has opened.
inline constexpr int kFirstFlashIntervalMs = 1200;

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    // versionText goes to lblVersion. The box centres itself over
    // mainWindow's position when one is given. Throws JpegError when the
    // background picture cannot be decoded; backgroundJpeg replaces the
    // built-in picture (tests).
    explicit TfrmAbout(const QString& versionText, QWidget* mainWindow = nullptr,
                       const QByteArray& backgroundJpeg = QByteArray());

    // The box's events, public so that a test can drive them without a clock.
    // Showing the box activates it once and closing deactivates it once.
    void FormActivate();
    void FormDeactivate();
    void tmrFlashTimer();

    QLabel* imgBackground = nullptr;
    QLabel* lblVersion = nullptr;
    Bevel* bvlBottom = nullptr;
    QLabel* imgPoweredBy = nullptr;
    QLabel* lblDescription = nullptr;
    QPushButton* btnOk = nullptr;
    QTimer* tmrFlash = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    bool activated_ = false;
};

// Runs body with mainWindow hidden and shows mainWindow again afterwards,
// also when body throws (the error then goes on to the caller).
void RunWithWindowHidden(QWidget* mainWindow, const std::function<void()>& body);

// The About command: hides the main window, shows a fresh About box modally,
// frees it and shows the main window again, whatever happened.
void ShowAboutBox(QWidget* mainWindow, const QString& versionText);

}  // namespace lognex
