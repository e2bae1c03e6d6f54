// The database folder dialog: a tree of the file system's folders.
#pragma once

#include <QDialog>
#include <QRect>

#include <string>

#include "tables/folder_dialog.h"

class QDialogButtonBox;
class QFileSystemModel;
class QLabel;
class QTreeView;

namespace lognex {

// One trailing separator removed, except from the root "/".
std::string NormaliseFolderPath(std::string path);

// The window of one showing. It works on the caller's state while open:
// selectedFolder follows the selection, statusText follows selectedFolder.
class TdlgBrowseDirWindow : public QDialog {
    Q_OBJECT
public:
    TdlgBrowseDirWindow(FolderDialogState& state, QWidget* parent = nullptr);

    QTreeView* Tree() const { return tree_; }
    // Null when the dialog opened without a status line.
    QLabel* StatusLine() const { return status_; }
    QDialogButtonBox* Buttons() const { return buttons_; }

    // Selects folder in the tree, as the user would.
    void SelectFolder(const QString& folder);

private:
    void SelectionChanged();

    FolderDialogState& state_;
    QFileSystemModel* model_ = nullptr;
    QTreeView* tree_ = nullptr;
    QLabel* status_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

// Room left around the dialog for the window manager's frame, and the
// narrowest the dialog is made to fit beside the splash.
inline constexpr int kFrameAllowance = 12;
inline constexpr int kMinimumFolderDialogWidth = 300;

// Where the folder dialog of size dialog opens: centred in area, or, when
// that would hide the splash window (its frame at splash; empty when none is
// shown), beside it on the side with more room, narrowed to that room. When
// neither side has room for a dialog of the minimum width it stays centred.
QRect FolderDialogPlace(const QSize& dialog, const QRect& area, const QRect& splash);

// dlgBrowseDir: shows a fresh window per Execute without an owner, placed by
// FolderDialogPlace.
class BrowseDirDialog : public FolderDialog {
public:
    bool Execute(FolderDialogState& state) override;
};

}  // namespace lognex
