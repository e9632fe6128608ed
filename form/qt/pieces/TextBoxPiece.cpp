// SPDX-License-Identifier: MIT
// The TextBox piece: a one-line or many-line edit that hands each change to the model.

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolTip>

#include "pieces/ControlPiece.h"
#include "Conversions.h"
#include "QtBinding.h"
#include "TextBox.h"
#include "pieces/WidgetLook.h"

namespace orbelle::formqt {

namespace {

// Said where the user types into the preview of a text too long to edit.
const char *const kTooLongToEdit = "このメモは長すぎる（1 MiB を超える）ため、ここでは書き換えられません。"
                                   "全文はそのまま保たれます。";

// Tells the user at once why a key typed into a preview did nothing: a
// refusal nobody sees would lose what was typed without a word.
class RefusedTyping : public QObject {
public:
    explicit RefusedTyping(QPlainTextEdit *edit) : QObject(edit), edit_(edit) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!edit_->isReadOnly() || (event->type() != QEvent::KeyPress && event->type() != QEvent::InputMethod))
            return QObject::eventFilter(watched, event);
        const bool typing = event->type() == QEvent::InputMethod
                                ? !static_cast<QInputMethodEvent *>(event)->commitString().isEmpty()
                                : isTyping(static_cast<QKeyEvent *>(event));
        if (typing) {
            QApplication::beep();
            const QRect cursor = edit_->cursorRect();
            QToolTip::showText(edit_->viewport()->mapToGlobal(cursor.bottomLeft()),
                               QString::fromUtf8(kTooLongToEdit), edit_);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static bool isTyping(const QKeyEvent *key)
    {
        // A shortcut such as copy brings a control character: not typing.
        if (!key->text().isEmpty() && key->text().front().isPrint())
            return true;
        if (key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Cut))
            return true;
        switch (key->key()) {
        case Qt::Key_Backspace: case Qt::Key_Delete: case Qt::Key_Return: case Qt::Key_Enter: return true;
        default: return false;
        }
    }
    QPlainTextEdit *edit_;
};

// Puts the whole text into the edit, or its preview where it is too long to
// edit. A text the user is typing stays editable even past the limit: the
// edit already holds it, and a switch would lose what comes next.
void showText(QPlainTextEdit *edit, const std::string &text)
{
    const bool tooLong = text.size() > kLongestEditableText;
    if (tooLong && (edit->isReadOnly() || fromEditorText(edit->toPlainText()) != text)) {
        const QString preview = *previewOfLongText(text);
        if (!edit->isReadOnly() || edit->toPlainText() != preview)
            edit->setPlainText(preview);
        edit->setReadOnly(true);
        return;
    }
    if (edit->isReadOnly() || fromEditorText(edit->toPlainText()) != text) {
        // Lines are wrapped where Qt can lay them out quickly; a line of tens
        // of thousands of characters is laid out unwrapped, which stays quick.
        if (!tooLong) {
            const bool longLines = previewOfLongText(text).has_value();
            edit->setLineWrapMode(longLines ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        }
        edit->setPlainText(toEditorText(text));
    }
    edit->setReadOnly(false);
}

// The edit of a box with many lines or of one line; each edit the user
// makes reaches the model and the box's Change handler.
QWidget *makeEdit(form::TextBox &box, const PieceContext &at)
{
    QtBinding &binding = at.binding;
    bool &applying = at.applying;
    if (box.MultiLine) {
        auto *edit = new QPlainTextEdit(at.parent);
        edit->setTabChangesFocus(true);
        edit->installEventFilter(new RefusedTyping(edit));
        QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [&binding, &applying, &box, edit] {
            if (applying || edit->isReadOnly())
                return;
            const std::string text = fromEditorText(edit->toPlainText());
            if (text == box.Text)
                return;
            binding.dispatch([&box, text] {
                box.Text = text;
                if (box.Change)
                    box.Change();
            });
        });
        return edit;
    }
    auto *edit = new QLineEdit(at.parent);
    QObject::connect(edit, &QLineEdit::textEdited, edit, [&binding, &box](const QString &text) {
        binding.dispatch([&box, text] {
            box.Text = toStdString(text);
            if (box.Change)
                box.Change();
        });
    });
    return edit;
}

PieceItem makeTextBox(form::Control &control, const PieceContext &at)
{
    PieceItem item;
    bool &applying = at.applying;
    auto &box = static_cast<form::TextBox &>(control);
    QWidget *w = makeEdit(box, at);
    item.widget = w;
    item.sync = watch(box, [&applying, w](const form::ControlState &now, const form::TextBoxState &own,
                                     const form::ControlState *before, const form::TextBoxState *) {
        applying = true;
        w->setFont(toQFont(own.TextFont));
        applyColours(w, own.ForeColor, own.BackColor, true);
        if (auto *edit = qobject_cast<QPlainTextEdit *>(w)) {
            // A text too long to edit is shown in part; the model keeps it whole.
            showText(edit, own.Text);
            edit->setVerticalScrollBarPolicy(own.VerticalScrollBar ? Qt::ScrollBarAlwaysOn
                                                                   : Qt::ScrollBarAsNeeded);
        } else if (auto *line = qobject_cast<QLineEdit *>(w)) {
            if (toStdString(line->text()) != own.Text)
                line->setText(toQString(own.Text));
            line->setAlignment(toQtAlignment(own.TextAlign) | Qt::AlignVCenter);
        }
        applying = false;
        applyPlace(w, now, before);
    });
    w->setAccessibleName(QString::fromStdString(control.displayName()));
    return item;
}

} // namespace

ControlPiece TextBoxPiece()
{
    return {&makeTextBox, nullptr, nullptr};
}

} // namespace orbelle::formqt
