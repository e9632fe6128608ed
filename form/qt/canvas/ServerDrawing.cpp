// SPDX-License-Identifier: MIT
#include "canvas/ServerDrawing.h"

#include <QGuiApplication>
#include <QSysInfo>
#include <algorithm>
#include <cstdlib>

#if defined(ORBELLE_HAVE_XCB) && QT_CONFIG(xcb)
#define ORBELLE_SERVER_DRAWING 1
#include <xcb/xcb.h>
#endif

namespace orbelle::formqt {

#ifdef ORBELLE_SERVER_DRAWING

namespace {

xcb_connection_t *connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// Whether the server keeps the window's pixels as the backing store does:
// 24 bits of red, green and blue a byte each, sent and kept as 32-bit words
// in this machine's byte order.
bool drawable(xcb_connection_t *c, xcb_window_t window)
{
    const xcb_setup_t *setup = xcb_get_setup(c);
    const bool littleEndian = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
    if (setup->image_byte_order != (littleEndian ? XCB_IMAGE_ORDER_LSB_FIRST : XCB_IMAGE_ORDER_MSB_FIRST))
        return false;
    bool wholeWords = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == 24)
            wholeWords = f.data->bits_per_pixel == 32 && f.data->scanline_pad == 32;
    if (!wholeWords)
        return false;
    auto *geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    auto *attributes = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    const bool deep = geometry && geometry->depth == 24;
    const xcb_visualid_t visual = attributes ? attributes->visual : 0;
    std::free(geometry);
    std::free(attributes);
    if (!deep)
        return false;
    for (auto s = xcb_setup_roots_iterator(setup); s.rem; xcb_screen_next(&s))
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d))
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
                if (v.data->visual_id == visual)
                    return v.data->red_mask == 0xff0000u && v.data->green_mask == 0xff00u &&
                           v.data->blue_mask == 0xffu &&
                           (v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR ||
                            v.data->_class == XCB_VISUAL_CLASS_DIRECT_COLOR);
    return false;
}

// A rectangle within the window, whose coordinates fit 16 bits.
xcb_rectangle_t rectangle(const QRect &r)
{
    return {std::int16_t(r.x()), std::int16_t(r.y()), std::uint16_t(r.width()), std::uint16_t(r.height())};
}

} // namespace

struct ServerDrawing::X {
    xcb_connection_t *c = nullptr;
    xcb_window_t window = 0;
    bool usable = false;
    // One context for everything drawn: no GraphicsExpose or NoExpose
    // events (each would wake the program), its clip the repaint's.
    xcb_gcontext_t gc = 0;
    xcb_pixmap_t picture = 0;
    qint64 pictureKey = 0;
    std::vector<xcb_rectangle_t> rectangles; // kept between repaints, so as not to allocate at each

    ~X()
    {
        if (connection() != c)
            return; // the connection went with the application
        if (picture)
            xcb_free_pixmap(c, picture);
        if (gc)
            xcb_free_gc(c, gc);
    }

    // Draws on `w` from now on; false where it cannot. Asks the server
    // about a window once only.
    bool aimAt(xcb_window_t w)
    {
        if (w == window)
            return usable;
        if (gc)
            xcb_free_gc(c, gc);
        if (picture)
            xcb_free_pixmap(c, picture);
        gc = picture = 0;
        pictureKey = 0;
        window = w;
        usable = drawable(c, w);
        if (usable) {
            gc = xcb_generate_id(c);
            const std::uint32_t noExposures = 0;
            xcb_create_gc(c, gc, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
        }
        return usable;
    }

    // The backdrop in a pixmap of the server's, sent when it is new.
    void send(const QImage &backdrop)
    {
        if (backdrop.cacheKey() == pictureKey)
            return;
        if (picture)
            xcb_free_pixmap(c, picture);
        pictureKey = backdrop.cacheKey();
        picture = xcb_generate_id(c);
        xcb_create_pixmap(c, 24, picture, window, std::uint16_t(backdrop.width()), std::uint16_t(backdrop.height()));
        setFunction(XCB_GX_COPY);
        const std::uint32_t unclipped = XCB_NONE;
        xcb_change_gc(c, gc, XCB_GC_CLIP_MASK, &unclipped);
        const QImage tight = backdrop.bytesPerLine() == qsizetype(backdrop.width()) * 4 ? backdrop : backdrop.copy();
        // In strips of at most a quarter of the largest request the server
        // takes (counted in words of four bytes), and of a megabyte.
        const std::size_t most = std::min<std::size_t>(xcb_get_maximum_request_length(c), 1u << 20);
        const int rows = std::max(1, int(most / std::size_t(tight.bytesPerLine())));
        for (int y = 0; y < tight.height(); y += rows) {
            const int h = std::min(rows, tight.height() - y);
            xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, picture, gc, std::uint16_t(tight.width()), std::uint16_t(h), 0,
                          std::int16_t(y), 0, 24, std::uint32_t(tight.bytesPerLine() * h), tight.constScanLine(y));
        }
    }

