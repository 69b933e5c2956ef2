// The Qt adapter on the offscreen platform: the menu bar as built, the keys the
// window takes, an open menu suspending a drawing, the surfaces and the boxes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "app/CommandTables.h"
#include "app/FigureRows.h"
#include "app/Form.h"
#include "platform/QtCanvas.h"
#include "platform/QtPlatform.h"
#include "platform/QtSurface.h"
#include "platform/QtWindow.h"
#include "ShownWindow.h"

namespace quillon {
namespace {

QStringList texts(const QList<QAction*>& actions)
{
    QStringList out;
    for (QAction* action : actions)
        out << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return out;
}

TEST(QtAdapter, MenuBarIsBuiltFromTheTableInOrder)
{
    Shown s;
    const QList<QAction*> top = s.platform.window().menuBar()->actions();
    EXPECT_EQ(texts(top), (QStringList{"&File", "&Equations1", "&Equations2", "&Special", "&Random",
                                       "&FIX", "&RESET", "&Delay", "&Pause", "&Save!", "&SS On",
                                       "&SS Off"}));
    EXPECT_FALSE(s.platform.window().menuAction("mnuSSOff")->isVisible());
    EXPECT_TRUE(s.platform.window().menuAction("mnuSS")->isVisible());
    EXPECT_EQ(texts(s.menu("mnuFile")->actions()), (QStringList{"&About", "E&xit"}));
    EXPECT_EQ(texts(s.menu("mnuPause")->actions()), (QStringList{"&Continue"}));

    // Every item of the table is there, under its parent, in table order.
    for (const char* parent : {"mnuFormula1", "mnuFormula2", "mnuSpecial"}) {
        QStringList expected;
        for (const MenuEntry& entry : menuTable())
            if (entry.parent && QLatin1String(entry.parent) == QLatin1String(parent))
                expected << (entry.separator ? QStringLiteral("-") : QString::fromUtf8(entry.caption));
        EXPECT_EQ(texts(s.menu(parent)->actions()), expected) << parent;
    }
    EXPECT_EQ(s.platform.menuCaption("mnuChoice"), "&Random");
    s.platform.setMenuCaption("mnuChoice", "User Input");
    EXPECT_EQ(s.platform.window().menuAction("mnuChoice")->text(), "User Input");

    // The icon is built in, at every size the desktop asks for.
    const QIcon icon = s.platform.window().windowIcon();
    for (const int size : {16, 32, 48, 64, 128, 256})
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
}

TEST(QtAdapter, TheWindowTakesTheCommandKeysWhateverHasFocus)
{
    Shown s;
    QWidget* focusBefore = QApplication::focusWidget();

    s.press(Qt::Key_Tab);
    EXPECT_EQ(s.form.stopFlag, -1);
    EXPECT_EQ(QApplication::focusWidget(), focusBefore);  // Tab moved no focus
    s.press(Qt::Key_Backtab, Qt::ShiftModifier);           // shift is ignored
    EXPECT_EQ(s.form.stopFlag, 0);

    s.press(Qt::Key_Backspace);
    s.press(Qt::Key_Backspace);
    EXPECT_EQ(s.platform.menuCaption("mnuDelay"), "Go Fast");
    EXPECT_EQ(s.form.delayOn, 1);

    s.press(Qt::Key_F4);
    s.press(Qt::Key_A, Qt::NoModifier, "a");
    s.press(Qt::Key_C, Qt::ShiftModifier, "C");
    EXPECT_EQ(s.form.backIndex, 0);
    EXPECT_EQ(s.form.stopFlag, 0);

    s.platform.setPoint(Surface::Window, 150, 150, QBColor(12));
    s.press(Qt::Key_C, Qt::NoModifier, "c");
    s.press(Qt::Key_C, Qt::NoModifier, "c");
    EXPECT_EQ(s.form.backIndex, 2);
    EXPECT_EQ(s.platform.surface(Surface::Window).pixel(10, 10), QBColor(1));
    EXPECT_EQ(s.platform.surface(Surface::Picture).pixel(0, 0), QBColor(1));

    s.platform.setCaption("Henon");
    s.press(Qt::Key_Escape);
    EXPECT_EQ(s.form.stopFlag, 1);
    EXPECT_EQ(s.platform.window().windowTitle(), QString());
}

TEST(QtAdapter, CtrlAndTheLogoKeyLeaveCommandKeysAsTheyAreAltIsForTheMenus)
{
    Shown s;
    s.form.randomMode = 0;  // figures take random parameters: no prompt
    QtWindow& window = s.platform.window();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, logo = Qt::MetaModifier,
                                alt = Qt::AltModifier, none = Qt::NoModifier;
    struct Row {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* text;           // as a platform may deliver it with the key
        const char* captionPrefix;  // "before": the form was not reached
        int16_t backIndex;
    };
    const Row rows[] = {
        {"Ctrl+F1", Qt::Key_F1, ctrl, "", "LORENZ  ORBITS (XY)    Prandtl= ", 0},
        {"logo+F1", Qt::Key_F1, logo, "", "LORENZ  ORBITS (XY)    Prandtl= ", 0},
        {"Ctrl+Shift+F3", Qt::Key_F3, ctrl | Qt::ShiftModifier, "", "LORENZ  ORBITS (YZ)    Prandtl= ", 0},
        {"Ctrl+Escape", Qt::Key_Escape, ctrl, "\x1b", "", 0},
        {"logo+Tab", Qt::Key_Tab, logo, "\t", "", 0},
        {"Alt+F1", Qt::Key_F1, alt, "", "before", 0},
        {"Alt+Escape", Qt::Key_Escape, alt, "\x1b", "before", 0},
        {"Ctrl+C", Qt::Key_C, ctrl, "c", "before", 0},
        {"logo+C", Qt::Key_C, logo, "c", "before", 0},
        {"Alt+C", Qt::Key_C, alt, "c", "before", 0},
        {"c", Qt::Key_C, none, "c", "before", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        s.form.stopFlag = -1;  // a figure then names itself and draws nothing
        s.form.backIndex = 0;
        window.setWindowTitle("before");
        QTest::sendKeyEvent(QTest::Click, &window, row.key, QString::fromLatin1(row.text),
                            row.modifiers);
        Shown::settle();
        const QString caption = window.windowTitle();
        if (*row.captionPrefix == '\0' || QLatin1String(row.captionPrefix) == QLatin1String("before"))
            EXPECT_EQ(caption, QLatin1String(row.captionPrefix));
        else
            EXPECT_TRUE(caption.startsWith(QLatin1String(row.captionPrefix))) << caption.toStdString();
        EXPECT_EQ(s.form.backIndex, row.backIndex);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    }

    // Alt with a menu's access key opens that menu.
    QTest::keyClick(&window, Qt::Key_P, alt);
    Shown::settle();
    EXPECT_EQ(QApplication::activePopupWidget(), s.menu("mnuPause"));
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
}

TEST(QtAdapter, TheWindowOpensAtItsDefaultSizeWhereItFitsElseFittedAndCentred)
{
    const QSize standard = QtWindow::kDefaultSize;
    ASSERT_EQ(standard, QSize(1024, 792));
    const QMargins frame(4, 30, 4, 4);
    struct Row {
        const char* name;
        QRect available;
        QSize size;
        std::optional<QPoint> framePosition;
    };
    const Row rows[] = {
        {"1920x1080 with a bottom panel", QRect(0, 0, 1920, 1040), standard, std::nullopt},
        {"exactly the framed default", QRect(0, 0, 1032, 826), standard, std::nullopt},
        {"1366x768 with a bottom panel", QRect(0, 0, 1366, 728), QSize(1024, 694), QPoint(167, 0)},
        {"1024x600 with a top panel", QRect(0, 24, 1024, 576), QSize(1016, 542), QPoint(0, 24)},
        {"a second 1024x600 screen to the right", QRect(1920, 0, 1024, 600), QSize(1016, 566),
         QPoint(1920, 0)},
        {"a narrow portrait screen", QRect(0, 0, 800, 1240), QSize(792, 792), QPoint(0, 207)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QtWindow::Placement where = QtWindow::placement(row.available, standard, frame);
        EXPECT_EQ(where.size, row.size);
        EXPECT_EQ(where.framePosition, row.framePosition);
        if (where.framePosition) {
            EXPECT_TRUE(row.available.contains(QRect(*where.framePosition, where.size.grownBy(frame))));
        }
    }

    // The offscreen screen is 800 by 600: the window opens within it.
    QtPlatform platform;
    Form form(platform);
    platform.attach(form);
    form.Form_Load();
    platform.window().show();
    Shown::settle();
    const QRect available = platform.window().screen()->availableGeometry();
    EXPECT_TRUE(available.contains(platform.window().frameGeometry()))
        << platform.window().frameGeometry().width() << "x" << platform.window().frameGeometry().height();
    EXPECT_EQ(platform.surface(Surface::Picture).pixelSize(), platform.window().frameGeometry().size());
}

TEST(QtAdapter, PictureGetsTheOuterSizeAndTheWindowsExtents)
{
    Shown s;
    const QtSurface& picture = s.platform.surface(Surface::Picture);
    const QRect frame = s.platform.window().frameGeometry();
    const QSize canvas = s.platform.window().canvas()->size();
    EXPECT_EQ(picture.pixelSize(), frame.size());
    EXPECT_EQ(picture.scaleWidth(), canvas.width() * 15.0);
    EXPECT_EQ(picture.scaleHeight(), canvas.height() * 15.0);
    EXPECT_EQ(s.platform.scaleWidth(), canvas.width() * 15.0);
    EXPECT_EQ(s.platform.outerHeight(), frame.height() * 15.0);

    // A point at the same coordinates lands at the matching place of each image.
    s.platform.setPoint(Surface::Window, 3000, 1500, QBColor(10));
    s.platform.setPoint(Surface::Picture, 3000, 1500, QBColor(10));
    EXPECT_EQ(s.platform.surface(Surface::Window).pixel(200, 100), QBColor(10));
    const int px = static_cast<int>(3000 * picture.pixelSize().width() / picture.scaleWidth());
    const int py = static_cast<int>(1500 * picture.pixelSize().height() / picture.scaleHeight());
    EXPECT_EQ(picture.pixel(px, py), QBColor(10));

    // A resize gives pic1 the new size; what was drawn stays.
    s.platform.window().resize(640, 480);
    Shown::settle();
    EXPECT_EQ(picture.pixelSize(), s.platform.window().frameGeometry().size());
    EXPECT_EQ(picture.scaleWidth(), s.platform.window().canvas()->width() * 15.0);
    EXPECT_EQ(s.platform.surface(Surface::Window).pixel(200, 100), QBColor(10));

    s.form.mnuFIX_Click();  // clearing erases both
    EXPECT_EQ(s.platform.surface(Surface::Window).pixel(200, 100), QBColor(0));
    EXPECT_EQ(picture.pixel(px, py), QBColor(0));
}

TEST(QtAdapter, AnOpenMenuSuspendsTheDrawing)
{
    Shown s;
    s.form.a = 1.4;
    s.form.b = 0.3;
    QMenu* pause = s.menu("mnuPause");
    uint64_t atOpen = 0, atClose = 0, atReset = 0;
    QTimer::singleShot(100, [&] {
        pause->popup(s.platform.window().mapToGlobal(QPoint(20, 20)));
        atOpen = s.platform.doEventsCalls();
        QTimer::singleShot(300, [&] {
            atClose = s.platform.doEventsCalls();
            pause->close();
        });
    });
    QTimer::singleShot(700, [&] {
        atReset = s.platform.doEventsCalls();
        s.form.mnuReset_Click();
    });
    s.form.runPasses(quillon::figures::kHenon);
    EXPECT_GT(atOpen, 0u);
    EXPECT_EQ(atClose, atOpen);   // nothing drawn while the menu was open
    EXPECT_GT(atReset, atClose);  // and the drawing went on after it closed
    EXPECT_EQ(s.form.stopFlag, 0);
}

TEST(QtAdapter, MenuCommandsRunNestedInsideTheDrawing)
{
    Shown s;
    s.form.a = 1.4;
    s.form.b = 0.3;
    QTimer::singleShot(50, [&] { s.platform.window().menuAction("mnuFIX")->trigger(); });
    s.form.runPasses(quillon::figures::kHenon);  // halts after its pass once FIX ran from the menu
    EXPECT_EQ(s.form.stopFlag, -1);
    EXPECT_EQ(s.form.iter, 5000);
}

TEST(QtAdapter, AHeldFigureCommandNestsUpToTheCapThenEscUnwindsEveryLevel)
{
    Shown s;
    s.form.randomMode = 0;
    int triggered = 0, deepest = 0;
    QTimer repeat;
    repeat.setInterval(0);
    QObject::connect(&repeat, &QTimer::timeout, [&] {
        deepest = std::max(deepest, s.form.nestedCommands());
        if (triggered < Form::kMaxNestedCommands + 50) {
            ++triggered;
            s.platform.window().menuAction("mnuHenon")->trigger();
        } else {
            s.press(Qt::Key_Escape);
        }
    });
    repeat.start();
    while (triggered < Form::kMaxNestedCommands + 50 || s.form.nestedCommands() > 0)
        QCoreApplication::processEvents();
    repeat.stop();
    EXPECT_EQ(deepest, Form::kMaxNestedCommands);
    EXPECT_EQ(s.form.nestedCommands(), 0);
}

TEST(QtAdapter, InputAndMessageBoxes)
{
    Shown s;
    QString label, title, shown;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        label = dialog->labelText();
        title = dialog->windowTitle();
        shown = dialog->textValue();
        dialog->setTextValue(" 1.5 ");
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(s.platform.inputBox("Starting Point?\r\n{choose 1, 2, 2.9 or 3.4}", "Bifurcation", "1"),
              " 1.5 ");
    EXPECT_EQ(label, "Starting Point?\n{choose 1, 2, 2.9 or 3.4}");
    EXPECT_EQ(title, "Bifurcation");
    EXPECT_EQ(shown, "1");

    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_EQ(s.platform.inputBox("Entre a value for (a)", "Henon", "1.4"), "");  // cancelled

    QString boxTitle, boxText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        boxTitle = box->windowTitle();
        boxText = box->text();
        box->accept();
    });
    s.form.mnuAbout_Click();
    EXPECT_EQ(boxTitle, "QUILLON");
    EXPECT_TRUE(boxText.startsWith("QUILLON.EXE           (Ver 2.1)\n")) << boxText.toStdString();
    EXPECT_EQ(boxText.count('\n'), 4);
}

// Runs `answer` on the next modal dialog of type Dialog once it is up.
template <typename Dialog, typename Answer>
void whenModal(Answer answer)
{
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            whenModal<Dialog>(answer);  // not up yet
            return;
        }
        answer(dialog);
    });
}

