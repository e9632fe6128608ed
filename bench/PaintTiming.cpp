// Loaded into the running clock by the clock benchmark (LD_PRELOAD), so the
// clock itself carries no probe: after every repaint of a picture box it
// prints "paint-delay-ms N" on standard error, N being how many
// milliseconds past the second boundary the repaint ended.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
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
        target->event(event);
        painting_ = false;
        using namespace std::chrono;
        const auto since = system_clock::now().time_since_epoch();
        const double ms = double(duration_cast<microseconds>(since).count() % 1000000) / 1000.0;
        std::fprintf(stderr, "paint-delay-ms %.2f\n", ms);
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
