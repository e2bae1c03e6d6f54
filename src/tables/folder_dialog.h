// The database folder dialog as the start-up sequence sees it.
//
// The window supplies the real dialog; tests supply a scripted one. The
// start-up sequence owns the cancel loop and the alias; the dialog only shows
// itself once per Execute.
#pragma once

#include <string>

#include "support/error.h"

namespace lognex {

// Thrown by Execute when the program is asked to end (a signal) while the
// dialog is open or about to open: the start-up sequence stops where it is,
// with the alias as it was.
class FolderDialogInterrupted : public Error {
public:
    FolderDialogInterrupted() : Error("The program was asked to end") {}
};

struct FolderDialogState {
    // Preselected when the dialog opens; replaced by the dialog on every change
    // of selection (normalised, empty for an item without a file-system path).
    std::string selectedFolder;
    // Shown in the dialog's status line. The dialog has a status line only when
    // this is not empty at the moment it opens; on opening, and on every change
    // of selection, the dialog sets it to selectedFolder.
    std::string statusText;
    // Why the user is asked: the failure that sent the start-up sequence to
    // the dialog (a lock, a damaged file, ...), shown below the instruction.
    // Empty: nothing is shown.
    std::string reason{};
};

class FolderDialog {
public:
    virtual ~FolderDialog() = default;
    // Shows the dialog modally once. True when the user confirmed a folder,
    // which selectedFolder then holds; false on Cancel or the close box.
    // Throws FolderDialogInterrupted when the program is asked to end.
    virtual bool Execute(FolderDialogState& state) = 0;
};

}  // namespace lognex
