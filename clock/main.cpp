// OrbelleDo: the clock. Joins the clock's two forms to the Qt binding.

#include <QApplication>
#include <QIcon>
#include <QtGlobal>
#include <clocale>

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
    const int status = app.exec();
    binding.releaseWindows();
    return status;
}
