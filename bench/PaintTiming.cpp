// SPDX-License-Identifier: MIT
// Loaded into the running clock by the clock benchmark (LD_PRELOAD), so the
// clock itself carries no probe: after every repaint of a picture box on
// the screen, whether painted or drawn by the X server, it prints
// "paint-delay-ms N" on standard error, N being how many milliseconds past
// the second boundary the repaint ended, and "paint-region R A": the
// repaint's rectangles and its area in pixels.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QRegion>
#include <QVariant>
#include <chrono>
#include <cstdio>

namespace {

class PaintTiming : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

public slots:
    void drawn(const QRegion &region)
    {
        using namespace std::chrono;
        const auto since = system_clock::now().time_since_epoch();
        const double ms = double(duration_cast<microseconds>(since).count() % 1000000) / 1000.0;
        long long area = 0;
        for (const QRect &r : region)
            area += qint64(r.width()) * r.height();
        std::fprintf(stderr, "paint-delay-ms %.2f\npaint-region %d %lld\n", ms, int(region.rectCount()), area);
    }

protected:
    // Listens to each picture box from the first event it receives.
    bool eventFilter(QObject *target, QEvent *) override
    {
        static const char kHeard[] = "benchPaintTimingHeard";
        if (!target->inherits("orbelle::formqt::CanvasWidget") || target->property(kHeard).toBool())
            return false;
        target->setProperty(kHeard, true);
        connect(target, SIGNAL(drawn(QRegion)), this, SLOT(drawn(QRegion)));
        return false;
    }
};

void installPaintTiming()
{
    QCoreApplication::instance()->installEventFilter(new PaintTiming(QCoreApplication::instance()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installPaintTiming)

#include "PaintTiming.moc"
