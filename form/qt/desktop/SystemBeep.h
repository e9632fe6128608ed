// SPDX-License-Identifier: MIT
#pragma once
// The system beep as a person hears it: the desktop's event sound ("bell",
// or the alarm clock's sound for an alarm), played on a worker thread of its
// own so that the caller never waits, with the window system's bell where
// no sound can be played. Beeps asked for in quick succession are spaced so
// that each one is heard; an alarm sound still playing is not started again.
// Looks for a sound server or device before opening the sound library, so a
// machine without sound gets the bell and no library complaints on stderr.

#include <QObject>
#include <QThread>

#include "Services.h"

namespace orbelle::formqt {

class BeepWorker;

class SystemBeep : public QObject {
    Q_OBJECT
public:
    explicit SystemBeep(QObject *parent = nullptr);
    ~SystemBeep() override;

    // Returns at once; the sound follows.
    void beep(form::BeepSound sound = form::BeepSound::Bell);

    // Whether this machine has somewhere to play an event sound: a sound
    // server the user runs, or a playback device.
    static bool soundOutputPresent();

private slots:
    void fallBack();

private:
    QThread *thread_ = nullptr;
    BeepWorker *worker_ = nullptr;
};

} // namespace orbelle::formqt
