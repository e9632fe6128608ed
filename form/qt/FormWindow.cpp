#include "FormWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QRadioButton>
#include <QStatusBar>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegion>
#include <QScreen>
#include <QWindow>
#include <cmath>

#include "CanvasWidget.h"
#include "CheckBox.h"
#include "CommandButton.h"
#include "Frame.h"
#include "OptionButton.h"
#include "PolygonRegion.h"
#include "StatusBar.h"
#include "Conversions.h"
#include "Label.h"
#include "QtBinding.h"
#include "SpinArrows.h"
#include "TextBox.h"
#include "TimerDriver.h"
#include "UpDown.h"

namespace orbelle::formqt {

namespace {

// Calls `apply` with the control's current look whenever it differs from the
// look last applied.
template <class T, class Apply>
std::function<void()> watch(T &control, Apply apply)
{
    struct Look {
        form::ControlState place;
        typename T::State own;
        bool operator==(const Look &) const = default;
    };
    return [&control, apply, last = std::optional<Look>()]() mutable {
        Look now{static_cast<const form::ControlState &>(control), static_cast<const typename T::State &>(control)};
        if (last && *last == now)
            return;
        apply(now.place, now.own, last ? &last->place : nullptr, last ? &last->own : nullptr);
        last = now;
    };
}

void applyPlace(QWidget *w, const form::ControlState &now, const form::ControlState *before)
{
    if (!before || before->Left != now.Left || before->Top != now.Top || before->Width != now.Width ||
        before->Height != now.Height)
        w->setGeometry(toPixels(now.Left), toPixels(now.Top), toPixels(now.Width), toPixels(now.Height));
    if (!before || before->Enabled != now.Enabled)
        w->setEnabled(now.Enabled);
    if (!before || before->ToolTipText != now.ToolTipText)
        w->setToolTip(toQString(now.ToolTipText));
    if (!before || before->Visible != now.Visible)
        w->setVisible(now.Visible);
}

void applyColours(QWidget *w, int fore, int back, bool fillBackground)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, toQColor(fore));
    pal.setColor(QPalette::Text, toQColor(fore));
    pal.setColor(QPalette::Window, toQColor(back));
    pal.setColor(QPalette::Base, toQColor(back));
    w->setPalette(pal);
    w->setAutoFillBackground(fillBackground);
}

Qt::Alignment toQtAlignment(form::Alignment a)
{
    switch (a) {
    case form::Alignment::Center: return Qt::AlignHCenter;
    case form::Alignment::Right: return Qt::AlignRight;
    default: return Qt::AlignLeft;
    }
}

// The design font, made smaller in quarter points where the installed face
// is wider than the one the form was laid out with and the text would not
// fit its box (or would wrap to more lines than the box holds).
QFont fittingFont(QFont font, QSize box, bool wrap, const QString &text)
{
    if (text.isEmpty() || box.width() <= 0 || box.height() <= 0)
        return font;
    const int flags = wrap ? Qt::TextWordWrap : Qt::TextSingleLine;
    while (font.pointSizeF() > 6) {
        const QFontMetrics metrics(font);
        const QRect need = metrics.boundingRect(QRect(QPoint(0, 0), box), flags, text);
        // A box always holds its first line: one made for a 9-point glyph is
        // 12 pixels tall, less than a line of the installed face.
        const int spacing = std::max(1, metrics.lineSpacing());
        const int lines = std::max(1, (need.height() + metrics.leading()) / spacing);
        const int room = std::max(1, box.height() / spacing);
        if (need.width() <= box.width() && lines <= room)
            break;
        font.setPointSizeF(font.pointSizeF() - 0.25);
    }
    return font;
}

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

} // namespace

QRegion ellipseRegion(int left, int top, int right, int bottom)
{
    // Row by row, each row's span taken at the row's middle, so the region
    // is symmetric and fills its box exactly: right and bottom excluded.
    QRegion region;
    const double cx = (left + right) / 2.0;
    const double cy = (top + bottom) / 2.0;
    const double rx = (right - left) / 2.0;
    const double ry = (bottom - top) / 2.0;
    if (rx <= 0 || ry <= 0)
        return region;
    for (int y = top; y < bottom; ++y) {
        const double dy = (y + 0.5 - cy) / ry;
        if (dy * dy >= 1)
            continue;
        const double half = rx * std::sqrt(1 - dy * dy);
        const int x0 = int(std::lround(cx - half));
        const int x1 = int(std::lround(cx + half));
        if (x1 > x0)
            region += QRect(x0, y, x1 - x0, 1);
    }
    return region;
}

