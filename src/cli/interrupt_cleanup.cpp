#include "cli/interrupt_cleanup.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstring>

namespace lognex {
namespace {

// The handler may use only async-signal-safe calls, so the paths live in a
// fixed table of plain buffers; a slot's state is published after its path.
constexpr int kSlots = 64;
enum SlotState : int { kFree = 0, kFile = 1, kFolder = 2 };
struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};
Slot g_slots[kSlots];

void RemoveRegistered(int signalNumber) {
    for (Slot& slot : g_slots)
        if (slot.state.load() == kFile) ::unlink(slot.path);
    // Later folders may lie inside earlier ones; go backwards.
    for (int i = kSlots - 1; i >= 0; --i)
        if (g_slots[i].state.load() == kFolder) ::rmdir(g_slots[i].path);
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

}  // namespace

void InstallInterruptCleanup() {
    static std::atomic<bool> installed{false};
    if (installed.exchange(true)) return;
    struct sigaction action {};
    action.sa_handler = RemoveRegistered;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, signalNumber);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous {};
        // A signal ignored by whoever started the tool stays ignored.
        if (::sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
        ::sigaction(signalNumber, &action, nullptr);
    }
}

int RegisterForRemoval(const std::string& path, bool folder) {
    if (path.size() >= PATH_MAX) return -1;
    for (int i = 0; i < kSlots; ++i) {
        if (g_slots[i].state.load() != kFree) continue;
        std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
        g_slots[i].state.store(folder ? kFolder : kFile);
        return i;
    }
    return -1;
}

void UnregisterForRemoval(int slot) {
    if (slot >= 0 && slot < kSlots) g_slots[slot].state.store(kFree);
}

}  // namespace lognex
