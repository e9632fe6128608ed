// SPDX-License-Identifier: MIT
#pragma once
// The forms' icons in the desktop's notification area: shows and removes
// them, turns their activations into the mouse messages the forms expect
// and hands those on, and shows a message balloon by a form's icon. Owns
// the icons; the forms belong to the program.

#include <QIcon>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <utility>

#include "Form.h"
#include "Services.h"

class QSystemTrayIcon;

namespace orbelle::formqt {

class NotifyIcons : public QObject {
    Q_OBJECT
public:
    // Called, after the event that caused it, with the form, its icon and
    // the mouse message an activation of the icon stands for.
    using Deliver = std::function<void(form::Form &form, const form::NotifyIcon &icon, int message)>;

    NotifyIcons(Deliver deliver, QObject *parent);
    ~NotifyIcons() override;

    // False where the desktop has no notification area.
    bool add(form::Form &form, const form::NotifyIcon &icon, const QIcon &look);
    void remove(const form::Form &form, int id);
    void removeAll();
    void setLook(const QIcon &look);
    // A balloon by the form's first icon; nothing where it has none.
    void showMessage(const form::Form &form, const QString &title, const QString &text);

private:
    Deliver deliver_;
    std::map<std::pair<const form::Form *, int>, QSystemTrayIcon *> icons_;
};

} // namespace orbelle::formqt
