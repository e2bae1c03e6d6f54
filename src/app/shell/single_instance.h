// One running instance per user and executable name.
//
// The first instance holds a lock file and listens on a local socket, both
// named after "PREVINST:" + the default title. A later start of the same
// executable finds the lock taken, tells the first instance to come to the
// front (handing over the file it was started with, if any) and ends; a copy
// under another file name has another title and runs on its own.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;
class QWidget;

namespace lognex {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // Decides at once whether this is the first instance; the first one
    // starts listening for later starts right away. Needs the application
    // object. runtimeFolder is where the lock and socket live; empty means
    // $XDG_RUNTIME_DIR, or the temporary folder when that is not set.
    explicit SingleInstance(const QString& defaultTitle, QObject* parent = nullptr,
                            const QString& runtimeFolder = QString());
    ~SingleInstance() override;

    bool IsFirst() const { return first_; }

    // For a later instance: asks the first one to come to the front and, when
    // file is not empty, to open it (a relative path is taken from this
    // process's current folder); waits (at most a few seconds) until it has
    // read the request. Shows nothing and never fails visibly; the caller
    // ends the process afterwards.
    void HandOverToFirst(const QString& file = QString());

    // "PREVINST:" + defaultTitle, cut to 512 characters.
    static QString InstanceName(const QString& defaultTitle);

signals:
    // Another start asked the first instance to come to the front.
    void RaiseRequested();
    // A later start was given file (an absolute path) to open; follows
    // RaiseRequested.
    void OpenRequested(const QString& file);

private:
    void AcceptConnections();

    bool first_ = false;
    QString socketPath_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

// Brings the program's window to the front for a later start: the open modal
// window when there is one (it is what the user must answer), otherwise
// window itself, restored when minimised. A window not shown yet (still
// loading) is left alone.
void RaiseProgramWindow(QWidget* window);

}  // namespace lognex
