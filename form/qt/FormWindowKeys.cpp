// SPDX-License-Identifier: MIT
// The keyboard side of a form's window: keys reach the form's KeyDown, ahead
// of the focused control where the form previews keys, after it otherwise.

#include <QApplication>
#include <QKeyEvent>
#include <memory>

#include "FormWindow.h"
#include "QtBinding.h"

namespace orbelle::formqt {

namespace {

// The key's virtual-key number, or 0 for a key the forms have no code for.
int keyCodeOf(int key)
{
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key; // the same numbers as their characters
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace: return form::KeyBack;
    case Qt::Key_Tab: return form::KeyTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return form::KeyReturn;
    case Qt::Key_Escape: return form::KeyEscape;
    case Qt::Key_Space: return form::KeySpace;
    case Qt::Key_Left: return form::KeyLeftArrow;
    case Qt::Key_Up: return form::KeyUpArrow;
    case Qt::Key_Right: return form::KeyRightArrow;
    case Qt::Key_Down: return form::KeyDownArrow;
    case Qt::Key_Delete: return form::KeyDelete;
    default: return 0;
    }
}

int shiftOf(Qt::KeyboardModifiers modifiers)
{
    int shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= form::ShiftKey;
    if (modifiers & Qt::ControlModifier) shift |= form::CtrlKey;
    if (modifiers & Qt::AltModifier) shift |= form::AltKey;
    return shift;
}

} // namespace

bool FormWindow::offerKey(QKeyEvent *event)
{
    int code = keyCodeOf(event->key());
    if (!code || !form_.KeyDown || binding_.ended())
        return false;
    const int shift = shiftOf(event->modifiers());
    binding_.dispatch([&] { form_.KeyDown(code, shift); });
    return code == 0;
}

void FormWindow::keyPressEvent(QKeyEvent *event)
{
    // Without preview the form hears the keys no control took.
    if (!form_.KeyPreview && offerKey(event))
        return;
    QWidget::keyPressEvent(event);
}

bool FormWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || passingKeyOn_ || !form_.KeyPreview || !watched->isWidgetType())
        return QWidget::eventFilter(watched, event);
    auto *target = static_cast<QWidget *>(watched);
    if (target->window() != this)
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (offerKey(key))
        return true;
    // Declined: the control has the key, passed on as a copy that climbs to
    // the control's parents without asking the form again. The original
    // ends here, taken, or it would climb (and ask) once more.
    const std::unique_ptr<QKeyEvent> copy(key->clone());
    passingKeyOn_ = true;
    QApplication::sendEvent(target, copy.get());
    passingKeyOn_ = false;
    key->accept();
    return true;
}

} // namespace orbelle::formqt
