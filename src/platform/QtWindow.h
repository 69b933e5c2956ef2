// The main window: menu bar and command keys built from the logic's tables, the
// drawing area, and the close box. Menu and key commands are posted to run from
// the event loop, so they run nested inside a drawing's DoEvents call.
#pragma once

#include <QHash>
#include <QMainWindow>

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

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

    // Called as every posted command starts (measurements use it).
    std::function<void()> onCommandStarted;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool takeKey(QKeyEvent* keyEvent);
    void postHandler(void (Form::*handler)());

    QtPlatform& platform_;
    Form* form_ = nullptr;
    QtCanvas* canvas_ = nullptr;
    QHash<QString, QAction*> actions_;
};

}  // namespace quillon
