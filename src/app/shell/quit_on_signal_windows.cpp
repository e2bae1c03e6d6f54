// Windows counterpart of quit_on_signal.cpp: a console's Ctrl+C, Ctrl+Break
// and close, and the end of the session, reach the program as console control
// events. The handler runs on a thread of its own and only queues the quit;
// the message loop carries it out as after Exit.
#include <windows.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <atomic>

#include "app/shell/quit_on_signal.h"

namespace lognex {
namespace {

std::atomic<bool> g_quitRequested{false};  // set by the handler's thread

BOOL WINAPI OnControlEvent(DWORD) {
    g_quitRequested = true;
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, &QCoreApplication::quit, Qt::QueuedConnection);
    return TRUE;
}

}  // namespace

bool QuitRequested() { return g_quitRequested; }

QuitOnSignal::QuitOnSignal(QObject* parent) : QObject(parent) { ::SetConsoleCtrlHandler(OnControlEvent, TRUE); }

QuitOnSignal::~QuitOnSignal() { ::SetConsoleCtrlHandler(OnControlEvent, FALSE); }

void QuitOnSignal::Received() {}

}  // namespace lognex
