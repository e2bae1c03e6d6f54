// The program's help: its own viewer window for the HTML pages in the help
// folder, the hook through which the window asks for help, and the optional
// diagnostic log "HHDebug.txt".
#pragma once

#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>

#include "support/locale_format.h"

namespace lognex {

// The diagnostic log of the help component.
//
// Set up once at start-up, whether or not debug mode is on: it decides the
// log folder and deletes an old log, so every start begins without one.
class HelpDebugLog {
public:
    struct Setup {
        QString programFolder;
        QStringList arguments;  // as the program got them, the program's path first
        QString executablePath;
        QString version;      // "2.20"
        QString runFolder;    // the current folder at start-up
        LocaleFormat locale;  // its long time format prefixes every line
    };

    // Debug mode: a file "debug.debug" in the program folder, or an argument
    // "/debug" or "-debug" in any letter case.
    static bool IsDebugMode(const QString& programFolder, const QStringList& arguments);
    // "/debug" or "-debug" in any letter case: a switch, not a file to open.
    static bool IsDebugArgument(const QString& argument);

    // The program folder when a file can be created there (tried with
    // "$_Temp_$.$$$", which is removed again), otherwise the temporary folder.
    static QString LogFolder(const QString& programFolder);

    // Deletes an old HHDebug.txt and, in debug mode, writes the header.
    explicit HelpDebugLog(const Setup& setup);

    bool Enabled() const { return enabled_; }
    QString FilePath() const { return filePath_; }

    // In debug mode appends one line: the time in the locale's long time
    // format, three blanks, text. The file is opened and closed per line;
    // write errors are ignored.
    void Write(const QString& text) const;

private:
    void WriteHeader(const Setup& setup) const;
    void Append(const QString& line) const;

    bool enabled_ = false;
    QString filePath_;
    std::string longTimeFormat_;
};

// Help requests as the window sends them.
enum class HelpCommand : unsigned {
    Context = 1,       // show the page of a context number
    ContextPopup = 8,  // the same, asked for as a pop-up
    SetPopupPosition = 13,
};

// The help hook of the main window.
//
// Help pages are HTML files in the help folder; the help "file" is the folder's
// default page (help/index.html). Each viewer call opens or reuses a viewer
// window of the program's own.
class THookHelpSystem : public QObject {
    Q_OBJECT
public:
    // log may be null (no diagnostic log).
    THookHelpSystem(QString helpFilePath, const HelpDebugLog* log, QObject* parent = nullptr);
    // Closes every viewer window.
    ~THookHelpSystem() override;

    // Help > "&Help": the default page.
    void DisplayTopic();

    // The page of a context number, context 0 being the default page; what
    // F1 asks for while a menu is open. True when a viewer window shows it.
    bool HelpContext(int contextNumber);

    // The hook's entry for the window's help requests: contexts go to
    // HelpContext, a pop-up position is stored; anything else is not ours
    // (false).
    bool HandleHelpRequest(unsigned command, qintptr data);

    // Closes every viewer window the program has open.
    void CloseAll();

    QString HelpFilePath() const { return helpFilePath_; }

    // The page of a context number, relative to the help folder; the default
    // page for 0 and for numbers without a page of their own.
    static QString PageOfContext(int contextNumber);

private:
    void Log(const QString& text) const;

    QString helpFilePath_;
    const HelpDebugLog* log_;
    QPoint popupPosition_;
};

// Closes every help viewer window; safe to call when none is open or after
// the hook is gone (shutdown calls it once more).
void CloseAllHelpWindows();

// Viewer windows open right now.
int OpenHelpWindowCount();

// The help file for a program folder: programFolder + "/help/index.html".
QString HelpFilePathFor(const QString& programFolder);

}  // namespace lognex
