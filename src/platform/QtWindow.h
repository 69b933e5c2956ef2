// The main window: menu bar and command keys built from the logic's tables, the
// drawing area, and the close box. Menu and key commands are posted to run from
// the event loop, so they run nested inside a drawing's DoEvents call.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QMargins>
#include <QRect>

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "app/CommandTables.h"

namespace quillon {

class Form;
class QtCanvas;
class QtPlatform;

class QtWindow : public QMainWindow {
public:
    explicit QtWindow(QtPlatform& platform);
    ~QtWindow() override;

    // Builds the menu bar from the menu table and starts taking the keys.
    void attach(Form& form);

    QAction* menuAction(std::string_view itemName) const;
    QtCanvas* canvas() const { return canvas_; }

    // Runs a command from the event loop.
    void post(std::function<void()> command);

    // The window-level key code of a key event, if it has one the logic knows.
    static std::optional<int16_t> virtualKey(int qtKey);

    // The inner size the window opens at: the drawing area of 1024 by 768 pixels
    // under a menu bar.
    static constexpr QSize kDefaultSize{1024, 768 + 24};

    // Where the window opens on a screen whose free area (taskbars excluded) is
    // `available`, for a window frame of `frame`: at the default size wherever
    // that fits with its frame, placed by the window system; otherwise at the
    // largest size that does, centred in the free area.
    struct Placement {
        QSize size;                         // inside the frame
        std::optional<QPoint> framePosition;  // the frame's top-left corner, if placed
    };
    static Placement placement(const QRect& available, QSize defaultSize, const QMargins& frame);

    // Sizes (and if need be places) the window for its screen, before it is shown.
    void placeOnScreen();

    // Called as every posted command starts (measurements use it).
    std::function<void()> onCommandStarted;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool takeKey(QKeyEvent* keyEvent);
    QMargins frameMargins() const;
    void fitAfterFirstShow();
    void postCommand(const Command& command);

    QtPlatform& platform_;
    Form* form_ = nullptr;
    QtCanvas* canvas_ = nullptr;
    QHash<QString, QAction*> actions_;
    // What the window was placed with, until its first display tells the frame.
    std::optional<QSize> placedSize_;
    QMargins placedFrame_;
};

}  // namespace quillon
