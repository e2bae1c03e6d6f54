#include <windows.h>

#include <algorithm>
#include <atomic>

#include "cli/follow_watch.h"

namespace lognex {
namespace {

std::atomic<bool> g_stopAsked{false};

BOOL WINAPI AskStop(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
        g_stopAsked = true;
        return TRUE;
    }
    return FALSE;
}

}  // namespace

struct FollowWatch::Parts {};

// No notification here: the caller's poll of size and modification time
// finds every change.
FollowWatch::FollowWatch(const std::string&) : parts_(std::make_unique<Parts>()) {
    ::SetConsoleCtrlHandler(AskStop, TRUE);
}

FollowWatch::~FollowWatch() { ::SetConsoleCtrlHandler(AskStop, FALSE); }

bool FollowWatch::StopAsked() { return g_stopAsked; }

FollowWatch::Wake FollowWatch::Wait(std::chrono::milliseconds timeout) {
    for (auto left = timeout; !g_stopAsked && left.count() > 0; left -= std::chrono::milliseconds(100))
        ::Sleep(static_cast<DWORD>(std::min<long long>(left.count(), 100)));
    return g_stopAsked ? Wake::Stop : Wake::Timeout;
}

}  // namespace lognex
