#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "app/shell/program_folder.h"
#include "app/shell/single_instance.h"

using lognex::DefaultApplicationTitle;

class SingleInstanceTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder_;
    QTemporaryDir runtime_;
    std::vector<std::unique_ptr<QProcess>> running_;

    // A copy of the helper under the given file name, as if the program had
    // been installed under it.
    QString Copy(const QString& fileName) {
        const QString target = folder_.filePath(fileName);
        if (!QFile::exists(target)) {
            if (!QFile::copy(QStringLiteral(SINGLE_INSTANCE_HELPER), target)) return {};
            QFile::setPermissions(target, QFile::permissions(target) | QFile::ExeOwner);
        }
        return target;
    }

    QProcess* Start(const QString& program, const QStringList& arguments = {}) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process->setProcessEnvironment(env);
        process->start(program, arguments);
        running_.push_back(std::move(process));
        return running_.back().get();
    }

    static QByteArray ReadLine(QProcess* process) {
        QElapsedTimer clock;
        clock.start();
        while (!process->canReadLine() && clock.elapsed() < 20000) process->waitForReadyRead(500);
        return process->readLine().trimmed();
    }

private slots:
    void cleanup() {
        for (auto& process : running_) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
        running_.clear();
    }

    void defaultTitle_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("windows name") << "C:/Tools/LOGNEX.EXE"
                                      << "Lognex";
        QTest::newRow("plain") << "/usr/bin/lognex"
                               << "Lognex";
        QTest::newRow("first dot") << "/opt/lognex.v2.bin"
                                   << "Lognex";
        QTest::newRow("folder with dots") << "/opt/a.b/errLOG"
                                          << "Errlog";
        QTest::newRow("dot first") << "/opt/.hidden"
                                   << "";
    }
    void defaultTitle() {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QCOMPARE(DefaultApplicationTitle(path), title);
        QCOMPARE(lognex::SingleInstance::InstanceName(title), QStringLiteral("PREVINST:") + title);
    }

    void secondStartRaisesTheFirstAndEnds() {
        QVERIFY(folder_.isValid() && runtime_.isValid());
        QProcess* first = Start(Copy(QStringLiteral("lognex")));
        QCOMPARE(ReadLine(first), QByteArray("FIRST Lognex"));

        // Same title, other spelling of the file name: the same program.
        QProcess* second = Start(Copy(QStringLiteral("LOGNEX.EXE")));
        QVERIFY(second->waitForFinished(20000));
        QCOMPARE(second->exitCode(), 3);
        QCOMPARE(second->readAllStandardOutput().trimmed(), QByteArray("SECOND Lognex"));
        // The first instance was told before the second one ended, and its
        // minimised window is back.
        QCOMPARE(ReadLine(first), QByteArray("RAISED minimized=0 visible=1"));

        // Every later start is answered too, not only the first one.
        QProcess* third = Start(Copy(QStringLiteral("lognex")));
        QVERIFY(third->waitForFinished(20000));
        QCOMPARE(third->exitCode(), 3);
        QCOMPARE(ReadLine(first), QByteArray("RAISED minimized=0 visible=1"));
        QCOMPARE(first->state(), QProcess::Running);
    }

    void secondStartHandsItsFileToTheFirst() {
        QProcess* first = Start(Copy(QStringLiteral("lognex")));
        QCOMPARE(ReadLine(first), QByteArray("FIRST Lognex"));
        // A relative name is the second start's own (it runs in this test's
        // folder): it is made absolute there.
        const QString name = QStringLiteral("log with blanks \u00e9.rpt");
        QProcess* second = Start(Copy(QStringLiteral("lognex")), {name});
        QVERIFY(second->waitForFinished(20000));
        QCOMPARE(second->exitCode(), 3);
        QCOMPARE(ReadLine(first), QByteArray("RAISED minimized=0 visible=1"));
        QCOMPARE(QString::fromUtf8(ReadLine(first)), QStringLiteral("OPEN ") + QDir::current().filePath(name));
    }

    void copiesUnderOtherNamesRunSideBySide() {
        QProcess* one = Start(Copy(QStringLiteral("lognex")));
        QProcess* other = Start(Copy(QStringLiteral("lognex2")));
        QCOMPARE(ReadLine(one), QByteArray("FIRST Lognex"));
        QCOMPARE(ReadLine(other), QByteArray("FIRST Lognex2"));
    }

    void instanceOfAKilledProgramDoesNotBlockTheNextStart() {
        QProcess* first = Start(Copy(QStringLiteral("lognex")));
        QCOMPARE(ReadLine(first), QByteArray("FIRST Lognex"));
        first->kill();
        QVERIFY(first->waitForFinished(5000));

        QProcess* next = Start(Copy(QStringLiteral("lognex")));
        QCOMPARE(ReadLine(next), QByteArray("FIRST Lognex"));
    }
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
