// SPDX-License-Identifier: MIT
// Drags the picture frame and the hands area of the editor over a
// 6000 x 4000 picture with mouse events sent to the real canvas widget, and
// prints, for each drag, the time from a move to the finished repaint
// (median, 99th percentile, worst) and the size of the repainted region.
// Then, with a 24-megapixel JPEG chosen as a user chooses it: the time until
// it is shown and the memory it took, the wheel scrolling over it at the
// first window size and at 1200 x 800 (each notch from the wheel event to
// the finished repaint), and the time to write a copy scaled to 600 pixels.
// Runs on the offscreen platform unless another one is asked for.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QImage>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "canvas/CanvasWidget.h"
#include "Form1.h"
#include "FormWindow.h"
#include "QtBinding.h"
#include "canvas/PictureScaling.h"
#include "canvas/QtPicture.h"

namespace {

using Clock = std::chrono::steady_clock;

// Counts the canvas's paints and what they covered.
class PaintWatch : public QObject {
public:
    int paints = 0;
    QRect lastBounds;
    long long lastArea = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            const auto *paint = static_cast<QPaintEvent *>(event);
            ++paints;
            lastBounds = paint->region().boundingRect();
            lastArea = 0;
            for (const QRect &r : paint->region())
                lastArea += (long long)r.width() * r.height();
        }
        return false;
    }
};

QImage gradientPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, width, height);
    g.setColorAt(0, QColor(20, 40, 120));
    g.setColorAt(0.5, QColor(200, 180, 60));
    g.setColorAt(1, QColor(40, 160, 90));
    p.fillRect(image.rect(), g);
    return image;
}

struct Figures {
    std::vector<double> ms;
    std::vector<double> dispatchMs; // the model's handler and the sync that marks what changed
    std::vector<long long> areas;
    QRect largest;
    int missed = 0;
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(p / 100.0 * double(v.size() - 1) + 0.5));
    return v[i];
}

