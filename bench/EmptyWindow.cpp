// The yardsticks for the clock benchmark:
//
//   bench_empty_window [empty|tick|server] [SIZE [X Y]]
//
// "empty" (the default): an empty Qt widget window that is shown and then
// only waits for events (memory). "tick": a window that repaints a picture
// and one hand once a second, just past each second boundary, as the least
// any Qt clock does (CPU and wake-ups). "server": the same picture and hand,
// drawn by the X server instead of by Qt into its backing store: the picture
// is sent once into a pixmap of the server's, and each tick sends requests
// only (copy the picture back where the hand was, fill the rows of pixels
// the hand covers). It shows what a Qt clock costs when the server does its
// pixel work, as xclock's does. All are SIZE pixels square (default 244, the
// sample face's size) and stand at X, Y.
#include <QApplication>
#include <QDateTime>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <vector>

#ifdef ORBELLE_BENCH_XCB
#include <xcb/xcb.h>

#include "StrokedPieces.h"
#endif

namespace {

// Where a hand of SIZE's face points at `second`: both yardsticks draw the
// same pixels, a round-ended pen 3 pixels wide from the centre to here.
QPoint handTip(int size, int second)
{
    const double a = second * 6 * 3.14159265358979 / 180;
    const double r = size * 0.41;
    return QPoint(size / 2 + int(std::lround(r * std::sin(a))), size / 2 - int(std::lround(r * std::cos(a))));
}
constexpr int kHandWidth = 3;

class TickingWindow : public QWidget {
public:
    explicit TickingWindow(int size) : face_(size, size, QImage::Format_RGB32)
    {
        face_.fill(QColor(250, 240, 220));
        setAttribute(Qt::WA_OpaquePaintEvent);
        aim();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.drawImage(0, 0, face_);
        p.setPen(QPen(Qt::red, kHandWidth, Qt::SolidLine, Qt::RoundCap));
        const int size = face_.width();
        p.drawLine(QPoint(size / 2, size / 2), handTip(size, second_));
    }

private:
    void aim()
    {
        const qint64 ms = QDateTime::currentMSecsSinceEpoch();
        QTimer::singleShot(int(1000 - ms % 1000 + 2), Qt::PreciseTimer, this, [this] {
            second_ = int(QDateTime::currentSecsSinceEpoch() % 60);
            update();
            aim();
        });
    }

    QImage face_;
    int second_ = 0;
};

#ifdef ORBELLE_BENCH_XCB
// Draws on its own X window with requests to the server; Qt paints nothing.
class ServerDrawnWindow : public QWidget {
public:
    explicit ServerDrawnWindow(int size) : size_(size)
    {
        setAttribute(Qt::WA_NativeWindow);
        setAttribute(Qt::WA_PaintOnScreen);
        setAttribute(Qt::WA_NoSystemBackground);
        aim();
    }
    ~ServerDrawnWindow() override
    {
        if (!connection_)
            return;
        xcb_free_gc(connection_, copyGc_);
        xcb_free_gc(connection_, handGc_);
        xcb_free_pixmap(connection_, face_);
    }
    QPaintEngine *paintEngine() const override { return nullptr; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (!prepare())
            return;
        xcb_copy_area(connection_, face_, window_, copyGc_, 0, 0, 0, 0, std::uint16_t(size_), std::uint16_t(size_));
        drawHand();
    }

private:
    bool prepare()
    {
        if (connection_)
            return true;
        auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        if (!x11 || !x11->connection())
            return false;
        connection_ = x11->connection();
        window_ = xcb_window_t(winId());
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        face_ = xcb_generate_id(connection_);
        xcb_create_pixmap(connection_, screen->root_depth, face_, window_, std::uint16_t(size_), std::uint16_t(size_));
        // No GraphicsExpose or NoExpose events: each would wake the client.
        const std::uint32_t noExposures = 0;
        copyGc_ = xcb_generate_id(connection_);
        xcb_create_gc(connection_, copyGc_, face_, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
        const std::uint32_t red[] = {0xff0000u, 0};
        handGc_ = xcb_generate_id(connection_);
        xcb_create_gc(connection_, handGc_, window_, XCB_GC_FOREGROUND | XCB_GC_GRAPHICS_EXPOSURES, red);
        QImage face(size_, size_, QImage::Format_RGB32);
        face.fill(QColor(250, 240, 220));
        // Sent in strips that fit a request of the core protocol.
        const int rows = std::max(1, 65536 / int(face.bytesPerLine()));
        for (int y = 0; y < size_; y += rows) {
            const int h = std::min(rows, size_ - y);
            xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, face_, copyGc_, std::uint16_t(size_),
                          std::uint16_t(h), 0, std::int16_t(y), 0, screen->root_depth,
                          std::uint32_t(face.bytesPerLine() * h), face.constScanLine(y));
        }
        return true;
    }

