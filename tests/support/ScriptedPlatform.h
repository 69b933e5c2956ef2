// A platform for the logic's tests: records every surface operation, answers
// input and message boxes from a script, and runs scripted actions (keys, menu
// commands, timer ticks) inside DoEvents after a given number of calls.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Platform.h"

namespace quillon::testing {

struct SurfaceOp {
    enum class Kind { Clear, Point, BackColor, Refresh, Circle, Line, FillColor };
    Kind kind;
    Surface surface;
    float x = 0, y = 0;  // a point, a circle's centre, a line's start
    Rgb color = 0;
    float radius = 0;
    float x2 = 0, y2 = 0;  // a line's end
};

struct Prompt {
    std::string prompt, title, defaultText;
};

// Thrown when the logic keeps working without ever reaching the event pump: a
// loop that repeats without a DoEvents call (nor a modal box, which runs an
// event loop of its own) would freeze the window.
struct HangWithoutYield : std::runtime_error {
    HangWithoutYield() : std::runtime_error("the program went on without reaching the event pump") {}
};

// Thrown by endProgram, so a test can see the program end.
struct ProgramEnded {};

// Thrown when a drawing runs past the test's budget of DoEvents calls.
struct RunawayDrawing : std::runtime_error {
    RunawayDrawing() : std::runtime_error("drawing ran past the scripted DoEvents budget") {}
};

class ScriptedPlatform : public Platform {
public:
    ScriptedPlatform();

    // --- script ---
    // Runs the action inside the n-th DoEvents call (counted from 1).
    void at(uint64_t call, std::function<void()> action);
    // Runs the action inside every DoEvents call from now on (until replaced).
    void onEveryCall(std::function<void()> action) { everyCall_ = std::move(action); }
    void answer(std::optional<std::string> text) { answers_.push_back(std::move(text)); }
    void answerBox(MessageBoxAnswer a) { boxAnswers_.push_back(a); }
    // Answers when the scripted ones have run out (the fuzz test draws them).
    std::function<std::optional<std::string>()> answerSource;
    std::function<MessageBoxAnswer()> boxSource;
    bool answerDefaults = false;  // unscripted prompts take the offered default
    uint64_t budget = 5'000'000;  // DoEvents calls before RunawayDrawing
    int promptBudget = 10'000;    // unanswered prompts before RunawayDrawing
    // Platform calls allowed between two yields before HangWithoutYield.
    uint64_t yieldBound = 100'000;
    bool recordPoints = true;
    bool recordOthers = true;  // every other operation, caption, prompt and box

    // --- what happened ---
    std::vector<SurfaceOp> ops;
    std::vector<Prompt> prompts;
    std::vector<MessageBoxRequest> boxes;
    std::vector<std::string> captions;  // every caption written, in order
    uint64_t doEventsCalls = 0;
    uint64_t pointCount = 0;
    std::vector<SurfaceOp> points() const;  // the Point ops only
    std::vector<SurfaceOp> pointsOn(Surface surface) const;

    // --- the window ---
    // The drawing area's extents; 1024 x 768 pixels to begin with.
    void setScale(double width, double height) { setScaleExtents(width, height); }
    double outerW = 15600, outerH = 12300;
    std::string currentCaption;
    std::string separator = ".";
    std::map<std::string, std::string, std::less<>> menuCaptions;
    std::map<std::string, bool, std::less<>> menuVisible;
    std::map<TimerId, bool> timerEnabled;
    Rgb backColor[2] = {0, 0};
    // pic1 as the resize handler left it, and the order of its setters.
    double pictureHeight = 0, pictureWidth = 0, pictureScaleHeight = 0, pictureScaleWidth = 0;
    std::vector<std::string> pictureSetters;

    double outerWidth() const override { return outerW; }
    double outerHeight() const override { return outerH; }
    std::string caption() const override { return currentCaption; }
    void setCaption(const std::string& text) override;

    void setPictureHeight(double v) override;
    void setPictureWidth(double v) override;
    void setPictureScaleHeight(double v) override;
    void setPictureScaleWidth(double v) override;

    void clear(Surface surface) override;
    void setPoint(Surface surface, float x, float y, Rgb color) override;
    void setBackColor(Surface surface, Rgb color) override;
    void refresh(Surface surface) override;
    void circle(Surface surface, float x, float y, float radius, Rgb color) override;
    void line(Surface surface, float x1, float y1, float x2, float y2, Rgb color) override;
    float currentX(Surface surface) const override { return position_[index(surface)][0]; }
    float currentY(Surface surface) const override { return position_[index(surface)][1]; }
    void setFillColor(Surface surface, Rgb color) override;
    std::vector<SurfaceOp> opsOf(SurfaceOp::Kind kind) const;

    std::string menuCaption(std::string_view item) const override;
    void setMenuCaption(std::string_view item, const std::string& text) override;
    void setMenuVisible(std::string_view item, bool visible) override;

    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    MessageBoxAnswer messageBox(const MessageBoxRequest& request) override;

    std::optional<std::string> saveFileDialog(const SaveDialogRequest& request) override;
    std::optional<std::string> savePicture(const std::string& path, const PictureFacts& facts) override;
    std::vector<PictureFacts> savedFacts;
    void setTimerEnabled(TimerId timer, bool enabled) override
    {
        noteCall();
        timerEnabled[timer] = enabled;
    }

    // The save dialog's answers (nothing = Cancel) and what the picture writer says.
    std::deque<std::optional<std::string>> saveAnswers;
    std::vector<SaveDialogRequest> saveDialogs;
    std::vector<std::string> savedPictures;
    std::optional<std::string> saveFailure;

    double clockSeconds() const override { return 43200.25; }
    std::string decimalSeparator() const override { return separator; }
    [[noreturn]] void endProgram() override { throw ProgramEnded{}; }

private:
    void pumpEvents() override;
    static int index(Surface surface) { return surface == Surface::Window ? 0 : 1; }

    // Counts a platform call made since the last yield.
    void noteCall() const
    {
        if (++callsSinceYield_ > yieldBound)
            throw HangWithoutYield();
    }

    float position_[2][2] = {{0, 0}, {0, 0}};
    mutable uint64_t callsSinceYield_ = 0;
    int unanswered_ = 0;
    std::multimap<uint64_t, std::function<void()>> actions_;
    std::function<void()> everyCall_;
    std::deque<std::optional<std::string>> answers_;
    std::deque<MessageBoxAnswer> boxAnswers_;
};

}  // namespace quillon::testing
