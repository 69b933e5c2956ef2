// The window on an X server whose desktop offers a global menu bar (a menu
// registrar on the session bus): the menu bar still stays inside the window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QMainWindow>
#include <QMenuBar>

#include "ShownWindow.h"

namespace quillon {
namespace {

bool registrarOffered = false;

TEST(GlobalMenuBar, TheMenuBarStaysInsideTheWindow)
{
    ASSERT_TRUE(registrarOffered) << "no session bus to offer a global menu bar on";
    // Where a global menu bar is offered, Qt takes a window's menu bar out of it.
    QMainWindow plain;
    plain.menuBar()->addMenu("&File");
    ASSERT_TRUE(plain.menuBar()->isNativeMenuBar()) << "Qt did not take up the global menu bar";

    Shown s;
    const QtWindow& window = s.platform.window();
    const QMenuBar* bar = window.menuBar();
    EXPECT_FALSE(bar->isNativeMenuBar());
    EXPECT_TRUE(bar->isVisible());
    EXPECT_GT(bar->height(), 0);
    EXPECT_TRUE(window.rect().contains(bar->geometry()));
    EXPECT_LE(bar->geometry().bottom(), window.canvas()->geometry().top());
}

}  // namespace
}  // namespace quillon

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    // The name the desktop's global menu service goes by; Qt looks for its owner.
    quillon::registrarOffered =
        QDBusConnection::sessionBus().registerService("com.canonical.AppMenu.Registrar");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
