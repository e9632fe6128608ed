// SPDX-License-Identifier: MIT
// The binding's own dialogs and keys: the file dialog as the forms word it,
// Enter on a focused button, a shown window asked to show again, the
// notification icon's clicks on either kind of icon host, and label fonts.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QLibraryInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "Form1.h"
#include "Form2.h"
#include "SampleForm.h"
#include "TestSupport.h"
#include "desktop/TrayClicks.h"

namespace orbelle::formqt::testing {
namespace {

// ---- The icon's clicks.

struct ClickCase {
    const char *name;
    std::vector<std::pair<TrayClicks::Activation, int>> activations; // with their times in ms
    std::vector<std::optional<int>> expected;
};

TEST(TrayClicks, ActivationsBecomeTheFormsMouseMessages)
{
    using A = TrayClicks::Activation;
    const std::optional<int> down = form::IconLeftDown, dbl = form::IconLeftDoubleClick, right = form::IconRightDown;
    const ClickCase cases[] = {
        {"XEmbedDoubleClick", {{A::Click, 0}, {A::DoubleClick, 200}}, {down, dbl}},
        // Once the host has reported a double click of its own, quick clicks
        // stay single clicks.
        {"XEmbedQuickClicksAfterADoubleClick",
         {{A::Click, 0}, {A::DoubleClick, 200}, {A::Click, 5000}, {A::Click, 5100}},
         {down, dbl, down, down}},
        {"StatusNotifierDoubleClick", {{A::Click, 0}, {A::Click, 300}}, {down, dbl}},
        {"StatusNotifierSlowClicks", {{A::Click, 0}, {A::Click, 900}}, {down, down}},
        {"ThirdQuickClickStartsOver", {{A::Click, 0}, {A::Click, 100}, {A::Click, 200}}, {down, dbl, down}},
        {"RightClickBetweenBreaksThePair", {{A::Click, 0}, {A::Context, 50}, {A::Click, 100}}, {down, right, down}},
        {"ClockGoingBackIsNoDoubleClick", {{A::Click, 1000}, {A::Click, 500}}, {down, down}},
        {"OtherActivationsSayNothing", {{A::Other, 0}}, {std::nullopt}},
    };
    for (const ClickCase &c : cases) {
        SCOPED_TRACE(c.name);
        TrayClicks clicks(400);
        std::vector<std::optional<int>> got;
        for (const auto &[activation, at] : c.activations)
            got.push_back(clicks.message(activation, at));
        EXPECT_EQ(got, c.expected);
    }
}

// ---- The file dialog.

// Answers the next modal file dialog with `answer` (a path, or cancel when
// empty) after noting what it showed. A message box that comes up instead
// is noted and closed, and the dialog then cancelled.
struct DialogAnswer {
    QStringList filterTexts;
    QString shownFolder;
    bool complained = false;
};

std::optional<std::string> answerNextDialog(QtBinding &binding, const form::FileDialogRequest &request, bool save,
                                            const QString &answer, DialogAnswer &seen)
{
    // A test before may have ended its program, which leaves every later
    // event loop, the dialog's too, to return at once; a run of the
    // application's own loop clears that.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();

    bool answered = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            seen.complained = true;
            box->reject();
            return;
        }
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (!dialog)
            return;
        if (answered) {
            dialog->reject();
            return;
        }
        answered = true;
        if (auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo")))
            for (int i = 0; i < combo->count(); ++i)
                seen.filterTexts << combo->itemText(i);
        seen.shownFolder = dialog->directory().absolutePath();
        if (answer.isEmpty()) {
            dialog->reject();
        } else {
            dialog->selectFile(answer);
            // The name field as a user would leave it: the dialog may still
            // be reading its folder, and put its proposed name back in.
            if (auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                edit->setText(answer);
            QMetaObject::invokeMethod(dialog, "accept");
        }
    });
    poll.start(20);
    return save ? binding.showSaveDialog(request) : binding.showOpenDialog(request);
}

form::FileDialogRequest designRequest()
{
    form::FileDialogRequest r;
    r.filters = {{"設定ファイル", "tokei-set.ini"}, {"すべてのファイル(*.*)", "*.*"}};
    r.fileName = "tokei-set.ini";
    return r;
}

TEST(FileDialog, ShowsTheEntriesAsWordedAndTakesAnyNameToOpen)
{
    TempFolder folder;
    QtBinding binding;
    binding.setCurrentDirectory(folder.path());
    const std::string missing = (folder.path() / "まだない.ini").string();

    DialogAnswer seen;
    const auto chosen = answerNextDialog(binding, designRequest(), false, QString::fromStdString(missing), seen);

    EXPECT_EQ(seen.filterTexts, (QStringList{QStringLiteral("設定ファイル"), QStringLiteral("すべてのファイル(*.*)")}));
    EXPECT_EQ(seen.shownFolder.toStdString(), folder.path().string());
    EXPECT_FALSE(seen.complained);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, missing);
}