    // The rows of pixels the painter's stroke of the hand covers, each a
    // rectangle one pixel high: the rows the clock keeps for its hands.
    std::vector<xcb_rectangle_t> handRows() const
    {
        const auto &rows = orbelle::formqt::StrokedPieces::shared().rows(
            QPoint(size_ / 2, size_ / 2), handTip(size_, second_), kHandWidth, 1, true);
        std::vector<xcb_rectangle_t> rectangles;
        rectangles.reserve(rows.runs.size());
        for (const auto &run : rows.runs)
            rectangles.push_back({std::int16_t(rows.corner.x() + run.x), std::int16_t(rows.corner.y() + run.y),
                                  std::uint16_t(run.length), 1});
        return rectangles;
    }

    void drawHand()
    {
        // A clock keeps a hand's sixty places; so does this.
        std::vector<xcb_rectangle_t> &rows = places_[std::size_t(second_)];
        if (rows.empty())
            rows = handRows();
        xcb_poly_fill_rectangle(connection_, window_, handGc_, std::uint32_t(rows.size()), rows.data());
        xcb_flush(connection_);
        shown_ = &rows;
    }

    void tick()
    {
        if (!prepare())
            return;
        if (shown_)
            for (const xcb_rectangle_t &row : *shown_)
                xcb_copy_area(connection_, face_, window_, copyGc_, row.x, row.y, row.x, row.y, row.width, 1);
        drawHand();
    }

    void aim()
    {
        const qint64 ms = QDateTime::currentMSecsSinceEpoch();
        QTimer::singleShot(int(1000 - ms % 1000 + 2), Qt::PreciseTimer, this, [this] {
            second_ = int(QDateTime::currentSecsSinceEpoch() % 60);
            if (isVisible())
                tick();
            aim();
        });
    }

    int size_;
    int second_ = 0;
    xcb_connection_t *connection_ = nullptr;
    xcb_window_t window_ = 0;
    xcb_pixmap_t face_ = 0;
    xcb_gcontext_t copyGc_ = 0, handGc_ = 0;
    std::vector<xcb_rectangle_t> places_[60];
    const std::vector<xcb_rectangle_t> *shown_ = nullptr;
};
#endif

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("empty");
    const int size = argc > 2 ? std::max(16, std::atoi(argv[2])) : 244;
    // Away from the clock, which stands at the top left, and from each other.
    const QPoint at = argc > 4 ? QPoint(std::atoi(argv[3]), std::atoi(argv[4])) : QPoint(mode == "empty" ? 400 : 700, 300);
    std::unique_ptr<QWidget> window;
    if (mode == "tick") {
        window = std::make_unique<TickingWindow>(size);
    } else if (mode == "server") {
#ifdef ORBELLE_BENCH_XCB
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            std::fprintf(stderr, "bench_empty_window: \"server\" needs an X display\n");
            return 2;
        }
        // The widget's window is made at the screen's own pixels.
        window = std::make_unique<ServerDrawnWindow>(int(std::lround(size * app.devicePixelRatio())));
#else
        std::fprintf(stderr, "bench_empty_window: built without X drawing\n");
        return 2;
#endif
    } else {
        window = std::make_unique<QWidget>();
    }
    window->resize(size, size);
    window->move(at);
    window->setWindowTitle(mode);
    window->show();
    return app.exec();
}
