#include "cli/interrupt_cleanup.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <iterator>

namespace lognex {
namespace {

// The handler may use only async-signal-safe calls, so the paths live in a
// fixed table of plain buffers; a slot's state is published after its path.
constexpr int kSlots = 64;
constexpr int kHandledSignals[] = {SIGINT, SIGTERM, SIGHUP};
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
    for (int signalNumber : kHandledSignals) sigaddset(&action.sa_mask, signalNumber);
    for (int signalNumber : kHandledSignals) {
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

InterruptsHeld::InterruptsHeld() {
    sigset_t signals, before;
    sigemptyset(&signals);
    for (int signalNumber : kHandledSignals) sigaddset(&signals, signalNumber);
    if (::pthread_sigmask(SIG_BLOCK, &signals, &before) != 0) return;
    for (std::size_t i = 0; i < std::size(kHandledSignals); ++i)
        if (sigismember(&before, kHandledSignals[i]) == 1) heldBefore_ |= 1u << i;
    held_ = true;
}

void InterruptsHeld::Release() {
    if (!held_) return;
    held_ = false;
    // Only what this scope held back is let go: an outer hold stays.
    sigset_t signals;
    sigemptyset(&signals);
    for (std::size_t i = 0; i < std::size(kHandledSignals); ++i)
        if ((heldBefore_ & (1u << i)) == 0) sigaddset(&signals, kHandledSignals[i]);
    ::pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
}

}  // namespace lognex
