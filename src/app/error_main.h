// The main window: three pages over the last processing run, the commands
// that start every job, and the options that steer a run.
//
// The window renders the session (options, the last run's log, value and
// reports) and forwards its commands to it; it owns only what is the
// window's own: widgets, dialogs' proposals, bounds. Every command runs to its
// end on the UI thread; a failure stops it and shows the standard error box.
#pragma once

#include <QMainWindow>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/main_settings.h"
#include "logproc/log_lines.h"
#include "logproc/processing_run.h"
#include "session/session.h"
#include "support/app_paths.h"
#include "support/locale_format.h"

class QAction;
class QMenu;
class QMimeData;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace lognex {

class HelpDebugLog;
class MainDialogs;
class SearchTools;
class TdtmData;
class THookHelpSystem;
class TimelinePage;

class TfrmErrorMain : public QMainWindow, private RunHost {
    Q_OBJECT
public:
    TfrmErrorMain(TdtmData& dataModule, MainDialogs& dialogs, LocaleFormat locale, CalendarDefaults calendar,
                  std::string programFolder, QWidget* parent = nullptr);
    ~TfrmErrorMain() override;

    // Creation steps that follow the window's construction: version text,
    // settings, the tables (through the folder dialog when needed), emptied.
    // An error is shown and skips the remaining steps. Returns false when the
    // database folder could not be found and the program must end.
    bool FormCreate();
    // First activation: empties the occurrences and errors once.
    void FormActivate();
    // Destruction steps: settings written, tables closed. An error is shown
    // and skips the remaining steps.
    void FormDestroy();

    // Option setters keep the menu check marks in step.
    void SetPrompt(bool value);
    void SetLogCopy(bool value);
    void SetSource(bool value);
    const QString& VersionText() const { return versionText_; }

    // What the window shows: the options, the last run's log and its value.
    const Session& CurrentSession() const { return session_; }

    // Processes path as if it had been chosen in the log dialog (command line,
    // dropped file).
    void OpenLogFile(const QString& path);
    // A file dropped on the window: the first local file of mime is opened
    // with OpenLogFile. False when mime names no local file.
    bool OpenDroppedFile(const QMimeData& mime);

    // Commands, as the buttons and menus call them.
    void btnOpenClick();
    void btnExitClick();
    void mniFileSaveSummaryClick();
    void mniExportExcelClick();
    void mniConfigPromptClick();
    void mniConfigCopyClick();
    // Configuration > "Prober &Log File...": picks the log a run reads
    // without the Prompt option, in the log dialog.
    void mniConfigProberLogClick();
    void mniSourceClick();
    void treErrorsChange(QTreeWidgetItem* node);
    // Enter or a double-click on an occurrence: its lines selected on the
    // "Error Log" page, which is shown.
    void treErrorsActivate(QTreeWidgetItem* node);

    // Where the program's files live; until set, everything is in the
    // program folder. Call before FormCreate.
    void SetAppPaths(const AppPaths& paths);
    const AppPaths& Paths() const { return paths_; }

    // The help component's diagnostic log, set up at start-up; may stay null.
    void SetHelpDebugLog(const HelpDebugLog* log) { helpLog_ = log; }
    THookHelpSystem* HelpHook() const { return help_.get(); }
    void mniHelpHelpClick();
    void mniHelpAboutClick();

    // The settings as the window holds them now (bounds, options, ErrPath).
    MainSettings CurrentSettings() const;
    void ApplySettings(const MainSettings& settings);

    // The resize rule: minimum outer size 400 x 413, Exit button at the
    // panel's right, the bar centred between the buttons.
    void FormResize();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // RunHost
    std::optional<std::string> ChooseLogFile(const std::string& initialFolder) override;
    void ShowLines(const LogLines& lines) override;
    void BeginPairLoop() override;
    void ShowProgress(std::size_t done, std::size_t total) override;
    void EndPairLoop() override;

    void BuildMenus();
    void BuildLayout();
    void RunCommand(const std::function<void()>& command);
    void ProcessAndShow(std::optional<std::string> chosenFile);
    void RebuildTree();
    void ShowSummary();
    void ShowTitle();
    void ShowFailedRun();
    void ApplyOuterBounds();

    TdtmData& data_;
    MainDialogs& dialogs_;
    LocaleFormat locale_;
    CalendarDefaults calendar_;
    std::string programFolder_;
    AppPaths paths_;  // where settings, tables, log copy and help are

    Session session_;

    QString versionText_;
    std::size_t barAdvances_ = 0;  // the bar's advances in the running pair loop
    QString proposedLogName_ = QStringLiteral("Err_log.rpt");
    QString proposedSummaryName_ = QStringLiteral("Error Summary.txt");
    bool activated_ = false;
    // Stored outer bounds still to be applied once the window's frame is known.
    std::optional<QRect> pendingOuter_;
    bool inResize_ = false;

    const HelpDebugLog* helpLog_ = nullptr;
    std::unique_ptr<THookHelpSystem> help_;

    QAction* mniConfigPrompt_ = nullptr;
    QAction* mniConfigCopy_ = nullptr;
    QAction* mniSource_ = nullptr;
    QMenu* mnuTree_ = nullptr;
    QMenu* mnuEdit_ = nullptr;
    SearchTools* search_ = nullptr;
    QWidget* pnlBottom_ = nullptr;
    QPushButton* btnOpen_ = nullptr;
    QPushButton* btnExit_ = nullptr;
    QProgressBar* barProcess_ = nullptr;
    QTabWidget* pgeMain_ = nullptr;
    QPlainTextEdit* mmoLog_ = nullptr;
    QPlainTextEdit* mmoSum_ = nullptr;
    QPlainTextEdit* mmoSumTemp_ = nullptr;
    QTreeWidget* treErrors_ = nullptr;
    TimelinePage* timeline_ = nullptr;
};

}  // namespace lognex
