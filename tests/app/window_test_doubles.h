// Stand-ins for the window's dialogs in tests that only need a log chosen:
// the log dialog answers with one file, failures are recorded, the folder
// dialog is never needed.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "app/main_dialogs.h"
#include "tables/folder_dialog.h"

namespace lognex::testing {

struct RecordingDialogs : MainDialogs {
    QString log;  // what the log dialog answers
    QStringList errors;
    std::optional<QString> ChooseLogFile(QWidget*, LogDialog, const QString&, const QString&) override { return log; }
    std::optional<QString> ChooseSummaryFile(QWidget*, const QString&, const QString&) override { return {}; }
    void ShowError(QWidget*, const QString& message) override { errors << message; }
    void ShowMessage(QWidget*, const QString&, const QString&) override {}
};

struct NoFolderDialog : FolderDialog {
    bool Execute(FolderDialogState&) override { return false; }
};

}  // namespace lognex::testing
