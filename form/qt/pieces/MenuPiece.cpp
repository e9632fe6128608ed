// SPDX-License-Identifier: MIT
// The MenuBar piece: a menu bar above the form's client area, its menus and
// their items as actions whose shortcuts work anywhere in the window.

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Conversions.h"
#include "Menu.h"
#include "QtBinding.h"
#include "pieces/ControlPiece.h"

namespace orbelle::formqt {

namespace {

// The shortcut text's alternatives ("Ctrl+Y;Ctrl+Shift+Z").
QList<QKeySequence> shortcutsOf(const std::string &text)
{
    QList<QKeySequence> keys;
    for (const QString &part : toQString(text).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QKeySequence key = QKeySequence::fromString(part.trimmed(), QKeySequence::PortableText);
        if (!key.isEmpty())
            keys.append(key);
    }
    return keys;
}

// What the bar was built from: which items, in which order. Captions and
// states are brought up to date without a rebuild.
std::string structureOf(const form::MenuItem &item)
{
    std::string key = std::to_string(reinterpret_cast<std::uintptr_t>(&item)) + "(";
    for (const auto &child : item.items())
        key += structureOf(*child) + ",";
    return key + ")";
}

std::string structureOf(const form::MenuBar &bar)
{
    std::string key;
    for (const auto &menu : bar.menus())
        key += structureOf(*menu) + ";";
    return key;
}

void applyState(QAction *action, const form::MenuItem &item)
{
    action->setVisible(item.Visible);
    if (action->isSeparator())
        return;
    const QString caption = toQString(item.Caption);
    if (action->text() != caption)
        action->setText(caption);
    action->setEnabled(item.Enabled);
    action->setCheckable(item.Checked || action->isCheckable());
    action->setChecked(item.Checked);
    action->setStatusTip(toQString(item.StatusTip));
    action->setToolTip(toQString(item.StatusTip.empty() ? item.Caption : item.StatusTip));
}

// The bar's Qt side: one action per item, rebuilt when the items change.
class MenuBarView {
public:
    MenuBarView(form::MenuBar &bar, QtBinding &binding, QMenuBar *widget) : bar_(bar), binding_(binding), widget_(widget) {}

    void sync()
    {
        if (!widget_)
            return;
        const std::string structure = structureOf(bar_);
        if (structure != structure_) {
            rebuild();
            structure_ = structure;
        }
        for (const Entry &e : entries_)
            if (e.action)
                applyState(e.action, *e.item);
        widget_->setVisible(bar_.Visible);
        widget_->setEnabled(bar_.Enabled);
    }

private:
    struct Entry {
        form::MenuItem *item;
        QPointer<QAction> action;
    };

    void rebuild()
    {
        widget_->clear();
        for (QMenu *old : menus_)
            delete old;
        menus_.clear();
        entries_.clear();
        for (const auto &menu : bar_.menus()) {
            auto *popup = new QMenu(toQString(menu->Caption), widget_);
            popup->setObjectName(toQString(menu->Name));
            popup->setToolTipsVisible(true);
            menus_.push_back(popup);
            QAction *title = widget_->addMenu(popup);
            title->setObjectName(toQString(menu->Name));
            entries_.push_back({menu.get(), title});
            for (const auto &item : menu->items())
                addItem(popup, *item);
        }
    }

    void addItem(QMenu *popup, form::MenuItem &item)
    {
        if (item.isSeparator()) {
            entries_.push_back({&item, popup->addSeparator()});
            return;
        }
        QAction *action = popup->addAction(toQString(item.Caption));
        action->setObjectName(toQString(item.Name));
        action->setShortcuts(shortcutsOf(item.Shortcut));
        // Anywhere in the window, not only while the menu is open.
        action->setShortcutContext(Qt::WindowShortcut);
        QtBinding &binding = binding_;
        QObject::connect(action, &QAction::triggered, action, [&binding, &item] {
            if (item.Enabled && item.Click)
                binding.dispatch([&item] { item.Click(); });
        });
        entries_.push_back({&item, action});
    }

    form::MenuBar &bar_;
    QtBinding &binding_;
    QPointer<QMenuBar> widget_;
    std::string structure_;
    std::vector<QMenu *> menus_;
    std::vector<Entry> entries_;
};

PieceItem makeMenuBar(form::Control &control, const PieceContext &at)
{
    PieceItem item;
    auto *w = new QMenuBar(at.parent);
    w->setNativeMenuBar(false);
    w->setObjectName(toQString(control.name()));
    auto view = std::make_shared<MenuBarView>(static_cast<form::MenuBar &>(control), at.binding, w);
    item.widget = w;
    item.sync = [view] { view->sync(); };
    return item;
}

} // namespace

ControlPiece MenuBarPiece()
{
    return {.make = &makeMenuBar, .liesAboveClient = true};
}

} // namespace orbelle::formqt
