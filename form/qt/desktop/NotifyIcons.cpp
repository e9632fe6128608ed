// SPDX-License-Identifier: MIT
#include "desktop/NotifyIcons.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QStyleHints>
#include <QSystemTrayIcon>
#include <memory>

#include "desktop/TrayClicks.h"

namespace orbelle::formqt {

NotifyIcons::NotifyIcons(Deliver deliver, QObject *parent) : QObject(parent), deliver_(std::move(deliver)) {}

NotifyIcons::~NotifyIcons()
{
    removeAll();
}

bool NotifyIcons::add(form::Form &form, const form::NotifyIcon &icon, const QIcon &look)
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    const auto key = std::make_pair(static_cast<const form::Form *>(&form), icon.id);
    delete icons_[key];
    auto *tray = new QSystemTrayIcon(look, this);
    tray->setToolTip(QString::fromStdString(icon.tip));
    auto clicks = std::make_shared<TrayClicks>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    auto since = std::make_shared<QElapsedTimer>();
    since->start();
    connect(tray, &QSystemTrayIcon::activated, this,
            [this, &form, icon, clicks, since](QSystemTrayIcon::ActivationReason reason) {
                using A = TrayClicks::Activation;
                const A activation = reason == QSystemTrayIcon::Trigger       ? A::Click
                                     : reason == QSystemTrayIcon::DoubleClick ? A::DoubleClick
                                     : reason == QSystemTrayIcon::Context     ? A::Context
                                                                              : A::Other;
                if (const auto message = clicks->message(activation, since->elapsed()))
                    deliver_(form, icon, *message);
            },
            Qt::QueuedConnection); // the handler may remove the icon whose event this is
    tray->show();
    icons_[key] = tray;
    return true;
}

void NotifyIcons::remove(const form::Form &form, int id)
{
    auto it = icons_.find(std::make_pair(&form, id));
    if (it == icons_.end())
        return;
    it->second->hide();
    it->second->deleteLater();
    icons_.erase(it);
}

void NotifyIcons::removeAll()
{
    for (auto &[key, icon] : icons_) {
        icon->hide();
        delete icon;
    }
    icons_.clear();
}

void NotifyIcons::setLook(const QIcon &look)
{
    for (auto &[key, tray] : icons_)
        tray->setIcon(look);
}

void NotifyIcons::showMessage(const form::Form &form, const QString &title, const QString &text)
{
    for (auto &[key, tray] : icons_) {
        if (key.first == &form) {
            tray->showMessage(title, text, QSystemTrayIcon::Information, 60000);
            return;
        }
    }
}

} // namespace orbelle::formqt
