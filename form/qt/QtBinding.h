// SPDX-License-Identifier: MIT
#pragma once
// The one Qt binding of the forms: shows each form in a window of its own,
// feeds user, timer and icon events to the forms' callbacks, brings every
// window up to date after each event, and provides the services the forms'
// handlers call. Owns the windows, the notification icons, the beep and the
// file watch; the forms belong to the program.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "Form.h"
#include "desktop/LocalClock.h"
#include "desktop/WindowAbilities.h"
#include "Services.h"

class QMouseEvent;
class QFileSystemWatcher;
class QTimer;
class QIcon;

namespace orbelle::formqt {

class FormWindow;
class NotifyIcons;
class SystemBeep;

class QtBinding : public QObject, public form::Services {
    Q_OBJECT
public:
    explicit QtBinding(QObject *parent = nullptr);
    ~QtBinding() override;

    // Makes the form's window (shown once the form is visible).
    void addForm(form::Form &form);
    // Runs the form's start-up handler and shows what it made visible.
    void load(form::Form &form);
    // Runs one handler, then brings every window up to date. Does nothing
    // once the program has ended.
    void dispatch(const std::function<void()> &handler);
    void syncAll();
    FormWindow *windowOf(const form::Form &form) const;
    // Closes every window without events; call before the forms go away.
    void releaseWindows();
    bool ended() const { return ended_; }

    // What the window system lets the windows do; windows made afterwards
    // follow a change (tests play a window system they do not run on).
    const WindowAbilities &windowAbilities() const { return abilities_; }
    void setWindowAbilities(const WindowAbilities &abilities) { abilities_ = abilities; }

    // The icon the program's windows and notification icons show; a plain
    // disc until the program gives its own. Applies to what is already shown.
    void setIcon(const QIcon &icon);
    QIcon icon() const;
    // Qt's own texts (the file and colour dialogs, the edit menus) in
    // Japanese, like the forms, where Qt's Japanese translation is installed.
    static void useJapaneseQtTexts();

    // Services.
    form::LocalTime now() override;
    void beep(form::BeepSound sound = form::BeepSound::Bell) override;
    std::shared_ptr<const form::Picture> loadPicture(const std::string &path) override;
    void setWindowRegion(form::Form &form, const std::optional<form::WindowRegion> &region) override;
    bool addNotifyIcon(form::Form &form, const form::NotifyIcon &icon) override;
    void deleteNotifyIcon(form::Form &form, const form::NotifyIcon &icon) override;
    void beginWindowDrag(form::Form &form) override;
    std::filesystem::path programFolder() override;
    int twipsPerPixelX() override;
    void endProgram() override;
    std::optional<std::string> showOpenDialog(const form::FileDialogRequest &request) override;
    std::optional<std::string> showSaveDialog(const form::FileDialogRequest &request) override;
    std::optional<int> chooseColor(int initial) override;
    bool setCurrentDirectory(const std::filesystem::path &folder) override;
    std::optional<int> askScaledSize(int width, int height, int proposed) override;
    bool writeScaledPicture(const std::string &source, const std::string &target, int width, int height) override;
    void showNotification(form::Form &form, const std::string &title, const std::string &text) override;
    void showMessage(form::Form &form, const std::string &title, const std::string &text) override;
    void watchFile(const std::filesystem::path &file, std::function<void()> changed) override;
    void watchAlso(const std::filesystem::path &file) override;

signals:
    // A form's window was closed and unloaded.
    void formUnloaded(orbelle::form::Form *form);

private:
    std::optional<std::string> runFileDialog(const form::FileDialogRequest &request, bool save);
    void deliverIconMessage(form::Form &form, const form::NotifyIcon &icon, int message);
    void showTrayMessage(form::Form &form, const QString &title, const QString &text);
    void rewatch();

    std::vector<std::unique_ptr<FormWindow>> windows_;
    std::unique_ptr<QIcon> icon_;
    NotifyIcons *icons_ = nullptr;
    SystemBeep *beep_ = nullptr;
    QFileSystemWatcher *watcher_ = nullptr;
    QTimer *watchSettle_ = nullptr; // gathers a burst of changes into one call
    QString watchedFile_;
    QString alsoWatched_; // empty: none
    std::function<void()> folderChanged_;
    LocalClock clock_;
    WindowAbilities abilities_;
    bool ended_ = false;
    int dispatchDepth_ = 0;
};

} // namespace orbelle::formqt
