// The splash, the About box and the database folder dialog, driven headless.
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>
#include <stdexcept>

#include "app/shell/about_box.h"
#include "app/shell/bevel.h"
#include "app/shell/browse_dir_dialog.h"
#include "app/shell/jpeg_image.h"
#include "app/shell/splash_window.h"

using namespace lognex;

namespace {

// Whether the widget, as drawn, has pixels of roughly that colour.
bool DrawsInColour(QWidget* widget, const QColor& colour) {
    const QImage image = widget->grab().toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (qAbs(pixel.red() - colour.red()) + qAbs(pixel.green() - colour.green()) +
                    qAbs(pixel.blue() - colour.blue()) <
                40) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

class ShellWidgetsTest : public QObject {
    Q_OBJECT

private slots:
    void splashLayout() {
        TfrmSplash splash;
        splash.ShowAndPaint();
        QVERIFY(splash.isVisible());
        QCOMPARE(splash.size(), QSize(140, 131));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(!splash.imgLogo->pixmap().isNull());
        QCOMPARE(splash.imgLogo->pixmap().size(), QSize(165, 152));
        // Positions are inside the inner panel at 11, 13.
        QCOMPARE(splash.imgLogo->geometry(), QRect(40, 8, 38, 37));
        QCOMPARE(splash.imgLogo->mapTo(&splash, QPoint(0, 0)), QPoint(51, 21));
        QCOMPARE(splash.lblLoading->text(), QStringLiteral("Loading..."));
        QCOMPARE(splash.lblLoading->pos(), QPoint(32, 82));
        QVERIFY(splash.lblLoading->font().bold());
        QCOMPARE(splash.lblLoading->font().pixelSize(), 12);
        QVERIFY(DrawsInColour(splash.lblLoading, QColor(0x80, 0, 0)));
        QCOMPARE(splash.lblMaker->text(), QStringLiteral("Lognex Team"));
        QCOMPARE(splash.lblMaker->y(), 52);
    }

    void aboutBoxContents() {
        TfrmAbout box(QStringLiteral("version 2.20"));
        QCOMPARE(box.windowTitle(), QStringLiteral("About Lognex"));
        QCOMPARE(box.size(), QSize(400, 450));
        QVERIFY(!(box.windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(box.lblVersion->text(), QStringLiteral("version 2.20"));
        QVERIFY(DrawsInColour(box.lblVersion, QColor(0x80, 0, 0)));
        QCOMPARE(box.imgBackground->pixmap().size(), QSize(400, 300));
        QVERIFY(box.btnOk->isDefault());
        QCOMPARE(box.lblDescription->text(),
                 QStringLiteral("A program for sorting error log data from Electroglas model 40x0 probers"));
        // The description fits its line above the button panel.
        QVERIFY(QFontMetrics(box.lblDescription->font()).horizontalAdvance(box.lblDescription->text()) <= 340);
        QVERIFY(!box.tmrFlash->isActive());
    }

    void aboutBoxRefusesABrokenBackground() {
        QVERIFY_THROWS_EXCEPTION(JpegError, TfrmAbout(QStringLiteral("v"), nullptr, QByteArray("not a jpeg")));
    }

    void flashSequence() {
        TfrmAbout box(QStringLiteral("version 2.20"));
        QCOMPARE(box.bvlBottom->Style(), BevelStyle::Lowered);
        box.FormActivate();
        QVERIFY(box.tmrFlash->isActive());
        QCOMPARE(box.tmrFlash->interval(), 1200);

        // Ten seconds: picture 1.2 s, lines 3.5 s, picture 1 s, lines 3.5 s, picture again.
        struct Shown {
            bool picture;
            int from;
            int until;
        };
        QList<Shown> timeline;
        int now = 0;
        while (now <= 10000) {
            const int next = now + box.tmrFlash->interval();
            timeline.append({!box.imgPoweredBy->isHidden(), now, next});
            const bool lines = box.bvlBottom->Style() == BevelStyle::Raised;
            QCOMPARE(lines, box.imgPoweredBy->isHidden());
            now = next;
            box.tmrFlashTimer();
            QVERIFY(box.tmrFlash->isActive());
        }
        const QList<Shown> expected = {
            {true, 0, 1200}, {false, 1200, 4700}, {true, 4700, 5700}, {false, 5700, 9200}, {true, 9200, 10200}};
        QCOMPARE(timeline.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QCOMPARE(timeline[i].picture, expected[i].picture);
            QCOMPARE(timeline[i].from, expected[i].from);
            QCOMPARE(timeline[i].until, expected[i].until);
        }
        box.FormDeactivate();
        QVERIFY(!box.tmrFlash->isActive());
    }

    void aboutCommandHidesTheMainWindowUntilOk() {
        QWidget mainWindow;
        mainWindow.setGeometry(100, 120, 602, 427);
        mainWindow.show();
        // Looked at while the box is up; asserted once the modal run is over,
        // so a failure cannot leave the box open.
        struct Seen {
            bool box = false, mainHidden = false, timerActive = false;
            int interval = 0;
            QPoint centreOffset;
        } seen;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<TfrmAbout*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            seen = {true, mainWindow.isHidden(), box->tmrFlash->isActive(), box->tmrFlash->interval(),
                    box->geometry().center() - mainWindow.geometry().center()};
            QTest::keyClick(box, Qt::Key_Return);  // the default button
        });
        ShowAboutBox(&mainWindow, QStringLiteral("version 2.20"));
        QVERIFY(seen.box);
        QVERIFY(seen.mainHidden);
        QVERIFY(seen.timerActive);  // shown, so activated
        QCOMPARE(seen.interval, 1200);
        QVERIFY(seen.centreOffset.manhattanLength() <= 2);
        QVERIFY(mainWindow.isVisible());
        QCOMPARE(mainWindow.geometry(), QRect(100, 120, 602, 427));
        QVERIFY(mainWindow.findChildren<TfrmAbout*>().isEmpty());  // freed
    }

    void mainWindowComesBackWhenTheBoxFails() {
        QWidget mainWindow;
        mainWindow.show();
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, RunWithWindowHidden(&mainWindow, [&] {
                                     QVERIFY(mainWindow.isHidden());
                                     throw std::runtime_error("failed");
                                 }));
        QVERIFY(mainWindow.isVisible());
    }

    void folderPathNormalisation_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("normalised");
        QTest::newRow("root") << "/"
                              << "/";
        QTest::newRow("trailing") << "/data/db/"
                                  << "/data/db";
        QTest::newRow("one only") << "/data//"
                                  << "/data/";
        QTest::newRow("plain") << "/data"
                               << "/data";
        QTest::newRow("empty") << ""
                               << "";
    }
    void folderPathNormalisation() {
        QFETCH(QString, path);
        QFETCH(QString, normalised);
        QCOMPARE(QString::fromStdString(NormaliseFolderPath(path.toStdString())), normalised);
    }

