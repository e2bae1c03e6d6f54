// A desktop session ends its programs with SIGTERM (or SIGHUP, or SIGINT from
// a terminal). The program then leaves its message loop as if the main window
// had been closed, so the shutdown steps (settings written, tables closed) run
// as after Exit. A second signal ends the process at once.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace lognex {

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
