// A stand-in for the program in the single-instance tests: it takes its title
// from its own file name like the program does, reports on stdout which kind
// of start it is, and as a first instance reports each raise request and
// each file a later start hands over (its first argument).
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>

#include "app/shell/program_folder.h"
#include "app/shell/single_instance.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString title = lognex::DefaultApplicationTitle(lognex::ExecutablePath());
    lognex::SingleInstance instance(title);
    if (!instance.IsFirst()) {
        std::printf("SECOND %s\n", qPrintable(title));
        std::fflush(stdout);
        instance.HandOverToFirst(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
        return 3;
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral("Lognex"));
    window.showMinimized();
    QObject::connect(&instance, &lognex::SingleInstance::RaiseRequested, &window, [&window] {
        lognex::RaiseProgramWindow(&window);
        std::printf("RAISED minimized=%d visible=%d\n", window.isMinimized() ? 1 : 0, window.isVisible() ? 1 : 0);
        std::fflush(stdout);
    });
    QObject::connect(&instance, &lognex::SingleInstance::OpenRequested, &window, [](const QString& file) {
        std::printf("OPEN %s\n", qPrintable(file));
        std::fflush(stdout);
    });
    std::printf("FIRST %s\n", qPrintable(title));
    std::fflush(stdout);
    // Never outlive a test that forgot us.
    QTimer::singleShot(60000, &app, [&app] { app.exit(4); });
    return app.exec();
}