FormWindow::FormWindow(form::Form &form, QtBinding &binding) : QWidget(nullptr), form_(form), binding_(binding)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QString::fromStdString(form.name()));
    applyWindowFlags();
}

FormWindow::~FormWindow() = default;

QWidget *FormWindow::widgetOf(const form::Control &control) const
{
    auto it = items_.find(control.serial());
    return it == items_.end() ? nullptr : it->second.widget;
}

void FormWindow::applyWindowFlags()
{
    Qt::WindowFlags flags = Qt::Window;
    if (form_.Border == form::FormBorder::None)
        flags |= Qt::FramelessWindowHint;
    else if (form_.Border == form::FormBorder::Fixed)
        flags |= Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::WindowMinimizeButtonHint | Qt::CustomizeWindowHint;
    // A window that keeps out of the taskbar is a tool window to the window system.
    if (!form_.ShowInTaskbar)
        flags = (flags & ~Qt::Window) | Qt::Tool;
    if (flags == windowFlags())
        return;
    const bool wasVisible = isVisible();
    setWindowFlags(flags);
    if (wasVisible)
        show();
}

FormWindow::Item FormWindow::makeItem(form::Control &control)
{
    Item item;
    item.control = &control;
    QWidget *parent = this;
    if (control.container())
        if (QWidget *holder = widgetOf(*control.container()))
            parent = holder;
    using Kind = form::Control::Kind;
    switch (control.kind()) {
    case Kind::PictureBox: {
        auto &box = static_cast<form::PictureBox &>(control);
        auto *canvas = new CanvasWidget(box, binding_, parent);
        item.widget = canvas;
        auto place = watch(box, [canvas](const form::ControlState &now, const form::PictureBoxState &,
                                         const form::ControlState *before, const form::PictureBoxState *) {
            applyPlace(canvas, now, before);
        });
        item.sync = [place, canvas]() mutable {
            place();
            canvas->syncContents();
        };
        break;
    }
    case Kind::Label: {
        // A label inside a picture box is painted by the canvas.
        if (control.isWindowless()) {
            item.sync = [] {};
            break;
        }
        auto &label = static_cast<form::Label &>(control);
        auto *w = new QLabel(parent);
        item.widget = w;
        item.sync = watch(label, [w](const form::ControlState &now, const form::LabelState &own,
                                     const form::ControlState *before, const form::LabelState *) {
            w->setText(toQString(own.Caption));
            w->setAccessibleName(toQString(own.Caption));
            w->setWordWrap(own.WordWrap);
            w->setAlignment(toQtAlignment(own.TextAlign) | Qt::AlignTop);
            applyColours(w, own.ForeColor, own.BackColor, !own.Transparent);
            applyPlace(w, now, before);
            w->setFont(fittingFont(toQFont(own.TextFont), w->size(), own.WordWrap, w->text()));
        });
        break;
    }
    case Kind::TextBox: {
        auto &box = static_cast<form::TextBox &>(control);
        QWidget *w = nullptr;
        if (box.MultiLine) {
            auto *edit = new QPlainTextEdit(parent);
            edit->setTabChangesFocus(true);
            w = edit;
            QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [this, &box, edit] {
                if (applying_ || edit->isReadOnly())
                    return;
                const std::string text = fromEditorText(edit->toPlainText());
                if (text == box.Text)
                    return;
                binding_.dispatch([&box, text] {
                    box.Text = text;
                    if (box.Change)
                        box.Change();
                });
            });
        } else {
            auto *edit = new QLineEdit(parent);
            w = edit;
            QObject::connect(edit, &QLineEdit::textEdited, edit, [this, &box](const QString &text) {
                binding_.dispatch([&box, text] {
                    box.Text = toStdString(text);
                    if (box.Change)
                        box.Change();
                });
            });
        }
        item.widget = w;
        item.sync = watch(box, [this, w](const form::ControlState &now, const form::TextBoxState &own,
                                         const form::ControlState *before, const form::TextBoxState *) {
            applying_ = true;
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
            applying_ = false;
            applyPlace(w, now, before);
        });
        w->setAccessibleName(QString::fromStdString(control.displayName()));
        break;
    }
    case Kind::UpDown: {
        auto &spin = static_cast<form::UpDown &>(control);
        auto *w = new SpinArrows(parent);
        w->stepUp = [this, &spin] { binding_.dispatch([&spin] { spin.stepUp(); }); };
        w->stepDown = [this, &spin] { binding_.dispatch([&spin] { spin.stepDown(); }); };
        w->setAccessibleName(QString::fromStdString(control.displayName()));
        item.widget = w;
        item.sync = watch(spin, [w](const form::ControlState &now, const form::UpDownState &,
                                    const form::ControlState *before, const form::UpDownState *) {
            applyPlace(w, now, before);
        });
        break;
    }
    case Kind::CommandButton: {
        auto &button = static_cast<form::CommandButton &>(control);
        auto *w = new QPushButton(parent);
        w->setAutoDefault(false);
        QObject::connect(w, &QPushButton::clicked, w, [this, &button] {
            if (button.Click)
                binding_.dispatch([&button] { button.Click(); });
        });
        // Presses and releases of any mouse button reach the button's own
        // handlers before the button makes a click of them.
        w->installEventFilter(new ButtonInputFilter(button, binding_, w));
        item.widget = w;
        item.sync = watch(button, [w](const form::ControlState &now, const form::CommandButtonState &own,
                                      const form::ControlState *before, const form::CommandButtonState *) {
            w->setText(toQString(own.Caption));
            w->setAccessibleName(toQString(own.Caption));
            applyPlace(w, now, before);
            w->setFont(fittingFont(toQFont(own.TextFont), w->size() - QSize(8, 4), false, w->text()));
        });
        break;
    }
    case Kind::Frame: {
        auto &frame = static_cast<form::Frame &>(control);
        auto *w = new QGroupBox(parent);
        item.widget = w;
        item.sync = watch(frame, [w](const form::ControlState &now, const form::FrameState &own,
                                     const form::ControlState *before, const form::FrameState *) {
            w->setTitle(toQString(own.Caption));
            w->setAccessibleName(toQString(own.Caption));
            w->setFont(toQFont(own.TextFont));
            applyColours(w, 0, own.BackColor, true);
            applyPlace(w, now, before);
        });
        break;
    }
    case Kind::OptionButton: {
        auto &option = static_cast<form::OptionButton &>(control);
        auto *w = new QRadioButton(parent);
        // The model keeps the group exclusive; Qt must not do it twice.
        w->setAutoExclusive(false);
        QObject::connect(w, &QRadioButton::clicked, w, [this, &option, w] {
            binding_.dispatch([&option] { option.setValue(true); });
            w->setChecked(option.Value);
        });
        item.widget = w;
        item.sync = watch(option, [w](const form::ControlState &now, const form::OptionButtonState &own,
                                      const form::ControlState *before, const form::OptionButtonState *) {
            w->setText(toQString(own.Caption));
            w->setAccessibleName(toQString(own.Caption));
            w->setFont(toQFont(own.TextFont));
            w->setChecked(own.Value);
            applyPlace(w, now, before);
        });
        break;
    }
    case Kind::CheckBox: {
        auto &check = static_cast<form::CheckBox &>(control);
        auto *w = new QCheckBox(parent);
        QObject::connect(w, &QCheckBox::clicked, w, [this, &check, w] {
            binding_.dispatch([&check] { check.setValue(check.Value == 1 ? 0 : 1); });
            w->setCheckState(check.Value == 0 ? Qt::Unchecked : check.Value == 1 ? Qt::Checked : Qt::PartiallyChecked);
        });
        item.widget = w;
        item.sync = watch(check, [w, &check](const form::ControlState &now, const form::CheckBoxState &own,
                                             const form::ControlState *before, const form::CheckBoxState *) {
            w->setText(toQString(own.Caption));
            // A box too narrow for its caption still has a name to be read out.
            w->setAccessibleName(toQString(own.Caption.empty() ? check.displayName() : own.Caption));
            w->setFont(toQFont(own.TextFont));
            w->setTristate(own.Value == 2);
            w->setCheckState(own.Value == 0 ? Qt::Unchecked : own.Value == 1 ? Qt::Checked : Qt::PartiallyChecked);
            applyPlace(w, now, before);
        });
        break;
    }
    case Kind::StatusBar: {
        auto &bar = static_cast<form::StatusBar &>(control);
        auto *w = new QStatusBar(parent);
        w->setSizeGripEnabled(false);
        auto *panel = new QLabel(w);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        w->addWidget(panel, 1);
        item.widget = w;
        item.sync = watch(bar, [w, panel](const form::ControlState &now, const form::StatusBarState &own,
                                          const form::ControlState *before, const form::StatusBarState *) {
            panel->setText(toQString(own.PanelText));
            panel->setAccessibleName(toQString(own.PanelText));
            w->setAccessibleName(toQString(own.PanelText));
            applyPlace(w, now, before);
        });
        break;
    }
    case Kind::Timer: {
        auto *driver = new TimerDriver(static_cast<form::Timer &>(control), binding_, this);
        item.timer = driver;
        item.sync = [driver] { driver->sync(); };
        break;
    }
    default:
        // Windowless controls are painted by the canvas that holds them.
        item.sync = [] {};
        break;
    }
    return item;
}

