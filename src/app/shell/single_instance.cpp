#include "app/shell/single_instance.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <QWidget>

#include "support/process_info.h"

namespace lognex {
namespace {

constexpr qsizetype kMaxNameLength = 512;
const QByteArray kRaiseMessage = QByteArrayLiteral("raise\n");
// "open " and the file's name in the file system's bytes, base64, so any
// byte of a name (a line feed too) travels on one line.
const QByteArray kOpenPrefix = QByteArrayLiteral("open ");
const QByteArray kAcknowledge = QByteArrayLiteral("ok\n");

QString RuntimeFolder(const QString& requested) {
    if (!requested.isEmpty()) return requested;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) return runtime;
    return QDir::tempPath();
}

// A file name for the instance name: the name itself may hold any character
// and be too long for a socket path, so it is hashed; the user id keeps users
// of a shared temporary folder apart.
QString BaseName(const QString& instanceName) {
    const QByteArray hash = QCryptographicHash::hash(instanceName.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("lognex-%1-%2")
        .arg(QString::fromStdString(UserKey()))
        .arg(QString::fromLatin1(hash.left(24)));
}

}  // namespace

QString SingleInstance::InstanceName(const QString& defaultTitle) {
    return (QStringLiteral("PREVINST:") + defaultTitle).left(kMaxNameLength);
}

SingleInstance::SingleInstance(const QString& defaultTitle, QObject* parent, const QString& runtimeFolder)
    : QObject(parent) {
    const QString base = QDir(RuntimeFolder(runtimeFolder)).filePath(BaseName(InstanceName(defaultTitle)));
    socketPath_ = base + QStringLiteral(".sock");
    lock_ = std::make_unique<QLockFile>(base + QStringLiteral(".lock"));
    // A lock left by a crashed instance is taken over (its process is gone);
    // a live one never goes stale by age.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        first_ = true;
    } else {
        // Only a lock held by a live instance makes this one a later start.
        // When no lock can be made at all, running twice beats not running.
        first_ = lock_->error() != QLockFile::LockFailedError;
        if (!first_) return;
    }

    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Holding the lock means any socket file left behind is dead.
    QLocalServer::removeServer(socketPath_);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::AcceptConnections);
    server_->listen(socketPath_);
}

SingleInstance::~SingleInstance() {
    if (server_ != nullptr) server_->close();
}

void SingleInstance::AcceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) return;
            const QByteArray message = socket->readLine();
            const bool open = message.startsWith(kOpenPrefix) && message.endsWith('\n');
            if (message == kRaiseMessage || open) {
                socket->write(kAcknowledge);
                socket->flush();
                emit RaiseRequested();
            }
            if (open) {
                const QByteArray name = QByteArray::fromBase64(message.mid(kOpenPrefix.size()).chopped(1));
                if (!name.isEmpty()) emit OpenRequested(QFile::decodeName(name));
            }
            socket->disconnectFromServer();
        });
    }
}

void SingleInstance::HandOverToFirst(const QString& file) {
    if (first_) return;
    // The first instance takes its lock a moment before it listens; a start
    // in between retries briefly instead of giving up unseen.
    QElapsedTimer clock;
    clock.start();
    QLocalSocket socket;
    while (true) {
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(500)) break;
        if (clock.elapsed() > 3000) return;
        QThread::msleep(50);
    }
    if (file.isEmpty())
        socket.write(kRaiseMessage);
    else
        socket.write(kOpenPrefix + QFile::encodeName(QFileInfo(file).absoluteFilePath()).toBase64() + '\n');
    if (!socket.waitForBytesWritten(2000)) return;
    // The first instance answers once it has taken the request in; it may be
    // busy loading, so the wait is bounded.
    while (!socket.canReadLine() && socket.waitForReadyRead(5000)) {
    }
    socket.disconnectFromServer();
}

void RaiseProgramWindow(QWidget* window) {
    QWidget* target = QApplication::activeModalWidget();
    if (target == nullptr || !target->isVisible()) target = window;
    if (target == nullptr || !target->isVisible()) return;
    if (target->isMinimized()) target->setWindowState(target->windowState() & ~Qt::WindowMinimized);
    target->show();
    target->raise();
    target->activateWindow();
}

}  // namespace lognex
