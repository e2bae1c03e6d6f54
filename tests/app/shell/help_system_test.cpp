// The help hook, its viewer windows and the diagnostic log HHDebug.txt.
#include <algorithm>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "app/shell/help_system.h"

using namespace lognex;

namespace {

QString ReadText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    return QString::fromLocal8Bit(file.readAll());
}

void Touch(const QString& path, const QByteArray& content) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(content);
}

HelpDebugLog::Setup SetupFor(const QString& folder, QStringList arguments) {
    HelpDebugLog::Setup setup;
    setup.programFolder = folder;
    setup.arguments = std::move(arguments);
    setup.executablePath = QDir(folder).filePath(QStringLiteral("lognex"));
    setup.version = QStringLiteral("2.20");
    setup.runFolder = QStringLiteral("/home/op");
    setup.locale.longTimeFormat = "%H:%M:%S";
    setup.locale.shortDateFormat = "%m/%d/%y";
    setup.locale.decimalSeparator = ',';
    return setup;
}

}  // namespace

class HelpSystemTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { CloseAllHelpWindows(); }

    void debugMode_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("flagFile");
        QTest::addColumn<bool>("debug");
        QTest::newRow("none") << QStringList{"lognex"} << false << false;
        QTest::newRow("/debug") << QStringList{"lognex", "/debug"} << false << true;
        QTest::newRow("/DEBUG") << QStringList{"lognex", "x", "/DEBUG"} << false << true;
        QTest::newRow("-Debug") << QStringList{"lognex", "-Debug"} << false << true;
        QTest::newRow("--debug") << QStringList{"lognex", "--debug"} << false << false;
        QTest::newRow("debugx") << QStringList{"lognex", "/debugx"} << false << false;
        QTest::newRow("program named -debug") << QStringList{"-debug"} << false << false;
        QTest::newRow("debug.debug") << QStringList{"lognex"} << true << true;
    }
    void debugMode() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, flagFile);
        QFETCH(bool, debug);
        QTemporaryDir folder;
        if (flagFile) Touch(folder.filePath(QStringLiteral("debug.debug")), "");
        QCOMPARE(HelpDebugLog::IsDebugMode(folder.path(), arguments), debug);
    }

    void logIsWrittenInDebugModeAndDeletedAtTheNextStart() {
        QTemporaryDir folder;
        const QString logPath = folder.filePath(QStringLiteral("HHDebug.txt"));
        Touch(logPath, "stale log of an earlier run");
        QFile::setPermissions(logPath, QFile::ReadOwner);

        {
            const HelpDebugLog log(SetupFor(folder.path(), {"/opt/lognex/lognex", "/DEBUG", "my file"}));
            QVERIFY(log.Enabled());
            QCOMPARE(log.FilePath(), logPath);
            THookHelpSystem hook(QDir(folder.path()).filePath(QStringLiteral("help/index.html")), &log);
            hook.HandleHelpRequest(1, 0);
            hook.HandleHelpRequest(13, 0x00200010);
            QVERIFY(!hook.HandleHelpRequest(3, 0));
        }
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("$_Temp_$.$$$"))));

        const QString text = ReadText(logPath);
        QVERIFY2(!text.contains(QStringLiteral("stale log")), "the old log must be gone");
        const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY(lines.first().startsWith(QStringLiteral("=====")));
        for (const QString& label :
             {QStringLiteral("Log file:          ") + logPath, QStringLiteral("Date:              "),
              QStringLiteral("Operating system:  Linux"), QStringLiteral("Locale:            "),
              QStringLiteral("Decimal separator: ,"),
              QStringLiteral("Executable:        ") + folder.filePath("lognex") + QStringLiteral("  version 2.20"),
              QStringLiteral("Arguments:         /DEBUG | my file"),
              QStringLiteral("Command line:      /opt/lognex/lognex /DEBUG \"my file\""),
              QStringLiteral("Run folder:        /home/op"), QStringLiteral("Module:            "),
              QStringLiteral("Help viewer installed: YES  version ") + QString::fromLatin1(qVersion()),
              QStringLiteral("Web browser installed: YES")}) {
            QVERIFY2(
                std::any_of(lines.begin(), lines.end(), [&](const QString& line) { return line.startsWith(label); }),
                qPrintable(label));
        }

        // Event lines: the time in the long time format, three blanks, the event.
        const QRegularExpression event(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d   (.*)$"));
        QStringList events;
        for (const QString& line : lines) {
            const auto match = event.match(line);
            if (match.hasMatch()) events << match.captured(1);
        }
        QCOMPARE(events.size(), 8);
        QVERIFY(events[0].startsWith(QStringLiteral("THookHelpSystem created")));
        QCOMPARE(events[1], QStringLiteral("Help request: command 1 (HELP_CONTEXT), data 0"));
        QVERIFY(events[2].startsWith(QStringLiteral("HelpContext: ")) &&
                events[2].endsWith(QStringLiteral("context 0")));
        QCOMPARE(events[3], QStringLiteral("HelpContext result: help file not found"));
        QCOMPARE(events[4], QStringLiteral("Help request: command 13 (HELP_SETPOPUP_POS), data 2097168"));
        QCOMPARE(events[5], QStringLiteral("Help request: command 3 (HELP_INDEX), data 0"));
        QCOMPARE(events[6], QStringLiteral("CloseAll"));
        QCOMPARE(events[7], QStringLiteral("THookHelpSystem released"));

        // Started again without the switch: no log at all.
        const HelpDebugLog quiet(SetupFor(folder.path(), {"/opt/lognex/lognex"}));
        QVERIFY(!quiet.Enabled());
        QVERIFY(!QFile::exists(logPath));
        quiet.Write(QStringLiteral("ignored"));
        QVERIFY(!QFile::exists(logPath));
    }

    void logGoesToTheTemporaryFolderWhenTheProgramFolderIsNotWritable() {
        const QString missing = QDir::temp().filePath(QStringLiteral("lognex-no-such-folder/sub"));
        QCOMPARE(HelpDebugLog::LogFolder(missing), QDir::tempPath());
        QTemporaryDir folder;
        QCOMPARE(HelpDebugLog::LogFolder(folder.path()), folder.path());
    }

    void helpOpensOneViewerAndEveryViewerClosesAtShutdown() {
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("help")));
        const QString index = HelpFilePathFor(folder.path());
        QCOMPARE(index, folder.filePath(QStringLiteral("help/index.html")));
        Touch(index, "<html><head><title>Contents</title></head><body>Lognex</body></html>");
        Touch(folder.filePath(QStringLiteral("help/menus.html")), "<html><body>menus</body></html>");

        {
            THookHelpSystem hook(index, nullptr);
            hook.DisplayTopic();
            hook.DisplayTopic();  // the viewer reuses its window
            QCOMPARE(OpenHelpWindowCount(), 1);
            QVERIFY(hook.HelpContext(0));
            QVERIFY(hook.HelpContext(20));
            QVERIFY(hook.HelpContext(12345));  // no page of its own: the contents
            QCOMPARE(OpenHelpWindowCount(), 1);
            hook.CloseAll();
            QCOMPARE(OpenHelpWindowCount(), 0);
            hook.DisplayTopic();  // right after closing: a new window, not the dying one
            QCOMPARE(OpenHelpWindowCount(), 1);
        }
        QCOMPARE(OpenHelpWindowCount(), 0);  // freeing the hook closed it
        CloseAllHelpWindows();               // asked once more at shutdown: harmless
        QCOMPARE(OpenHelpWindowCount(), 0);
    }

    void contextNumbersNameTheirPages() {
        QCOMPARE(THookHelpSystem::PageOfContext(0), QStringLiteral("index.html"));
        QCOMPARE(THookHelpSystem::PageOfContext(20), QStringLiteral("menus.html"));
        QCOMPARE(THookHelpSystem::PageOfContext(-1), QStringLiteral("index.html"));
        // Every page a context names is one the program ships.
        for (int context = 0; context <= 200; ++context) {
            const QString page = QStringLiteral(LOGNEX_SOURCE_DIR "/help/") + THookHelpSystem::PageOfContext(context);
            QVERIFY2(QFile::exists(page), qPrintable(page));
        }
    }
};

QTEST_MAIN(HelpSystemTest)
#include "help_system_test.moc"
