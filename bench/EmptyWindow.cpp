// The yardsticks for the clock benchmark:
//
//   bench_empty_window [empty|tick] [SIZE [X Y]]
//
// "empty" (the default): an empty Qt widget window that is shown and then
// only waits for events (memory). "tick": a window that repaints a picture
// and one hand once a second, just past each second boundary, as the least
// any Qt clock does (CPU and wake-ups). Both are SIZE pixels square (default
// 244, the sample face's size) and stand at X, Y.
#include <QApplication>
#include <QDateTime>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

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
        p.setPen(QPen(Qt::red, 3));
        const double a = second_ * 6 * 3.14159265358979 / 180;
        const double c = face_.width() / 2.0;
        const double r = face_.width() * 0.41;
        p.drawLine(QPointF(c, c), QPointF(c + r * std::sin(a), c - r * std::cos(a)));
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

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const bool tick = argc > 1 && std::strcmp(argv[1], "tick") == 0;
    const int size = argc > 2 ? std::max(16, std::atoi(argv[2])) : 244;
    // Away from the clock, which stands at the top left, and from each other.
    const QPoint at = argc > 4 ? QPoint(std::atoi(argv[3]), std::atoi(argv[4])) : QPoint(tick ? 700 : 400, 300);
    std::unique_ptr<QWidget> window =
        tick ? std::unique_ptr<QWidget>(std::make_unique<TickingWindow>(size)) : std::make_unique<QWidget>();
    window->resize(size, size);
    window->move(at);
    window->setWindowTitle(tick ? QStringLiteral("ticking") : QStringLiteral("empty"));
    window->show();
    return app.exec();
}
