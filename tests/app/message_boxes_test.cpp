// The program's message boxes as the platform shows them: captions, lines
// and texts.
#include <qpa/qplatformwindow.h>
#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include "app/message_boxes.h"
#include "app/qt_text.h"
#include "logproc/log_lines.h"
#include "support/error.h"

using namespace lognex;

namespace {

// The caption the window system gets for a window title, formatted the way
// the platform plugins do it (the X11 plugin's separator).
struct PlatformCaption : QPlatformWindow {
    static QString Of(const QString& title) { return formatWindowTitle(title, QString::fromUtf8(" \xE2\x80\x94 ")); }
};

}  // namespace

class MessageBoxesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SetApplicationTitle(); }

    void captionsAreExactlyAsGiven() {
        for (const char* title : {"Lognex", "Lognex - /logs/err_log.rpt", "Export Complete", "No database files",
                                  "Browse for database files", "Lognex Help - Lognex Help", "About Lognex"})
            QCOMPARE(PlatformCaption::Of(QString::fromLatin1(title)), QString::fromLatin1(title));
        const auto box = MakePlainMessage(nullptr, QStringLiteral("Export Complete"), QStringLiteral("Done"));
        QCOMPARE(box->windowTitle(), QStringLiteral("Export Complete"));
        QCOMPARE(MakeErrorBox(nullptr, QStringLiteral("x"))->windowTitle(), QStringLiteral("Lognex"));
    }

    void carriageReturnsStartNewLines() {
        struct Case {
            QString given, shown;
        };
        const Case cases[] = {
            {QStringLiteral("The database files cannot be found.\rThe program will exit"),
             QStringLiteral("The database files cannot be found.\nThe program will exit")},
            {QStringLiteral("Error on writing record # 3\r\nDisk full"),
             QStringLiteral("Error on writing record # 3\nDisk full")},
            {QStringLiteral("a\r\rb\n"), QStringLiteral("a\n\nb\n")},
        };
        for (const Case& test : cases) {
            QCOMPARE(MakePlainMessage(nullptr, QStringLiteral("c"), test.given)->text(), test.shown);
            QCOMPARE(MakeErrorBox(nullptr, test.given)->text(), ErrorBoxText(test.shown));
        }
    }

    void textsAreNeverReadAsRichText() {
        const auto box = MakeErrorBox(nullptr, QStringLiteral("'<b>12</b>' is not a valid time"));
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QCOMPARE(box->text(), QStringLiteral("'<b>12</b>' is not a valid time."));
        QCOMPARE(MakePlainMessage(nullptr, QStringLiteral("c"), QStringLiteral("<i>"))->textFormat(), Qt::PlainText);
    }

    void messagesAreDecodedByWhatTheyQuote() {
        // Log text is quoted as it stands (Windows-1252); a file path (UTF-8
        // here) is converted where the error is thrown.
        QCOMPARE(ErrorMessageText(ConversionError("'d\xE9j\xE0' is not a valid time")),
                 QStringLiteral("'d\u00e9j\u00e0' is not a valid time"));
        try {
            LoadLogLines("/nonexistent/fich\xC3\xA9.rpt");
            QFAIL("loaded a missing file");
        } catch (const Error& e) {
            QCOMPARE(ErrorMessageText(e),
                     QStringLiteral("Cannot open file \"/nonexistent/fich\u00e9.rpt\". No such file or directory"));
        }
    }
};

QTEST_MAIN(MessageBoxesTest)
#include "message_boxes_test.moc"
