// SPDX-License-Identifier: MIT
// OrbelleMaker: the face editor. Joins the editor's form to the Qt binding.

#include <QApplication>
#include <QIcon>
#include <clocale>

#include "../clock/ClockIcon.h"
#include "Form1.h"
#include "QtBinding.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("OrbelleMaker"));
    QApplication::setApplicationVersion(QStringLiteral(ORBELLE_VERSION));
    // Desktops find the window's icon and entry through this name.
    QApplication::setDesktopFileName(QStringLiteral("org.orbelle.OrbelleMaker"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(orbelle::clock::clockIcon());
    orbelle::formqt::QtBinding::useJapaneseQtTexts();

    orbelle::formqt::QtBinding binding;
    binding.setIcon(orbelle::clock::clockIcon());
    orbelle::maker::Form1 editor(binding);
    binding.addForm(editor);
    QObject::connect(&binding, &orbelle::formqt::QtBinding::formUnloaded, &app, [&](orbelle::form::Form *form) {
        if (form == &editor)
            QCoreApplication::quit();
    });
    binding.load(editor);
    const int status = app.exec();
    binding.releaseWindows();
    return status;
}
