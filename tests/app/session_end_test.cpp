// The session manager's commit request writes the settings at once: on
// Windows the process may be ended right after it, before any shutdown step.
#include <QtGui/private/qguiapplication_p.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "app/data_module.h"
#include "app/error_main.h"
#include "app/session_end.h"
#include "support/locale_format.h"
#include "tables/error_tables.h"
#include "window_test_doubles.h"

using namespace lognex;

namespace {

std::string ReadFile(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// What Qt's Windows plugin does on WM_QUERYENDSESSION, and the X session manager's client on a save request.
void SessionManagerAsksToCommit() { static_cast<QGuiApplicationPrivate*>(QObjectPrivate::get(qGuiApp))->commitData(); }

}  // namespace

class SessionEndTest : public QObject {
    Q_OBJECT

private slots:
    void aCommitRequestWritesTheSettingsAndTheWindowGoesOn() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const std::string programFolder = folder.path().toStdString();
        CreateErrorTableFiles(programFolder);
        testing::RecordingDialogs dialogs;
        TdtmData data(programFolder, std::make_unique<testing::NoFolderDialog>());
        TfrmErrorMain window(data, dialogs, CLocaleFormat(), CalendarDefaults{1, 2007}, programFolder);
        QVERIFY(window.FormCreate());
        WriteSettingsWhenSessionEnds(window);
        window.SetSource(true);
        window.SetLogCopy(false);

        SessionManagerAsksToCommit();
        const std::string ini = ReadFile(folder.filePath(QStringLiteral("LOGNEX.INI")));
        QVERIFY2(ini.find("LogCopy=FALSE") != std::string::npos, ini.c_str());
        QVERIFY2(ini.find("Source=TRUE") != std::string::npos, ini.c_str());
        // The session may still be cancelled: the tables stay open, no box was shown.
        QVERIFY(data.tblError().IsOpen());
        QVERIFY(dialogs.errors.isEmpty());

        // A settings file that cannot be written shows no box either.
        QVERIFY(QFile::remove(folder.filePath(QStringLiteral("LOGNEX.INI"))));
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("LOGNEX.INI")));
        SessionManagerAsksToCommit();
        QVERIFY(dialogs.errors.isEmpty());
        QVERIFY(QDir(folder.path()).rmdir(QStringLiteral("LOGNEX.INI")));
        window.FormDestroy();
    }
};

QTEST_MAIN(SessionEndTest)
#include "session_end_test.moc"
