// SPDX-License-Identifier: MIT
#include "FormWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QResizeEvent>
#include <QUrl>
#include <algorithm>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QRegion>
#include <QScreen>
#include <QWindow>
#include <cmath>

#include "canvas/PolygonRegion.h"
#include "Conversions.h"
#include "pieces/ControlPiece.h"
#include "QtBinding.h"
#include "ShapeCutter.h"
#include "desktop/TimerDriver.h"

namespace orbelle::formqt {

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

FormWindow::FormWindow(form::Form &form, QtBinding &binding)
    : QWidget(nullptr), form_(form), binding_(binding), abilities_(binding.windowAbilities())
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QString::fromStdString(form.name()));
    applyWindowFlags();
    // A form that previews keys hears them before the control with the focus.
    QCoreApplication::instance()->installEventFilter(this);
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
    if (!windowHandle())
        applyTranslucency();
    if (flags == windowFlags())
        return;
    const bool wasVisible = isVisible();
    // New flags make the native window anew: it takes the new see-through
    // state with them.
    applyTranslucency();
    setWindowFlags(flags);
    if (wasVisible)
        show();
}

void FormWindow::applyTranslucency()
{
    // Only a borderless window is cut to a region: a framed one keeps its
    // background and the window manager's frame.
    const bool wanted = !abilities_.cutsWindows && form_.Border == form::FormBorder::None;
    if (wanted == testAttribute(Qt::WA_TranslucentBackground))
        return;
    setAttribute(Qt::WA_TranslucentBackground, wanted);
    if (wanted) {
        cutter_ = new ShapeCutter(this);
        clearMask();
    } else {
        // The attribute took the window's own background along; it comes back.
        setAttribute(Qt::WA_NoSystemBackground, false);
        delete cutter_;
        inputRegion_ = QRegion();
        applyInputRegion();
    }
    setRegion(region_);
}

FormWindow::Item FormWindow::makeItem(form::Control &control)
{
    QWidget *parent = pieceOf(control.kind()).liesAboveClient ? this : clientHolder();
    if (control.container())
        if (QWidget *holder = widgetOf(*control.container()))
            parent = holder;
    PieceItem made = pieceOf(control.kind()).make(control, PieceContext{binding_, this, parent, applying_});
    Item item;
    item.control = &control;
    item.widget = made.widget;
    item.timer = made.timer;
    item.sync = std::move(made.sync);
    return item;
}

