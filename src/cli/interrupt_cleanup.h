// Files and folders the batch tool removes when SIGINT, SIGTERM or SIGHUP
// ends it, so an interrupted run leaves no private table copies or half-put
// outputs behind.
#pragma once

#include <string>

namespace lognex {

// Installs the handlers (once). A handled signal removes every registered
// path (files first, then folders, each only if empty) and then ends the
// process by the same signal, so the caller still sees it was interrupted.
void InstallInterruptCleanup();

// Registers a path for removal on interruption and returns its slot, or -1
// when the fixed table is full or the path too long (then it is simply not
// cleaned up). Folders are removed with rmdir after the files in them.
int RegisterForRemoval(const std::string& path, bool folder);
// Forgets a slot once the path is gone or has become a result to keep.
void UnregisterForRemoval(int slot);

// Holds the handled signals back from construction until Release (or the end
// of the scope), when one that arrived meanwhile takes effect. Spans a step
// that must not be cut in two: creating a file and registering it, or putting
// several outputs in place.
class InterruptsHeld {
public:
    InterruptsHeld();
    ~InterruptsHeld() { Release(); }
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;

    void Release();

private:
    bool held_ = false;
    unsigned heldBefore_ = 0;  // which of the signals were held back already
};

}  // namespace lognex
