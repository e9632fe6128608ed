// SPDX-License-Identifier: MIT
#include "desktop/FilesPlace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "FilesFolder.h"

namespace orbelle::formqt {

namespace {

constexpr const char *kFolderName = "orbelle";
constexpr const char *kDesignFileName = "tokei-set.ini";

struct Decision {
    std::filesystem::path folder;
    bool userFolder = false;
};

const Decision &decision()
{
    static const Decision d = [] {
        const std::filesystem::path own = FilesPlace::toPath(QCoreApplication::applicationDirPath());
        const std::filesystem::path user = FilesPlace::userFolder();
        Decision result;
        result.folder = chooseFilesFolder(own, user, defaultSystemFolders());
        result.userFolder = result.folder != own;
        if (result.userFolder)
            QDir().mkpath(FilesPlace::fromPath(result.folder));
        return result;
    }();
    return d;
}

// Copies one file under a temporary name and renames it into place, so a
// program reading the folder never sees half a file.
bool copyInto(const QString &source, const QString &target)
{
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(source, partial))
        return false;
    QFile::setPermissions(partial, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (!QFile::rename(partial, target)) {
        QFile::remove(partial);
        return false;
    }
    return true;
}

} // namespace

std::filesystem::path FilesPlace::folder()
{
    return decision().folder;
}

bool FilesPlace::usesUserFolder()
{
    return decision().userFolder;
}

std::filesystem::path FilesPlace::userFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return toPath(QDir(base).filePath(QLatin1String(kFolderName)));
}

QString FilesPlace::sampleFaceFolder()
{
    // Beside the program first (share/orbelle/sample under the prefix it was
    // installed to, wherever that is), then the desktop's data folders.
    const QString relative = QStringLiteral("orbelle/sample");
    const QString nearby = QDir(QCoreApplication::applicationDirPath())
                               .filePath(QStringLiteral("../share/") + relative);
    if (QFileInfo::exists(nearby + QLatin1Char('/') + QLatin1String(kDesignFileName)))
        return QDir::cleanPath(nearby);
    const QString found = QStandardPaths::locate(QStandardPaths::GenericDataLocation, relative,
                                                 QStandardPaths::LocateDirectory);
    if (!found.isEmpty() && QFileInfo::exists(found + QLatin1Char('/') + QLatin1String(kDesignFileName)))
        return found;
    return {};
}

bool FilesPlace::seedSampleFace(const std::filesystem::path &folder, const QString &sampleFolder)
{
    const QDir target(fromPath(folder));
    if (sampleFolder.isEmpty() || target.exists(QLatin1String(kDesignFileName)))
        return false;
    if (!target.exists() && !QDir().mkpath(target.path()))
        return false;
    // The picture first: the design names it, so it must be there when the
    // design appears.
    const QDir sample(sampleFolder);
    for (const QString &name : sample.entryList(QDir::Files, QDir::Name)) {
        if (name == QLatin1String(kDesignFileName) || target.exists(name))
            continue;
        if (!copyInto(sample.filePath(name), target.filePath(name)))
            return false;
    }
    return copyInto(sample.filePath(QLatin1String(kDesignFileName)), target.filePath(QLatin1String(kDesignFileName)));
}

std::filesystem::path FilesPlace::toPath(const QString &path)
{
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QString FilesPlace::fromPath(const std::filesystem::path &path)
{
#ifdef _WIN32
    return QString::fromStdWString(path.wstring());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
#endif
}

} // namespace orbelle::formqt
