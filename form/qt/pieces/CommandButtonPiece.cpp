// SPDX-License-Identifier: MIT
// The CommandButton piece: a push button that passes its clicks, presses and Enter to the form.

#include <QAbstractButton>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>

#include "CommandButton.h"
#include "pieces/ControlPiece.h"
#include "Conversions.h"
#include "QtBinding.h"
#include "pieces/WidgetLook.h"

namespace orbelle::formqt {

namespace {

// Passes every mouse button's press and release on a push button to the
// form's handlers, before the button turns a left press and release into
// a click; and lets Enter click the button that has the focus, as the space
// bar does.
class ButtonInputFilter : public QObject {
public:
    ButtonInputFilter(form::CommandButton &button, QtBinding &binding, QObject *parent)
        : QObject(parent), button_(button), binding_(binding) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                if (auto *b = qobject_cast<QAbstractButton *>(watched); b && b->isEnabled() && !key->isAutoRepeat())
                    b->click();
                return true;
            }
            return false;
        }
        const bool down = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
        const bool up = event->type() == QEvent::MouseButtonRelease;
        if (!down && !up)
            return false;
        auto *mouse = static_cast<QMouseEvent *>(event);
        int code = 0;
        if (mouse->button() == Qt::LeftButton) code = form::LeftButton;
        if (mouse->button() == Qt::RightButton) code = form::RightButton;
        if (mouse->button() == Qt::MiddleButton) code = form::MiddleButton;
        const auto &handler = down ? button_.MouseDown : button_.MouseUp;
        if (code && handler && button_.Enabled) {
            const float x = float(toTwips(mouse->position().x()));
            const float y = float(toTwips(mouse->position().y()));
            binding_.dispatch([&] { handler(code, 0, x, y); });
        }
        return false;
    }

private:
    form::CommandButton &button_;
    QtBinding &binding_;
};

PieceItem makeCommandButton(form::Control &control, const PieceContext &at)
{
    PieceItem item;
    QtBinding &binding = at.binding;
    auto &button = static_cast<form::CommandButton &>(control);
    auto *w = new QPushButton(at.parent);
    w->setAutoDefault(false);
    QObject::connect(w, &QPushButton::clicked, w, [&binding, &button] {
        if (button.Click)
            binding.dispatch([&button] { button.Click(); });
    });
    // Presses and releases of any mouse button reach the button's own
    // handlers before the button makes a click of them.
    w->installEventFilter(new ButtonInputFilter(button, binding, w));
    item.widget = w;
    item.sync = watch(button, [w](const form::ControlState &now, const form::CommandButtonState &own,
                                  const form::ControlState *before, const form::CommandButtonState *) {
        w->setText(toQString(own.Caption));
        w->setAccessibleName(toQString(own.Caption));
        applyPlace(w, now, before);
        w->setFont(fittingFont(toQFont(own.TextFont), w->size() - QSize(8, 4), false, w->text()));
    });
    return item;
}

} // namespace

ControlPiece CommandButtonPiece()
{
    return {&makeCommandButton, nullptr, nullptr};
}

} // namespace orbelle::formqt
