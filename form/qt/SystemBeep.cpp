#include "SystemBeep.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QMetaObject>

#ifdef ORBELLE_HAVE_CANBERRA
#include <canberra.h>
#endif

namespace orbelle::formqt {

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
    void play()
    {
        // Keep successive beeps apart, or three of them sound like one.
        if (!spacing_.hasExpired())
            QThread::msleep(quint32(spacing_.remainingTime()));
        spacing_ = QDeadlineTimer(180);
        if (!playEventSound())
            emit unavailable();
    }

signals:
    void unavailable();

private:
    bool playEventSound()
    {
#ifdef ORBELLE_HAVE_CANBERRA
        if (!context_ && !failed_) {
            if (ca_context_create(&context_) != CA_SUCCESS) {
                context_ = nullptr;
                failed_ = true;
            } else {
                ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, "Orbelle", nullptr);
            }
        }
        if (!context_)
            return false;
        int rc = ca_context_play(context_, 0, CA_PROP_EVENT_ID, "bell-window-system", CA_PROP_EVENT_DESCRIPTION,
                                 "Clock beep", nullptr);
        if (rc != CA_SUCCESS)
            rc = ca_context_play(context_, 0, CA_PROP_EVENT_ID, "bell", nullptr);
        return rc == CA_SUCCESS;
#else
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
        thread_->quit();
        thread_->wait(2000);
    }
}

void SystemBeep::beep()
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
    QMetaObject::invokeMethod(worker_, "play", Qt::QueuedConnection);
}

void SystemBeep::fallBack()
{
    QApplication::beep();
}

} // namespace orbelle::formqt

#include "SystemBeep.moc"
