// The memory yardstick for the clock benchmark: an empty Qt widget window
// that is shown and then only waits for events.
#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(240, 240);
    window.setWindowTitle(QStringLiteral("empty"));
    window.show();
    return app.exec();
}
