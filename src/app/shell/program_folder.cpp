#include "app/shell/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "support/process_info.h"
#include "support/program_version.h"

namespace lognex {

QString ExecutablePath() {
    if (QCoreApplication::instance() != nullptr) return QCoreApplication::applicationFilePath();
    // Before the application object exists only the system knows.
    return QFileInfo(QString::fromLocal8Bit(lognex::RunningExecutablePath())).canonicalFilePath();
}

QString ProgramFolder() {
    const QString path = ExecutablePath();
    if (path.isEmpty()) return QDir::currentPath();
    return QFileInfo(path).absolutePath();
}

QString DefaultApplicationTitle(const QString& executablePath) {
    QString name = QFileInfo(executablePath).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) name.truncate(dot);
    if (name.isEmpty()) return name;
    return name.left(1).toUpper() + name.mid(1).toLower();
}

QString ProgramVersion() {
    const std::string_view version = ProgramVersionText();
    return QString::fromLatin1(version.data(), static_cast<qsizetype>(version.size()));
}

}  // namespace lognex
