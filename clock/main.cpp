// OrbelleDo: the clock. Joins the clock's two forms to the Qt binding.

#include <QApplication>
#include <QIcon>
#include <QSessionManager>
#include <QtGlobal>
#include <clocale>
#include <functional>

#ifndef _WIN32
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

#include "Form1.h"
#include "Form2.h"
#include "QtBinding.h"

namespace {

// A window can neither place itself nor learn where it stands on a Wayland
// session, so the saved position would be lost at every exit. Where an X
// server is reachable as well, the clock runs there unless the user chose.
void preferX11WhereItKeepsThePosition()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    qputenv("QT_QPA_PLATFORM", "xcb");
}

#ifndef _WIN32
int endSignalPipe[2] = {-1, -1};

extern "C" void noteEndSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(endSignalPipe[1], &byte, 1);
    errno = saved;
}
#endif

// SIGTERM (the session or the system shutting down), SIGINT (Ctrl+C in a
// terminal) and SIGHUP (the terminal closed) end the clock as its icon's
// right click does. A signal handler may do next to nothing, so it only
// wakes the event loop through a pipe, and `end` runs there.
void endOnTerminationSignals(QObject *owner, std::function<void()> end)
{
#ifndef _WIN32
    if (::pipe(endSignalPipe) != 0)
        return;
    for (int fd : endSignalPipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    auto *notifier = new QSocketNotifier(endSignalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [end = std::move(end)] {
        char bytes[16];
        while (::read(endSignalPipe[0], bytes, sizeof bytes) > 0) {
        }
        end();
    });
    struct sigaction action {};
    action.sa_handler = noteEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
#else
    (void)owner;
    (void)end;
#endif
}

// The session manager asks the programs to keep their data before the
// session ends, and the program may be quit from outside the forms: the
// clock's state is written then, when it differs from what the file holds.
void keepStateAtSessionEnd(QApplication &app, orbelle::formqt::QtBinding &binding, orbelle::clock::Form1 &clock)
{
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [&binding, &clock](QSessionManager &) {
        if (!binding.ended())
            clock.saveStateIfChanged();
    });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, [&binding, &clock] {
        if (!binding.ended())
            clock.saveStateIfChanged();
    });
}

} // namespace

int main(int argc, char *argv[])
{
    preferX11WhereItKeepsThePosition();
    // The face is a few hundred pixels: sending it over the X connection
    // costs less than the shared-memory round trip, which wakes the program
    // once more after every repaint.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");

    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("OrbelleDo"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(orbelle::formqt::QtBinding::clockIcon());
    orbelle::formqt::QtBinding::useJapaneseQtTexts();

    orbelle::formqt::QtBinding binding;
    struct Clock {
        explicit Clock(orbelle::form::Services &services) : form1(services, form2), form2(form1) {}
        orbelle::clock::Form1 form1;
        orbelle::clock::Form2 form2;
    } clock(binding);

    binding.addForm(clock.form1);
    binding.addForm(clock.form2);
    QObject::connect(&binding, &orbelle::formqt::QtBinding::formUnloaded, &app, [&](orbelle::form::Form *form) {
        if (form == &clock.form1)
            QCoreApplication::quit();
    });
    binding.load(clock.form1);
    // Only now: ended before start-up, the clock would write a state it never read.
    endOnTerminationSignals(&binding, [&] { binding.dispatch([&] { clock.form1.saveAndEnd(); }); });
    keepStateAtSessionEnd(app, binding, clock.form1);
    const int status = app.exec();
    binding.releaseWindows();
    return status;
}
