// SPDX-License-Identifier: MIT
#pragma once
// One running copy of a program per user and key (the clock keys it to its
// files' folder, so two portable folders may each run a clock). The first
// copy holds a lock and listens on a local socket; a later copy finds the
// lock, asks the first to come to the front and is told to end. Owns the
// lock and the socket for the life of the first copy.
//
// On Windows the socket is a named pipe served by Qt's local server; on Unix
// it is a plain local stream socket watched through the event loop, so the
// program does not load the network library for it.

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

#ifdef _WIN32
#include <QLocalServer>
#endif

QT_BEGIN_NAMESPACE
class QSocketNotifier;
QT_END_NAMESPACE

namespace orbelle::formqt {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString &key, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this copy is the one to run. False when another copy runs;
    // it has then been asked to come to the front (when it answers within
    // `waitMs`).
    bool claim(int waitMs = 3000);

    // The name of the socket and the lock, for tests.
    const QString &serverName() const { return serverName_; }

signals:
    // Another copy was started and asks this one to come to the front.
    void activationRequested();

private:
    bool askRunningCopy(int waitMs);
    void answer();

    QString serverName_;
    std::unique_ptr<QLockFile> lock_;
#ifdef _WIN32
    QLocalServer server_;
#else
    bool listen();

    QString socketPath_;      // the file the socket is bound to
    bool userOnly_ = false;   // the socket file is opened to the user alone
    int listener_ = -1;
    QSocketNotifier *incoming_ = nullptr;
#endif
};

} // namespace orbelle::formqt