void FormWindow::rebuild(bool withWidgets)
{
    // Containers come before what they hold, so a new control finds its
    // container's widget already made.
    std::map<std::uint64_t, bool> live;
    for (form::Control *c : form_.controls()) {
        live[c->serial()] = true;
        const bool wanted = withWidgets || c->kind() == form::Control::Kind::Timer;
        if (wanted && !items_.count(c->serial()))
            items_[c->serial()] = makeItem(*c);
    }
    for (auto it = items_.begin(); it != items_.end();) {
        if (live.count(it->first)) {
            ++it;
            continue;
        }
        // Later, not now: the removal may come from a handler of this very
        // widget or timer, which is still running.
        if (QWidget *w = it->second.widget) {
            w->hide();
            w->deleteLater();
        }
        if (TimerDriver *t = it->second.timer)
            t->retire();
        it = items_.erase(it);
    }
    if (!withWidgets)
        return;
    // Windows of later controls lie above earlier ones; every text box,
    // button and spin lies above the labels.
    for (form::Control *c : form_.controls())
        if (QWidget *w = widgetOf(*c); w && c->kind() == form::Control::Kind::Label)
            w->raise();
    for (form::Control *c : form_.controls())
        if (QWidget *w = widgetOf(*c); w && c->kind() != form::Control::Kind::Label)
            w->raise();
}

