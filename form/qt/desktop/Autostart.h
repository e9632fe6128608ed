// SPDX-License-Identifier: MIT
#pragma once
// Starting a program when the user logs in: an entry in the desktop's
// autostart folder ($XDG_CONFIG_HOME/autostart) on free desktops, the
// user's Run key on Windows. Owns that entry.

#include <QByteArray>
#include <QString>

namespace orbelle::formqt {

struct AutostartEntry {
    QString id;                // the entry's file name without ".desktop"
    QString program;           // the program file to start
    QByteArray desktopEntry;   // the entry's whole text (free desktops)
};

class Autostart {
public:
    // The file the entry is kept in (free desktops).
    static QString entryPath(const QString &id);
    // Writes or removes the entry. On failure `error` says why.
    static bool enable(const AutostartEntry &entry, QString *error);
    static bool disable(const AutostartEntry &entry, QString *error);
};

} // namespace orbelle::formqt
