#include "app/shell/quit_on_signal.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace lognex {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// The handler may only write to the pipe; the notifier does the rest in the
// message loop.
int g_pipe[2] = {-1, -1};
bool g_quitRequested = false;  // set on the UI thread, by the notifier

extern "C" void OnQuitSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[0], &byte, 1);
    errno = saved;
}

void SetDisposition(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

}  // namespace

bool QuitRequested() { return g_quitRequested; }

QuitOnSignal::QuitOnSignal(QObject* parent) : QObject(parent) {
    if (g_pipe[0] >= 0) return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    notifier_ = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &QuitOnSignal::Received);
    SetDisposition(OnQuitSignal);
}

QuitOnSignal::~QuitOnSignal() {
    if (!notifier_) return;
    SetDisposition(SIG_DFL);
    delete notifier_;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void QuitOnSignal::Received() {
    char bytes[16];
    while (::read(g_pipe[1], bytes, sizeof bytes) > 0) {
    }
    // The next signal is not waited for: a program stuck in a long command still ends.
    SetDisposition(SIG_DFL);
    g_quitRequested = true;
    QCoreApplication::quit();
    // Outside the message loop quit() does nothing; the dialogs open now are
    // closed here (inside it, quit() has closed them already).
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog != nullptr && dialog->isVisible()) dialog->reject();
    }
}

}  // namespace lognex
