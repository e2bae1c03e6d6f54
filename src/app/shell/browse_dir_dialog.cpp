#include "app/shell/browse_dir_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/shell/quit_on_signal.h"
#include "support/ansi_text.h"
#include "tables/database_folder.h"

namespace lognex {

std::string NormaliseFolderPath(std::string path) {
    if (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

TdlgBrowseDirWindow::TdlgBrowseDirWindow(FolderDialogState& state, QWidget* parent) : QDialog(parent), state_(state) {
    setObjectName(QStringLiteral("dlgBrowseDir"));
    setWindowTitle(QString::fromLatin1(kFolderDialogCaption));
    resize(400, 460);

    auto* layout = new QVBoxLayout(this);
    auto* instruction = new QLabel(QString::fromLatin1(kFolderDialogInstruction), this);
    layout->addWidget(instruction);
    // Why the user is asked at all, when the start-up sequence knows.
    if (!state_.reason.empty()) {
        auto* reason = new QLabel(QString::fromStdU16String(WidenAnsi(state_.reason)), this);  // a failure's text
        reason->setObjectName(QStringLiteral("lblReason"));
        reason->setTextFormat(Qt::PlainText);
        reason->setWordWrap(true);
        layout->addWidget(reason);
    }

    // The status line exists only when there was something to show at opening.
    if (!state_.statusText.empty()) {
        status_ = new QLabel(QString::fromStdString(state_.statusText), this);
        status_->setObjectName(QStringLiteral("lblStatus"));
        status_->setTextFormat(Qt::PlainText);
        status_->setWordWrap(true);
        layout->addWidget(status_);
    }

    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setReadOnly(true);
    model_->setRootPath(QStringLiteral("/"));

    tree_ = new QTreeView(this);
    tree_->setModel(model_);
    tree_->setHeaderHidden(true);
    for (int column = 1; column < model_->columnCount(); ++column) tree_->hideColumn(column);
    tree_->setRootIndex(model_->index(QStringLiteral("/")).parent());
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(tree_, 1);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons_);
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(false);

    SelectFolder(QFile::decodeName(QByteArray::fromStdString(state_.selectedFolder)));
    // Folders are read in the background; keep the selection in sight as
    // the levels above it fill up.
    // The model also sorts a level some time after reading it, which moves rows again.
    auto keepInSight = [this] {
        if (tree_->currentIndex().isValid())
            tree_->scrollTo(tree_->currentIndex(), QAbstractItemView::PositionAtCenter);
    };
    connect(model_, &QFileSystemModel::directoryLoaded, this, keepInSight);
    connect(model_, &QFileSystemModel::layoutChanged, this, keepInSight);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TdlgBrowseDirWindow::SelectionChanged);

    // The dialog has just appeared: the status text takes the selection.
    state_.statusText = state_.selectedFolder;
    if (status_ != nullptr) status_->setText(QString::fromStdString(state_.statusText));
}

void TdlgBrowseDirWindow::SelectFolder(const QString& folder) {
    if (folder.isEmpty()) return;
    const QModelIndex index = model_->index(folder);
    if (!index.isValid()) return;
    tree_->setCurrentIndex(index);
    tree_->scrollTo(index, QAbstractItemView::PositionAtCenter);
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(true);
}

void TdlgBrowseDirWindow::SelectionChanged() {
    const QModelIndex current = tree_->currentIndex();
    const QString path = current.isValid() ? model_->filePath(current) : QString();
    state_.selectedFolder = NormaliseFolderPath(QFile::encodeName(path).toStdString());
    state_.statusText = state_.selectedFolder;
    if (status_ != nullptr) status_->setText(QString::fromStdString(state_.statusText));
    // Only a file-system folder can be confirmed.
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(!state_.selectedFolder.empty());
}

namespace {

// A visible splash window (at start-up the dialog opens while it is up).
const QWidget* VisibleSplash() {
    for (const QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->windowType() == Qt::SplashScreen) return widget;
    return nullptr;
}

}  // namespace

QRect FolderDialogPlace(const QSize& dialog, const QRect& area, const QRect& splash) {
    QRect place(area.center() - QPoint(dialog.width() / 2, dialog.height() / 2), dialog);
    if (splash.isEmpty() ||
        !place.adjusted(-kFrameAllowance, -kFrameAllowance, kFrameAllowance, kFrameAllowance).intersects(splash))
        return place;
    // Beside the splash on the wider side, narrowed to the room there when needed.
    const int right = area.right() - splash.right() - 2 * kFrameAllowance;
    const int left = splash.left() - area.left() - 2 * kFrameAllowance;
    const int room = std::max(left, right);
    if (room < kMinimumFolderDialogWidth) return place;
    place.setWidth(std::min(dialog.width(), room));
    place.moveLeft(right >= left ? splash.right() + 1 + kFrameAllowance
                                 : splash.left() - kFrameAllowance - place.width());
    return place;
}

bool BrowseDirDialog::Execute(FolderDialogState& state) {
    if (QuitRequested()) throw FolderDialogInterrupted();
    TdlgBrowseDirWindow window(state);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QWidget* splash = VisibleSplash();
        const QRect place = FolderDialogPlace(window.size(), screen->availableGeometry(),
                                              splash != nullptr ? splash->frameGeometry() : QRect());
        window.resize(place.size());
        window.move(place.topLeft());
        // Where there is no room beside the splash, the dialog covers it.
        if (splash != nullptr && place.intersects(splash->frameGeometry()))
            window.setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    const bool confirmed = window.exec() == QDialog::Accepted;
    if (QuitRequested()) throw FolderDialogInterrupted();
    return confirmed;
}

}  // namespace lognex
