#pragma once
// One running copy of a program per user and key (the clock keys it to its
// files' folder, so two portable folders may each run a clock). The first
// copy holds a lock and listens on a local socket; a later copy finds the
// lock, asks the first to come to the front and is told to end. Owns the
// lock and the socket for the life of the first copy.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

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
    QLocalServer server_;
};

} // namespace orbelle::formqt
