#include "app/error_tree_model.h"

#include "app/qt_text.h"
#include "views/error_tree.h"

namespace lognex {
namespace {

// An error's row has internal id 0; an occurrence's, its error's row + 1.
constexpr quintptr kErrorRowId = 0;

}  // namespace

ErrorTreeModel::ErrorTreeModel(LocaleFormat locale, QObject* parent)
    : QAbstractItemModel(parent), locale_(std::move(locale)) {}

void ErrorTreeModel::SetAnalysis(std::shared_ptr<const Analysis> analysis, bool showSource) {
    beginResetModel();
    analysis_ = std::move(analysis);
    showSource_ = showSource;
    order_ = analysis_ ? ErrorsByTextAndLocation(*analysis_) : std::vector<ErrorId>();
    fetched_.assign(order_.size(), false);
    endResetModel();
}

void ErrorTreeModel::SetShowSource(bool showSource) { SetAnalysis(analysis_, showSource); }

QModelIndex ErrorTreeModel::OccurrenceRow(int errorRow, int nth) {
    const QModelIndex error = index(errorRow, 0);
    if (!error.isValid()) return {};
    if (canFetchMore(error)) fetchMore(error);
    return index(nth, 0, error);
}

std::uint32_t ErrorTreeModel::HeaderLineOf(const QModelIndex& index) {
    return index.isValid() ? index.data(kHeaderLineRole).toUInt() : 0;
}

QModelIndex ErrorTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column != 0) return {};
    if (!parent.isValid()) {
        if (static_cast<std::size_t>(row) >= order_.size()) return {};
        return createIndex(row, 0, kErrorRowId);
    }
    if (parent.internalId() != kErrorRowId || row >= rowCount(parent)) return {};
    return createIndex(row, 0, static_cast<quintptr>(parent.row()) + 1);
}

QModelIndex ErrorTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == kErrorRowId) return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, kErrorRowId);
}

int ErrorTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return static_cast<int>(order_.size());
    if (parent.internalId() != kErrorRowId || !fetched_[static_cast<std::size_t>(parent.row())]) return 0;
    return static_cast<int>(ErrorAt(parent.row()).Count());
}

int ErrorTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool ErrorTreeModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) return !order_.empty();
    return parent.internalId() == kErrorRowId && ErrorAt(parent.row()).Count() > 0;
}

bool ErrorTreeModel::canFetchMore(const QModelIndex& parent) const {
    return parent.isValid() && parent.internalId() == kErrorRowId &&
           !fetched_[static_cast<std::size_t>(parent.row())] && ErrorAt(parent.row()).Count() > 0;
}

void ErrorTreeModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    const int count = static_cast<int>(ErrorAt(parent.row()).Count());
    beginInsertRows(parent, 0, count - 1);
    fetched_[static_cast<std::size_t>(parent.row())] = true;
    endInsertRows();
}

QVariant ErrorTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !analysis_) return {};
    const bool occurrence = index.internalId() != kErrorRowId;
    const int errorRow = occurrence ? static_cast<int>(index.internalId() - 1) : index.row();
    const ErrorId id = order_[static_cast<std::size_t>(errorRow)];
    const DistinctError& error = analysis_->Errors()[id];
    const AnalysisEntry* entry =
        occurrence ? &analysis_->Entries()[error.occurrences[static_cast<std::size_t>(index.row())]] : nullptr;
    switch (role) {
        case Qt::DisplayRole:
            return FromAnsi(entry ? OccurrenceNodeText(*entry, locale_) : ErrorNodeText(error, showSource_));
        case kErrorWordsRole: return occurrence ? QVariant() : QVariant(FromAnsi(error.text + '\n' + error.location));
        case kErrorIdRole: return static_cast<uint>(id);
        case kHeaderLineRole: return entry ? QVariant(static_cast<uint>(entry->line.number)) : QVariant();
        default: return {};
    }
}

Qt::ItemFlags ErrorTreeModel::flags(const QModelIndex& index) const {
    // Labels are read-only, and an occurrence has no children to expand.
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.internalId() != kErrorRowId) flags |= Qt::ItemNeverHasChildren;
    return flags;
}

}  // namespace lognex
