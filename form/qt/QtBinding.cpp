// SPDX-License-Identifier: MIT
#include "QtBinding.h"

#include <cstdio>

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QStyleHints>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QFileSystemWatcher>
#include <QIcon>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTranslator>
#include <QWindow>

#include "AtomicFile.h"
#ifdef ORBELLE_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#endif

#include "Conversions.h"
#include "canvas/DisplayConnection.h"
#include "desktop/FilesPlace.h"
#include "NotificationText.h"
#include "FormWindow.h"
#include "desktop/NotifyIcons.h"
#include "canvas/PictureScaling.h"
#include "canvas/QtPicture.h"
#include "desktop/SystemBeep.h"
#include "TextEncoding.h"
#include "Units.h"

namespace orbelle::formqt {

namespace {

// Any program's icon until it sets its own: a plain grey disc.
QIcon neutralIcon()
{
    QIcon result;
    for (int side : {16, 32, 64}) {
        QPixmap pm(side, side);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(90, 90, 90), side / 16.0));
        p.setBrush(QColor(200, 200, 200));
        const double r = side / 2.0 - side / 16.0;
        p.drawEllipse(QPointF(side / 2.0, side / 2.0), r, r);
        result.addPixmap(pm);
    }
    return result;
}

} // namespace

QtBinding::QtBinding(QObject *parent)
    : QObject(parent), icon_(std::make_unique<QIcon>(neutralIcon())),
      icons_(new NotifyIcons([this](form::Form &form, const form::NotifyIcon &icon,
                                    int message) { deliverIconMessage(form, icon, message); },
                             this)),
      beep_(new SystemBeep(this)), abilities_(WindowAbilities::ofPlatform())
{
    widenDisplaySendBuffer();
}

QtBinding::~QtBinding()
{
    icons_->removeAll();
}

void QtBinding::addForm(form::Form &form)
{
    windows_.push_back(std::make_unique<FormWindow>(form, *this));
    windows_.back()->setWindowIcon(*icon_);
}

void QtBinding::load(form::Form &form)
{
    if (form.Load)
        dispatch([&form] { form.Load(); });
    else
        syncAll();
}

void QtBinding::dispatch(const std::function<void()> &handler)
{
    if (ended_)
        return;
    ++dispatchDepth_;
    try {
        handler();
    } catch (const std::exception &error) {
        // A handler that meets something it cannot handle (an element a
        // damaged file named but never made) ends there; what it changed
        // stays, and the program goes on. The programs log nothing of it,
        // unless asked to for finding faults (ORBELLE_DEBUG=1).
        if (qEnvironmentVariableIntValue("ORBELLE_DEBUG") == 1)
            std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), error.what());
    }
    --dispatchDepth_;
    if (!ended_)
        syncAll();
}

void QtBinding::syncAll()
{
    for (auto &w : windows_)
        w->sync();
}

void QtBinding::releaseWindows()
{
    ended_ = true;
    windows_.clear();
}

FormWindow *QtBinding::windowOf(const form::Form &form) const
{
    for (auto &w : windows_)
        if (&w->form() == &form)
            return w.get();
    return nullptr;
}

void QtBinding::setIcon(const QIcon &icon)
{
    *icon_ = icon;
    for (auto &w : windows_)
        w->setWindowIcon(icon);
    icons_->setLook(icon);
}

QIcon QtBinding::icon() const
{
    return *icon_;
}

void QtBinding::useJapaneseQtTexts()
{
    static QTranslator translator;
    if (translator.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);
}

form::LocalTime QtBinding::now()
{
    return clock_.now();
}

void QtBinding::beep(form::BeepSound sound)
{
    beep_->beep(sound);
}

namespace {

QString toQPath(const std::filesystem::path &path)
{
#ifdef _WIN32
    return QString::fromStdWString(path.wstring());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
#endif
}

} // namespace

