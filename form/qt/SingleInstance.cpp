#include "SingleInstance.h"

#include <QCryptographicHash>
#include <algorithm>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

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
#else
    // A socket's path is limited to about a hundred bytes; where the
    // private folder's path is too long, the socket goes to the temporary
    // folder under the bare name, open to the user alone.
    const QString full = QDir(folder).filePath(name);
    if (QFile::encodeName(full).size() < kLongestSocketPath) {
        serverName_ = full;
    } else {
        serverName_ = name;
        server_.setSocketOptions(QLocalServer::UserAccessOption);
    }
#endif
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::answer);
}

SingleInstance::~SingleInstance()
{
    server_.close();
}

bool SingleInstance::claim(int waitMs)
{
    if (lock_->tryLock(0)) {
        // The lock makes this copy the only one; a socket file left by a
        // copy that died is removed before listening.
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
        if (socket.waitForConnected(int(std::max<qint64>(1, deadline.remainingTime())))) {
            socket.write(kShow);
            socket.waitForBytesWritten(int(std::max<qint64>(1, deadline.remainingTime())));
            while (socket.bytesAvailable() < kShown.size()
                   && socket.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime()))))
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

} // namespace orbelle::formqt
