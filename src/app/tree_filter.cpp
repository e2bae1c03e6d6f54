#include "app/tree_filter.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/qt_text.h"
#include "views/text_search.h"

namespace lognex {

TreeFilter::TreeFilter(QTreeView* tree, QWidget* parent) : QWidget(parent), tree_(tree) {
    setObjectName(QStringLiteral("tbsTree"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(6, 4, 6, 4);
    row->setSpacing(6);
    auto* label = new QLabel(QStringLiteral("Filter:"), this);
    field_ = new QLineEdit(this);
    field_->setObjectName(QStringLiteral("edtTreeFilter"));
    field_->setPlaceholderText(QStringLiteral("words in the error text or location"));
    field_->setClearButtonEnabled(true);
    field_->setMaximumWidth(320);
    label->setBuddy(field_);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("lblTreeCount"));
    row->addWidget(label);
    row->addWidget(field_, 1);
    row->addWidget(count_);
    row->addStretch(0);
    column->addLayout(row);
    column->addWidget(tree_, 1);

    connect(field_, &QLineEdit::textChanged, this, [this] { Apply(); });
    // Esc in the field empties it; Down goes to the tree.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), field_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(escape, &QShortcut::activated, field_, &QLineEdit::clear);
    auto* down = new QShortcut(QKeySequence(Qt::Key_Down), field_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(down, &QShortcut::activated, tree_, [this] { tree_->setFocus(Qt::OtherFocusReason); });
    Apply();
}

void TreeFilter::Apply() {
    const std::string words = ToAnsi(field_->text());
    const QAbstractItemModel* model = tree_->model();
    const int total = model ? model->rowCount() : 0;
    int shown = 0;
    for (int i = 0; i < total; ++i) {
        const QString errorWords = model->index(i, 0).data(kErrorWordsRole).toString();
        const bool match = ContainsAllWords(ToAnsi(errorWords), words);
        if (tree_->isRowHidden(i, QModelIndex()) == match) tree_->setRowHidden(i, QModelIndex(), !match);
        if (match) ++shown;
    }
    const QString noun = total == 1 ? QStringLiteral("error") : QStringLiteral("errors");
    if (field_->text().trimmed().isEmpty())
        count_->setText(QStringLiteral("%1 %2").arg(total).arg(noun));
    else
        count_->setText(QStringLiteral("%1 of %2 %3").arg(shown).arg(total).arg(noun));
}

void TreeFilter::ClearWithNote(const QString& note) {
    {
        const QSignalBlocker quiet(field_);
        field_->clear();
    }
    Apply();
    count_->setText(count_->text() + QStringLiteral(" - ") + note);
}

void TreeFilter::Focus() {
    field_->setFocus(Qt::ShortcutFocusReason);
    field_->selectAll();
}

}  // namespace lognex
