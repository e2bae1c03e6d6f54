// Waiting for a followed log to change, or for the user to stop following.
#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace lognex {

// While it lives, SIGINT, SIGTERM and SIGHUP (Ctrl+C and Ctrl+Break on
// Windows) no longer end the process: they ask following to stop, so the
// outputs are left complete. A closed standard output makes a write fail
// instead of ending the process. The log is watched through the file
// system's notification where there is one (inotify on its folder); a change
// it cannot see (a network share) shows up at the caller's next poll, as
// Wait never sleeps past its timeout.
class FollowWatch {
public:
    enum class Wake { Stop, Changed, Timeout };

    explicit FollowWatch(const std::string& logPath);
    ~FollowWatch();
    FollowWatch(const FollowWatch&) = delete;
    FollowWatch& operator=(const FollowWatch&) = delete;

    // Sleeps until a stop is asked (Stop), the log's folder reports a change
    // to the log (Changed), or timeout passes (Timeout).
    Wake Wait(std::chrono::milliseconds timeout);
    // True once a stop was asked, even when Wait has not said so yet.
    bool StopAsked();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace lognex
