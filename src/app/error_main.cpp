#include "app/error_main.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTextBlock>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <exception>
#include <vector>

#include "app/data_module.h"
#include "app/find_bar.h"
#include "app/main_dialogs.h"
#include "app/message_boxes.h"
#include "app/progress_steps.h"
#include "app/qt_text.h"
#include "app/search_tools.h"
#include "app/shell/about_box.h"
#include "app/shell/help_system.h"
#include "app/shell/program_folder.h"
#include "app/timeline_page.h"
#include "app/tree_filter.h"
#include "app/window_bounds.h"
#include "support/error.h"
#include "support/text_routines.h"
#include "views/error_tree.h"
#include "views/summary_report.h"

namespace lognex {
namespace {

constexpr int kMinimumOuterWidth = 400;
constexpr int kMinimumOuterHeight = 413;
constexpr int kExitButtonRightMargin = 88;

QPlainTextEdit* MakeTextView(QWidget* parent, const char* name, const QString& family, bool readOnly) {
    auto* view = new QPlainTextEdit(parent);
    view->setObjectName(QLatin1String(name));
    view->setReadOnly(readOnly);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font(family);
    font.setPixelSize(13);
    view->setFont(font);
    if (readOnly) view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return view;
}

QIcon ExitIcon() {
    QIcon icon(QStringLiteral(":/lognex/pictures/exit_door.png"));
    icon.addFile(QStringLiteral(":/lognex/pictures/exit_door_disabled.png"), QSize(), QIcon::Disabled);
    return icon;
}

}  // namespace

TfrmErrorMain::TfrmErrorMain(TdtmData& dataModule, MainDialogs& dialogs, LocaleFormat locale, CalendarDefaults calendar,
                             std::string programFolder, QWidget* parent)
    : QMainWindow(parent),
      data_(dataModule),
      dialogs_(dialogs),
      locale_(std::move(locale)),
      calendar_(calendar),
      programFolder_(std::move(programFolder)),
      paths_(ProgramFolderPaths(programFolder_)),
      // The log page builds a text document from the lines: a large log is
      // refused with a message rather than held there.
      session_(data_.Tables(), locale_, calendar_, paths_.dataFolder, WindowLoadLimits()) {
    session_.Options().errPath = programFolder_;
    setObjectName(QStringLiteral("frmErrorMain"));
    setWindowTitle(kApplicationTitle);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);
    setAcceptDrops(true);
    BuildMenus();
    BuildLayout();
    resize(602, 427);
}

// The find tools let go of the views before the views go.
TfrmErrorMain::~TfrmErrorMain() { delete search_; }

void TfrmErrorMain::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    connect(file->addAction(QStringLiteral("&Save Summary")), &QAction::triggered, this,
            [this] { RunCommand([this] { mniFileSaveSummaryClick(); }); });
    connect(file->addAction(QStringLiteral("&Export to Excel")), &QAction::triggered, this,
            [this] { RunCommand([this] { mniExportExcelClick(); }); });
    file->addSeparator();
    connect(file->addAction(QStringLiteral("E&xit")), &QAction::triggered, this, [this] { btnExitClick(); });

    // Find, find next and previous, go to line: filled when the views exist.
    mnuEdit_ = menuBar()->addMenu(QStringLiteral("&Edit"));
    mnuEdit_->setObjectName(QStringLiteral("mnuEdit"));

    QMenu* configuration = menuBar()->addMenu(QStringLiteral("&Configuration"));
    mniConfigPrompt_ = configuration->addAction(QStringLiteral("&Prompt for Location"));
    mniConfigPrompt_->setObjectName(QStringLiteral("mniConfigPrompt"));
    mniConfigPrompt_->setCheckable(true);
    mniConfigPrompt_->setChecked(false);
    connect(mniConfigPrompt_, &QAction::triggered, this, [this] { mniConfigPromptClick(); });
    mniConfigCopy_ = configuration->addAction(QStringLiteral("&Copy Error Log"));
    mniConfigCopy_->setObjectName(QStringLiteral("mniConfigCopy"));
    mniConfigCopy_->setCheckable(true);
    mniConfigCopy_->setChecked(true);
    connect(mniConfigCopy_, &QAction::triggered, this, [this] { mniConfigCopyClick(); });
    connect(configuration->addAction(QStringLiteral("Prober &Log File...")), &QAction::triggered, this,
            [this] { RunCommand([this] { mniConfigProberLogClick(); }); });

    // A blank top-level item that does nothing, between Configuration and Help.
    menuBar()->addAction(QStringLiteral("   "));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    connect(help->addAction(QStringLiteral("&Help")), &QAction::triggered, this,
            [this] { RunCommand([this] { mniHelpHelpClick(); }); });
    help->addSeparator();
    connect(help->addAction(QStringLiteral("&About")), &QAction::triggered, this,
            [this] { RunCommand([this] { mniHelpAboutClick(); }); });

    // F1 while a menu is open asks for help context 0; no entry has one of its own.
    for (QMenu* menu : {file, mnuEdit_, configuration, help}) menu->installEventFilter(this);

    mnuTree_ = new QMenu(this);
    mnuTree_->setObjectName(QStringLiteral("mnuTree"));
    mniSource_ = mnuTree_->addAction(QStringLiteral("Show Source Info"));
    mniSource_->setObjectName(QStringLiteral("mniSource"));
    mniSource_->setCheckable(true);
    // The entry shows the option; it does not toggle itself.
    connect(mniSource_, &QAction::triggered, this, [this] {
        mniSource_->setChecked(session_.Options().source);
        RunCommand([this] { mniSourceClick(); });
    });
}