void QtBinding::showNotification(form::Form &form, const std::string &title, const std::string &text)
{
    const QString qtitle = QString::fromStdString(title);
    // Servers may render the body as markup: the user's text is shown as
    // typed (escaped), and shortened.
    const QString qtext = QString::fromStdString(notificationBody(text));
#ifdef ORBELLE_HAVE_DBUS
    // The desktop's notification service shows it on every workspace and
    // keeps it until the user has seen it; where there is none, the icon's
    // own message balloon is the way left.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
        QVariantMap hints;
        hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(2))); // critical: stays until seen
        hints.insert(QStringLiteral("category"), QStringLiteral("x-orbelle.alarm"));
        call << QCoreApplication::applicationName() << uint(0) << QStringLiteral("alarm-symbolic") << qtitle
             << qtext << QStringList() << hints << int(0);
        auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this, watcher, &form, qtitle, qtext] {
                    if (watcher->isError() && !ended_)
                        showTrayMessage(form, qtitle, qtext);
                    watcher->deleteLater();
                });
        return;
    }
#endif
    showTrayMessage(form, qtitle, qtext);
}

void QtBinding::showTrayMessage(form::Form &form, const QString &title, const QString &text)
{
    icons_->showMessage(form, title, text);
}

void QtBinding::watchFile(const std::filesystem::path &file, std::function<void()> changed)
{
    folderChanged_ = std::move(changed);
    watchedFile_ = toQPath(file);
    if (!watcher_) {
        watcher_ = new QFileSystemWatcher(this);
        watchSettle_ = new QTimer(this);
        watchSettle_->setSingleShot(true);
        // A save makes a temporary file, writes it and renames it: the one
        // call comes when the folder has been quiet for a moment.
        watchSettle_->setInterval(150);
        connect(watcher_, &QFileSystemWatcher::directoryChanged, watchSettle_, qOverload<>(&QTimer::start));
        connect(watcher_, &QFileSystemWatcher::fileChanged, watchSettle_, qOverload<>(&QTimer::start));
        connect(watchSettle_, &QTimer::timeout, this, [this] {
            rewatch();
            // A copy: the handler may watch something else in its place.
            if (const std::function<void()> changed = folderChanged_)
                dispatch(changed);
        });
    }
    rewatch();
}

void QtBinding::watchAlso(const std::filesystem::path &file)
{
    alsoWatched_ = file.empty() ? QString() : toQPath(file);
    if (watcher_)
        rewatch();
}

namespace {

// The folder to watch for `file`: its own, or while that is gone the
// nearest one above it that exists, whose change shows the folder's return.
QString folderToWatch(const QFileInfo &file)
{
    QDir folder(file.absolutePath());
    while (!folder.exists() && !folder.isRoot())
        folder.setPath(QFileInfo(folder.absolutePath()).absolutePath());
    return folder.absolutePath();
}

} // namespace

void QtBinding::rewatch()
{
    // A file replaced by a rename is a new file: its watch went with the
    // old one, so it is watched afresh. The folder sees renames and new
    // files; the file sees writes in place.
    QStringList folders, files;
    for (const QString &path : {watchedFile_, alsoWatched_}) {
        if (path.isEmpty())
            continue;
        const QFileInfo file(path);
        folders << folderToWatch(file);
        if (file.exists())
            files << file.absoluteFilePath();
    }
    folders.removeDuplicates();
    if (!watcher_->files().isEmpty())
        watcher_->removePaths(watcher_->files());
    for (const QString &folder : watcher_->directories())
        if (!folders.contains(folder))
            watcher_->removePath(folder);
    for (const QString &folder : folders)
        if (!watcher_->directories().contains(folder))
            watcher_->addPath(folder);
    if (!files.isEmpty())
        watcher_->addPaths(files);
}

std::shared_ptr<const form::Picture> QtBinding::loadPicture(const std::string &path)
{
    // Read as a whole regular file first: a reader would wait forever on a
    // FIFO and read on and on from a device. Qt's own allocation limit for a
    // decoded picture (256 MB unless the environment sets another) is kept,
    // and bounds the file too: no picture the reader would decode is larger.
    const int limitMegabytes = QImageReader::allocationLimit();
    const std::uintmax_t limit = std::uintmax_t(limitMegabytes > 0 ? limitMegabytes : 256) << 20;
    const auto bytes = readWholeFile(pathFromUtf8(path), limit);
    if (!bytes)
        return nullptr;
    QByteArray encoded(bytes->data(), qsizetype(bytes->size()));
    const QByteArray hint = QFileInfo(QString::fromStdString(path)).suffix().toLower().toLatin1();
    QImage image = decodePicture(encoded, hint);
    if (image.isNull())
        return nullptr;
    return std::make_shared<QtPicture>(path, std::move(image), std::move(encoded));
}

