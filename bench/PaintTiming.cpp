// Loaded into the running clock by the clock benchmark (LD_PRELOAD), so the
// clock itself carries no probe: after every repaint of a picture box it
// prints "paint-delay-ms N" on standard error, N being how many
// milliseconds past the second boundary the repaint ended, and
// "paint-region R A": the repaint's rectangles and its area in pixels.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRegion>
#include <chrono>
#include <cstdio>

namespace {

class PaintTiming : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *target, QEvent *event) override
    {
        if (event->type() != QEvent::Paint || painting_ || !target->inherits("orbelle::formqt::CanvasWidget"))
            return false;
        // The box paints here, inside the filter, so the time taken after
        // it is the time the repaint ended.
        painting_ = true;
        const QRegion region = static_cast<QPaintEvent *>(event)->region();
        target->event(event);
        painting_ = false;
        using namespace std::chrono;
        const auto since = system_clock::now().time_since_epoch();
        const double ms = double(duration_cast<microseconds>(since).count() % 1000000) / 1000.0;
        long long area = 0;
        for (const QRect &r : region)
            area += qint64(r.width()) * r.height();
        std::fprintf(stderr, "paint-delay-ms %.2f\npaint-region %d %lld\n", ms, int(region.rectCount()), area);
        return true;
    }

private:
    bool painting_ = false;
};

void installPaintTiming()
{
    QCoreApplication::instance()->installEventFilter(new PaintTiming(QCoreApplication::instance()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installPaintTiming)
