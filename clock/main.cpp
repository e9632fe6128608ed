// SPDX-License-Identifier: MIT
// OrbelleDo: the clock. Joins the clock's two forms to the Qt binding, keeps
// one clock per user and files' folder, and answers its few options.

#include <QApplication>
#include <QIcon>
#include <QSessionManager>
#include <QtGlobal>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <system_error>
#include <string>
#include <vector>

#ifndef _WIN32
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

#include "desktop/Autostart.h"
#include "ClockIcon.h"
#include "CommandLine.h"
#include "DesktopEntry.h"
#include "desktop/FilesPlace.h"
#include "Form1.h"
#include "Form2.h"
#include "QtBinding.h"
#include "desktop/SingleInstance.h"

namespace {

using orbelle::clock::CommandLine;

constexpr const char *kDesktopId = "org.orbelle.OrbelleDo";

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

std::vector<std::string> argumentsOf(int argc, char *argv[])
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

bool hasToolkitOptions(const std::vector<std::string> &arguments)
{
    for (const std::string &a : arguments)
        if (a.size() > 1 && a[0] == '-' && a[1] != '-' && a != "-h")
            return true;
    return false;
}

std::string programName(const char *argv0)
{
    const std::string path = argv0 ? argv0 : "OrbelleDo";
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The program file's path as the system names it, bytes and all: decoded
// into text, a name that is not valid UTF-8 would be silently changed.
std::string programPathBytes()
{
#ifdef Q_OS_LINUX
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
        return exe.string();
#endif
    return QCoreApplication::applicationFilePath().toStdString();
}

orbelle::formqt::AutostartEntry autostartEntry()
{
    const QString program = QCoreApplication::applicationFilePath();
    const std::string text = orbelle::desktopEntry(
        {program.toStdString()},
        {{"Name", "Orbelle"},
         {"Name[ja]", "オルベル"},
         {"Comment", "Desktop clock with a face of your own design"},
         {"Comment[ja]", "自分でデザインした文字盤のデスクトップ時計"},
         {"Icon", kDesktopId},
         {"Terminal", "false"},
         {"StartupWMClass", "OrbelleDo"},
         {"X-GNOME-Autostart-enabled", "true"}});
    return {QString::fromLatin1(kDesktopId), program, QByteArray::fromStdString(text)};
}

// Everything the clock does on the command line instead of running.
int runCommand(const CommandLine &command, const std::string &program)
{
    QString error;
    switch (command.action) {
    case CommandLine::Action::Help:
        std::fputs(orbelle::clock::usageText(program).c_str(), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::printf("%s %s\n", program.c_str(), ORBELLE_VERSION);
        return 0;
    case CommandLine::Action::AutostartOn:
        if (const auto problem = orbelle::programPathProblem(programPathBytes())) {
            error = QStringLiteral("cannot start the clock at login from here: ") + QString::fromStdString(*problem)
                    + QStringLiteral("; move the program to a folder whose path has none");
            break;
        }
        if (!orbelle::formqt::Autostart::enable(autostartEntry(), &error))
            break;
        std::printf("The clock now starts at login (%s).\n",
                    qPrintable(orbelle::formqt::Autostart::entryPath(QString::fromLatin1(kDesktopId))));
        return 0;
    case CommandLine::Action::AutostartOff:
        if (!orbelle::formqt::Autostart::disable(autostartEntry(), &error))
            break;
        std::printf("The clock no longer starts at login.\n");
        return 0;
    case CommandLine::Action::Wrong:
        std::fprintf(stderr, "%s: %s\n%s", program.c_str(), command.problem.c_str(),
                     orbelle::clock::usageText(program).c_str());
        return 2;
    case CommandLine::Action::Run:
        return 0;
    }
    std::fprintf(stderr, "%s: %s\n", program.c_str(), qPrintable(error));
    return 1;
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

// The application object with what every window and dialog of the clock
// takes from it: names, version, icon, Japanese texts.
void describeApplication()
{
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("OrbelleDo"));
    QApplication::setApplicationVersion(QStringLiteral(ORBELLE_VERSION));
    QApplication::setDesktopFileName(QString::fromLatin1(kDesktopId));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(orbelle::clock::clockIcon());
    orbelle::formqt::QtBinding::useJapaneseQtTexts();
}

// Shows the clock and its dialog until the clock's window is unloaded.
int runClock(QApplication &app, orbelle::formqt::SingleInstance &single)
{
    orbelle::formqt::QtBinding binding;
    binding.setIcon(orbelle::clock::clockIcon());
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
    // A second start shows the clock (also when it was hidden) in front.
    QObject::connect(&single, &orbelle::formqt::SingleInstance::activationRequested, &app,
                     [&] { binding.dispatch([&] { clock.form1.Show(); }); });
    binding.load(clock.form1);
    // Only now: ended before start-up, the clock would write a state it never read.
    endOnTerminationSignals(&binding, [&] { binding.dispatch([&] { clock.form1.saveAndEnd(); }); });
    keepStateAtSessionEnd(app, binding, clock.form1);
    const int status = app.exec();
    binding.releaseWindows();
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    const std::string program = programName(argc > 0 ? argv[0] : nullptr);
    const std::vector<std::string> given = argumentsOf(argc, argv);
    if (orbelle::clock::plainlyWrong(given))
        return runCommand(orbelle::clock::readCommandLine(given), program);
    // The options that only write a file or print need no window system.
    if (!hasToolkitOptions(given)) {
        const CommandLine command = orbelle::clock::readCommandLine(given);
        if (command.action != CommandLine::Action::Run) {
            QCoreApplication core(argc, argv);
            return runCommand(command, program);
        }
    }

    preferX11WhereItKeepsThePosition();
    // The face is a few hundred pixels: sending it over the X connection
    // costs less than the shared-memory round trip, which wakes the program
    // once more after every repaint.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");

    QApplication app(argc, argv);
    describeApplication();

    // What is left once the toolkit took its own options.
    const CommandLine command = orbelle::clock::readCommandLine(argumentsOf(argc, argv));
    if (command.action != CommandLine::Action::Run)
        return runCommand(command, program);

    using orbelle::formqt::FilesPlace;
    const std::filesystem::path folder = FilesPlace::folder();
    orbelle::formqt::SingleInstance single(FilesPlace::fromPath(folder));
    if (!single.claim())
        return 0;  // the running clock was asked to come to the front
    if (FilesPlace::usesUserFolder())
        FilesPlace::seedSampleFace(folder, FilesPlace::sampleFaceFolder());
    return runClock(app, single);
}