TEST(QtAdapter, SavedBitmapHoldsPic1)
{
    Shown s;
    const QString dir = QDir::tempPath() + "/quillon-save-test";
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    s.platform.setPoint(Surface::Picture, 3000, 1500, QBColor(12));
    const std::string path = (dir + "/figure.BMP").toStdString();
    ASSERT_FALSE(s.platform.savePicture(path, {}).has_value());

    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GT(bytes.size(), 54);
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
    EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24u);  // bits per pixel
    const QImage saved(QString::fromStdString(path));
    const QtSurface& picture = s.platform.surface(Surface::Picture);
    ASSERT_EQ(saved.size(), picture.pixelSize());
    const int px = static_cast<int>(3000 * picture.pixelSize().width() / picture.scaleWidth());
    const int py = static_cast<int>(1500 * picture.pixelSize().height() / picture.scaleHeight());
    EXPECT_EQ(saved.pixel(px, py) & 0xFFFFFF, QBColor(12));
    EXPECT_EQ(saved.pixel(px + 3, py) & 0xFFFFFF, QBColor(0));

    // A failure names its reason and leaves no file, not even a partial one.
    const std::string missing = (dir + "/no/such/dir/x.BMP").toStdString();
    const auto failure = s.platform.savePicture(missing, {});
    ASSERT_TRUE(failure.has_value());
    EXPECT_FALSE(failure->empty());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(missing)));
    EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList{"figure.BMP"});
    QDir(dir).removeRecursively();
}

