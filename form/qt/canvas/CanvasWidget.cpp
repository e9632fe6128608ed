// SPDX-License-Identifier: MIT
#include "canvas/CanvasWidget.h"

#include <QBackingStore>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "pieces/ControlPiece.h"
#include "Conversions.h"
#include "Form.h"
#include "FormWindow.h"
#include "MouseRouting.h"
#include "QtBinding.h"
#include "canvas/QtPicture.h"
#include "canvas/ServerDrawing.h"

namespace orbelle::formqt {

CanvasWidget::CanvasWidget(form::PictureBox &box, QtBinding &binding, QWidget *parent)
    : QWidget(parent), box_(box), binding_(binding), router_(box)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    setAccessibleName(QString::fromStdString(box.displayName()));
}

CanvasWidget::~CanvasWidget() = default;

QRect CanvasWidget::coverage(const form::Control &control) const
{
    if (!control.Visible)
        return {};
    const QPoint o = contentOrigin();
    if (const auto cover = pieceOf(control.kind()).coverage)
        return cover(control, CanvasPlace{o, rect(), nullptr, devicePixelRatioF()});
    return QRect(o + QPoint(toPixels(control.Left), toPixels(control.Top)),
                 QSize(toPixels(control.Width), toPixels(control.Height)))
        .adjusted(-2, -2, 2, 2);
}

QRegion CanvasWidget::damage(const form::Control &control) const
{
    const auto tighter = pieceOf(control.kind()).damage;
    if (!control.Visible || !tighter)
        return coverage(control);
    return tighter(control, CanvasPlace{contentOrigin(), rect(), nullptr, devicePixelRatioF()});
}

void CanvasWidget::syncContents()
{
    const form::PictureBoxState &look = box_;
    const bool lookChanged = !(look == lastLook_);
    if (lookChanged) {
        lastLook_ = look;
        update();
    }
    const auto &controls = box_.form()->controls();
    // Moves without a button pressed are only worth receiving where someone
    // listens for them.
    bool tracking = bool(box_.MouseMove);
    for (form::Control *c : controls) {
        if (c->container() != &box_)
            continue;
        if (const auto hears = pieceOf(c->kind()).hearsMoves; hears && hears(*c))
            tracking = true;
    }
    if (hasMouseTracking() != tracking)
        setMouseTracking(tracking);
    // Every tick passes here: the watched controls stay where they are and
    // only those gone from the box are let go.
    ++syncs_;
    QRegion dirty;
    std::size_t inBox = 0;
    for (form::Control *c : controls) {
        if (c->container() != &box_ || !c->isWindowless())
            continue;
        ++inBox;
        auto [it, added] = tracked_.try_emplace(c->serial());
        Tracked &t = it->second;
        if (added) {
            if (const auto watchLook = pieceOf(c->kind()).watchLook)
                t.changed = watchLook(*c);
            else
                t.changed = [] { return false; };
        }
        t.seenAt = syncs_;
        if (t.changed()) {
            QRegion now = damage(*c);
            dirty += t.region.united(now);
            t.region = std::move(now);
        }
    }
    if (tracked_.size() != inBox) {
        // Whatever is left was removed from the box.
        for (auto it = tracked_.begin(); it != tracked_.end();) {
            if (it->second.seenAt == syncs_) {
                ++it;
                continue;
            }
            dirty += it->second.region;
            it = tracked_.erase(it);
        }
    }
    if (!dirty.isEmpty() && (lookChanged || !drawByServer(dirty)))
        update(dirty);
}

bool CanvasWidget::drawByServer(const QRegion &dirty)
{
    QWidget *top = window();
    if (!attachServer(*top))
        return false;
    const QRegion clip = serverClip(dirty);
    if (clip.isEmpty())
        return false;
    const std::optional<std::size_t> used = collectServerRows(clip);
    if (!used || !sendToServer(*top, clip, *used))
        return false;
    drawnByServer_ += clip;
    emit drawn(clip);
    return true;
}

bool CanvasWidget::attachServer(QWidget &top)
{
    QWindow *handle = top.windowHandle();
    // The server draws on the top-level's own X window: not where the
    // canvas, or a widget between them, has one of its own.
    if (!handle || !handle->isExposed() || !isVisible() || !updatesEnabled() || internalWinId() ||
        nativeParentWidget() != &top)
        return false;
    if (serverFor_ != &top) {
        server_ = ServerDrawing::on(top);
        serverFor_ = &top;
    }
    if (!server_)
        return false;
    watchShowing(top, *handle);
    return true;
}

