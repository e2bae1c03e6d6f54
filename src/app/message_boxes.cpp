#include "app/message_boxes.h"

#include <QApplication>
#include <QMessageBox>

namespace lognex {

QString ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QChar('.')) return message + QLatin1Char('.');
    return message;
}

void ShowErrorBox(QWidget* parent, const QString& message) {
    QWidget* owner = QApplication::activeWindow() ? QApplication::activeWindow() : parent;
    QMessageBox box(QMessageBox::Critical, kApplicationTitle, ErrorBoxText(message), QMessageBox::Ok, owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void ShowPlainMessage(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace lognex