    void setFunction(std::uint32_t function, std::uint32_t foreground = 0)
    {
        const std::uint32_t values[] = {function, foreground};
        xcb_change_gc(c, gc, XCB_GC_FUNCTION | XCB_GC_FOREGROUND, values);
    }

    // In requests the server takes: 8 bytes a rectangle after 12 of header.
    void fill(const std::vector<xcb_rectangle_t> &rects)
    {
        const std::size_t most = (std::size_t(xcb_get_maximum_request_length(c)) * 4 - 12) / 8;
        for (std::size_t i = 0; i < rects.size(); i += most)
            xcb_poly_fill_rectangle(c, window, gc, std::uint32_t(std::min(most, rects.size() - i)), rects.data() + i);
    }
};

std::unique_ptr<ServerDrawing> ServerDrawing::on(QWidget &window)
{
    xcb_connection_t *c = connection();
    if (!c || !window.isWindow() || !window.internalWinId())
        return nullptr;
    auto x = std::make_unique<X>();
    x->c = c;
    if (!x->aimAt(xcb_window_t(window.internalWinId())))
        return nullptr;
    return std::unique_ptr<ServerDrawing>(new ServerDrawing(window, std::move(x)));
}

bool ServerDrawing::draw(const Repaint &repaint)
{
    if (!window_ || !window_->internalWinId() || !x_->aimAt(xcb_window_t(window_->internalWinId())))
        return false;
    X &x = *x_;
    const bool pictured = repaint.backdrop && !repaint.backdrop->isNull();
    // A second copy of a very large picture in the server would cost more
    // than painting saves.
    constexpr int kLargest = 4096;
    if (pictured && (repaint.backdrop->width() > kLargest || repaint.backdrop->height() > kLargest))
        return false;
    if (pictured)
        x.send(*repaint.backdrop);

    // Everything sent lies within the repaint, and so within the window.
    const QRect bounds = repaint.clip.boundingRect() & QRect(0, 0, 32767, 32767);
    x.rectangles.clear();
    for (const QRect &r : repaint.clip)
        x.rectangles.push_back(rectangle(r & bounds));
    xcb_set_clip_rectangles(x.c, XCB_CLIP_ORDERING_UNSORTED, x.gc, 0, 0, std::uint32_t(x.rectangles.size()),
                            x.rectangles.data());

    // The back colour where the picture does not reach, then the picture.
    const QRect shown = pictured ? QRect(repaint.backdropAt, repaint.backdrop->size()) : QRect();
    x.setFunction(XCB_GX_COPY, repaint.back & 0xffffffu);
    x.rectangles.clear();
    for (const QRect &r : QRegion(repaint.canvas & bounds) - QRegion(shown))
        x.rectangles.push_back(rectangle(r));
    x.fill(x.rectangles);
    const QRect copied = shown & bounds;
    if (!copied.isEmpty())
        xcb_copy_area(x.c, x.picture, x.window, x.gc, std::int16_t(copied.x() - shown.x()),
                      std::int16_t(copied.y() - shown.y()), std::int16_t(copied.x()), std::int16_t(copied.y()),
                      std::uint16_t(copied.width()), std::uint16_t(copied.height()));

    for (const PaintedRows &control : repaint.controls) {
        // "Not pen and destination" keeps of each pixel the bits the colour
        // lacks.
        x.setFunction(control.maskNotPen ? XCB_GX_AND_INVERTED : XCB_GX_COPY, control.colour & 0xffffffu);
        x.rectangles.clear();
        for (const QRect &row : control.rows)
            if (const QRect r = row.translated(repaint.rowsAt) & bounds; !r.isEmpty())
                x.rectangles.push_back(rectangle(r));
        x.fill(x.rectangles);
    }
    xcb_flush(x.c);
    return true;
}

#else

struct ServerDrawing::X {};

std::unique_ptr<ServerDrawing> ServerDrawing::on(QWidget &)
{
    return nullptr;
}

bool ServerDrawing::draw(const Repaint &)
{
    return false;
}

#endif

ServerDrawing::ServerDrawing(QWidget &window, std::unique_ptr<X> x) : window_(&window), x_(std::move(x)) {}

ServerDrawing::~ServerDrawing() = default;

} // namespace orbelle::formqt