void CanvasWidget::watchShowing(QWidget &top, QWindow &handle)
{
    if (watchedTop_ == &top && watchedWindow_ == &handle)
        return;
    if (watchedTop_)
        watchedTop_->removeEventFilter(this);
    if (watchedWindow_)
        watchedWindow_->removeEventFilter(this);
    top.installEventFilter(this);
    handle.installEventFilter(this);
    watchedTop_ = &top;
    watchedWindow_ = &handle;
}

QRegion CanvasWidget::serverClip(const QRegion &dirty) const
{
    const qreal dpr = devicePixelRatioF();
    const int scale = int(dpr);
    if (scale != dpr || scale < 1 || scale > 4)
        return {};
    // The border is painted over the picture along the edges.
    if (box_.BorderPixels >= 2 && !rect().adjusted(2, 2, -2, -2).contains(dirty.boundingRect()))
        return {};
    const QRegion clip = dirty & visibleRegion();
    if (clip.isEmpty() || coveredWithin(clip))
        return {};
    return clip;
}

std::optional<std::size_t> CanvasWidget::collectServerRows(const QRegion &clip)
{
    // Every control the repaint touches tells its rows, or the canvas paints.
    // (Their lists are kept from tick to tick, so as not to allocate them
    // at each.)
    std::size_t used = 0;
    const CanvasPlace place{contentOrigin(), rect(), &clip, devicePixelRatioF()};
    for (const form::Control *c : box_.form()->controls()) {
        if (c->container() != &box_ || !c->isWindowless() || !c->Visible || !clip.intersects(coverage(*c)))
            continue;
        const auto rows = pieceOf(c->kind()).rows;
        if (used == serverRows_.size())
            serverRows_.emplace_back();
        PaintedRows &painted = serverRows_[used];
        painted.rows.clear();
        if (!rows || !rows(*c, place, painted))
            return std::nullopt;
        used += !painted.rows.empty();
    }
    return used;
}

bool CanvasWidget::sendToServer(const QWidget &top, const QRegion &clip, std::size_t used)
{
    // The picture in the backing store's own format, as painting uses it.
    const QImage::Format format =
        backdropKey_.format == QImage::Format_Invalid ? QImage::Format_RGB32 : backdropKey_.format;
    if (QImage::toPixelFormat(format).bitsPerPixel() != 32)
        return false;
    const qreal dpr = devicePixelRatioF();
    const int scale = int(dpr);
    const QPoint at = mapTo(&top, QPoint(0, 0)) * scale;
    std::vector<QRect> device;
    device.reserve(std::size_t(clip.rectCount()));
    for (const QRect &r : clip)
        device.emplace_back(r.topLeft() * scale + at, r.size() * scale);
    ServerDrawing::Repaint repaint;
    repaint.clip.setRects(device.data(), int(device.size()));
    repaint.canvas = QRect(at, size() * scale);
    repaint.backdrop = &backdrop(dpr, format);
    repaint.backdropAt = at + contentOrigin() * scale;
    repaint.back = toQColor(box_.BackColor).rgb();
    repaint.rowsAt = at;
    repaint.controls = std::span<const PaintedRows>(serverRows_.data(), used);
    return server_->draw(repaint);
}

bool CanvasWidget::coveredWithin(const QRegion &region) const
{
    const auto covers = [&](const QObject *o, const QWidget *parent) {
        const auto *w = o->isWidgetType() ? static_cast<const QWidget *>(o) : nullptr;
        return w && w->isVisible() && !w->isWindow() &&
               region.intersects(QRect(mapFrom(parent, w->geometry().topLeft()), w->size()));
    };
    for (const QObject *child : children())
        if (covers(child, this))
            return true;
    // Widgets are stacked in their parent's order: those after the canvas,
    // or after the ancestor it lies in, are above it.
    for (const QWidget *w = this; !w->isWindow(); w = w->parentWidget()) {
        const QObjectList &siblings = w->parentWidget()->children();
        for (auto it = std::find(siblings.begin(), siblings.end(), w); it != siblings.end(); ++it)
            if (*it != w && covers(*it, w->parentWidget()))
                return true;
    }
    return false;
}

bool CanvasWidget::eventFilter(QObject *watched, QEvent *event)
{
    // Qt shows its backing store's copy of the window as it stands when the
    // window is exposed, and flushes a repaint or a move of the canvas (its
    // pixels copied within the backing store) at an update request; what
    // the server drew is painted into the copy first.
    const QEvent::Type type = event->type();
    const bool watching = watched == watchedTop_ || watched == watchedWindow_;
    if ((type == QEvent::Expose || type == QEvent::UpdateRequest) && watching && !drawnByServer_.isEmpty())
        update(drawnByServer_);
    return QWidget::eventFilter(watched, event);
}

