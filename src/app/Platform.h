// The one view the program's logic has of the windowing toolkit: the window and
// its caption, the menu items, the two plot surfaces, modal boxes, timers, the
// event pump and the end of the program. Coordinates are in 1/1440 inch.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/PictureText.h"
#include "runtime/QBColor.h"

namespace quillon {

enum class Surface { Window, Picture };  // the drawing area and the hidden pic1
enum class TimerId { Timer1, Timer2 };

struct MessageBoxRequest {
    enum class Buttons { Ok, YesNo };
    enum class Icon { None, Information, Exclamation };
    std::string text;   // lines separated by CR LF
    std::string title;  // empty: the program's name
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    bool secondButtonDefault = false;  // No is the default of a Yes/No box
};

enum class MessageBoxAnswer { Ok, Yes, No };

// The save-file dialog's settings.
struct SaveDialogRequest {
    std::string filter;            // "Description|*.EXT"
    std::string defaultExtension;  // added to a name typed without one
    int32_t flags = 0;             // 2: confirm overwriting, 4: hide read-only, 2097152: long names
};
inline constexpr int32_t kOverwritePrompt = 2;

class Platform {
public:
    virtual ~Platform() = default;

    // The window: drawing area extents (ScaleWidth, ScaleHeight), read for every
    // point and so kept here as plain values, and the outer size.
    double scaleWidth() const { return scaleWidth_; }
    double scaleHeight() const { return scaleHeight_; }
    virtual double outerWidth() const = 0;
    virtual double outerHeight() const = 0;
    virtual std::string caption() const = 0;
    virtual void setCaption(const std::string& text) = 0;

    // pic1's size and scale extents, set by the resize handler; values are positive.
    virtual void setPictureHeight(double height) = 0;
    virtual void setPictureWidth(double width) = 0;
    virtual void setPictureScaleHeight(double height) = 0;
    virtual void setPictureScaleWidth(double width) = 0;

    // Both plot surfaces. Clearing and a new background colour erase everything.
    virtual void clear(Surface surface) = 0;
    virtual void setPoint(Surface surface, float x, float y, Rgb color) = 0;
    // The same point on the window, then on pic1: what every figure does with its
    // points, in one call because it is done for every point.
    virtual void setPointOnBoth(float x, float y, Rgb color)
    {
        setPoint(Surface::Window, x, y, color);
        setPoint(Surface::Picture, x, y, color);
    }
    virtual void setBackColor(Surface surface, Rgb color) = 0;
    virtual void refresh(Surface surface) = 0;
    // Circles and lines move the surface's current drawing position: to a
    // circle's centre, to a line's end. Clearing moves it to (0, 0).
    virtual void circle(Surface surface, float x, float y, float radius, Rgb color) = 0;
    virtual void line(Surface surface, float x1, float y1, float x2, float y2, Rgb color) = 0;
    virtual float currentX(Surface surface) const = 0;
    virtual float currentY(Surface surface) const = 0;
    // The colour that closed figures would be filled with; circles stay unfilled.
    virtual void setFillColor(Surface surface, Rgb color) = 0;

    // Menu items, found by item name ("mnuChoice"). Captions keep the access-key
    // marker as set.
    virtual std::string menuCaption(std::string_view item) const = 0;
    virtual void setMenuCaption(std::string_view item, const std::string& text) = 0;
    virtual void setMenuVisible(std::string_view item, bool visible) = 0;

    // Modal boxes. The input box answers the typed text, or empty text on Cancel.
    virtual std::string inputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) = 0;
    virtual MessageBoxAnswer messageBox(const MessageBoxRequest& request) = 0;

    // The chosen file name, or nothing when the user cancels.
    virtual std::optional<std::string> saveFileDialog(const SaveDialogRequest& request) = 0;
    // Writes pic1's picture as a Windows bitmap, or as a PNG carrying the facts
    // when the name ends in ".png" (any case); on failure the reason, and no
    // file (nor a partial one) under that name. The facts' picture size is the
    // platform's to fill in.
    virtual std::optional<std::string> savePicture(const std::string& path, const PictureFacts& facts) = 0;

    // Enabling a timer that runs already leaves its period as it is.
    virtual void setTimerEnabled(TimerId timer, bool enabled) = 0;

    // Handles every pending window, menu, key and timer event, then returns.
    // While a menu is open it does not return: an open menu suspends the caller.
    // Called after every point, so most calls only count: the events are pumped
    // once in pumpStride calls.
    void doEvents()
    {
        if (++callsSincePump_ >= pumpStride_) {
            callsSincePump_ = 0;
            pumpEvents();
        }
    }

    // Seconds since midnight, to seed the random generator.
    virtual double clockSeconds() const = 0;
    virtual std::string decimalSeparator() const = 0;

    // Leaves the program at once; the caller has closed its files.
    [[noreturn]] virtual void endProgram() = 0;

protected:
    // The adapter keeps the drawing area's extents current.
    void setScaleExtents(double width, double height)
    {
        scaleWidth_ = width;
        scaleHeight_ = height;
    }
    virtual void pumpEvents() = 0;
    // A new command may draw at another pace: the pump reads the clock at the
    // next call again and finds its stride anew.
    void restartPumpStride()
    {
        pumpStride_ = 1;
        callsSincePump_ = 0;
    }
    uint32_t pumpStride_ = 1;

private:
    double scaleWidth_ = 0;
    double scaleHeight_ = 0;
    uint32_t callsSincePump_ = 0;
};

}  // namespace quillon