void FormWindow::rebuild(bool withWidgets)
{
    // Containers come before what they hold, so a new control finds its
    // container's widget already made.
    std::map<std::uint64_t, bool> live;
    if (withWidgets && !client_)
        for (form::Control *c : form_.controls())
            if (pieceOf(c->kind()).liesAboveClient) {
                makeClientHolder();
                break;
            }
    for (form::Control *c : form_.controls()) {
        live[c->serial()] = true;
        const bool wanted = withWidgets || pieceOf(c->kind()).runsHidden;
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
    // Windows of later controls lie above earlier ones; the kinds that lie
    // below (the labels) are raised first.
    for (const bool below : {true, false})
        for (form::Control *c : form_.controls())
            if (QWidget *w = widgetOf(*c); w && pieceOf(c->kind()).liesBelow == below)
                w->raise();
    if (cutter_)
        cutter_->raise();
}

void FormWindow::sync()
{
    // A hidden form's widgets are brought up to date when it is shown: until
    // then they (and the fonts they would load) cost nothing, and a clock
    // that ticks all day does not walk the controls of a dialog nobody sees.
    // Its timers run all the same.
    const bool hidden = !form_.Visible && !isVisible();
    syncControls(hidden);
    if (hidden)
        return;
    const form::FormState now = form_;
    const form::FormState *before = last_ ? &*last_ : nullptr;
    applying_ = true;
    applyLook(now, before);
    placeClient();
    applyShown(now);
    applying_ = false;
    last_ = now;
    applyFocusRequest();
}

void FormWindow::syncControls(bool hidden)
{
    if (hidden ? timerRevision_ != form_.layoutRevision() : layoutRevision_ != form_.layoutRevision()) {
        timerRevision_ = form_.layoutRevision();
        if (!hidden)
            layoutRevision_ = form_.layoutRevision();
        rebuild(!hidden);
    }
    for (form::Control *c : form_.controls()) {
        if (hidden && !pieceOf(c->kind()).runsHidden)
            continue;
        auto it = items_.find(c->serial());
        if (it != items_.end() && it->second.sync)
            it->second.sync();
    }
}

void FormWindow::applyLook(const form::FormState &now, const form::FormState *before)
{
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
    applySize(now, before);
    // Where the compositor places windows, a position asked for is ignored
    // and the one read back means nothing: the form keeps its own.
    if (abilities_.placesWindows && !now.AutoPlace &&
        (!before || before->Left != now.Left || before->Top != now.Top)) {
        // The first place is asked for even where it is where an unshown
        // window already says it is (0, 0): only a place asked for reaches
        // the window manager as the program's own choice, which it keeps.
        const QPoint at(toPixels(now.Left), toPixels(now.Top));
        if (!before || pos() != at)
            move(at);
    }
}

void FormWindow::applySize(const form::FormState &now, const form::FormState *before)
{
    if (!before || before->OLEDropMode != now.OLEDropMode)
        setAcceptDrops(now.OLEDropMode);
    // The bars above the client area come on top of every size the form gives.
    const int bars = barsHeight();
    if (now.Border == form::FormBorder::Sizable &&
        (!before || before->MinWidth != now.MinWidth || before->MinHeight != now.MinHeight || bars != barsApplied_))
        setMinimumSize(std::max(0, toPixels(now.MinWidth)), std::max(0, toPixels(now.MinHeight)) + bars);
    const QSize size(toPixels(now.Width), toPixels(now.Height) + bars);
    if (!before || before->Width != now.Width || before->Height != now.Height || bars != barsApplied_) {
        barsApplied_ = bars;
        if (size.width() > 0 && size.height() > 0) {
            if (now.Border == form::FormBorder::Sizable)
                resize(size);
            else
                setFixedSize(size);
        }
        if (before && region_ && region_->shape == form::WindowRegion::Shape::Polygon)
            setRegion(std::optional<form::WindowRegion>(region_));
    }
}

void FormWindow::applyShown(const form::FormState &now)
{
    // A window of no size has nothing to show.
    const bool show = now.Visible && toPixels(now.Width) > 0 && toPixels(now.Height) > 0;
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
}

void FormWindow::applyFocusRequest()
{
    if (focusRequests_ == form_.focusRequestCount())
        return;
    focusRequests_ = form_.focusRequestCount();
    if (!isVisible())
        return;
    raise();
    activateWindow();
    if (form::Control *target = form_.focusRequest())
        if (QWidget *w = widgetOf(*target))
            w->setFocus(Qt::OtherFocusReason);
}

void FormWindow::makeClientHolder()
{
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    // Widgets made before the bar came move into the client area.
    for (auto &[serial, item] : items_)
        if (QWidget *w = item.widget; w && w->parentWidget() == this && !pieceOf(item.control->kind()).liesAboveClient)
            w->setParent(client_);
    client_->show();
}

int FormWindow::barsHeight() const
{
    int height = 0;
    for (const auto &[serial, item] : items_)
        if (QWidget *w = item.widget; w && pieceOf(item.control->kind()).liesAboveClient && item.control->Visible)
            height += w->sizeHint().height();
    return height;
}

void FormWindow::placeClient()
{
    if (!client_)
        return;
    // The window's own width and height: a sizable window may have been
    // made larger or smaller than the form asked.
    const int width = this->width();
    int top = 0;
    for (const auto &[serial, item] : items_)
        if (QWidget *w = item.widget; w && pieceOf(item.control->kind()).liesAboveClient && item.control->Visible) {
            const QRect place(0, top, width, w->sizeHint().height());
            if (w->geometry() != place)
                w->setGeometry(place);
            top += place.height();
        }
    const QRect area(0, top, width, std::max(0, height() - top));
    if (client_->geometry() != area)
        client_->setGeometry(area);
}

void FormWindow::placeOnScreen()
{
    QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary || !abilities_.placesWindows)
        return;
    if (form_.AutoPlace) {
        if (!shownOnce_) {
            // The client area, the window as designed, is centred; a menu
            // bar sits on top of it.
            const int bars = barsHeight();
            QRect r(QPoint(0, 0), QSize(width(), height() - bars));
            r.moveCenter(primary->availableGeometry().center());
            move(r.topLeft() - QPoint(0, bars));
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
    std::optional<QRegion> mask;
    if (region && region->shape == form::WindowRegion::Shape::Ellipse) {
        mask = ellipseRegion(region->left, region->top, region->right, region->bottom);
    } else if (region) {
        // Built for the window's area only, however far and many the
        // vertices: the window follows the form's size.
        mask = polygonRegion(region->points, regionBox(QSize(toPixels(form_.Width), toPixels(form_.Height))));
    }
    if (mask)
        mask->translate(clientOffset());
    if (cutter_) {
        // Qt keeps a window's own repaints within its widget mask, and so
        // would leave what a smaller region drops as it was: the region
        // goes to the native window alone, where it limits input, and the
        // cutter keeps the pixels to it.
        inputRegion_ = mask.value_or(QRegion());
        applyInputRegion();
        cutter_->setShape(mask);
        return;
    }
    if (mask)
        setMask(*mask);
    else
        clearMask();
}

void FormWindow::applyInputRegion()
{
    if (QWindow *native = windowHandle())
        native->setMask(inputRegion_);
}

bool FormWindow::event(QEvent *event)
{
    // A native window made anew (new window flags make one) takes the
    // input region again.
    if (event->type() == QEvent::WinIdChange && cutter_)
        applyInputRegion();
    return QWidget::event(event);
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
    if (applying_ || form_.AutoPlace || !abilities_.placesWindows)
        return;
    // A move reported before the window is on the screen is the window
    // manager placing it, not the user moving it: the form keeps the place
    // it asked for, and nothing is saved of it.
    if (!windowHandle() || !windowHandle()->isExposed())
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

void FormWindow::paintEvent(QPaintEvent *event)
{
    // A see-through window paints its own background (its controls paint
    // over it, and the cutter clears what lies outside the region); any
    // other window has Qt fill it.
    if (!testAttribute(Qt::WA_TranslucentBackground))
        return;
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect &r : event->region())
        p.fillRect(r, palette().color(QPalette::Window));
}

void FormWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeClient();
    noteClientSize();
}

void FormWindow::noteClientSize()
{
    // Width and Height stay the size the program asked for; the client
    // size is what the window has now.
    const QSize client = clientHolder()->size();
    if (client == reportedClient_)
        return;
    reportedClient_ = client;
    // At the model's own size the client area is the size it set, even
    // where that is no whole number of pixels.
    const bool asSet = client == QSize(toPixels(form_.Width), toPixels(form_.Height));
    form_.ScaleWidth = asSet ? form_.Width : float(toTwips(client.width()));
    form_.ScaleHeight = asSet ? form_.Height : float(toTwips(client.height()));
    if (!form_.Resize || resizePending_)
        return;
    // Raised from the event loop, never from inside the window's own update
    // (a resize the model asked for), and once for a burst of resizes.
    resizePending_ = true;
    QMetaObject::invokeMethod(this, [this] { raiseResize(); }, Qt::QueuedConnection);
}

void FormWindow::raiseResize()
{
    resizePending_ = false;
    if (form_.Resize)
        binding_.dispatch([this] { form_.Resize(); });
}

void FormWindow::dragEnterEvent(QDragEnterEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    const bool files = !urls.isEmpty() && std::all_of(urls.begin(), urls.end(), [](const QUrl &u) { return u.isLocalFile(); });
    if (form_.OLEDropMode && files && form_.OLEDragDrop)
        event->acceptProposedAction();
}

void FormWindow::dropEvent(QDropEvent *event)
{
    std::vector<std::string> paths;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.push_back(QDir::toNativeSeparators(url.toLocalFile()).toUtf8().toStdString());
    if (paths.empty() || !form_.OLEDragDrop)
        return;
    event->acceptProposedAction();
    binding_.dispatch([&] { form_.OLEDragDrop(paths); });
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
        const QPointF at = event->position() - QPointF(clientOffset());
        const float x = float(toTwips(at.x()));
        const float y = float(toTwips(at.y()));
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
