// SPDX-License-Identifier: MIT
#pragma once
// One running copy of a program per user and key (the clock keys it to its
// files' folder, so two portable folders may each run a clock). The first
// copy holds a lock and listens on a local socket; a later copy finds the
// lock, asks the first to come to the front and is told to end. Owns the
// lock and the socket for the life of the first copy.
//
// Both live only in a folder of the user's alone (owned by the user, mode
// 0700): the runtime folder, or one this class makes in the temporary
// folder and checks. Where neither can be had, the check is left out and
// every copy runs (said once on standard error): another user must never
// be able to keep the program from starting or to answer in its place.
// The first copy serves a few callers at a time, each for at most a second
// or its one message, so idle connections cannot wear it out.
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

    // True when this copy is the one to run (also where no private folder
    // allows the check). False when another copy runs; it has then been
    // asked to come to the front (when it answers within `waitMs`).
    bool claim(int waitMs = 3000);

    // Callers served at once, and how long one may take (milliseconds).
    static constexpr int kMostCallers = 4;
    static constexpr int kCallerMs = 1000;

    // The name of the socket and the lock, for tests.
    const QString &serverName() const { return serverName_; }

signals:
    // Another copy was started and asks this one to come to the front.
    void activationRequested();

private:
    bool askRunningCopy(int waitMs);
    void answer();

    QString serverName_;
    std::unique_ptr<QLockFile> lock_;  // none where no private folder was found
#ifdef _WIN32
    QLocalServer server_;
#else
    bool listen();
    void serveCaller(int fd);
    void updateListening();
    void pauseListening();

    QString socketPath_;      // the file the socket is bound to
    int listener_ = -1;
    QSocketNotifier *incoming_ = nullptr;
    int callers_ = 0;         // connections being served
    bool paused_ = false;     // accepting failed a moment ago
#endif
};

} // namespace orbelle::formqt
