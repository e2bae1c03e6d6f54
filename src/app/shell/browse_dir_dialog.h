// The database folder dialog: a tree of the file system's folders.
#pragma once

#include <QDialog>

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

// dlgBrowseDir: shows a fresh window per Execute, centred on the screen
// without an owner.
class BrowseDirDialog : public FolderDialog {
public:
    bool Execute(FolderDialogState& state) override;
};

}  // namespace lognex
