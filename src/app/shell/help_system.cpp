#include "app/shell/help_system.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QPointer>
#include <QScreen>
#include <QSysInfo>
#include <QTextBrowser>
#include <QTextStream>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

#include <clocale>
#include <ctime>
#include <map>

#include "support/locale_format.h"

namespace lognex {
namespace {

const QString kLogName = QStringLiteral("HHDebug.txt");
const QString kProbeName = QStringLiteral("$_Temp_$.$$$");
const QString kDebugFlagName = QStringLiteral("debug.debug");

QString FormatNow(const std::string& pattern, const char* fallback) {
    const std::time_t now = std::time(nullptr);
    const std::tm parts = LocalTime(now);
    char buffer[128];
    const std::string& used = pattern.empty() ? std::string(fallback) : pattern;
    const std::size_t length = std::strftime(buffer, sizeof buffer, used.c_str(), &parts);
    return QString::fromLocal8Bit(buffer, static_cast<qsizetype>(length));
}

QString CommandName(unsigned command) {
    switch (command) {
        case 1: return QStringLiteral("HELP_CONTEXT");
        case 2: return QStringLiteral("HELP_QUIT");
        case 3: return QStringLiteral("HELP_INDEX");
        case 8: return QStringLiteral("HELP_CONTEXTPOPUP");
        case 11: return QStringLiteral("HELP_FINDER");
        case 13: return QStringLiteral("HELP_SETPOPUP_POS");
        default: return QStringLiteral("unknown");
    }
}

QString QuoteArgument(const QString& argument) {
    if (!argument.isEmpty() && !argument.contains(QLatin1Char(' '))) return argument;
    return QLatin1Char('"') + argument + QLatin1Char('"');
}

// A viewer window: the stand-in for the platform's HTML help viewer.
class HelpViewerWindow : public QWidget {
public:
    HelpViewerWindow() {
        setAttribute(Qt::WA_DeleteOnClose);
        // Closing the main window ends the program while help is open; the
        // viewer windows are closed at shutdown.
        setAttribute(Qt::WA_QuitOnClose, false);
        setObjectName(QStringLiteral("frmHelpViewer"));
        setWindowTitle(QStringLiteral("Lognex Help"));
        resize(720, 560);

        browser_ = new QTextBrowser(this);
        browser_->setOpenExternalLinks(true);
        auto* toolBar = new QToolBar(this);
        QAction* contents = toolBar->addAction(QStringLiteral("&Contents"));
        QAction* back = toolBar->addAction(QStringLiteral("&Back"));
        QAction* forward = toolBar->addAction(QStringLiteral("&Forward"));
        back->setEnabled(false);
        forward->setEnabled(false);
        connect(contents, &QAction::triggered, browser_, &QTextBrowser::home);
        connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
        connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
        connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
        connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
        connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
            const QString title = browser_->documentTitle();
            setWindowTitle(title.isEmpty() ? QStringLiteral("Lognex Help") : QStringLiteral("Lognex Help - ") + title);
        });

        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(toolBar);
        layout->addWidget(browser_, 1);

        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
        }
    }

    // Shows page; a missing file is reported in the window itself.
    bool ShowPage(const QString& page) {
        if (!QFileInfo(page).isFile()) {
            browser_->setHtml(QStringLiteral("<h2>Help page not found</h2><p>The help file <b>%1</b> cannot be "
                                             "found. Reinstall Lognex to restore its help folder.</p>")
                                  .arg(page.toHtmlEscaped()));
            setWindowTitle(QStringLiteral("Lognex Help"));
            ShowOnTop();
            return false;
        }
        const QUrl url = QUrl::fromLocalFile(page);
        if (browser_->source() == url) {
            browser_->reload();
        } else {
            browser_->setSource(url);
        }
        ShowOnTop();
        return true;
    }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowOnTop() {
        if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
        show();
        raise();
        activateWindow();
    }

    QTextBrowser* browser_;
};

// Every viewer window open; the windows delete themselves when closed.
QList<QPointer<HelpViewerWindow>>& OpenWindows() {
    // Never destroyed, so a hook freed during exit still finds it.
    static auto* const windows = new QList<QPointer<HelpViewerWindow>>;
    windows->removeAll(QPointer<HelpViewerWindow>());
    return *windows;
}

