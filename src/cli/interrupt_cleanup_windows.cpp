// Windows counterpart of interrupt_cleanup.cpp: Ctrl+C, Ctrl+Break and a
// closed console reach the tool as console control events, handled on a
// thread of their own. The registered paths are removed and the event is
// passed on, so the default handler still ends the process.
#include <windows.h>

#include <atomic>
#include <climits>
#include <cstring>

#include "cli/interrupt_cleanup.h"

namespace lognex {
namespace {

constexpr int kSlots = 64;
enum SlotState : int { kFree = 0, kFile = 1, kFolder = 2 };
struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];  // the program's text: the ANSI code page
};
Slot g_slots[kSlots];
std::atomic<int> g_holds{0};

BOOL WINAPI RemoveRegistered(DWORD) {
    // The handler runs on a thread of its own: it waits out a hold.
    while (g_holds.load() > 0) ::Sleep(10);
    for (Slot& slot : g_slots)
        if (slot.state.load() == kFile) ::DeleteFileA(slot.path);
    for (int i = kSlots - 1; i >= 0; --i)
        if (g_slots[i].state.load() == kFolder) ::RemoveDirectoryA(g_slots[i].path);
    return FALSE;
}

}  // namespace

void InstallInterruptCleanup() {
    static std::atomic<bool> installed{false};
    if (installed.exchange(true)) return;
    ::SetConsoleCtrlHandler(RemoveRegistered, TRUE);
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

InterruptsHeld::InterruptsHeld() : held_(true) { ++g_holds; }

void InterruptsHeld::Release() {
    if (!held_) return;
    held_ = false;
    --g_holds;
}

}  // namespace lognex