void CanvasWidget::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    // The painter keeps to the event's region by itself: the backing store
    // gives it as the system clip, which a second clip would only repeat.
    const QRegion &dirty = event->region();
    // A grab into a picture paints as well, but leaves the screen's copy
    // of the window as it was.
    QBackingStore *store = backingStore();
    const bool onScreen = store && p.paintEngine() && p.paintEngine()->paintDevice() == store->paintDevice();
    if (onScreen && !drawnByServer_.isEmpty())
        drawnByServer_ -= dirty;
    paintBackdrop(p, dirty);
    const QRect all = rect();
    for (const form::Control *c : box_.form()->controls()) {
        if (c->container() != &box_ || !c->isWindowless() || !c->Visible)
            continue;
        // A line wholly outside the repainted area costs its stroking all
        // the same; the clock repaints a hand's box each second.
        if (pieceOf(c->kind()).skippedOutsideRepaint && !dirty.intersects(coverage(*c)))
            continue;
        paintControl(p, *c, dirty);
    }
    if (box_.BorderPixels >= 2) {
        // A sunken border: dark outer and inner edges above and to the left.
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.setPen(QColor(160, 160, 160));
        p.drawLine(all.topLeft(), all.topRight());
        p.drawLine(all.topLeft(), all.bottomLeft());
        p.setPen(Qt::white);
        p.drawLine(all.bottomLeft(), all.bottomRight());
        p.drawLine(all.topRight(), all.bottomRight());
        const QRect in = all.adjusted(1, 1, -1, -1);
        p.setPen(QColor(105, 105, 105));
        p.drawLine(in.topLeft(), in.topRight());
        p.drawLine(in.topLeft(), in.bottomLeft());
        p.setPen(QColor(227, 227, 227));
        p.drawLine(in.bottomLeft(), in.bottomRight());
        p.drawLine(in.topRight(), in.bottomRight());
    }
    if (onScreen)
        emit drawn(dirty);
}

const QImage &CanvasWidget::backdrop(qreal dpr, QImage::Format format)
{
    BackdropKey key{box_.CurrentPicture, dpr, format, box_.BackColor};
    if (key == backdropKey_)
        return backdrop_;
    backdropKey_ = std::move(key);
    QImage dot(1, 1, format);
    dot.fill(toQColor(box_.BackColor));
    backPixel_ = 0;
    std::memcpy(&backPixel_, dot.constBits(), std::min<std::size_t>(sizeof backPixel_, std::size_t(dot.depth() / 8)));
    backdrop_ = QImage();
    const auto *pic = dynamic_cast<const QtPicture *>(box_.CurrentPicture.get());
    if (!pic || pic->image().isNull())
        return backdrop_;
    QImage image = pic->image();
    const QSize device(int(std::lround(image.width() * dpr)), int(std::lround(image.height() * dpr)));
    if (device != image.size())
        image = image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (image.hasAlphaChannel()) {
        // What shows through is the box's back colour, blended as a paint
        // over it would blend.
        QImage over(image.size(), format);
        over.fill(toQColor(box_.BackColor));
        QPainter q(&over);
        q.drawImage(0, 0, image);
        q.end();
        image = std::move(over);
    } else if (!(image.format() == QImage::Format_RGB32 &&
                 (format == QImage::Format_ARGB32_Premultiplied || format == QImage::Format_ARGB32))) {
        // An opaque picture of 32 bits a pixel has the same bytes in either
        // of those formats and is used as it is: no second copy in memory.
        image = image.convertToFormat(format);
    }
    image.setDevicePixelRatio(dpr);
    backdrop_ = std::move(image);
    // One copy of the face in memory: the one shown. The picture's own
    // pixels come back from its file's bytes if the screen's scale or the
    // back colour changes.
    if (backdrop_.constBits() == pic->image().constBits())
        pic->forgetBytes();
    else
        pic->letGoOfPixels();
    return backdrop_;
}

