// SPDX-License-Identifier: MIT
#include "desktop/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <QSettings>
#endif

namespace orbelle::formqt {

namespace {

#ifdef Q_OS_WIN
const QString kRunKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
#endif

} // namespace

QString Autostart::entryPath(const QString &id)
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).filePath(QStringLiteral("autostart/") + id + QStringLiteral(".desktop"));
}

bool Autostart::enable(const AutostartEntry &entry, QString *error)
{
#ifdef Q_OS_WIN
    QSettings run(kRunKey, QSettings::NativeFormat);
    run.setValue(entry.id, QLatin1Char('"') + QDir::toNativeSeparators(entry.program) + QLatin1Char('"'));
    run.sync();
    if (run.status() != QSettings::NoError) {
        *error = QStringLiteral("the Run key could not be written");
        return false;
    }
    return true;
#else
    const QString path = entryPath(entry.id);
    if (!QDir().mkpath(QFileInfo(path).path())) {
        *error = QStringLiteral("cannot make the folder ") + QFileInfo(path).path();
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(entry.desktopEntry) != entry.desktopEntry.size()
        || !file.commit()) {
        *error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return true;
#endif
}

bool Autostart::disable(const AutostartEntry &entry, QString *error)
{
#ifdef Q_OS_WIN
    QSettings run(kRunKey, QSettings::NativeFormat);
    run.remove(entry.id);
    run.sync();
    if (run.status() != QSettings::NoError) {
        *error = QStringLiteral("the Run key could not be written");
        return false;
    }
    return true;
#else
    QFile file(entryPath(entry.id));
    if (file.exists() && !file.remove()) {
        *error = file.fileName() + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return true;
#endif
}

} // namespace orbelle::formqt