    void folderDialogStatusLineFollowsTheSelection() {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("db/tables")));
        const QString db = root.filePath(QStringLiteral("db"));

        // First showing: no status text, so no status line; opening copies the selection.
        FolderDialogState state{db.toStdString(), ""};
        {
            TdlgBrowseDirWindow window(state);
            QCOMPARE(window.windowTitle(), QStringLiteral("Browse for database files"));
            QVERIFY(window.StatusLine() == nullptr);
            QCOMPARE(state.statusText, db.toStdString());
            QVERIFY(window.findChildren<QLabel*>().first()->text() == QStringLiteral("Show location of files (*.ff2)"));
            QTRY_VERIFY(window.Tree()->currentIndex().isValid());
            QCOMPARE(window.Tree()->currentIndex().data(QFileSystemModel::FilePathRole).toString(), db);
            QVERIFY(window.Buttons()->button(QDialogButtonBox::Ok)->isEnabled());

            window.SelectFolder(db + QStringLiteral("/tables"));
            QCOMPARE(state.selectedFolder, (db + QStringLiteral("/tables")).toStdString());
            QCOMPARE(state.statusText, state.selectedFolder);
            window.SelectFolder(QStringLiteral("/"));
            QCOMPARE(state.selectedFolder, std::string("/"));
        }

        // A later showing has a status line that follows the selection.
        state.selectedFolder = db.toStdString();
        {
            TdlgBrowseDirWindow window(state);
            QVERIFY(window.StatusLine() != nullptr);
            QCOMPARE(window.StatusLine()->text(), db);
            window.SelectFolder(root.path());
            QCOMPARE(window.StatusLine()->text(), root.path());
            QCOMPARE(state.statusText, root.path().toStdString());
        }
    }

    void folderDialogExecuteReportsOkAndCancel() {
        QTemporaryDir root;
        FolderDialogState state{root.path().toStdString(), ""};
        BrowseDirDialog dialog;

        // Acts on the dialog once it is up; anything else modal is closed so
        // that a failure cannot hang the test.
        int shown = 0;
        bool hadStatusLine = false;
        const auto whenShown = [&](const std::function<void(TdlgBrowseDirWindow*)>& act) {
            QTimer::singleShot(0, [&, act] {
                auto* window = qobject_cast<TdlgBrowseDirWindow*>(QApplication::activeModalWidget());
                if (window == nullptr) {
                    if (QWidget* other = QApplication::activeModalWidget()) other->close();
                    return;
                }
                ++shown;
                hadStatusLine = window->StatusLine() != nullptr;
                act(window);
            });
        };

        whenShown([](TdlgBrowseDirWindow* w) { w->Buttons()->button(QDialogButtonBox::Cancel)->click(); });
        QVERIFY(!dialog.Execute(state));
        QVERIFY(!hadStatusLine);

        whenShown([](TdlgBrowseDirWindow* w) { w->close(); });  // the close box
        QVERIFY(!dialog.Execute(state));
        QVERIFY(hadStatusLine);

        whenShown([](TdlgBrowseDirWindow* w) { w->Buttons()->button(QDialogButtonBox::Ok)->click(); });
        QVERIFY(dialog.Execute(state));
        QCOMPARE(shown, 3);
        QCOMPARE(state.selectedFolder, root.path().toStdString());
    }

    void folderDialogLeavesTheSplashInSight() {
        const QRect area(0, 0, 1024, 768);
        const QRect splash(442, 318, 140, 131);  // centred
        struct Case {
            const char* what;
            QSize dialog;
            QRect area, splash, place;
        };
        const Case cases[] = {
            {"no splash: centred", {400, 460}, area, {}, {311, 153, 400, 460}},
            {"beside the splash, on the right", {400, 460}, area, splash, {594, 153, 400, 460}},
            {"narrowed to the room there",
             {400, 460},
             QRect(0, 0, 800, 600),
             QRect(330, 234, 140, 131),
             {482, 69, 306, 460}},
            {"on the left when that side is wider", {400, 460}, area, QRect(700, 318, 140, 131), {288, 153, 400, 460}},
            {"no room on either side: centred",
             {400, 460},
             QRect(0, 0, 640, 480),
             QRect(250, 174, 140, 131),
             {119, 9, 400, 460}},
        };
        for (const Case& test : cases) QCOMPARE(FolderDialogPlace(test.dialog, test.area, test.splash), test.place);

        // The real dialog at start-up, with the splash up.
        TfrmSplash splashWindow;
        splashWindow.ShowAndPaint();
        QTemporaryDir root;
        FolderDialogState state{root.path().toStdString(), ""};
        QRect dialogFrame;
        QTimer::singleShot(0, [&] {
            QWidget* window = QApplication::activeModalWidget();
            if (window == nullptr) return;
            dialogFrame = window->frameGeometry();
            window->close();
        });
        QVERIFY(!BrowseDirDialog().Execute(state));
        QVERIFY(!dialogFrame.isNull());
        QVERIFY(!dialogFrame.intersects(splashWindow.frameGeometry()));
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(dialogFrame));
    }
};

QTEST_MAIN(ShellWidgetsTest)
#include "shell_widgets_test.moc"
