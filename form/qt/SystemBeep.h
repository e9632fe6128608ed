#pragma once
// The system beep as a person hears it: the desktop's event sound, played on
// a worker thread of its own so that the caller never waits, with the
// window system's bell where no sound can be played. Beeps asked for in
// quick succession are spaced so that each one is heard.

#include <QObject>
#include <QThread>

namespace orbelle::formqt {

class BeepWorker;

class SystemBeep : public QObject {
    Q_OBJECT
public:
    explicit SystemBeep(QObject *parent = nullptr);
    ~SystemBeep() override;

    // Returns at once; the sound follows.
    void beep();

private slots:
    void fallBack();

private:
    QThread *thread_ = nullptr;
    BeepWorker *worker_ = nullptr;
};

} // namespace orbelle::formqt