void TfrmErrorMain::BuildLayout() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    pgeMain_ = new QTabWidget(central);
    pgeMain_->setObjectName(QStringLiteral("pgeMain"));
    mmoLog_ = MakeTextView(pgeMain_, "mmoLog", QStringLiteral("MS Sans Serif"), true);
    mmoSum_ = MakeTextView(pgeMain_, "mmoSum", QStringLiteral("Arial"), false);
    treErrors_ = new QTreeWidget(pgeMain_);
    treErrors_->setObjectName(QStringLiteral("treErrors"));
    treErrors_->setHeaderHidden(true);
    treErrors_->setIndentation(19);
    // Labels are read-only: an edited label would no longer lead to its line.
    treErrors_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    treErrors_->setContextMenuPolicy(Qt::CustomContextMenu);
    treErrors_->setUniformRowHeights(true);
    connect(treErrors_, &QTreeWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { mnuTree_->popup(treErrors_->viewport()->mapToGlobal(at)); });
    connect(treErrors_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* node) { RunCommand([this, node] { treErrorsChange(node); }); });
    search_ = new SearchTools(this, pgeMain_, mmoLog_, mmoSum_, treErrors_);
    // Enter, and a double-click.
    connect(treErrors_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* node) { RunCommand([this, node] { treErrorsActivate(node); }); });
    pgeMain_->addTab(mmoLog_, QStringLiteral("Error Log"));
    pgeMain_->addTab(mmoSum_, QStringLiteral("Summary"));
    pgeMain_->addTab(search_->TreePage(), QStringLiteral("Tree View"));
    timeline_ = new TimelinePage(locale_, pgeMain_);
    pgeMain_->addTab(timeline_, QStringLiteral("Timeline"));
    ConnectTimelineToTree(timeline_, treErrors_, search_->Filter(), pgeMain_);
    column->addWidget(pgeMain_, 1);
    column->addWidget(search_->Bar());
    search_->AddCommands(mnuEdit_);
    // A selection made while the page was hidden was scrolled to in a view
    // of another size: scroll to it again once the page shows.
    connect(pgeMain_, &QTabWidget::currentChanged, this, [this] {
        if (pgeMain_->currentWidget() == mmoLog_) mmoLog_->ensureCursorVisible();
    });

    pnlBottom_ = new QWidget(central);
    pnlBottom_->setObjectName(QStringLiteral("pnlBottom"));
    pnlBottom_->setFixedHeight(35);
    pnlBottom_->installEventFilter(this);
    btnOpen_ = new QPushButton(QStringLiteral("&Open and Process Log"), pnlBottom_);
    btnOpen_->setObjectName(QStringLiteral("btnOpen"));
    btnOpen_->setGeometry(12, 5, 129, 25);
    connect(btnOpen_, &QPushButton::clicked, this, [this] { RunCommand([this] { btnOpenClick(); }); });
    btnExit_ = new QPushButton(ExitIcon(), QStringLiteral("E&xit"), pnlBottom_);
    btnExit_->setObjectName(QStringLiteral("btnExit"));
    btnExit_->setIconSize(QSize(16, 16));
    btnExit_->setGeometry(0, 5, 75, 25);
    connect(btnExit_, &QPushButton::clicked, this, [this] { btnExitClick(); });
    barProcess_ = new QProgressBar(pnlBottom_);
    barProcess_->setObjectName(QStringLiteral("barProcess"));
    barProcess_->setRange(0, 100);
    barProcess_->setValue(0);
    barProcess_->setTextVisible(false);
    barProcess_->setGeometry(0, 9, 150, 16);
    barProcess_->hide();
    setTabOrder(btnOpen_, btnExit_);
    column->addWidget(pnlBottom_);

    // The hidden save buffer that turns the summary into plain lines.
    mmoSumTemp_ = new QPlainTextEdit(central);
    mmoSumTemp_->setObjectName(QStringLiteral("mmoSumTemp"));
    mmoSumTemp_->hide();

    setCentralWidget(central);
}

