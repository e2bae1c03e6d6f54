// Program entry: one instance per user, splash while loading, the data module
// and the main window, the message loop, and the orderly shutdown.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/data_module.h"
#include "app/error_main.h"
#include "app/main_dialogs.h"
#include "app/message_boxes.h"
#include "app/qt_text.h"
#include "app/session_end.h"
#include "app/shell/browse_dir_dialog.h"
#include "app/shell/help_system.h"
#include "app/shell/program_folder.h"
#include "app/shell/quit_on_signal.h"
#include "app/shell/single_instance.h"
#include "app/shell/splash_window.h"
#include "support/app_paths.h"
#include "support/locale_format.h"
#include "support/process_info.h"
#include "tables/database_folder.h"

namespace {

// The first argument that names a file to open; the help component's
// switches are not files, and after "--" the next argument is one whatever it looks like.
QString LogFileArgument(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--")) return arguments.value(i + 1);
        if (lognex::HelpDebugLog::IsDebugArgument(a)) continue;
        return a;
    }
    return {};
}

// A file handed over by a later start is processed as if chosen in the
// dialog, once no modal window (a running command's dialog, a message box,
// the start-up's folder dialog) waits for the user.
void OpenWhenIdle(lognex::TfrmErrorMain* window, const QString& file) {
    QTimer::singleShot(200, window, [window, file] {
        if (QApplication::activeModalWidget() != nullptr || !window->isVisible()) {
            OpenWhenIdle(window, file);
            return;
        }
        window->OpenLogFile(file);
    });
}

}  // namespace

int main(int argc, char* argv[]) {
    // Answered before anything needs a display.
    if (const std::optional<std::string> answer = lognex::CommandLineAnswer({argv + 1, argv + argc})) {
        std::fputs(answer->c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    QApplication app(argc, argv);
    std::setlocale(LC_ALL, "");
    // The locale's conventions are read once, before numbers go back to the C
    // locale: the files the program reads and writes always use a point.
    const lognex::LocaleFormat locale = lognex::ReadProcessLocaleFormat();
    std::setlocale(LC_NUMERIC, "C");

    const QString defaultTitle = lognex::DefaultApplicationTitle(lognex::ExecutablePath());
    lognex::SingleInstance instance(defaultTitle);
    if (!instance.IsFirst()) {
        instance.HandOverToFirst(LogFileArgument(QApplication::arguments()));
        return 0;
    }

    lognex::QuitOnSignal quitOnSignal;  // a session's SIGTERM closes the window as Exit does

    // An installed copy keeps each user's files in the user's own folders.
    const std::string programFolder = lognex::ToPath(lognex::ProgramFolder());
    const lognex::AppPaths paths = lognex::ResolveAppPaths(lognex::ProbePathFacts(programFolder));
    lognex::PrepareUserFolders(paths);

    // The help log and its debug.debug switch go where the program may write.
    lognex::HelpDebugLog helpLog({lognex::FromPath(paths.dataFolder), QApplication::arguments(),
                                  lognex::ExecutablePath(), lognex::ProgramVersion(), QDir::currentPath(), locale});

    auto splash = std::make_unique<lognex::TfrmSplash>();
    splash->ShowAndPaint();

    lognex::SetApplicationTitle();
    QApplication::setDesktopFileName(QStringLiteral("lognex"));  // the menu entry this window belongs to
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/lognex/packaging/icons/lognex-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);

    lognex::QtMainDialogs dialogs;
    auto data = std::make_unique<lognex::TdtmData>(paths.configFolder, paths.dataFolder,
                                                   std::make_unique<lognex::BrowseDirDialog>());
    auto window = std::make_unique<lognex::TfrmErrorMain>(*data, dialogs, locale, lognex::CalendarDefaultsFromClock(),
                                                          programFolder);
    window->SetAppPaths(paths);
    window->SetHelpDebugLog(&helpLog);
    QObject::connect(&instance, &lognex::SingleInstance::RaiseRequested, window.get(),
                     [w = window.get()] { lognex::RaiseProgramWindow(w); });
    QObject::connect(&instance, &lognex::SingleInstance::OpenRequested, window.get(),
                     [w = window.get()](const QString& file) { OpenWhenIdle(w, file); });

    // Past a file-size limit a save fails with "File too large" like any other
    // write failure, instead of the signal ending the program.
    lognex::IgnoreFileSizeSignal();
    const bool created = window->FormCreate();
    splash.reset();
    if (!created && lognex::QuitRequested()) {  // a signal during start-up ends it as Exit would
        window->FormDestroy();
        return 0;
    }
    if (!created) {
        lognex::ShowPlainMessage(nullptr, QString::fromLatin1(lognex::kNoDatabaseFilesCaption),
                                 lognex::FromAnsi(lognex::NoDatabaseFilesText(data->OpenFailureCause())));
        window->FormDestroy();
        return 0;
    }

    window->show();
    lognex::WriteSettingsWhenSessionEnds(*window);
    const QString logFile = LogFileArgument(QApplication::arguments());
    if (!logFile.isEmpty())
        QTimer::singleShot(0, window.get(), [w = window.get(), logFile] { w->OpenLogFile(logFile); });

    // A signal handled while start-up processed events found no loop to end.
    const int status = lognex::QuitRequested() ? 0 : QApplication::exec();
    window->FormDestroy();
    window.reset();
    data.reset();
    return status;
}
