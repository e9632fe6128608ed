// SPDX-License-Identifier: MIT
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPainter>
#include <QTest>
#include <QWidget>
#include <atomic>
#include <fstream>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

namespace orbelle::formqt::testing {

TempFolder::TempFolder()
{
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    for (;;) {
        std::ostringstream name;
        name << "orbelle-formqt-" << random() << '-' << counter++;
        path_ = std::filesystem::temp_directory_path() / name.str();
        if (std::filesystem::create_directory(path_))
            break;
    }
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void TempFolder::write(const std::string &name, const std::string &bytes) const
{
    std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
    out << bytes;
    ASSERT_TRUE(out.good()) << name;
}

QImage whiteThenBlack(int width, int height, int splitX)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.fillRect(0, 0, splitX, height, Qt::white);
    return image;
}

std::string savePng(const TempFolder &folder, const std::string &name, const QImage &image)
{
    const std::string path = folder.file(name).string();
    EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG")) << path;
    return path;
}

QImage grabOf(QWidget *widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int colourAt(const QImage &image, int x, int y)
{
    const QRgb c = image.pixel(x, y);
    return qRed(c) + 256 * qGreen(c) + 65536 * qBlue(c);
}

int colourAt(const QImage &image, QPoint p)
{
    return colourAt(image, p.x(), p.y());
}

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

void pump(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::qSleep(1);
    }
    QCoreApplication::processEvents();
}

QWidget *widgetAt(QWidget *window, QPoint windowPoint)
{
    QWidget *child = window->childAt(windowPoint);
    return child ? child : window;
}

void pressAt(QWidget *window, QPoint windowPoint, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    QWidget *target = widgetAt(window, windowPoint);
    QTest::mousePress(target, button, modifiers, target->mapFrom(window, windowPoint));
}

void releaseAt(QWidget *window, QPoint windowPoint, Qt::MouseButton button)
{
    QWidget *target = widgetAt(window, windowPoint);
    QTest::mouseRelease(target, button, Qt::NoModifier, target->mapFrom(window, windowPoint));
}

void clickAt(QWidget *window, QPoint windowPoint, Qt::MouseButton button)
{
    pressAt(window, windowPoint, button);
    releaseAt(window, windowPoint, button);
}

bool isWithin(const QWidget *widget, const QWidget *ancestor)
{
    for (const QWidget *w = widget; w; w = w->parentWidget())
        if (w == ancestor)
            return true;
    return false;
}

} // namespace orbelle::formqt::testing
