// SPDX-License-Identifier: MIT
#include "desktop/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QCoreApplication>
#include <cstdio>
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

#ifdef _WIN32

// Pipes are kept apart per user by the key's digest; the lock goes to the
// user's own runtime or temporary folder.
QString privateFolder(qsizetype)
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

#else

// A folder itself (not a link to one), owned by the user, that no one else
// may enter.
bool isUsersAlone(const QString &folder)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(folder).constData(), &status) == 0 && S_ISDIR(status.st_mode)
           && status.st_uid == ::geteuid() && (status.st_mode & 077) == 0;
}

// Where the socket and lock go: the runtime folder when it is the user's
// alone and a socket's path in it fits the address, otherwise
// "orbelle-<user id>" in the temporary folder, made here and checked (one
// that another user made first, or opened to others, is refused). Empty
// when neither will do. `nameLength` is the socket's file name's.
QString privateFolder(qsizetype nameLength)
{
    const auto fits = [nameLength](const QString &folder) {
        return QFile::encodeName(folder).size() + 1 + nameLength < kLongestSocketPath;
    };
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && fits(runtime) && isUsersAlone(runtime))
        return runtime;
    const QString own = QDir(QDir::tempPath()).filePath(QStringLiteral("orbelle-%1").arg(::geteuid()));
    if (!fits(own))
        return {};
    ::mkdir(QFile::encodeName(own).constData(), S_IRWXU);
    return isUsersAlone(own) ? own : QString();
}

#endif

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
    const QString folder = privateFolder(name.size());
    if (folder.isEmpty())
        return;
    lock_ = std::make_unique<QLockFile>(QDir(folder).filePath(name + QStringLiteral(".lock")));
    // A lock whose holder is gone is taken over at once; a live holder keeps it.
    lock_->setStaleLockTime(0);
#ifdef _WIN32
    serverName_ = name;  // a pipe name, kept apart per user by the digest
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::answer);
#else
    serverName_ = QDir(folder).filePath(name);
    socketPath_ = serverName_;
#endif
}

#ifdef _WIN32

SingleInstance::~SingleInstance()
{
    server_.close();
}

bool SingleInstance::claim(int waitMs)
{
    if (!lock_ || lock_->tryLock(0)) {
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
    if (!lock_) {
        static bool said = false;
        if (!said)
            std::fprintf(stderr, "%s: no private folder for the check that only one copy runs (the runtime folder "
                                 "is missing or open to others); running without it\n",
                         qPrintable(QCoreApplication::applicationName()));
        said = true;
        return true;
    }
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
    // that died is removed before binding. The folder is the user's alone,
    // so no one else can reach the socket.
    ::unlink(address.sun_path);
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == -1) {
        ::close(fd);
        return false;
    }
    if (::listen(fd, 8) == -1) {
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
    while (callers_ < kMostCallers) {
        const int fd = acceptCaller(listener_);
        if (fd == -1) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            // Out of descriptors or memory: the caller stays queued, and
            // trying again at once would only spin.
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                pauseListening();
            break;
        }
        serveCaller(fd);
    }
    updateListening();
}

void SingleInstance::serveCaller(int fd)
{
    auto *caller = new Caller(fd, this);
    ++callers_;
    const auto done = [this, caller] {
        if (!caller->isEnabled())
            return;
        caller->finish();
        --callers_;
        updateListening();
    };
    const auto serve = [this, caller, done] {
        if (!caller->readSome())
            return;
        if (caller->line() == kShow) {
            emit activationRequested();
            sendAll(int(caller->socket()), kShown, QDeadlineTimer(0));
        }
        done();
    };
    connect(caller, &QSocketNotifier::activated, this, serve);
    // A caller that says nothing is dropped after its time.
    QTimer::singleShot(kCallerMs, caller, done);
    // The request often arrives with the connection.
    serve();
}

// Callers beyond the few being served wait in the socket's queue.
void SingleInstance::updateListening()
{
    if (incoming_)
        incoming_->setEnabled(!paused_ && callers_ < kMostCallers);
}

void SingleInstance::pauseListening()
{
    paused_ = true;
    QTimer::singleShot(250, this, [this] {
        paused_ = false;
        updateListening();
    });
}

#endif

} // namespace orbelle::formqt
