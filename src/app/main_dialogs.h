// The window's modal dialogs and boxes, behind one seam so tests can answer them.
#pragma once

#include <QString>
#include <memory>
#include <optional>

class QFileDialog;
class QWidget;

namespace lognex {

// What the log dialog is asked for: the log a run opens ("Open Prober Error
// Log"), or the prober's own log, a setting ("Choose the Prober's Error Log").
enum class LogDialog { OpenLog, ProberLog };

class MainDialogs {
public:
    virtual ~MainDialogs() = default;
    // The log dialog: an existing file (*.rpt first, all files on request),
    // opened in folder with proposedName preselected. nullopt when cancelled.
    virtual std::optional<QString> ChooseLogFile(QWidget* parent, LogDialog purpose, const QString& folder,
                                                 const QString& proposedName) = 0;
    // "Save Error Summary": a file name in folder, proposedName preselected,
    // ".txt" added to a name without extension, overwriting confirmed.
    virtual std::optional<QString> ChooseSummaryFile(QWidget* parent, const QString& folder,
                                                     const QString& proposedName) = 0;
    virtual void ShowError(QWidget* parent, const QString& message) = 0;
    virtual void ShowMessage(QWidget* parent, const QString& caption, const QString& text) = 0;
};

// The real dialogs and boxes.
class QtMainDialogs : public MainDialogs {
public:
    std::optional<QString> ChooseLogFile(QWidget* parent, LogDialog purpose, const QString& folder,
                                         const QString& proposedName) override;
    std::optional<QString> ChooseSummaryFile(QWidget* parent, const QString& folder,
                                             const QString& proposedName) override;
    void ShowError(QWidget* parent, const QString& message) override;
    void ShowMessage(QWidget* parent, const QString& caption, const QString& text) override;
};

// The log dialog as ChooseLogFile shows it, not yet shown.
std::unique_ptr<QFileDialog> MakeLogFileDialog(QWidget* parent, LogDialog purpose, const QString& folder,
                                               const QString& proposedName);

}  // namespace lognex