// A closed window deletes itself a moment later; it must not be handed out
// again in between.
void HelpViewerWindow::closeEvent(QCloseEvent* event) {
    OpenWindows().removeAll(QPointer<HelpViewerWindow>(this));
    QWidget::closeEvent(event);
}

// The help is one document; its viewer window is reused like the platform's
// viewer reuses its window for the same file.
HelpViewerWindow* ViewerWindow() {
    QList<QPointer<HelpViewerWindow>>& windows = OpenWindows();
    if (!windows.isEmpty()) return windows.back();
    auto* window = new HelpViewerWindow;
    windows.append(window);
    return window;
}

}  // namespace

bool HelpDebugLog::IsDebugMode(const QString& programFolder, const QStringList& arguments) {
    if (QFileInfo::exists(QDir(programFolder).filePath(kDebugFlagName))) return true;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (IsDebugArgument(arguments[i])) return true;
    return false;
}

bool HelpDebugLog::IsDebugArgument(const QString& argument) {
    return argument.compare(QLatin1String("/debug"), Qt::CaseInsensitive) == 0 ||
           argument.compare(QLatin1String("-debug"), Qt::CaseInsensitive) == 0;
}

QString HelpDebugLog::LogFolder(const QString& programFolder) {
    QFile probe(QDir(programFolder).filePath(kProbeName));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.close();
        probe.remove();
        return programFolder;
    }
    return QDir::tempPath();
}

HelpDebugLog::HelpDebugLog(const Setup& setup)
    : enabled_(IsDebugMode(setup.programFolder, setup.arguments)),
      filePath_(QDir(LogFolder(setup.programFolder)).filePath(kLogName)),
      longTimeFormat_(setup.locale.longTimeFormat) {
    if (QFileInfo::exists(filePath_)) {
        // A read-only old log is deleted all the same.
        QFile::setPermissions(filePath_, QFile::permissions(filePath_) | QFile::WriteOwner | QFile::ReadOwner);
        QFile::remove(filePath_);
    }
    if (enabled_) WriteHeader(setup);
}

