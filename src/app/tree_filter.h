// The "Tree View" page: a filter field above the error tree. Typing narrows
// the top-level errors to those whose text or location holds every word
// typed; their occurrences stay under them and still lead to the log.
#pragma once

#include <QWidget>

#include "app/error_tree_model.h"  // kErrorWordsRole: the words of a top-level row

class QLabel;
class QLineEdit;
class QTreeView;

namespace lognex {

class TreeFilter : public QWidget {
    Q_OBJECT
public:
    // Takes tree into the page, under the filter row.
    explicit TreeFilter(QTreeView* tree, QWidget* parent = nullptr);

    // Applies the filter again, after the tree was rebuilt.
    void Apply();
    // Puts the cursor in the filter field, its text selected.
    void Focus();
    // Empties the field, shows every error, and adds note to the count
    // until the filter is used again.
    void ClearWithNote(const QString& note);

    QLineEdit* Field() const { return field_; }
    QLabel* Count() const { return count_; }

private:
    QTreeView* tree_;
    QLineEdit* field_;
    QLabel* count_;
};

}  // namespace lognex