TEST(QtAdapter, SaveDialogAddsTheExtensionConfirmsOverwritingAndCancelIsTold)
{
    Shown s;
    const QString dir = QDir::tempPath() + "/quillon-dialog-test";
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);

    QString filters, suffix;
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        filters = dialog->nameFilters().join(';');
        suffix = dialog->defaultSuffix();
        dialog->selectFile(dir + "/henon");
        static_cast<QDialog*>(dialog)->accept();
    });
    s.form.mnuSave_Click();
    EXPECT_EQ(filters, "Bitmap (*.BMP)");
    EXPECT_EQ(suffix, "BMP");
    EXPECT_TRUE(QFile::exists(dir + "/henon.BMP"));

    // The same name again: the dialog asks before overwriting; refused, the
    // dialog stays, and cancelling it then is told.
    QString confirmation, afterwards;
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        dialog->selectFile(dir + "/henon.BMP");
        whenModal<QMessageBox>([&](QMessageBox* box) {
            confirmation = box->text();
            box->button(QMessageBox::No)->click();
        });
        static_cast<QDialog*>(dialog)->accept();
        EXPECT_TRUE(dialog->isVisible());
        whenModal<QMessageBox>([&](QMessageBox* box) {
            afterwards = box->text();
            box->accept();
        });
        dialog->reject();
    });
    s.form.mnuSave_Click();
    EXPECT_TRUE(confirmation.contains("already exists")) << confirmation.toStdString();
    EXPECT_EQ(afterwards, "Image not saved!");

    QString message;
    whenModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    whenModal<QMessageBox>([&](QMessageBox* box) {
        message = box->text();
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        box->accept();
    });
    s.form.mnuSave_Click();
    EXPECT_EQ(message, "Image not saved!");
    QDir(dir).removeRecursively();
}

TEST(QtAdapter, CaptionAndIcon)
{
    Shown s;
    EXPECT_EQ(s.platform.caption(), Form::initialCaption());
    EXPECT_FALSE(s.platform.window().windowIcon().isNull());
    EXPECT_TRUE(s.platform.window().windowIcon().availableSizes().contains(QSize(32, 32)));
}

}  // namespace
}  // namespace quillon

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
