// SPDX-License-Identifier: MIT
#include "desktop/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>

#ifdef _WIN32
#include <QLocalSocket>
#else
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace orbelle::formqt {

namespace {

const QByteArray kShow = "show\n";
// sockaddr_un holds 108 bytes on Linux; less elsewhere.
constexpr int kLongestSocketPath = 100;
const QByteArray kShown = "shown\n";

QString userName()
{
    for (const char *name : {"USER", "USERNAME", "LOGNAME"})
        if (const QString value = qEnvironmentVariable(name); !value.isEmpty())
            return value;
    return QStringLiteral("user");
}

// Where the socket and lock go: the user's runtime folder (private to the
// user) where the desktop has one, otherwise the temporary folder with the
// user's name in the key.
QString privateFolder()
{
#ifdef Q_OS_LINUX
    // Asked without one, Qt makes a folder of its own and warns about it.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return QDir::tempPath();
#endif
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

int remainingMs(const QDeadlineTimer &deadline)
{
    return int(std::max<qint64>(1, deadline.remainingTime()));
}

#ifndef _WIN32

// Opened sockets are not handed to programs the clock starts, and no call on
// them blocks the event loop.
[[maybe_unused]] bool makeQuiet(int fd)
{
    const int fdFlags = ::fcntl(fd, F_GETFD);
    const int flags = ::fcntl(fd, F_GETFL);
    return fdFlags != -1 && flags != -1 && ::fcntl(fd, F_SETFD, fdFlags | FD_CLOEXEC) != -1
           && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != -1;
}

int openStreamSocket()
{
#if defined(SOCK_CLOEXEC) && defined(SOCK_NONBLOCK)
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
#else
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd != -1 && !makeQuiet(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
#endif
}

int acceptCaller(int listener)
{
#ifdef Q_OS_LINUX
    return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
#else
    const int fd = ::accept(listener, nullptr, nullptr);
    if (fd != -1 && !makeQuiet(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
#endif
}

// False when the path does not fit the address.
bool socketAddress(const QString &path, sockaddr_un &address)
{
    const QByteArray encoded = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (encoded.isEmpty() || size_t(encoded.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
    return true;
}

// Writes all of `bytes` or fails; a caller that has gone raises no signal.
bool sendAll(int fd, QByteArray bytes, const QDeadlineTimer &deadline)
{
#ifdef MSG_NOSIGNAL
    constexpr int kFlags = MSG_NOSIGNAL;
#else
    constexpr int kFlags = 0;
#endif
    while (!bytes.isEmpty()) {
        const ssize_t sent = ::send(fd, bytes.constData(), size_t(bytes.size()), kFlags);
        if (sent > 0) {
            bytes.remove(0, qsizetype(sent));
            continue;
        }
        if (sent == -1 && errno == EINTR)
            continue;
        if (sent == -1 && (errno == EAGAIN || errno == EWOULDBLOCK) && !deadline.hasExpired()) {
            pollfd wait{fd, POLLOUT, 0};
            ::poll(&wait, 1, remainingMs(deadline));
            continue;
        }
        return false;
    }
    return true;
}

// One copy started later, connected to this one: its request is read as it
// arrives, answered and the connection closed.
class Caller final : public QSocketNotifier {
public:
    Caller(int fd, QObject *parent) : QSocketNotifier(fd, QSocketNotifier::Read, parent) {}
    ~Caller() override
    {
        setEnabled(false);
        ::close(int(socket()));
    }

    // Reads what has arrived; true when the request is complete or the
    // caller has gone (or sent more than any request holds).
    bool readSome()
    {
        char chunk[64];
        for (;;) {
            const ssize_t got = ::read(int(socket()), chunk, sizeof chunk);
            if (got > 0) {
                received_.append(chunk, qsizetype(got));
                if (received_.contains('\n') || received_.size() > 256)
                    return true;
                continue;
            }
            if (got == -1 && errno == EINTR)
                continue;
            return !(got == -1 && (errno == EAGAIN || errno == EWOULDBLOCK));
        }
    }

    QByteArray line() const { return received_.left(received_.indexOf('\n') + 1); }

    void finish()
    {
        setEnabled(false);
        deleteLater();
    }

private:
    QByteArray received_;
};

#endif

} // namespace

SingleInstance::SingleInstance(const QString &key, QObject *parent) : QObject(parent)
{
    const QByteArray digest =
        QCryptographicHash::hash((userName() + QLatin1Char('\n') + key).toUtf8(), QCryptographicHash::Sha256);
    const QString name = QStringLiteral("orbelle-") + QString::fromLatin1(digest.toHex().left(20));
    const QString folder = privateFolder();
    lock_ = std::make_unique<QLockFile>(QDir(folder).filePath(name + QStringLiteral(".lock")));
    // A lock whose holder is gone is taken over at once; a live holder keeps it.
    lock_->setStaleLockTime(0);
#ifdef _WIN32
    serverName_ = name;  // a pipe name, kept apart per user by the digest
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::answer);
#else
    // A socket's path is limited to about a hundred bytes; where the
    // private folder's path is too long, the socket goes to the temporary
    // folder under the bare name, open to the user alone.
    const QString full = QDir(folder).filePath(name);
    if (QFile::encodeName(full).size() < kLongestSocketPath) {
        serverName_ = full;
        socketPath_ = full;
    } else {
        serverName_ = name;
        socketPath_ = QDir(QDir::tempPath()).filePath(name);
        userOnly_ = true;
    }
#endif
}

#ifdef _WIN32

SingleInstance::~SingleInstance()
{
    server_.close();
}

bool SingleInstance::claim(int waitMs)
{
    if (lock_->tryLock(0)) {
        // The lock makes this copy the only one; a socket left by a copy
        // that died is removed before listening.
        QLocalServer::removeServer(serverName_);
        server_.listen(serverName_);
        return true;
    }
    askRunningCopy(waitMs);
    return false;
}

bool SingleInstance::askRunningCopy(int waitMs)
{
    // The running copy may hold the lock a moment before it listens.
    const QDeadlineTimer deadline(waitMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(serverName_);
        if (socket.waitForConnected(remainingMs(deadline))) {
            socket.write(kShow);
            socket.waitForBytesWritten(remainingMs(deadline));
            while (socket.bytesAvailable() < kShown.size() && socket.waitForReadyRead(remainingMs(deadline)))
                ;
            return socket.readAll().startsWith(kShown);
        }
        QThread::msleep(50);
    }
    return false;
}

void SingleInstance::answer()
{
    while (QLocalSocket *socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            const QByteArray line = socket->readLine();
            if (line == kShow) {
                emit activationRequested();
                socket->write(kShown);
                socket->flush();
            }
            socket->disconnectFromServer();
        });
    }
}

#else

SingleInstance::~SingleInstance()
{
    // The callers still connected are children and close with this object.
    if (listener_ != -1) {
        delete incoming_;
        ::close(listener_);
        // Removed while the lock is still held, so no new copy has bound it.
        ::unlink(QFile::encodeName(socketPath_).constData());
    }
}

bool SingleInstance::claim(int waitMs)
{
    if (lock_->tryLock(0)) {
        listen();
        return true;
    }
    askRunningCopy(waitMs);
    return false;
}

bool SingleInstance::listen()
{
    sockaddr_un address;
    if (!socketAddress(socketPath_, address))
        return false;
    const int fd = openStreamSocket();
    if (fd == -1)
        return false;
    // The lock makes this copy the only one; a socket file left by a copy
    // that died is removed before binding. Nobody can connect before
    // listen(), so narrowing the file's rights after binding leaves no gap.
    ::unlink(address.sun_path);
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == -1) {
        ::close(fd);
        return false;
    }
    if ((userOnly_ && ::chmod(address.sun_path, S_IRUSR | S_IWUSR) == -1) || ::listen(fd, 8) == -1) {
        ::close(fd);
        ::unlink(address.sun_path);
        return false;
    }
    listener_ = fd;
    incoming_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(incoming_, &QSocketNotifier::activated, this, &SingleInstance::answer);
    return true;
}

bool SingleInstance::askRunningCopy(int waitMs)
{
    sockaddr_un address;
    if (!socketAddress(socketPath_, address))
        return false;
    // The running copy may hold the lock a moment before it listens.
    const QDeadlineTimer deadline(waitMs);
    while (!deadline.hasExpired()) {
        const int fd = openStreamSocket();
        if (fd == -1)
            return false;
        int connected;
        do {
            connected = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
        } while (connected == -1 && errno == EINTR);
        if (connected == 0) {
            QByteArray reply;
            if (sendAll(fd, kShow, deadline)) {
                while (reply.size() < kShown.size() && !deadline.hasExpired()) {
                    pollfd wait{fd, POLLIN, 0};
                    if (::poll(&wait, 1, remainingMs(deadline)) <= 0)
                        continue;  // interrupted or the time is up; the loop decides
                    char chunk[16];
                    const ssize_t got = ::read(fd, chunk, sizeof chunk);
                    if (got > 0)
                        reply.append(chunk, qsizetype(got));
                    else if (got == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK))
                        break;
                }
            }
            ::close(fd);
            return reply.startsWith(kShown);
        }
        // Not listening yet, or its queue is full: try again shortly.
        ::close(fd);
        QThread::msleep(50);
    }
    return false;
}

void SingleInstance::answer()
{
    for (;;) {
        const int fd = acceptCaller(listener_);
        if (fd == -1) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;  // none waiting (or none to be had now)
        }
        auto *caller = new Caller(fd, this);
        const auto serve = [this, caller] {
            if (!caller->readSome())
                return;
            if (caller->line() == kShow) {
                emit activationRequested();
                sendAll(int(caller->socket()), kShown, QDeadlineTimer(0));
            }
            caller->finish();
        };
        connect(caller, &QSocketNotifier::activated, this, serve);
        // The request often arrives with the connection.
        serve();
    }
}

#endif

} // namespace orbelle::formqt
