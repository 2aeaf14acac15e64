// The instance lock (flock on a file in the runtime folder) and the activation socket.
#include "platform/ui/single_instance.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include "platform/ui/application.h"

namespace ui {
namespace {

// Requests and answers are one short line each; anything longer is not ours.
constexpr qint64 kMaxLine = 1024;
const char kActivate[] = "ACTIVATE\t";
const char kFound[] = "FOUND\n";
const char kNone[] = "NONE\n";

QString SocketPath(const QString& name) {
    const QString dir = InstanceDirectory();
    return dir.isEmpty() ? QString() : dir + QLatin1Char('/') + name + QStringLiteral(".socket");
}

// A folder only this user may enter; an existing one must be ours and private.
bool PrivateDirectory(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0) {
        return false;
    }
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

}  // namespace

QString InstanceDirectory() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
        return runtime;
    }
    const QString fallback =
        QDir::tempPath() + QStringLiteral("/quillet-") + QString::number(::getuid());
    return PrivateDirectory(fallback) ? fallback : QString();
}

QString InstanceNameFor(const QString& executablePath) {
    QString name = QFileInfo(executablePath).fileName();
    for (QChar& c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20) {
            c = QLatin1Char('_');
        }
    }
    if (name.isEmpty() || name.startsWith(QLatin1Char('.'))) {
        name.prepend(QStringLiteral("quillet"));
    }
    return name;
}

// --- InstanceLock ----------------------------------------------------------------------------

InstanceLock::InstanceLock(QString name) : name_(std::move(name)) {}

InstanceLock::~InstanceLock() {
    Release();
}

QString InstanceLock::Path() const {
    const QString dir = InstanceDirectory();
    return dir.isEmpty() ? QString() : dir + QLatin1Char('/') + name_ + QStringLiteral(".lock");
}

InstanceLock::Status InstanceLock::Acquire() {
    if (Held()) {
        return Status::Acquired;
    }
    const QString path = Path();
    if (path.isEmpty()) {
        return Status::Failed;
    }
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return Status::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? Status::HeldElsewhere : Status::Failed;
    }
    // The file stays: removing it would let a third process lock a new file of the same
    // name while the second still waits on the old one.
    fd_ = fd;
    return Status::Acquired;
}

void InstanceLock::Release() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
}

// --- InstanceServer --------------------------------------------------------------------------

InstanceServer::InstanceServer(QObject* parent) : QObject(parent) {}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::Listen(const QString& name) {
    const QString path = SocketPath(name);
    if (path.isEmpty()) {
        return false;
    }
    if (server_ == nullptr) {
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        connect(server_, &QLocalServer::newConnection, this, &InstanceServer::Serve);
    }
    server_->close();
    QLocalServer::removeServer(path);
    return server_->listen(path);
}

void InstanceServer::Serve() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxLine) {
                    socket->abort();
                }
                return;
            }
            const QByteArray line = socket->readLine(kMaxLine).chopped(1);
            QWidget* found = nullptr;
            if (line.startsWith(kActivate)) {
                const QString title = QString::fromUtf8(line.mid(qstrlen(kActivate)));
                if (!title.isEmpty() && title == mainFormTitle_) {
                    found = MainForm();
                }
                const QWidgetList windows = QApplication::topLevelWidgets();
                for (QWidget* window : windows) {
                    if (found != nullptr) {
                        break;
                    }
                    if (!title.isEmpty() && window->windowTitle() == title) {
                        found = window;
                        break;
                    }
                }
            }
            if (found != nullptr) {
                BringFormToFront(found);
            }
            socket->write(found != nullptr ? kFound : kNone);
            socket->flush();
            socket->disconnectFromServer();
            if (found != nullptr) {
                Q_EMIT windowActivated(found);
            }
        });
    }
}

ActivationResult ActivateRunningInstance(const QString& name, const QString& title, int timeoutMs) {
    const QString path = SocketPath(name);
    if (path.isEmpty()) {
        return ActivationResult::NoServer;
    }
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(timeoutMs)) {
        return ActivationResult::NoServer;
    }
    QByteArray request(kActivate);
    request += title.toUtf8().replace('\n', ' ') + '\n';
    socket.write(request);
    if (!socket.waitForBytesWritten(timeoutMs)) {
        return ActivationResult::NoServer;
    }
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs) || socket.bytesAvailable() > kMaxLine) {
            return ActivationResult::NoServer;
        }
    }
    return socket.readLine(kMaxLine) == kFound ? ActivationResult::Activated
                                               : ActivationResult::NotFound;
}

}  // namespace ui
