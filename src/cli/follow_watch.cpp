#include "cli/follow_watch.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>

namespace lognex {

struct FollowWatch::Parts {
    sigset_t held{};
    sigset_t before{};
    int signals = -1;  // a signalfd for the held signals
    int notify = -1;   // inotify on the log's folder, or -1 where there is none
    std::string name;  // the log's name in that folder
    bool stop = false;
};

namespace {

void CloseIfOpen(int fd) {
    if (fd >= 0) ::close(fd);
}

}  // namespace

FollowWatch::FollowWatch(const std::string& logPath) : parts_(std::make_unique<Parts>()) {
    Parts& p = *parts_;
    sigemptyset(&p.held);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        struct sigaction previous {};
        // A signal ignored by whoever started the tool stays ignored.
        if (signalNumber != SIGPIPE && ::sigaction(signalNumber, nullptr, &previous) == 0 &&
            previous.sa_handler == SIG_IGN)
            continue;
        sigaddset(&p.held, signalNumber);
    }
    ::pthread_sigmask(SIG_BLOCK, &p.held, &p.before);
    p.signals = ::signalfd(-1, &p.held, SFD_NONBLOCK | SFD_CLOEXEC);

    // The folder the log's links lead to: a write through a link changes the file there.
    std::error_code ec;
    std::filesystem::path file = std::filesystem::canonical(logPath, ec);
    if (ec) file = std::filesystem::absolute(logPath, ec);
    p.name = file.filename().string();
    p.notify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (p.notify >= 0 && ::inotify_add_watch(p.notify, file.parent_path().c_str(),
                                             IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE |
                                                 IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF) < 0) {
        ::close(p.notify);
        p.notify = -1;
    }
}

FollowWatch::~FollowWatch() {
    Parts& p = *parts_;
    // Signals that came after the stop are taken here, not let through to
    // end the process once they are no longer held.
    StopAsked();
    CloseIfOpen(p.signals);
    CloseIfOpen(p.notify);
    sigset_t pending;
    if (::sigpending(&pending) == 0) {
        for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
            if (sigismember(&p.held, signalNumber) == 1 && sigismember(&pending, signalNumber) == 1) {
                sigset_t one;
                sigemptyset(&one);
                sigaddset(&one, signalNumber);
                int taken = 0;
                ::sigwait(&one, &taken);
            }
        }
    }
    ::pthread_sigmask(SIG_SETMASK, &p.before, nullptr);
}

bool FollowWatch::StopAsked() {
    Parts& p = *parts_;
    if (p.signals < 0) return p.stop;
    signalfd_siginfo info{};
    while (::read(p.signals, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        // A reader that went away makes the next write fail; that is said there.
        if (info.ssi_signo != SIGPIPE) p.stop = true;
    }
    return p.stop;
}

FollowWatch::Wake FollowWatch::Wait(std::chrono::milliseconds timeout) {
    Parts& p = *parts_;
    if (StopAsked()) return Wake::Stop;
    pollfd fds[2] = {{p.signals, POLLIN, 0}, {p.notify, POLLIN, 0}};
    const int ready = ::poll(fds, 2, static_cast<int>(timeout.count()));
    if (ready <= 0) return Wake::Timeout;
    if (StopAsked()) return Wake::Stop;
    bool changed = false;
    if (p.notify >= 0 && (fds[1].revents & POLLIN) != 0) {
        alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
        ssize_t n;
        while ((n = ::read(p.notify, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                // The folder itself going away counts as well.
                if (event->len == 0 || p.name == event->name) changed = true;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }
    return changed ? Wake::Changed : Wake::Timeout;
}

}  // namespace lognex
