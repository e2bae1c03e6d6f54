#include "app/message_boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "app/shell/quit_on_signal.h"

#include "support/error.h"

namespace lognex {

void SetApplicationTitle() {
    QApplication::setApplicationName(kApplicationTitle);
    QApplication::setApplicationDisplayName(QString());
}

QString ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && NeedsClosingPeriod(message.back().unicode())) return message + QLatin1Char('.');
    return message;
}

QString MessageBoxLines(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

namespace {

// Message texts quote log lines and file names, which may hold "<": they are
// never read as rich text.
std::unique_ptr<QMessageBox> MakeBox(QMessageBox::Icon icon, const QString& caption, const QString& text,
                                     QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(icon, caption, QString(), QMessageBox::Ok, parent);
    box->setTextFormat(Qt::PlainText);
    box->setText(MessageBoxLines(text));
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}

}  // namespace

std::unique_ptr<QMessageBox> MakeErrorBox(QWidget* owner, const QString& message) {
    return MakeBox(QMessageBox::Critical, kApplicationTitle, ErrorBoxText(message), owner);
}

std::unique_ptr<QMessageBox> MakePlainMessage(QWidget* parent, const QString& caption, const QString& text) {
    return MakeBox(QMessageBox::NoIcon, caption, text, parent);
}

namespace {

// After a signal nobody is there to close a box: its text goes to standard error.
bool ToStandardErrorOnQuit(const QString& caption, const QString& text) {
    if (!QuitRequested()) return false;
    std::fprintf(stderr, "%s: %s\n", caption.toLocal8Bit().constData(),
                 MessageBoxLines(text).toLocal8Bit().constData());
    return true;
}

}  // namespace

void ShowErrorBox(QWidget* parent, const QString& message) {
    if (ToStandardErrorOnQuit(kApplicationTitle, ErrorBoxText(message))) return;
    QWidget* owner = QApplication::activeWindow() ? QApplication::activeWindow() : parent;
    MakeErrorBox(owner, message)->exec();
}

void ShowPlainMessage(QWidget* parent, const QString& caption, const QString& text) {
    if (ToStandardErrorOnQuit(caption, text)) return;
    MakePlainMessage(parent, caption, text)->exec();
}

}  // namespace lognex