void CanvasWidget::paintBackdrop(QPainter &p, const QRegion &region)
{
    // Painting on screen goes into the backing store's picture: the exposed
    // part of the prepared picture is copied into it row by row, and the
    // back colour filled beside it. The painter would do the same work but
    // hand anything of more than a few dozen rows or a complex clip to its
    // thread pool.
    const QTransform t = p.deviceTransform();
    QPaintEngine *engine = p.paintEngine();
    auto *store = engine ? dynamic_cast<QImage *>(engine->paintDevice()) : nullptr;
    const bool plain = t.type() <= QTransform::TxScale && t.m11() == t.m22() && t.m11() > 0;
    if (store && plain && store->depth() == 32 && !store->isNull()) {
        const QImage &pic = backdrop(t.m11(), store->format());
        const QPoint at = t.map(QPointF(contentOrigin())).toPoint();
        const QRect shownAt(at, pic.size());
        const QRect bounds = t.mapRect(QRectF(rect())).toRect() & store->rect();
        // The painter writes into these bytes as well; no copy of them is made.
        uchar *bits = const_cast<uchar *>(store->constBits());
        const qsizetype stride = store->bytesPerLine();
        // Where the painter may paint, in the store's pixels: the region less
        // what covers the widget or lies outside its parents.
        QRegion device = engine->systemClip();
        if (device.isEmpty())
            for (const QRect &logical : region)
                device += t.mapRect(QRectF(logical)).toAlignedRect();
        for (const QRect &exposed : device) {
            const QRect r = exposed & bounds;
            if (r.isEmpty())
                continue;
            const QRect shown = r & shownAt;
            for (int y = r.top(); y <= r.bottom(); ++y) {
                auto *row = reinterpret_cast<std::uint32_t *>(bits + y * stride);
                if (shown.isEmpty() || y < shown.top() || y > shown.bottom()) {
                    std::fill(row + r.left(), row + r.right() + 1, backPixel_);
                    continue;
                }
                std::fill(row + r.left(), row + shown.left(), backPixel_);
                std::memcpy(row + shown.left(),
                            pic.constScanLine(y - at.y()) + std::size_t(shown.left() - at.x()) * 4,
                            std::size_t(shown.width()) * 4);
                std::fill(row + shown.right() + 1, row + r.right() + 1, backPixel_);
            }
        }
        return;
    }
    // Elsewhere (a grab into a pixmap, a printer) the painter does it.
    const qreal dpr = std::max(1.0, std::abs(t.m22()));
    const QImage &pic = backdrop(dpr, QImage::Format_ARGB32_Premultiplied);
    p.save();
    p.setClipRegion(region);
    p.fillRect(region.boundingRect(), toQColor(box_.BackColor));
    if (!pic.isNull())
        p.drawImage(QRectF(QPointF(contentOrigin()), QSizeF(pic.size()) / dpr), pic);
    p.restore();
}

void CanvasWidget::paintControl(QPainter &p, const form::Control &control, const QRegion &repainting)
{
    if (const auto paint = pieceOf(control.kind()).paint)
        paint(p, control, CanvasPlace{contentOrigin(), rect(), &repainting, devicePixelRatioF()});
}

QPointF CanvasWidget::twipsAt(const QMouseEvent *event) const
{
    const QPointF at = event->position() - QPointF(contentOrigin());
    return QPointF(toTwips(std::floor(at.x())), toTwips(std::floor(at.y())));
}

namespace {
int buttonCode(Qt::MouseButtons buttons)
{
    int code = 0;
    if (buttons & Qt::LeftButton) code |= form::LeftButton;
    if (buttons & Qt::RightButton) code |= form::RightButton;
    if (buttons & Qt::MiddleButton) code |= form::MiddleButton;
    return code;
}
} // namespace

namespace {
int shiftCode(Qt::KeyboardModifiers modifiers)
{
    int shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= 1;
    if (modifiers & Qt::ControlModifier) shift |= 2;
    if (modifiers & Qt::AltModifier) shift |= 4;
    return shift;
}
} // namespace

void CanvasWidget::mousePressEvent(QMouseEvent *event)
{
    if (auto *w = qobject_cast<FormWindow *>(window()))
        w->notePress(event);
    const QPointF at = twipsAt(event);
    binding_.dispatch([&] {
        router_.press(buttonCode(event->button()), shiftCode(event->modifiers()), float(at.x()), float(at.y()));
    });
}

void CanvasWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (auto *w = qobject_cast<FormWindow *>(window()); w && w->dragMove(event))
        return;
    const QPointF at = twipsAt(event);
    binding_.dispatch([&] {
        router_.move(buttonCode(event->buttons()), shiftCode(event->modifiers()), float(at.x()), float(at.y()));
    });
}

void CanvasWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (auto *w = qobject_cast<FormWindow *>(window()); w && w->dragEnd(event))
        return;
    const QPointF at = twipsAt(event);
    binding_.dispatch([&] {
        router_.release(buttonCode(event->button()), shiftCode(event->modifiers()), float(at.x()), float(at.y()));
    });
}

void CanvasWidget::wheelEvent(QWheelEvent *event)
{
    if (!box_.MouseWheel) {
        event->ignore();
        return;
    }
    const QPoint turn = event->angleDelta();
    const int shift = shiftCode(event->modifiers());
    binding_.dispatch([&] { box_.MouseWheel(shift, turn.x(), turn.y()); });
    event->accept();
}

void CanvasWidget::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    // Another window or a menu taking over keeps the focus where it was
    // within this window; only a move to another control is a loss.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    if (box_.LostFocus)
        binding_.dispatch([&] { box_.LostFocus(); });
}

} // namespace orbelle::formqt
