// The "Tree View" page: a filter field above the error tree. Typing narrows
// the top-level errors to those whose text or location holds every word
// typed; their occurrences stay under them and still lead to the log.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QTreeWidget;

namespace lognex {

// Role of a top-level node's data that holds its error text and location,
// the words the filter looks in (the node's own text adds its count).
constexpr int kErrorWordsRole = Qt::UserRole + 1;
// Role of a top-level node's data that holds its error's id in the analysis.
constexpr int kErrorIdRole = Qt::UserRole + 2;
// Role of an occurrence node's data that holds its entry's 1-based header
// line: what choosing the node selects in the log view.
constexpr int kHeaderLineRole = Qt::UserRole + 3;

class TreeFilter : public QWidget {
    Q_OBJECT
public:
    // Takes tree into the page, under the filter row.
    explicit TreeFilter(QTreeWidget* tree, QWidget* parent = nullptr);

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
    QTreeWidget* tree_;
    QLineEdit* field_;
    QLabel* count_;
};

}  // namespace lognex
