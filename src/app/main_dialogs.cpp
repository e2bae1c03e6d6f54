#include "app/main_dialogs.h"

#include <QDir>
#include <QFileDialog>

#include "app/message_boxes.h"

namespace lognex {

std::unique_ptr<QFileDialog> MakeLogFileDialog(QWidget* parent, LogDialog purpose, const QString& folder,
                                               const QString& proposedName) {
    const QString title = purpose == LogDialog::ProberLog ? QStringLiteral("Choose the Prober's Error Log")
                                                          : QStringLiteral("Open Prober Error Log");
    auto dialog = std::make_unique<QFileDialog>(parent, title, folder);
    dialog->setObjectName(QStringLiteral("dlgOpenFile"));
    // A log copied under another name is still reachable.
    dialog->setNameFilters({QStringLiteral("Error log files (*.rpt)"), QStringLiteral("All files (*)")});
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::ReadOnly, false);
    dialog->setSizeGripEnabled(true);
    dialog->selectFile(proposedName);
    return dialog;
}

std::optional<QString> QtMainDialogs::ChooseLogFile(QWidget* parent, LogDialog purpose, const QString& folder,
                                                    const QString& proposedName) {
    const auto dialog = MakeLogFileDialog(parent, purpose, folder, proposedName);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(dialog->selectedFiles().first());
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
