#include "app/main_dialogs.h"

#include <QDir>
#include <QFileDialog>

#include "app/message_boxes.h"

namespace lognex {

std::optional<QString> QtMainDialogs::ChooseLogFile(QWidget* parent, const QString& folder,
                                                    const QString& proposedName) {
    QFileDialog dialog(parent, QStringLiteral("Open Prober Error Log"), folder,
                       QStringLiteral("Error log files (*.rpt)"));
    dialog.setObjectName(QStringLiteral("dlgOpenFile"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setSizeGripEnabled(true);
    dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().first());
}

std::optional<QString> QtMainDialogs::ChooseSummaryFile(QWidget* parent, const QString& folder,
                                                        const QString& proposedName) {
    QFileDialog dialog(parent, QStringLiteral("Save Error Summary"), folder, QStringLiteral("Text files (*.txt)"));
    dialog.setObjectName(QStringLiteral("dlgSaveFile"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setSizeGripEnabled(true);
    dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().first());
}

void QtMainDialogs::ShowError(QWidget* parent, const QString& message) { ShowErrorBox(parent, message); }

void QtMainDialogs::ShowMessage(QWidget* parent, const QString& caption, const QString& text) {
    ShowPlainMessage(parent, caption, text);
}

}  // namespace lognex
