// SPDX-License-Identifier: MIT
// The TextBox piece: a one-line or many-line edit that hands each change to the model.

#include <QLineEdit>
#include <QPlainTextEdit>

#include "pieces/ControlPiece.h"
#include "Conversions.h"
#include "QtBinding.h"
#include "TextBox.h"
#include "pieces/WidgetLook.h"

namespace orbelle::formqt {

namespace {

// The edit of a box with many lines or of one line; each edit the user
// makes reaches the model and the box's Change handler.
QWidget *makeEdit(form::TextBox &box, const PieceContext &at)
{
    QtBinding &binding = at.binding;
    bool &applying = at.applying;
    if (box.MultiLine) {
        auto *edit = new QPlainTextEdit(at.parent);
        edit->setTabChangesFocus(true);
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
            // A text too long to lay out at once is shown in part and
            // cannot be edited; the model keeps it whole.
            if (const auto preview = previewOfLongText(own.Text)) {
                if (!edit->isReadOnly() || edit->toPlainText() != *preview)
                    edit->setPlainText(*preview);
                edit->setReadOnly(true);
            } else {
                edit->setReadOnly(false);
                if (fromEditorText(edit->toPlainText()) != own.Text)
                    edit->setPlainText(toEditorText(own.Text));
            }
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