void HelpDebugLog::Append(const QString& line) const {
    QFile file(filePath_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return;
    file.write(line.toLocal8Bit());
    file.write("\n");
}

void HelpDebugLog::Write(const QString& text) const {
    if (!enabled_) return;
    Append(FormatNow(longTimeFormat_, "%H:%M:%S") + QStringLiteral("   ") + text);
}

void HelpDebugLog::WriteHeader(const Setup& setup) const {
    // Kernel ("Linux", "Winnt"), its version, the system's name, the processor.
    QString kernel = QSysInfo::kernelType();
    if (!kernel.isEmpty()) kernel[0] = kernel[0].toUpper();
    const QString operatingSystem =
        QStringLiteral("%1 %2 (%3) %4")
            .arg(kernel, QSysInfo::kernelVersion(), QSysInfo::prettyProductName(), QSysInfo::currentCpuArchitecture());
    const char* cLocale = std::setlocale(LC_ALL, nullptr);
    const QString locale =
        QStringLiteral("C library %1; LANG=%2; LC_ALL=%3; Qt %4")
            .arg(QString::fromLocal8Bit(cLocale != nullptr ? cLocale : "?"), qEnvironmentVariable("LANG"),
                 qEnvironmentVariable("LC_ALL"), QLocale::system().name());
    const QStringList arguments = setup.arguments.mid(1);
    QStringList commandLine;
    for (const QString& argument : setup.arguments) commandLine << QuoteArgument(argument);
    const QFileInfo executable(setup.executablePath);
    const QString qtVersion = QString::fromLatin1(qVersion());

    const QString rule(62, QLatin1Char('='));
    const QString thin(62, QLatin1Char('-'));
    const QStringList lines = {
        rule,
        QStringLiteral("Lognex help diagnostic log"),
        thin,
        QStringLiteral("Log file:          ") + filePath_,
        QStringLiteral("Date:              ") + FormatNow(setup.locale.shortDateFormat, "%Y-%m-%d"),
        QStringLiteral("Operating system:  ") + operatingSystem,
        QStringLiteral("Locale:            ") + locale,
        QStringLiteral("Decimal separator: ") + QLatin1Char(setup.locale.decimalSeparator),
        QStringLiteral("Executable:        %1  version %2").arg(setup.executablePath, setup.version),
        QStringLiteral("Arguments:         ") + arguments.join(QStringLiteral(" | ")),
        QStringLiteral("Command line:      ") + commandLine.join(QLatin1Char(' ')),
        QStringLiteral("Run folder:        ") + setup.runFolder,
        QStringLiteral("Module:            %1; folder %2; path %3; version %4")
            .arg(executable.fileName(), executable.absolutePath(), executable.absoluteFilePath(), setup.version),
        QStringLiteral("Help viewer installed: YES  version %1 (Lognex help window, Qt)").arg(qtVersion),
        QStringLiteral("Web browser installed: YES  version %1 (Qt text browser)").arg(qtVersion),
        thin,
    };
    for (const QString& line : lines) Append(line);
}

THookHelpSystem::THookHelpSystem(QString helpFilePath, const HelpDebugLog* log, QObject* parent)
    : QObject(parent), helpFilePath_(std::move(helpFilePath)), log_(log) {
    Log(QStringLiteral("THookHelpSystem created: help file \"%1\", window definition \"\", host type 0")
            .arg(helpFilePath_));
}

THookHelpSystem::~THookHelpSystem() {
    CloseAll();
    Log(QStringLiteral("THookHelpSystem released"));
}

void THookHelpSystem::Log(const QString& text) const {
    if (log_ != nullptr) log_->Write(text);
}

void THookHelpSystem::DisplayTopic() {
    Log(QStringLiteral("DisplayTopic: \"%1\"").arg(helpFilePath_));
    const bool shown = ViewerWindow()->ShowPage(helpFilePath_);
    Log(QStringLiteral("DisplayTopic result: %1")
            .arg(shown ? QStringLiteral("page shown") : QStringLiteral("help file not found")));
}

QString THookHelpSystem::PageOfContext(int contextNumber) {
    static const std::map<int, QString> pages = {
        {10, QStringLiteral("main_window.html")},     {20, QStringLiteral("menus.html")},
        {30, QStringLiteral("processing.html")},      {40, QStringLiteral("log_format.html")},
        {50, QStringLiteral("summary.html")},         {60, QStringLiteral("tree_view.html")},
        {70, QStringLiteral("excel_export.html")},    {80, QStringLiteral("settings_file.html")},
        {90, QStringLiteral("database_folder.html")}, {100, QStringLiteral("batch_tool.html")},
        {110, QStringLiteral("messages.html")},
    };
    const auto found = pages.find(contextNumber);
    return found == pages.end() ? QStringLiteral("index.html") : found->second;
}

bool THookHelpSystem::HelpContext(int contextNumber) {
    // The help file names the folder's default page; the other pages lie beside it.
    const QString page = QFileInfo(helpFilePath_).dir().filePath(PageOfContext(contextNumber));
    Log(QStringLiteral("HelpContext: \"%1\", context %2").arg(page).arg(contextNumber));
    const bool shown = ViewerWindow()->ShowPage(page);
    Log(QStringLiteral("HelpContext result: %1")
            .arg(shown ? QStringLiteral("page shown") : QStringLiteral("help file not found")));
    return shown;
}

bool THookHelpSystem::HandleHelpRequest(unsigned command, qintptr data) {
    Log(QStringLiteral("Help request: command %1 (%2), data %3").arg(command).arg(CommandName(command)).arg(data));
    switch (static_cast<HelpCommand>(command)) {
        case HelpCommand::Context:
        case HelpCommand::ContextPopup: return HelpContext(static_cast<int>(data));
        case HelpCommand::SetPopupPosition:
            popupPosition_ = QPoint(static_cast<int>(data & 0xFFFF), static_cast<int>((data >> 16) & 0xFFFF));
            return true;
    }
    return false;
}

void THookHelpSystem::CloseAll() {
    Log(QStringLiteral("CloseAll"));
    CloseAllHelpWindows();
}

void CloseAllHelpWindows() {
    const QList<QPointer<HelpViewerWindow>> windows = OpenWindows();
    for (const QPointer<HelpViewerWindow>& window : windows) {
        if (window) window->close();
    }
}

int OpenHelpWindowCount() {
    int count = 0;
    for (const QPointer<HelpViewerWindow>& window : OpenWindows()) {
        if (window && window->isVisible()) ++count;
    }
    return count;
}

QString HelpFilePathFor(const QString& programFolder) {
    return QDir(programFolder).filePath(QStringLiteral("help/index.html"));
}

}  // namespace lognex
