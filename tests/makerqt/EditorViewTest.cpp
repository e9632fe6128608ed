// SPDX-License-Identifier: MIT
// The editor's window beyond its first size, through the Qt binding: the
// client size reaching the model, the status bar along the bottom above the
// canvas, the wheel, Shift + wheel, the middle button and the scroll bars
// moving the real canvas widget, dropped files, photos turned upright and
// the scale command with its dialog.

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QMenuBar>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "canvas/CanvasWidget.h"
#include "Form1.h"
#include "FormWindow.h"
#include "OrientedJpeg.h"
#include "QtBinding.h"

namespace {

using orbelle::maker::Form1;
using orbelle::testing::sidewaysJpeg;
namespace formqt = orbelle::formqt;

// The binding with the files folder in a folder of the test's own.
class TestBinding : public formqt::QtBinding {
public:
    std::filesystem::path folder;
    std::filesystem::path programFolder() override { return folder; }
};

class EditorView : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        binding.folder = dir.path().toStdString();
        binding.addForm(editor);
        binding.load(editor);
        window = binding.windowOf(editor);
        ASSERT_NE(window, nullptr);
        canvas = qobject_cast<formqt::CanvasWidget *>(window->widgetOf(editor.Picture1));
        ASSERT_NE(canvas, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    }
    void TearDown() override { binding.releaseWindows(); }

    std::string file(const QString &name) const { return dir.filePath(name).toStdString(); }
    // A picture file of the size given, in the test's folder.
    std::string picture(const QString &name, int w, int h)
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(QColor(40, 90, 160));
        EXPECT_TRUE(image.save(dir.filePath(name)));
        return file(name);
    }
    void choose(const std::string &path)
    {
        binding.dispatch([&] { ASSERT_TRUE(editor.applyPicture(path)); });
    }
    // The menu bar's height: the window is the client area and the bar above it.
    int bars() const
    {
        auto *menu = window->findChild<QMenuBar *>();
        return menu && menu->isVisible() ? menu->height() : 0;
    }
    // Gives the client area w x h pixels.
    void resizeTo(int w, int h)
    {
        window->resize(w, h + bars());
        ASSERT_TRUE(QTest::qWaitFor([&] { return editor.ScaleWidth == w * 15 && editor.ScaleHeight == h * 15; }));
        QTest::qWait(0);
        QCoreApplication::processEvents();
    }
    QScrollBar *bar(const orbelle::form::ScrollBar &b) { return qobject_cast<QScrollBar *>(window->widgetOf(b)); }
    void wheel(int dy, Qt::KeyboardModifiers mods)
    {
        const QPointF at(50, 50);
        QWheelEvent event(at, canvas->mapToGlobal(at), QPoint(), QPoint(0, dy), Qt::NoButton, mods,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas, &event);
    }
    // A mouse event at a point of the window, given to the canvas where it
    // lies at that moment.
    void middle(QEvent::Type type, QPoint inWindow, Qt::MouseButtons held)
    {
        const QPointF at = canvas->mapFrom(window, QPointF(inWindow));
        QMouseEvent event(type, at, canvas->mapToGlobal(at), Qt::MiddleButton, held, Qt::NoModifier);
        QApplication::sendEvent(canvas, &event);
    }

    QTemporaryDir dir;
    TestBinding binding;
    Form1 editor{binding};
    formqt::FormWindow *window = nullptr;
    formqt::CanvasWidget *canvas = nullptr;
};

TEST_F(EditorView, OpensAtTheDesignedSizeAndCanBeMaximised)
{
    EXPECT_EQ(window->size(), QSize(565, 458 + bars()));
    EXPECT_EQ(editor.ScaleWidth, 8475);
    EXPECT_EQ(editor.ScaleHeight, 6870);
    // A window with the usual title bar buttons, maximise among them.
    EXPECT_FALSE(window->windowFlags() & Qt::MSWindowsFixedSizeDialogHint);
    EXPECT_FALSE(window->windowFlags() & Qt::CustomizeWindowHint);
    EXPECT_EQ(window->minimumSize(), QSize(284, 458 + bars()));
    EXPECT_EQ(window->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    EXPECT_EQ(canvas->geometry(), QRect(190, 3, 283, 378));
}

TEST_F(EditorView, ResizedTo1200x800TheViewportGrowsAndTheStatusBarStaysUncovered)
{
    choose(picture(QStringLiteral("large.png"), 2400, 1600));
    const QRegion before = canvas->visibleRegion();
    resizeTo(1200, 800);
    auto *status = window->widgetOf(editor.StatusBar1);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->geometry(), QRect(0, 800 - 22, 1200, 22));
    // Above the canvas that reaches under it: whatever is shown there is the bar's.
    ASSERT_GT(canvas->geometry().bottom(), 800);
    for (const QPoint p : {QPoint(600, 790), QPoint(1190, 785), QPoint(300, 779)}) {
        QWidget *at = window->childAt(p + QPoint(0, bars()));
        ASSERT_NE(at, nullptr);
        EXPECT_TRUE(at == status || status->isAncestorOf(at)) << p.x() << "," << p.y();
    }
    EXPECT_GT(canvas->visibleRegion().boundingRect().width(), before.boundingRect().width() + 400);
    EXPECT_GT(canvas->visibleRegion().boundingRect().height(), before.boundingRect().height() + 250);
    // Both scroll bars shown, along the viewport's edges.
    ASSERT_TRUE(bar(editor.HScroll1)->isVisible());
    ASSERT_TRUE(bar(editor.VScroll1)->isVisible());
    EXPECT_EQ(bar(editor.VScroll1)->geometry().right(), 1199);
    EXPECT_EQ(bar(editor.HScroll1)->geometry().bottom(), 777);
}