void TfrmErrorMain::mniHelpHelpClick() {
    if (help_) help_->DisplayTopic();
}

void TfrmErrorMain::mniHelpAboutClick() { ShowAboutBox(this, versionText_); }

void TfrmErrorMain::RunCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& e) {
        dialogs_.ShowError(this, ErrorMessageText(e));
    }
}

// ---- creation, activation, destruction -------------------------------------

bool TfrmErrorMain::FormCreate() {
    try {
        versionText_ = QStringLiteral("version ") + ProgramVersion();
        help_ = std::make_unique<THookHelpSystem>(HelpFilePathFor(FromPath(paths_.resourceFolder)), helpLog_);
        TStRegIni ini(SettingsFilePath(paths_.configFolder));
        ApplySettings(ReadMainSettings(ini, paths_.logDialogFolder));
        // Said once; the tables are then looked for as on a first start.
        if (!data_.RegistryProblem().empty()) dialogs_.ShowError(this, FromAnsi(data_.RegistryProblem()));
        if (!data_.OpenErrorTables()) return false;
        data_.OpenRemainingTables();
        data_.EmptyAllTables();
    } catch (const std::exception& e) {
        dialogs_.ShowError(this, ErrorMessageText(e));
    }
    return true;
}

void TfrmErrorMain::FormActivate() {
    if (activated_) return;
    activated_ = true;
    RunCommand([this] { data_.EmptyOccurrencesAndErrors(); });
}

void TfrmErrorMain::FormDestroy() {
    try {
        help_.reset();  // closes the viewer windows it opened
        CloseAllHelpWindows();
        TStRegIni ini(SettingsFilePath(paths_.configFolder));
        WriteMainSettings(ini, CurrentSettings());
        data_.CloseTables();
    } catch (const std::exception& e) {
        dialogs_.ShowError(this, ErrorMessageText(e));
    }
}

MainSettings TfrmErrorMain::CurrentSettings() const {
    MainSettings s;
    const QRect frame = frameGeometry();
    s.left = frame.left();
    s.top = frame.top();
    s.height = frame.height();
    s.width = frame.width();
    const SessionOptions& options = session_.Options();
    s.prompt = options.prompt;
    s.logCopy = options.logCopy;
    s.errPath = options.errPath;
    s.source = options.source;
    s.proberLog = options.proberLog;
    return s;
}

void TfrmErrorMain::ApplySettings(const MainSettings& s) {
    // The stored bounds are the outer frame. Until the window manager has
    // framed the window the frame is not known: the inner size takes them for
    // now, and ApplyOuterBounds corrects it once the frame is there.
    // The frame lies wholly on one screen, so that Exit is always in reach.
    std::vector<QRect> screens;
    if (QScreen* primary = QGuiApplication::primaryScreen()) screens.push_back(primary->availableGeometry());
    for (QScreen* other : QGuiApplication::screens())
        if (other != QGuiApplication::primaryScreen()) screens.push_back(other->availableGeometry());
    const WindowBounds fitted = FitOnOneScreen({s.left, s.top, s.width, s.height}, screens);
    pendingOuter_ = QRect(fitted.left, fitted.top, fitted.width, fitted.height);
    move(fitted.left, fitted.top);
    resize(fitted.width, fitted.height);
    ApplyOuterBounds();
    SetPrompt(s.prompt);
    SetLogCopy(s.logCopy);
    session_.Options().errPath = s.errPath;
    SetSource(s.source);
    session_.Options().proberLog = s.proberLog;
}