void send(QWidget *canvas, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(at), QPointF(canvas->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(canvas, &event);
}

// A zigzag of 1-pixel steps within 24 pixels right and 12 down of `start`;
// the pointer never leaves the object it drags.
std::vector<QPoint> zigzag(QPoint start, int count)
{
    std::vector<QPoint> path;
    for (int i = 0; i < count; ++i) {
        const int phase = i % 48;
        const int dx = phase < 24 ? phase : 48 - phase;
        const int dy = (i / 3) % 24 < 12 ? (i / 3) % 12 : 12 - (i / 3) % 12;
        path.push_back(start + QPoint(dx + 1, dy));
    }
    return path;
}

// Presses at `start` and moves the pointer along the zigzag, timing each move
// up to the end of the paint it causes; then walks back to `start` and lets
// go, so the object ends where it began.
Figures drag(QWidget *canvas, PaintWatch &watch, QPoint start, int moves, int warmUp)
{
    Figures f;
    const std::vector<QPoint> path = zigzag(start, warmUp + moves);
    send(canvas, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    QCoreApplication::processEvents();
    for (int i = 0; i < warmUp + moves; ++i) {
        const QPoint at = path[size_t(i)];
        const int before = watch.paints;
        const auto t0 = Clock::now();
        send(canvas, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        const auto t1 = Clock::now();
        // The repaint was asked for with update(); it happens when the event
        // loop gets to it.
        const auto deadline = t0 + std::chrono::milliseconds(500);
        while (watch.paints == before && Clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        const auto t2 = Clock::now();
        if (i < warmUp)
            continue;
        if (watch.paints == before) {
            ++f.missed;
            continue;
        }
        f.ms.push_back(std::chrono::duration<double, std::milli>(t2 - t0).count());
        f.dispatchMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        f.areas.push_back(watch.lastArea);
        if (watch.lastBounds.width() * watch.lastBounds.height() > f.largest.width() * f.largest.height())
            f.largest = watch.lastBounds;
    }
    for (auto it = path.rbegin(); it != path.rend(); ++it)
        send(canvas, QEvent::MouseMove, *it, Qt::NoButton, Qt::LeftButton);
    send(canvas, QEvent::MouseMove, start, Qt::NoButton, Qt::LeftButton);
    send(canvas, QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
    QCoreApplication::processEvents();
    return f;
}

void print(const char *what, const Figures &f)
{
    std::vector<double> areas(f.areas.begin(), f.areas.end());
    std::printf("%-34s moves %4zu  median %6.2f ms  p99 %6.2f ms  max %6.2f ms  (handler+sync median %5.2f ms)"
                "  repainted median %7.0f px, largest box %dx%d%s\n",
                what, f.ms.size(), percentile(f.ms, 50), percentile(f.ms, 99), percentile(f.ms, 100),
                percentile(f.dispatchMs, 50), percentile(areas, 50), f.largest.width(), f.largest.height(),
                f.missed ? (", " + std::to_string(f.missed) + " moves without a paint").c_str() : "");
}

// The process's resident memory, KiB (Linux; 0 elsewhere).
long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// Waits until the canvas has painted more than `before` times, or 2 s.
bool paintedAfter(const PaintWatch &watch, int before)
{
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    while (watch.paints == before && Clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    return watch.paints != before;
}

// Turns the wheel over the canvas one notch at a time, `notches` times,
// down and back up in runs of 20 (Shift held: sideways), timing each notch
// up to the end of the repaint it causes.
Figures scrollByWheel(QWidget *canvas, PaintWatch &watch, int notches, bool sideways)
{
    Figures f;
    for (int i = 0; i < notches; ++i) {
        const int dy = (i / 20) % 2 ? 120 : -120;
        const QPointF at(40, 40);
        QWheelEvent event(at, canvas->mapToGlobal(at), QPoint(), QPoint(0, dy), Qt::NoButton,
                          sideways ? Qt::ShiftModifier : Qt::NoModifier, Qt::NoScrollPhase, false);
        const int before = watch.paints;
        const auto t0 = Clock::now();
        QApplication::sendEvent(canvas, &event);
        const auto t1 = Clock::now();
        if (!paintedAfter(watch, before)) {
            ++f.missed;
            continue;
        }
        f.ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        f.dispatchMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        f.areas.push_back(watch.lastArea);
        if (watch.lastBounds.width() * watch.lastBounds.height() > f.largest.width() * f.largest.height())
            f.largest = watch.lastBounds;
    }
    return f;
}

// Chooses a 6000 x 4000 JPEG as the editor's picture button does, then
// scrolls over it and scales it; prints the figures.
void largePhoto(orbelle::formqt::QtBinding &binding, orbelle::maker::Form1 &editor,
                orbelle::formqt::FormWindow *window, QWidget *canvas, PaintWatch &watch, int notches)
{
    QTemporaryDir dir;
    const QString photo = dir.filePath(QStringLiteral("IMG_0001.jpg"));
    gradientPicture(6000, 4000).save(photo, "JPG", 90);
    binding.dispatch([&] { editor.Picture1.setPicture(nullptr); });
    QCoreApplication::processEvents();
    const long rssBefore = residentKiB();
    QElapsedTimer shown;
    shown.start();
    const int before = watch.paints;
    binding.dispatch([&] { editor.applyPicture(photo.toStdString()); });
    paintedAfter(watch, before);
    const qint64 shownMs = shown.elapsed();
    const long rssAfter = residentKiB();
    const double decodedMiB = 6000.0 * 4000 * 4 / (1024 * 1024);
    std::printf("6000 x 4000 JPEG chosen and shown in %lld ms; memory +%.0f MiB (the decoded picture is %.0f MiB)\n",
                shownMs, (rssAfter - rssBefore) / 1024.0, decodedMiB);

    print("wheel, first window size", scrollByWheel(canvas, watch, notches, false));
    window->resize(1200, 800);
    QElapsedTimer waited;
    waited.start();
    while (editor.ScaleWidth != 18000 && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    const Figures down = scrollByWheel(canvas, watch, notches, false);
    const Figures across = scrollByWheel(canvas, watch, notches, true);
    print("wheel, 1200x800", down);
    print("shift+wheel, 1200x800", across);
    const bool met = percentile(down.ms, 50) <= 16 && percentile(down.ms, 99) <= 25 &&
                     percentile(across.ms, 50) <= 16 && percentile(across.ms, 99) <= 25;
    std::printf("goal median <= 16 ms, p99 <= 25 ms: %s\n", met ? "met" : "MISSED");

    QElapsedTimer scaled;
    scaled.start();
    const bool written = orbelle::formqt::writeScaledPicture(photo.toStdString(),
                                                             dir.filePath(QStringLiteral("IMG_0001-600px.jpg")).toStdString(),
                                                             QSize(600, 400));
    std::printf("scaled to 600 x 400 and written in %lld ms%s\n", scaled.elapsed(), written ? "" : " (FAILED)");
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const int moves = argc > 1 ? std::max(10, std::atoi(argv[1])) : 1000;
    const int warmUp = 50;

    orbelle::formqt::QtBinding binding;
    orbelle::maker::Form1 editor(binding);
    binding.addForm(editor);
    binding.load(editor);
    orbelle::formqt::FormWindow *window = binding.windowOf(editor);
    QElapsedTimer waited;
    waited.start();
    while (window && !(window->windowHandle() && window->windowHandle()->isExposed()) && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (!window || !window->windowHandle() || !window->windowHandle()->isExposed()) {
        std::fprintf(stderr, "the editor window did not show\n");
        return 1;
    }
    QWidget *canvas = window->widgetOf(editor.Picture1);
    PaintWatch watch;
    canvas->installEventFilter(&watch);

    std::printf("platform %s, %d moves per drag after %d to warm up\n", qPrintable(QApplication::platformName()),
                moves, warmUp);
    // Pressed on the frame's bottom strip, which the hands area leaves free,
    // and inside the hands area.
    const QPoint frameStrip(2 + 1305 / 15, 2 + 2535 / 15);
    const QPoint handsArea(2 + 1200 / 15, 2 + 1500 / 15);

    print("no picture: frame", drag(canvas, watch, frameStrip, moves, warmUp));
    print("no picture: hands area", drag(canvas, watch, handsArea, moves, warmUp));

    QElapsedTimer made;
    made.start();
    auto picture = std::make_shared<orbelle::formqt::QtPicture>("gradient 6000x4000", gradientPicture(6000, 4000));
    binding.dispatch([&] { editor.Picture1.setPicture(picture); });
    QCoreApplication::processEvents();
    std::printf("6000 x 4000 picture made and shown in %lld ms; canvas %dx%d px\n", made.elapsed(), canvas->width(),
                canvas->height());

    const Figures frame = drag(canvas, watch, frameStrip, moves, warmUp);
    const Figures hands = drag(canvas, watch, handsArea, moves, warmUp);
    print("6000x4000 picture: frame", frame);
    print("6000x4000 picture: hands area", hands);
    const bool met = percentile(frame.ms, 50) <= 4 && percentile(frame.ms, 99) <= 12 &&
                     percentile(hands.ms, 50) <= 4 && percentile(hands.ms, 99) <= 12;
    std::printf("goal median <= 4 ms, p99 <= 12 ms: %s\n", met ? "met" : "MISSED");

    largePhoto(binding, editor, window, canvas, watch, std::min(moves, 400));

    binding.releaseWindows();
    return 0;
}