TEST_F(EditorView, WheelShiftWheelAndMiddleDragMoveTheCanvasAndTheButtonsGoOnFromThere)
{
    choose(picture(QStringLiteral("large.png"), 2400, 1600));
    resizeTo(1200, 800);
    const QPoint home = canvas->pos();
    wheel(-120, Qt::NoModifier);
    EXPECT_EQ(canvas->pos(), home + QPoint(0, -60));
    EXPECT_EQ(bar(editor.VScroll1)->value(), 900);
    wheel(-120, Qt::ShiftModifier);
    EXPECT_EQ(canvas->pos(), home + QPoint(-60, -60));
    EXPECT_EQ(bar(editor.HScroll1)->value(), 900);

    // The middle button drags the canvas with the pointer.
    middle(QEvent::MouseButtonPress, QPoint(600, 400), Qt::MiddleButton);
    middle(QEvent::MouseMove, QPoint(580, 390), Qt::MiddleButton);
    middle(QEvent::MouseMove, QPoint(560, 370), Qt::MiddleButton);
    middle(QEvent::MouseButtonRelease, QPoint(560, 370), Qt::NoButton);
    EXPECT_EQ(canvas->pos(), home + QPoint(-100, -90));
    EXPECT_EQ(editor.Picture1.Left, 2850 - 1500);
    EXPECT_EQ(editor.Picture1.Top, 45 - 1350);
    // The frame stayed where it was on the canvas.
    EXPECT_EQ(editor.Image1.Left, 0);
    EXPECT_EQ(editor.flag.toInt32(), 0);

    // "▼" clicked goes on from there, and the bar follows.
    QTest::mouseClick(window->widgetOf(editor.Command10), Qt::LeftButton);
    EXPECT_EQ(editor.Picture1.Top, 45 - 1350 - 70);
    EXPECT_EQ(bar(editor.VScroll1)->value(), 1420);

    // A page up on the bar moves the canvas by the viewport's height, a page
    // down to the end of the picture at most.
    bar(editor.VScroll1)->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(editor.Picture1.Top, 45);
    bar(editor.VScroll1)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(editor.Picture1.Top, 45 - int(editor.viewportHeight()));
    bar(editor.VScroll1)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(editor.Picture1.Top + editor.Picture1.Height, 45 + editor.viewportHeight());
    EXPECT_EQ(bar(editor.VScroll1)->value(), bar(editor.VScroll1)->maximum());
}

// What the form does with a dropped file is the model's; the window only
// has to take files, and nothing else, and hand them over.
TEST_F(EditorView, AFileDroppedOnTheWindowReachesTheForm)
{
    const std::string photo = picture(QStringLiteral("dropped.png"), 320, 200);
    const QPoint at(400, 200);
    QMimeData text;
    text.setText(QStringLiteral("not a file"));
    QDragEnterEvent refused(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QApplication::sendEvent(window, &refused);
    EXPECT_FALSE(refused.isAccepted());

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(photo))});
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent event(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &event);
    EXPECT_EQ(editor.ImageFileName.toText(), photo);
    EXPECT_EQ(editor.Picture1.CurrentPicture->widthPixels(), 320);
}

TEST_F(EditorView, APhotoStoredOnItsSideIsShownUpright)
{
    QFile f(dir.filePath(QStringLiteral("portrait.jpg")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(sidewaysJpeg(80, 40, true));
    f.close();
    choose(file(QStringLiteral("portrait.jpg")));
    EXPECT_EQ(editor.Picture1.CurrentPicture->widthPixels(), 40);
    EXPECT_EQ(editor.Picture1.CurrentPicture->heightPixels(), 80);
    EXPECT_EQ(editor.Picture1.Width, (40 + 4) * 15);
    EXPECT_EQ(editor.Picture1.Height, (80 + 4) * 15);
    // The stored left half (red) is the top when upright.
    const QImage shown = canvas->grab().toImage();
    const QColor top = shown.pixelColor(2 + 20, 2 + 10);
    const QColor bottom = shown.pixelColor(2 + 20, 2 + 70);
    EXPECT_GT(top.red(), 200);
    EXPECT_LT(top.blue(), 60);
    EXPECT_GT(bottom.blue(), 200);
    EXPECT_LT(bottom.red(), 60);
}

TEST_F(EditorView, ScaleCommandWritesTheCopyThroughItsDialogAndChoosesIt)
{
    const std::string original = picture(QStringLiteral("IMG_0001.png"), 3000, 2000);
    const QByteArray originalBytes = [&] {
        QFile f(QString::fromStdString(original));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    choose(original);
    bool sawDialog = false;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        auto *side = dialog->findChild<QSpinBox *>(QStringLiteral("LongSide"));
        if (!side)
            return;
        sawDialog = side->value() == 371;
        side->setValue(600);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    binding.dispatch([&] { editor.ScalePicture_Click(); });
    EXPECT_TRUE(sawDialog);
    const QString copy = dir.filePath(QStringLiteral("IMG_0001-600px.png"));
    const QImage written(copy);
    EXPECT_EQ(written.size(), QSize(600, 400));
    EXPECT_EQ(editor.ImageFileName.toText(), copy.toStdString());
    EXPECT_EQ(editor.Picture1.CurrentPicture->widthPixels(), 600);
    QFile f(QString::fromStdString(original));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), originalBytes);
    // The sizes are shown in the second panel.
    auto *status = qobject_cast<QStatusBar *>(window->widgetOf(editor.StatusBar1));
    ASSERT_NE(status, nullptr);
    bool shown = false;
    for (auto *label : status->findChildren<QLabel *>())
        shown = shown || (label->isVisible() && label->text() == QStringLiteral("画像 600 × 400 ・ 枠 173 × 173 ピクセル"));
    EXPECT_TRUE(shown);
}

} // namespace