void FormWindow::sync()
{
    // A hidden form's widgets are brought up to date when it is shown: until
    // then they (and the fonts they would load) cost nothing, and a clock
    // that ticks all day does not walk the controls of a dialog nobody sees.
    // Its timers run all the same.
    const bool hidden = !form_.Visible && !isVisible();
    if (hidden ? timerRevision_ != form_.layoutRevision() : layoutRevision_ != form_.layoutRevision()) {
        timerRevision_ = form_.layoutRevision();
        if (!hidden)
            layoutRevision_ = form_.layoutRevision();
        rebuild(!hidden);
    }
    for (form::Control *c : form_.controls()) {
        if (hidden && c->kind() != form::Control::Kind::Timer)
            continue;
        auto it = items_.find(c->serial());
        if (it != items_.end() && it->second.sync)
            it->second.sync();
    }
    if (hidden)
        return;

    const form::FormState now = form_;
    const form::FormState *before = last_ ? &*last_ : nullptr;
    applying_ = true;
    if (!before || before->Border != now.Border || before->ShowInTaskbar != now.ShowInTaskbar)
        applyWindowFlags();
    if (!before || before->Caption != now.Caption)
        setWindowTitle(toQString(now.Caption));
    if (!before || before->BackColor != now.BackColor) {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, toQColor(now.BackColor));
        setPalette(pal);
        setAutoFillBackground(true);
    }
    const QSize size(toPixels(now.Width), toPixels(now.Height));
    if (!before || before->Width != now.Width || before->Height != now.Height) {
        if (size.width() > 0 && size.height() > 0) {
            if (now.Border == form::FormBorder::Sizable)
                resize(size);
            else
                setFixedSize(size);
        }
        if (before && region_ && region_->shape == form::WindowRegion::Shape::Polygon)
            setRegion(std::optional<form::WindowRegion>(region_));
    }
    if (!now.AutoPlace && (!before || before->Left != now.Left || before->Top != now.Top)) {
        const QPoint at(toPixels(now.Left), toPixels(now.Top));
        if (pos() != at)
            move(at);
    }
    // A window of no size has nothing to show.
    const bool show = now.Visible && size.width() > 0 && size.height() > 0;
    if (show && !isVisible()) {
        placeOnScreen();
        QWidget::show();
        raise();
        shownOnce_ = true;
    } else if (show && showRequests_ != form_.showRequestCount()) {
        // Asked to show while it is shown: it may lie buried or minimised.
        if (isMinimized())
            showNormal();
        raise();
    } else if (!show && isVisible()) {
        hide();
    }
    showRequests_ = form_.showRequestCount();
    applying_ = false;
    last_ = now;

    if (focusRequests_ != form_.focusRequestCount()) {
        focusRequests_ = form_.focusRequestCount();
        if (isVisible()) {
            raise();
            activateWindow();
            if (form::Control *target = form_.focusRequest())
                if (QWidget *w = widgetOf(*target))
                    w->setFocus(Qt::OtherFocusReason);
        }
    }
}

