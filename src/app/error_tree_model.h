// The "Tree View" page's model: the last run's analysis value seen as a
// tree. Its rows are the distinct errors in ErrorName's usual order (text,
// then location); an error's occurrences, in log order, are fetched when it
// is first expanded. Labels are made for the rows on screen only, exactly as
// the tree's texts read (views/error_tree.h); what a row stands for is in its
// item data, never read back from its label.
#pragma once

#include <QAbstractItemModel>
#include <cstdint>
#include <memory>
#include <vector>

#include "logproc/analysis.h"
#include "support/locale_format.h"

namespace lognex {

// Item data: an error's text and location ("text\nlocation"), the words the
// tree's filter looks in; on every row the error's id; on an occurrence its
// header line (HeaderLine::number).
constexpr int kErrorWordsRole = Qt::UserRole + 1;
constexpr int kErrorIdRole = Qt::UserRole + 2;
constexpr int kHeaderLineRole = Qt::UserRole + 3;

class ErrorTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit ErrorTreeModel(LocaleFormat locale, QObject* parent = nullptr);

    // A new run, or none (null): every row new, every error collapsed.
    void SetAnalysis(std::shared_ptr<const Analysis> analysis, bool showSource);
    // The Source option: rebuilt, as a new run is.
    void SetShowSource(bool showSource);
    const std::shared_ptr<const Analysis>& Value() const { return analysis_; }

    // The row of error number row in the tree's order, and the nth of its
    // occurrences (fetched first when they are not yet).
    QModelIndex ErrorRow(int row) const { return index(row, 0); }
    QModelIndex OccurrenceRow(int errorRow, int nth);
    // The header line of an occurrence's row; 0 for an error's row or none.
    static std::uint32_t HeaderLineOf(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    const DistinctError& ErrorAt(int row) const { return analysis_->Errors()[order_[static_cast<std::size_t>(row)]]; }

    LocaleFormat locale_;
    std::shared_ptr<const Analysis> analysis_;
    bool showSource_ = false;
    std::vector<ErrorId> order_;  // the errors in the tree's order
    std::vector<bool> fetched_;   // per row: its occurrences are rows
};

}  // namespace lognex