void TfrmErrorMain::ApplyOuterBounds() {
    if (!pendingOuter_ || !isVisible()) return;
    const QSize frame = frameGeometry().size() - size();
    if (frame.width() <= 0 && frame.height() <= 0) return;  // not framed (yet)
    const QRect outer = *pendingOuter_;
    pendingOuter_.reset();
    resize(outer.width() - frame.width(), outer.height() - frame.height());
    move(outer.topLeft());
}

void TfrmErrorMain::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
    QMainWindow::changeEvent(event);
}

// ---- options -------------------------------------------------------------

void TfrmErrorMain::SetAppPaths(const AppPaths& paths) {
    paths_ = paths;
    session_.SetCopyFolder(paths_.dataFolder);
}

void TfrmErrorMain::SetPrompt(bool value) {
    session_.Options().prompt = value;
    mniConfigPrompt_->setChecked(value);
}

void TfrmErrorMain::SetLogCopy(bool value) {
    session_.Options().logCopy = value;
    mniConfigCopy_->setChecked(value);
}

void TfrmErrorMain::SetSource(bool value) {
    if (value == session_.Options().source) return;
    session_.Options().source = value;
    mniSource_->setChecked(value);
    timeline_->SetShowSource(value);
    if (!data_.OccurrencesOpen()) return;
    treErrors_->hide();
    struct ShowAgain {
        QWidget* tree;
        ~ShowAgain() { tree->show(); }
    } showAgain{treErrors_};
    RebuildTree();
}

void TfrmErrorMain::mniConfigPromptClick() { SetPrompt(mniConfigPrompt_->isChecked()); }
void TfrmErrorMain::mniConfigCopyClick() { SetLogCopy(mniConfigCopy_->isChecked()); }

void TfrmErrorMain::mniConfigProberLogClick() {
    // The default is a Windows path, which names no folder here: the dialog
    // then opens at ErrPath.
    SessionOptions& options = session_.Options();
    const QString path = FromPath(options.proberLog);
    const QFileInfo current(path);
    const QString folder =
        current.isAbsolute() && current.dir().exists() ? current.absolutePath() : FromPath(options.errPath);
    const qsizetype separator = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    const QString name = path.mid(separator + 1);
    const auto chosen = dialogs_.ChooseLogFile(this, LogDialog::ProberLog, folder, name);
    if (chosen) options.proberLog = ToPath(*chosen);
}

void TfrmErrorMain::mniSourceClick() { SetSource(!session_.Options().source); }

// ---- processing run --------------------------------------------------------

void TfrmErrorMain::btnOpenClick() { ProcessAndShow(std::nullopt); }

void TfrmErrorMain::OpenLogFile(const QString& path) {
    FormActivate();  // a run at start-up must not be emptied by the first activation
    RunCommand([this, path] { ProcessAndShow(ToPath(path)); });
}

void TfrmErrorMain::ProcessAndShow(std::optional<std::string> chosenFile) {
    RunOutcome outcome = RunOutcome::Cancelled;
    try {
        outcome = session_.Run(*this, std::move(chosenFile));
    } catch (...) {
        ShowFailedRun();
        throw;
    }
    if (outcome != RunOutcome::Completed) return;
    ShowTitle();
    RebuildTree();
    ShowSummary();
    pgeMain_->setCurrentWidget(mmoSum_);
    timeline_->SetRun(session_.Timeline(), session_.Options().source);
}

std::optional<std::string> TfrmErrorMain::ChooseLogFile(const std::string& initialFolder) {
    const auto chosen = dialogs_.ChooseLogFile(this, LogDialog::OpenLog, FromPath(initialFolder), proposedLogName_);
    if (!chosen) return std::nullopt;
    proposedLogName_ = *chosen;
    return ToPath(*chosen);
}

