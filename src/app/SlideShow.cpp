// The slide show: figures picked at random, drawn with random parameters, each
// until the next Timer1 tick requests a reset, until SS Off. The show is a loop,
// so it keeps one call depth however long it runs.
#include <array>

#include "app/Form.h"
#include "runtime/Numeric.h"

namespace quillon {

namespace {

constexpr std::array<FormHandler, 28> kSlides = {
    &Form::mnuComet_Click,    &Form::mnuCrown_Click,  &Form::mnuMartin_Click, &Form::mnuMira_Click,
    &Form::mnuLOR_Click,      &Form::mnuE1_Click,     &Form::mnuE2_Click,     &Form::mnuE3_Click,
    &Form::mnuE4_Click,       &Form::mnuE5_Click,     &Form::mnuE8_Click,     &Form::mnuE8A_Click,
    &Form::mnuE8B_Click,      &Form::mnuHop1_Click,   &Form::mnuHop2_Click,   &Form::mnuHop3_Click,
    &Form::mnuHop4_Click,     &Form::mnuHop5_Click,   &Form::mnuThreeply_Click, &Form::mnu3P2_Click,
    &Form::mnu3P4_Click,      &Form::mnu3P5_Click,    &Form::mnu3P6_Click,    &Form::mnu3P7_Click,
    &Form::mnu3P8_Click,      &Form::mnuDIA_Click,    &Form::mnuLOR2_Click,   &Form::mnuLOR3_Click,
};

}  // namespace

std::span<const FormHandler> Form::slideTable() { return kSlides; }

void Form::mnuSS_Click()
{
    // A show whose slides would all be refused at the nesting cap would go round
    // its loop for ever without yielding: it is refused as a whole instead, as
    // any command at the cap is.
    NestingGuard guard(*this, 2);
    if (!guard.admitted())
        return;
    do {
        platform_.setMenuVisible("mnuSSOff", true);
        platform_.setMenuVisible("mnuSS", false);
        platform_.setMenuVisible("mnuChoice", false);
        randomMode = 0;
        platform_.setTimerEnabled(TimerId::Timer1, true);
        if (ssStop == 1)
            ssStop = 0;
        screne();
        stopFlag = 0;
    } while (ssStop != 1);
}

void Form::screne()
{
    if (stopFlag == 1)
        return;
    const auto n = static_cast<int16_t>(Int(rnd_.next() * 28.0f) + 1.0f);
    platform_.clear(Surface::Window);
    (this->*kSlides[n - 1])();
    mnuReset_Click();
    randomMode = 0;
}

void Form::mnuSSOff_Click()
{
    ssStop = 1;
    platform_.setTimerEnabled(TimerId::Timer1, false);
    mnuReset_Click();
    platform_.setMenuVisible("mnuChoice", true);
    randomMode = 0;
    platform_.setMenuVisible("mnuSS", true);
    platform_.setMenuVisible("mnuSSOff", false);
}

}  // namespace quillon