TEST(FileDialog, SavesOverAFileWithoutAskingAndCancelGivesNothing)
{
    TempFolder folder;
    folder.write("tokei-set.ini", "old");
    QtBinding binding;
    binding.setCurrentDirectory(folder.path());
    const std::string existing = folder.file("tokei-set.ini").string();

    DialogAnswer seen;
    const auto chosen = answerNextDialog(binding, designRequest(), true, QString::fromStdString(existing), seen);
    EXPECT_FALSE(seen.complained);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, existing);

    DialogAnswer cancelled;
    EXPECT_FALSE(answerNextDialog(binding, designRequest(), true, QString(), cancelled).has_value());
}

TEST(QtTexts, DialogsSpeakJapaneseWhereTheTranslationIsInstalled)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFile::exists(folder + QStringLiteral("/qtbase_ja.qm")))
        GTEST_SKIP() << "Qt's Japanese translation is not installed in " << folder.toStdString();
    QtBinding::useJapaneseQtTexts();
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Open"), QStringLiteral("Open"));
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "File &name:"), QStringLiteral("File &name:"));
}

// ---- Keys and showing.

TEST_F(SampleWindowTest, EnterOnAFocusedButtonClicksItOnce)
{
    auto *button = qobject_cast<QPushButton *>(widgetOf(form.Command1));
    ASSERT_NE(button, nullptr);
    button->setFocus();
    ASSERT_TRUE(waitFor([&] { return button->hasFocus(); }, 2000));

    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(form.clicks, 1);
    QTest::keyClick(button, Qt::Key_Enter);
    EXPECT_EQ(form.clicks, 2);
    QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(form.clicks, 3) << "the number pad's Enter";
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(form.clicks, 4);
    QTest::keyClick(button, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(form.clicks, 4) << "Ctrl+Enter is no click";
}

TEST_F(SampleWindowTest, ShowingAMinimisedWindowBringsItBack)
{
    window->showMinimized();
    ASSERT_TRUE(window->isMinimized());
    form.Show();
    binding.syncAll();
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(window->isVisible());
}

TEST(LabelFonts, SingleGlyphLabelsKeepTheirDesignSize)
{
    // The dialog's one-character labels are boxes one em high: the taller
    // line of the installed face must not shrink them.
    TempFolder folder;
    class FolderBinding : public QtBinding {
    public:
        explicit FolderBinding(std::filesystem::path f) : f_(std::move(f)) {}
        std::filesystem::path programFolder() override { return f_; }
        std::filesystem::path f_;
    } binding(folder.path());
    struct Clock {
        explicit Clock(form::Services &s) : form1(s, form2), form2(form1) {}
        clock::Form1 form1;
        clock::Form2 form2;
    } clock(binding);
    binding.addForm(clock.form1);
    binding.addForm(clock.form2);
    binding.load(clock.form1);
    clock.form2.Show();
    binding.syncAll();
    FormWindow *dialog = binding.windowOf(clock.form2);
    ASSERT_NE(dialog, nullptr);

    const struct {
        const form::Label *label;
        double points;
    } rows[] = {{&clock.form2.Label5, 9}, {&clock.form2.Label6, 9}, {&clock.form2.Label2, 18}, {&clock.form2.Label3, 18}};
    for (const auto &row : rows) {
        auto *w = qobject_cast<QLabel *>(dialog->widgetOf(*row.label));
        ASSERT_NE(w, nullptr) << row.label->displayName();
        // A face whose glyph advance rounds up a pixel may take a quarter point off.
        EXPECT_NEAR(w->font().pointSizeF(), row.points, 0.25) << row.label->displayName();
    }
    // The explanation above the date row wraps over two lines, as laid out.
    auto *explanation = qobject_cast<QLabel *>(dialog->widgetOf(clock.form2.Label7));
    ASSERT_NE(explanation, nullptr);
    const QFontMetrics metrics(explanation->font());
    const QRect need = metrics.boundingRect(QRect(QPoint(0, 0), explanation->size()), Qt::TextWordWrap,
                                            explanation->text());
    EXPECT_EQ((need.height() + metrics.leading()) / metrics.lineSpacing(), 2);
    binding.releaseWindows();
}

} // namespace
} // namespace orbelle::formqt::testing
