// A desktop session ends its programs with SIGTERM (or SIGHUP, or SIGINT from
// a terminal). The program then leaves its message loop as if the main window
// had been closed, so the shutdown steps (settings written, tables closed) run
// as after Exit. A second signal ends the process at once.
//
// The same holds from any dialog, also outside the message loop (the folder
// dialog at start-up, a box at shutdown): the dialogs open are closed, and
// QuitRequested() tells the code after them to open no more and wait for no
// one (a message goes to standard error instead of a box).
#pragma once

#include <QObject>

class QSocketNotifier;

namespace lognex {

// True once a signal has asked the program to end.
bool QuitRequested();

class QuitOnSignal : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; one object per process, created after the
    // application object. The handlers stay default when the pipe cannot be made.
    explicit QuitOnSignal(QObject* parent = nullptr);
    ~QuitOnSignal() override;

    QuitOnSignal(const QuitOnSignal&) = delete;
    QuitOnSignal& operator=(const QuitOnSignal&) = delete;

private:
    void Received();

    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace lognex
