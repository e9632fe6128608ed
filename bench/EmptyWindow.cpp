// The yardsticks for the clock benchmark. Without arguments: an empty Qt
// widget window that is shown and then only waits for events (memory).
// With "tick": a window of the sample face's size that repaints a picture
// and one hand once a second, just past each second boundary, as the least
// any Qt clock does (CPU and wake-ups).
#include <QApplication>
#include <QDateTime>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

class TickingWindow : public QWidget {
public:
    TickingWindow() : face_(244, 244, QImage::Format_RGB32)
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
        p.drawLine(QPointF(122, 122), QPointF(122 + 100 * std::sin(a), 122 - 100 * std::cos(a)));
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
    std::unique_ptr<QWidget> window = tick ? std::make_unique<TickingWindow>() : std::make_unique<QWidget>();
    window->resize(244, 244);
    // Away from the clock, which stands at the top left, and from each other.
    window->move(tick ? 700 : 400, 300);
    window->setWindowTitle(tick ? QStringLiteral("ticking") : QStringLiteral("empty"));
    window->show();
    return app.exec();
}
