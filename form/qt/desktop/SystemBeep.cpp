// SPDX-License-Identifier: MIT
#include "desktop/SystemBeep.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QMetaObject>

#ifdef ORBELLE_HAVE_CANBERRA
#include <canberra.h>
#endif

namespace orbelle::formqt {

namespace {

// The sound server's socket, where the user runs one (PulseAudio, or
// PipeWire speaking its protocol).
QString soundServerSocket()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return {};
    return QFile::decodeName(runtime) + QStringLiteral("/pulse/native");
}

bool playbackDevicePresent()
{
    const QDir devices(QStringLiteral("/dev/snd"));
    return !devices.entryList({QStringLiteral("pcmC*D*p")}, QDir::System | QDir::Files).isEmpty();
}

} // namespace

bool SystemBeep::soundOutputPresent()
{
#ifdef Q_OS_LINUX
    return qEnvironmentVariableIsSet("PULSE_SERVER") || QFileInfo::exists(soundServerSocket()) ||
           playbackDevicePresent();
#else
    return true;
#endif
}

// Lives on the beep thread: opens the sound context lazily (connecting to
// the sound server may take a moment) and plays one event sound per request.
class BeepWorker : public QObject {
    Q_OBJECT
public:
    ~BeepWorker() override
    {
#ifdef ORBELLE_HAVE_CANBERRA
        if (context_)
            ca_context_destroy(context_);
#endif
    }

public slots:
    void play(int sound)
    {
        // The program is ending: beeps still queued are dropped.
        if (QThread::currentThread()->isInterruptionRequested())
            return;
        const bool alarm = sound == int(form::BeepSound::Alarm);
        if (alarm && alarmStillPlaying())
            return;
        // Keep successive beeps apart, or three of them sound like one.
        if (!spacing_.hasExpired())
            QThread::msleep(quint32(spacing_.remainingTime()));
        spacing_ = QDeadlineTimer(180);
        if (!playEventSound(alarm))
            emit unavailable();
    }

signals:
    void unavailable();

private:
#ifdef ORBELLE_HAVE_CANBERRA
    static constexpr uint32_t kAlarmId = 1;
    static constexpr uint32_t kBellId = 2;

    bool open()
    {
        if (context_ || failed_)
            return context_ != nullptr;
        failed_ = true;
        // Without a server or device the library would try every way it
        // knows, and each prints its complaints; the bell says as much.
        if (!SystemBeep::soundOutputPresent())
            return false;
        if (ca_context_create(&context_) != CA_SUCCESS) {
            context_ = nullptr;
            return false;
        }
        ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, "Orbelle", nullptr);
        if (qEnvironmentVariableIsSet("PULSE_SERVER") || QFileInfo::exists(soundServerSocket()))
            ca_context_set_driver(context_, "pulse");
        if (ca_context_open(context_) != CA_SUCCESS) {
            ca_context_destroy(context_);
            context_ = nullptr;
            return false;
        }
        failed_ = false;
        return true;
    }

    // A sound the theme lacks is no fault of the device; any other failure
    // is, and the bell takes over for good, so errors are met once.
    int playId(uint32_t id, const char *event, const char *description)
    {
        const int rc = ca_context_play(context_, id, CA_PROP_EVENT_ID, event, CA_PROP_EVENT_DESCRIPTION,
                                       description, nullptr);
        if (rc != CA_SUCCESS && rc != CA_ERROR_NOTFOUND) {
            ca_context_destroy(context_);
            context_ = nullptr;
            failed_ = true;
        }
        return rc;
    }
#endif

    bool alarmStillPlaying()
    {
#ifdef ORBELLE_HAVE_CANBERRA
        int playing = 0;
        return context_ && ca_context_playing(context_, kAlarmId, &playing) == CA_SUCCESS && playing;
#else
        return false;
#endif
    }

    bool playEventSound(bool alarm)
    {
#ifdef ORBELLE_HAVE_CANBERRA
        if (!open())
            return false;
        if (alarm) {
            const int rc = playId(kAlarmId, "alarm-clock-elapsed", "Alarm");
            if (rc == CA_SUCCESS)
                return true;
            if (rc != CA_ERROR_NOTFOUND)
                return false;
        }
        return playId(kBellId, "bell", "Clock beep") == CA_SUCCESS;
#else
        (void)alarm;
        return false;
#endif
    }

#ifdef ORBELLE_HAVE_CANBERRA
    ca_context *context_ = nullptr;
    bool failed_ = false;
#endif
    QDeadlineTimer spacing_{0};
};

SystemBeep::SystemBeep(QObject *parent) : QObject(parent) {}

SystemBeep::~SystemBeep()
{
    if (thread_) {
        thread_->requestInterruption();
        thread_->quit();
        thread_->wait(2000);
    }
}

void SystemBeep::beep(form::BeepSound sound)
{
    if (!thread_) {
        thread_ = new QThread(this);
        thread_->setObjectName(QStringLiteral("beep"));
        worker_ = new BeepWorker;
        worker_->moveToThread(thread_);
        connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
        connect(worker_, &BeepWorker::unavailable, this, &SystemBeep::fallBack, Qt::QueuedConnection);
        thread_->start(QThread::LowPriority);
    }
    QMetaObject::invokeMethod(worker_, "play", Qt::QueuedConnection, Q_ARG(int, int(sound)));
}

void SystemBeep::fallBack()
{
    QApplication::beep();
}

} // namespace orbelle::formqt

#include "SystemBeep.moc"