void QtBinding::setWindowRegion(form::Form &form, const std::optional<form::WindowRegion> &region)
{
    if (FormWindow *w = windowOf(form))
        w->setRegion(region);
}

bool QtBinding::addNotifyIcon(form::Form &form, const form::NotifyIcon &icon)
{
    return icons_->add(form, icon, *icon_);
}

void QtBinding::deliverIconMessage(form::Form &form, const form::NotifyIcon &icon, int message)
{
    // The icon's events reach the window as the callback message with the
    // mouse message in it; the middle-button press carries it as its x.
    if (icon.callbackMessage != 519 || !form.MouseDown)
        return;
    const float x = float(message * twipsPerPixelX());
    dispatch([&form, x] { form.MouseDown(form::MiddleButton, 0, x, 0); });
}

void QtBinding::deleteNotifyIcon(form::Form &form, const form::NotifyIcon &icon)
{
    icons_->remove(form, icon.id);
}

void QtBinding::beginWindowDrag(form::Form &form)
{
    if (FormWindow *w = windowOf(form))
        w->beginDrag();
}

std::filesystem::path QtBinding::programFolder()
{
    // The program's own folder where it is portable, otherwise the user's.
    return FilesPlace::folder();
}

std::optional<std::string> QtBinding::runFileDialog(const form::FileDialogRequest &request, bool save)
{
    // Qt's own dialog everywhere, so that the filter entries, the proposed
    // name and the answers behave the same on every desktop.
    QStringList filters;
    for (const auto &[description, patterns] : request.filters) {
        QString p = QString::fromStdString(patterns);
        p.replace(QLatin1Char(';'), QLatin1Char(' '));
        // A description that ends in brackets of its own keeps them as text.
        if (p == QStringLiteral("*.*"))
            p = QStringLiteral("*");
        filters << QString::fromStdString(description) + QStringLiteral(" (") + p + QLatin1Char(')');
    }
    QFileDialog dialog(QApplication::activeWindow(), QString(), QDir::currentPath(), filters.join(QStringLiteral(";;")));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The entries show their descriptions only, as the forms word them.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Opening takes any name too: the form learns that a file is missing
    // when it reads it, and says nothing about it.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (save)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(request.filterIndex - 1));
    if (!request.fileName.empty())
        dialog.selectFile(QString::fromStdString(request.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    // Paths travel through the forms as UTF-8 on every system.
    return QDir::toNativeSeparators(dialog.selectedFiles().first()).toUtf8().toStdString();
}

std::optional<std::string> QtBinding::showOpenDialog(const form::FileDialogRequest &request)
{
    return runFileDialog(request, false);
}

std::optional<std::string> QtBinding::showSaveDialog(const form::FileDialogRequest &request)
{
    return runFileDialog(request, true);
}

std::optional<int> QtBinding::chooseColor(int initial)
{
    const QColor chosen = QColorDialog::getColor(toQColor(initial), QApplication::activeWindow());
    if (!chosen.isValid())
        return std::nullopt;
    return form::rgb(chosen.red(), chosen.green(), chosen.blue());
}

void QtBinding::showMessage(form::Form &form, const std::string &title, const std::string &text)
{
    FormWindow *owner = windowOf(form);
    QMessageBox box(QMessageBox::Information, toQString(title), toQString(text), QMessageBox::Ok,
                    owner && owner->isVisible() ? owner : nullptr);
    box.exec();
}

bool QtBinding::setCurrentDirectory(const std::filesystem::path &folder)
{
    return QDir::setCurrent(FilesPlace::fromPath(folder));
}

std::optional<int> QtBinding::askScaledSize(int width, int height, int proposed)
{
    return formqt::askScaledSize(QApplication::activeWindow(), width, height, proposed);
}

bool QtBinding::writeScaledPicture(const std::string &source, const std::string &target, int width, int height)
{
    return formqt::writeScaledPicture(source, target, QSize(width, height));
}

int QtBinding::twipsPerPixelX()
{
    return form::kTwipsPerPixel;
}

void QtBinding::endProgram()
{
    ended_ = true;
    icons_->removeAll();
    for (auto &w : windows_)
        w->hide();
    QCoreApplication::exit(0);
}

} // namespace orbelle::formqt