void FormWindow::placeOnScreen()
{
    QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return;
    if (form_.AutoPlace) {
        if (!shownOnce_) {
            QRect r(QPoint(0, 0), size());
            r.moveCenter(primary->availableGeometry().center());
            move(r.topLeft());
        }
        return;
    }
    // A window that would lie wholly off every screen (a monitor was
    // removed) comes back onto the primary one; a window partly off stays.
    const QRect r(QPoint(toPixels(form_.Left), toPixels(form_.Top)), size());
    for (QScreen *s : QGuiApplication::screens())
        if (s->geometry().intersects(r))
            return;
    const QPoint home = primary->availableGeometry().topLeft();
    move(home);
    form_.Left = float(toTwips(home.x()));
    form_.Top = float(toTwips(home.y()));
    if (last_) {
        last_->Left = form_.Left;
        last_->Top = form_.Top;
    }
}

void FormWindow::setRegion(const std::optional<form::WindowRegion> &region)
{
    region_ = region;
    if (!region) {
        clearMask();
        return;
    }
    QRegion mask;
    if (region->shape == form::WindowRegion::Shape::Ellipse) {
        mask = ellipseRegion(region->left, region->top, region->right, region->bottom);
    } else {
        // Built for the window's area only, however far and many the
        // vertices: the window follows the form's size.
        mask = polygonRegion(region->points, regionBox(QSize(toPixels(form_.Width), toPixels(form_.Height))));
    }
    setMask(mask);
}

void FormWindow::closeEvent(QCloseEvent *event)
{
    if (binding_.ended()) {
        event->accept();
        return;
    }
    bool cancel = false;
    if (form_.QueryUnload)
        binding_.dispatch([&] { form_.QueryUnload(cancel); });
    if (cancel || binding_.ended()) {
        event->setAccepted(binding_.ended());
        return;
    }
    if (form_.Unload)
        binding_.dispatch([&] { form_.Unload(); });
    event->accept();
    form_.Visible = false;
    emit binding_.formUnloaded(&form_);
}

void FormWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    const bool active = isActiveWindow();
    if (active && form_.Activate)
        binding_.dispatch([this] { form_.Activate(); });
    if (!active && wasActive_ && form_.Deactivate)
        binding_.dispatch([this] { form_.Deactivate(); });
    wasActive_ = active;
}

void FormWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (applying_ || form_.AutoPlace)
        return;
    // Only a real move changes the position kept in twips, so a position
    // that is no whole number of pixels survives a run without a move.
    const QPoint at = pos();
    if (at != QPoint(toPixels(form_.Left), toPixels(form_.Top))) {
        form_.Left = float(toTwips(at.x()));
        form_.Top = float(toTwips(at.y()));
        if (last_) {
            last_->Left = form_.Left;
            last_->Top = form_.Top;
        }
    }
}

void FormWindow::mousePressEvent(QMouseEvent *event)
{
    pressed_ = true;
    // A real middle press is not passed on: the window's middle-button
    // events carry the notification icon's messages.
    int code = 0;
    if (event->button() == Qt::LeftButton) code = form::LeftButton;
    if (event->button() == Qt::RightButton) code = form::RightButton;
    if (code && form_.MouseDown) {
        const float x = float(toTwips(event->position().x()));
        const float y = float(toTwips(event->position().y()));
        binding_.dispatch([&] { form_.MouseDown(code, 0, x, y); });
    }
}

void FormWindow::mouseReleaseEvent(QMouseEvent *event)
{
    if (pressed_ && rect().contains(event->position().toPoint()) && form_.Click)
        binding_.dispatch([this] { form_.Click(); });
    pressed_ = false;
}

} // namespace orbelle::formqt
