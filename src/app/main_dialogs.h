// The window's modal dialogs and boxes, behind one seam so tests can answer them.
#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace lognex {

class MainDialogs {
public:
    virtual ~MainDialogs() = default;
    // "Open Prober Error Log": an existing *.rpt file, opened in folder with
    // proposedName preselected. nullopt when cancelled.
    virtual std::optional<QString> ChooseLogFile(QWidget* parent, const QString& folder,
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
    std::optional<QString> ChooseLogFile(QWidget* parent, const QString& folder, const QString& proposedName) override;
    std::optional<QString> ChooseSummaryFile(QWidget* parent, const QString& folder,
                                             const QString& proposedName) override;
    void ShowError(QWidget* parent, const QString& message) override;
    void ShowMessage(QWidget* parent, const QString& caption, const QString& text) override;
};

}  // namespace lognex
