#include "app/Form.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "app/CommandTables.h"

namespace quillon {

namespace {

constexpr const char* kAboutText =
    "QUILLON.EXE           (Ver 2.1)\r\n"
    "Written by the QUILLON team\r\n"
    "For the Linux desktop (Qt 6); first written for Windows\r\n"
    "\r\n"
    "Contact: the QUILLON project's issue tracker";

// A size or extent the window reports as zero (minimised) or worse cannot be
// given to pic1: that step is skipped and the next one runs.
template <typename Setter>
void setIfValid(double value, Setter&& setter)
{
    if (std::isfinite(value) && value > 0)
        setter(value);
}

}  // namespace

std::string Form::initialCaption()
{
    return "QUILLON." + std::string(71, ' ') + "Study your math  -  it's the key to the Universe!";
}

Form::Form(Platform& platform)
    : platform_(platform), numbers_(platform.decimalSeparator())
{
}

void Form::Form_Load()
{
    platform_.setTimerEnabled(TimerId::Timer1, false);
    rnd.randomize(platform_.clockSeconds());
    x = 0;
    xNew = 0;
    y = 0;
    yNew = 0;
    z = 0;
    platform_.setMenuVisible("mnuSSOff", false);
}

void Form::Form_Resize()
{
    platform_.refresh(Surface::Window);
    platform_.refresh(Surface::Picture);
    setIfValid(platform_.outerHeight(), [&](double v) { platform_.setPictureHeight(v); });
    setIfValid(platform_.outerWidth(), [&](double v) { platform_.setPictureWidth(v); });
    setIfValid(platform_.scaleHeight(), [&](double v) { platform_.setPictureScaleHeight(v); });
    setIfValid(platform_.scaleWidth(), [&](double v) { platform_.setPictureScaleWidth(v); });
}

void Form::Form_KeyPress(int16_t keyAscii)
{
    if (keyAscii != keys::LowerC)
        return;
    platform_.setBackColor(Surface::Window, QBColor(backIndex));
    platform_.setBackColor(Surface::Picture, QBColor(backIndex));
    backIndex = static_cast<int16_t>(backIndex + 1);
    if (backIndex > 15)
        backIndex = 0;
}

void Form::Form_KeyDown(int16_t keyCode, int16_t /*shift*/)
{
    for (const CommandKey& key : commandKeys()) {
        if (key.code == keyCode) {
            run(key.command);
            return;
        }
    }
}

void Form::run(const Command& command)
{
    if (command.figure)
        runMapCommand(*command.figure);
    else if (command.handler)
        (this->*command.handler)();
}

void Form::click(std::string_view item)
{
    if (const MenuEntry* entry = menuEntry(item))
        run(entry->command);
}

bool Form::isCommandKey(int16_t keyCode)
{
    for (const CommandKey& key : commandKeys())
        if (key.code == keyCode)
            return true;
    return false;
}

void Form::endProgram()
{
    // Nothing written may be lost: open number files are flushed and closed
    // before the process goes.
    closeOpenFiles();
    platform_.endProgram();
    std::abort();  // the platform does not come back
}

Form::OpenFile::OpenFile(Form& form, const std::string& path, bool wanted)
    : form_(form), wanted_(wanted)
{
    form_.openFiles_.push_back(&file_);
    // A file that cannot be opened is told once; the study goes on without it.
    if (wanted_ && !file_.openForAppend(path)) {
        wanted_ = false;
        form_.tellFileFailure(path, file_.lastError());
    }
}

Form::OpenFile::~OpenFile()
{
    file_.close();
    std::erase(form_.openFiles_, &file_);
}

void Form::tellFileFailure(const std::string& path, const std::string& reason)
{
    MessageBoxRequest message;
    message.icon = MessageBoxRequest::Icon::Exclamation;
    message.text = "Cannot write to \"" + path + "\":\r\n" + reason;
    platform_.messageBox(message);
}

void Form::closeOpenFiles()
{
    for (TextFile* file : openFiles_)
        file->close();
}

void Form::Form_Unload() { endProgram(); }
void Form::Form_Terminate() { endProgram(); }
void Form::Form_Deactivate() { endProgram(); }
void Form::mnuExit_Click() { endProgram(); }

void Form::Timer1_Timer() { stopFlag = 1; }
void Form::Timer2_Timer() { bifTick = 1; }

void Form::mnuAbout_Click()
{
    MessageBoxRequest request;
    request.text = kAboutText;
    platform_.messageBox(request);
}

void Form::toggleByCaption(const char* item, const char* offCaption, const char* onCaption,
                           int16_t& flag)
{
    // The item's caption shows the mode; the start-up caption carries the access
    // key marker, so the first click only takes the plain caption.
    if (platform_.menuCaption(item) != offCaption) {
        platform_.setMenuCaption(item, offCaption);
        flag = 0;
    } else {
        platform_.setMenuCaption(item, onCaption);
        flag = 1;
    }
}

void Form::mnuChoice_Click() { toggleByCaption("mnuChoice", "Random", "User Input", randomMode); }

void Form::mnuDelay_Click() { toggleByCaption("mnuDelay", "Delay", "Go Fast", delayOn); }

void Form::Delay()
{
    // A Single counter from 1 while not above 100000: 100000 additions. The
    // volatile counter keeps the optimiser from removing the loop.
    volatile float counter = 1;
    while (counter <= delayAdditions_)
        counter = counter + 1.0f;
}

void Form::mnuFIX_Click()
{
    stopFlag = static_cast<int16_t>(~stopFlag);
    clearSurfaces();
    platform_.setCaption("");
}

void Form::mnuReset_Click()
{
    stopFlag = 1;
    // The figure state goes back to zero; the random sequence goes on.
    const Rnd sequence = rnd;
    static_cast<FigureState&>(*this) = FigureState{};
    rnd = sequence;
    clearSurfaces();
    platform_.setCaption("");
    stopFlag = 1;
}

// The Pause menu's only item: choosing it closes the menu, which is all it is for.
void Form::mnuContinue_Click() {}

}  // namespace quillon
