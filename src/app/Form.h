// The window's logic: the whole form state and every handler by its name.
// Handlers take no arguments and talk through the form state; a command chosen
// while a drawing runs is executed inside that drawing's DoEvents call.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <string>
#include <vector>

#include "app/CanvasPoint.h"
#include "app/CommandTables.h"
#include "app/FigureState.h"
#include "app/MapFigure.h"
#include "app/Platform.h"
#include "runtime/NumberFormat.h"
#include "runtime/Rnd.h"
#include "runtime/TextFile.h"

namespace quillon {

struct Spiral;

class Form : public FigureState {
public:
    explicit Form(Platform& platform);

    // Deeper nesting than this ignores further figure commands: a held-down figure
    // key would otherwise nest drawings until the stack runs out.
    static constexpr int kMaxNestedCommands = 200;
    static constexpr float kDelayAdditions = 100000;

    // The caption the window is designed with, seen until the first command.
    static std::string initialCaption();

    // Form state that RESET keeps.
    float pi = 0;
    int16_t backIndex = 0;   // next background colour of the "c" key
    int16_t delayOn = 0;     // slow mode
    int16_t stopFlag = 0;    // 0 run, 1 reset requested, -1 halted, -2 as 0
    int16_t randomMode = 0;  // 0 random parameters, 1 asked from the user
    int16_t ssStop = 0;      // slide-show stop request

    // Window events.
    void Form_Load();
    void Form_Resize();
    void Form_KeyPress(int16_t keyAscii);
    void Form_KeyDown(int16_t keyCode, int16_t shift);
    [[noreturn]] void Form_Unload();
    [[noreturn]] void Form_Terminate();
    [[noreturn]] void Form_Deactivate();
    void Timer1_Timer();
    void Timer2_Timer();

    // File menu and the general commands.
    void mnuAbout_Click();
    [[noreturn]] void mnuExit_Click();
    void mnuChoice_Click();
    void mnuFIX_Click();
    void mnuReset_Click();
    void mnuDelay_Click();
    void mnuContinue_Click();
    void mnuSave_Click();
    void mnuSS_Click();
    void mnuSSOff_Click();
    void AppendCaption();  // the Enter key
    void screne();         // one slide of the slide show
    // The slide show's figures, row n - 1 for the pick n.
    static std::span<const MapFigure* const> slideTable();

    // The Special menu's studies. (The map figures' items run their rows; see
    // runMapCommand.)
    void mnuNUM_Click();
    void mnuARCH_Click();
    void mnuBIF_Click();
    void mnuLOGS_Click();
    void mnuLOG_Click();
    void mnuPE_Click();

    // Runs a command from the menu or key tables.
    void run(const Command& command);
    // Runs the command of the menu item of that name ("mnuHenon").
    void click(std::string_view item);

    // The busy wait of slow mode.
    void Delay();
    // Tests shorten the busy wait; the program never changes it.
    void setDelayAdditions(float additions) { delayAdditions_ = additions; }
    int openFileCount() const { return static_cast<int>(openFiles_.size()); }

    // Is this key code one of the command keys? (The window takes those keys
    // before the toolkit's own handling, so Tab and F1 keep their meaning here.)
    static bool isCommandKey(int16_t keyCode);

    Platform& platform() { return platform_; }
    const NumberFormat& numbers() const { return numbers_; }
    int nestedCommands() const { return nestedCommands_; }

    // The number files the studies hold open while they run. A study keeps its
    // own file, so nested studies never write into each other's; ending the
    // program closes every one of them.
    class OpenFile {
    public:
        OpenFile(Form& form, const std::string& path, bool wanted);
        ~OpenFile();
        OpenFile(const OpenFile&) = delete;
        OpenFile& operator=(const OpenFile&) = delete;
        bool wanted() const { return wanted_; }
        void write(const std::string& text) { file_.write(text); }
        void writeLine(const std::string& text = std::string()) { file_.writeLine(text); }
        void close() { file_.close(); }
        TextFile& file() { return file_; }

    private:
        Form& form_;
        TextFile file_;
        bool wanted_;
    };
    void closeOpenFiles();
    // Tells the user that a file could not be written, and why.
    void tellFileFailure(const std::string& path, const std::string& reason);

    // The run protocol, shared by every map figure: the command handler's shape
    // and the drawing routine's shape.
    void runMapCommand(const MapFigure& figure);
    void runPasses(const MapFigure& figure);
    // The command's part before its drawing: parameters, clearing, caption.
    void prepareMapCommand(const MapFigure& figure);
    // What a saved picture says of itself: the caption, and the figure and its
    // parameters while the caption is still that figure's.
    PictureFacts pictureFacts() const;

    // Pieces of the protocol that the studies use as well.
    void clearSurfaces();
    void resetExit();
    void plotOnSurfaces(double u, double v, const CanvasMap& canvas);
    void appendToCaption(const std::string& label, const std::string& valueText);
    // Asks with an input box; an answer that converts is stored, others keep the field.
    void promptInto(double& field, const std::string& prompt, const std::string& title,
                    double defaultValue);
    void promptInto(float& field, const std::string& prompt, const std::string& title,
                    double defaultValue);
    // Asks at least once and again while the field's value (the answer, or the
    // old value when the answer does not convert) is not valid.
    template <typename Field, typename Valid>
    void askUntilValid(Field& field, const std::string& prompt, const std::string& title,
                       double defaultValue, Valid valid)
    {
        do
            promptInto(field, prompt, title, defaultValue);
        while (!valid(field));
    }

    // Counts a running command for the nesting cap; ignored when the cap is reached.
    // A command that runs another command at once needs room for both levels.
    class NestingGuard {
    public:
        explicit NestingGuard(Form& form, int levelsNeeded = 1);
        ~NestingGuard();
        NestingGuard(const NestingGuard&) = delete;
        NestingGuard& operator=(const NestingGuard&) = delete;
        bool admitted() const { return admitted_; }

    private:
        Form& form_;
        bool admitted_;
    };

private:
    void drawSpiral(const Spiral& spiral);
    void toggleByCaption(const char* item, const char* offCaption, const char* onCaption,
                         int16_t& flag);
    void obtainParameters(const MapFigure& figure);
    void writeCaption(const MapFigure& figure);
    [[noreturn]] void endProgram();

    Platform& platform_;
    NumberFormat numbers_;
    std::vector<TextFile*> openFiles_;
    struct PlotOffsets {
        double scaleWidth = -1, scaleHeight = -1, qx = 0, qy = 0;
        CanvasOrigin origin;  // ScaleWidth / qx and ScaleHeight / qy
    } plotOffsets_;
    int nestedCommands_ = 0;
    const MapFigure* lastFigure_ = nullptr;  // the row whose caption was written last
    float delayAdditions_ = kDelayAdditions;
};

}  // namespace quillon
