// SPDX-License-Identifier: MIT
// The yardsticks for the clock benchmark:
//
//   bench_empty_window [empty|tick|server] [SIZE [X Y]]
//
// "empty" (the default): an empty Qt widget window that is shown and then
// only waits for events (memory). "tick": a window that repaints a picture
// and one hand once a second, just past each second boundary, as the least
// any Qt clock does (CPU and wake-ups). "server": the same picture and hand,
// drawn by the X server instead of by Qt into its backing store, through
// the clock's own server drawing: the picture is sent once into a pixmap of
// the server's, and each tick sends requests only (copy the picture back
// over the hand's old and new boxes, fill the rows of pixels the hand
// covers). It shows what a Qt clock costs when the server does its pixel
// work, as xclock's does. All are SIZE pixels square (default 244, the
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

#include <span>

#include "canvas/ServerDrawing.h"
#include "canvas/StrokedPieces.h"

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

// Draws on its own X window through the clock's own server drawing; Qt
// paints nothing.
class ServerDrawnWindow : public QWidget {
public:
    explicit ServerDrawnWindow(int size) : face_(size, size, QImage::Format_RGB32)
    {
        face_.fill(QColor(250, 240, 220));
        setAttribute(Qt::WA_NativeWindow);
        setAttribute(Qt::WA_PaintOnScreen);
        setAttribute(Qt::WA_NoSystemBackground);
        aim();
    }
    QPaintEngine *paintEngine() const override { return nullptr; }

protected:
    void paintEvent(QPaintEvent *) override { draw(face_.rect()); }

private:
    // The rows of pixels the painter's stroke of the hand covers, kept for
    // each of its sixty places as the clock keeps its hands' rows.
    const orbelle::formqt::PaintedRows &hand(int second)
    {
        orbelle::formqt::PaintedRows &place = places_[std::size_t(second)];
        if (place.rows.empty()) {
            const int size = face_.width();
            const auto &rows = orbelle::formqt::StrokedPieces::shared().rows(
                QPoint(size / 2, size / 2), handTip(size, second), kHandWidth, 1, true);
            place.colour = qRgb(255, 0, 0);
            for (const auto &run : rows.runs)
                place.rows.emplace_back(rows.corner.x() + run.x, rows.corner.y() + run.y, run.length, 1);
        }
        return place;
    }

    // The face put back and the hand drawn, within `clip` (window pixels).
    void draw(const QRegion &clip)
    {
        if (!server_)
            server_ = orbelle::formqt::ServerDrawing::on(*this);
        if (!server_) {
            std::fprintf(stderr, "bench_empty_window: this build or display cannot draw through the X server\n");
            QCoreApplication::exit(2);
            return;
        }
        orbelle::formqt::ServerDrawing::Repaint repaint;
        repaint.clip = clip;
        repaint.canvas = face_.rect();
        repaint.backdrop = &face_;
        repaint.controls = std::span(&hand(second_), 1);
        server_->draw(repaint);
    }

    static QRect boxOf(const orbelle::formqt::PaintedRows &hand)
    {
        QRect box;
        for (const QRect &row : hand.rows)
            box |= row;
        return box;
    }

    void aim()
    {
        const qint64 ms = QDateTime::currentMSecsSinceEpoch();
        QTimer::singleShot(int(1000 - ms % 1000 + 2), Qt::PreciseTimer, this, [this] {
            const QRect was = boxOf(hand(second_));
            second_ = int(QDateTime::currentSecsSinceEpoch() % 60);
            if (isVisible())
                draw(QRegion(was) + boxOf(hand(second_)));
            aim();
        });
    }

    QImage face_;
    int second_ = 0;
    orbelle::formqt::PaintedRows places_[60];
    std::unique_ptr<orbelle::formqt::ServerDrawing> server_;
};

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
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            std::fprintf(stderr, "bench_empty_window: \"server\" needs an X display\n");
            return 2;
        }
        // The widget's window is made at the screen's own pixels.
        window = std::make_unique<ServerDrawnWindow>(int(std::lround(size * app.devicePixelRatio())));
    } else {
        window = std::make_unique<QWidget>();
    }
    window->resize(size, size);
    window->move(at);
    window->setWindowTitle(mode);
    window->show();
    return app.exec();
}