void TfrmErrorMain::ShowLines(
    const LogLines& lines) {  // The lines are joined first and widened in one go: one conversion and
    // one allocation instead of one per line.
    std::string joined;
    joined.reserve(lines.LineStart(lines.ViewLineCount()));
    for (std::size_t i = 0; i < lines.ViewLineCount(); ++i) {
        if (i > 0) joined += '\n';
        joined += lines.FullLine(i);
    }
    mmoLog_->setPlainText(FromAnsi(joined));
}

void TfrmErrorMain::BeginPairLoop() {
    barAdvances_ = 0;
    barProcess_->show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void TfrmErrorMain::ShowProgress(std::size_t done, std::size_t total) {
    // The bar is never reset: each run goes on from where the last one left
    // it, and a step past the end starts over from the beginning.
    const std::size_t due = BarAdvancesDue(done, total);
    if (due == barAdvances_) return;
    int value = barProcess_->value();
    for (; barAdvances_ < due; ++barAdvances_) {
        value += 5;
        if (value > barProcess_->maximum()) value -= barProcess_->maximum();
    }
    barProcess_->setValue(value);
    barProcess_->repaint();
}

void TfrmErrorMain::EndPairLoop() {
    QApplication::restoreOverrideCursor();
    barProcess_->hide();
}

// The title names the log the user chose, never the program's copy of it.
void TfrmErrorMain::ShowTitle() {
    const std::string& log = session_.SourcePath();
    setWindowTitle(log.empty() ? kApplicationTitle : kApplicationTitle + QStringLiteral(" - ") + FromPath(log));
}

// Nothing of the previous run may stay on show: the tree and the summary
// would jump into the lines of another log, and a log that could not be read
// at all would seem to show the previous one. The log view keeps the failed
// log's lines when they were loaded.
void TfrmErrorMain::ShowFailedRun() {
    if (session_.Completed()) return;  // the run failed before a log was chosen: nothing changed
    if (session_.SourcePath().empty()) mmoLog_->setPlainText(QString());
    treErrors_->clear();
    mmoSum_->clear();
    timeline_->SetRun(TimelineSource{}, session_.Options().source);
    ShowTitle();
}

void TfrmErrorMain::btnExitClick() { close(); }

// ---- layout ----------------------------------------------------------------

void TfrmErrorMain::FormResize() {
    if (inResize_) return;
    inResize_ = true;
    const QSize outer = frameGeometry().size();
    const QSize inner = size();
    const int extraWidth = outer.width() - inner.width();
    const int extraHeight = outer.height() - inner.height();
    // On a small or scaled screen the minimum gives way to the screen:
    // a window larger than its screen puts Exit out of reach.
    QSize minimum(kMinimumOuterWidth, kMinimumOuterHeight);
    if (const QScreen* where = screen()) minimum = minimum.boundedTo(where->availableGeometry().size());
    if (outer.width() < minimum.width() || outer.height() < minimum.height()) {
        resize(std::max(outer.width(), minimum.width()) - extraWidth,
               std::max(outer.height(), minimum.height()) - extraHeight);
    }
    inResize_ = false;

    btnExit_->move(pnlBottom_->width() - kExitButtonRightMargin, btnExit_->y());
    const int openRight = btnOpen_->x() + btnOpen_->width();
    const int gap = btnExit_->x() - openRight - barProcess_->width();
    barProcess_->move(openRight + gap / 2, barProcess_->y());
}

void TfrmErrorMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
    ApplyOuterBounds();
}

// The window manager's frame arrives after the window is shown, with a move.
void TfrmErrorMain::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    ApplyOuterBounds();
}

void TfrmErrorMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    ApplyOuterBounds();
}

bool TfrmErrorMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pnlBottom_ && event->type() == QEvent::Resize) FormResize();
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
        qobject_cast<QMenu*>(watched)) {
        if (help_) help_->HandleHelpRequest(static_cast<unsigned>(HelpCommand::Context), 0);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmErrorMain::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TfrmErrorMain::dropEvent(QDropEvent* event) {
    if (OpenDroppedFile(*event->mimeData())) event->acceptProposedAction();
}

bool TfrmErrorMain::OpenDroppedFile(const QMimeData& mime) {
    const QList<QUrl> urls = mime.urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return false;
    OpenLogFile(urls.first().toLocalFile());
    return true;
}

}  // namespace lognex
