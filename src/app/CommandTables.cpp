#include "app/CommandTables.h"

#include <array>
#include <vector>

#include "app/FigureRows.h"
#include "app/Form.h"

namespace quillon {

namespace {

constexpr const char* kFile = "mnuFile";
constexpr const char* kEq1 = "mnuFormula1";
constexpr const char* kEq2 = "mnuFormula2";
constexpr const char* kSpecial = "mnuSpecial";
constexpr const char* kPause = "mnuPause";

MenuEntry item(const char* name, const char* caption, const char* parent, FormHandler handler)
{
    return MenuEntry{name, caption, parent, Command{.handler = handler}, false};
}

// A map figure's item: its name and caption are the row's.
MenuEntry item(const MapFigure& figure, const char* parent)
{
    return MenuEntry{figure.item, figure.menuCaption, parent, Command{.figure = &figure}, false};
}

MenuEntry separator(const char* name, const char* parent)
{
    return MenuEntry{name, "", parent, Command{}, true};
}

// Built when first asked for: the rows are defined in the figures' own files.
std::vector<MenuEntry> buildMenu()
{
    using namespace figures;
    return {
        item(kFile, "&File", nullptr, nullptr),
        item("mnuAbout", "&About", kFile, &Form::mnuAbout_Click),
        item("mnuExit", "E&xit", kFile, &Form::mnuExit_Click),

        item(kEq1, "&Equations1", nullptr, nullptr),
        item(kCrown, kEq1),
        item(kComet, kEq1),
        item(kCreature, kEq1),
        item(kDiamond, kEq1),
        item(kDust, kEq1),
        separator("mnuSep3", kEq1),
        item(kE1, kEq1),
        item(kE2, kEq1),
        item(kE3, kEq1),
        item(kE4, kEq1),
        item(kE5, kEq1),
        item(kE8, kEq1),
        item(kE8A, kEq1),
        item(kE8B, kEq1),
        separator("mnuSep6", kEq1),
        item(kGingerbread, kEq1),
        item(kHenon, kEq1),
        separator("mnuSepB", kEq1),
        item(kHop1, kEq1),
        item(kHop2, kEq1),
        item(kHop3, kEq1),
        item(kHop5, kEq1),

        item(kEq2, "&Equations2", nullptr, nullptr),
        item(kLozi, kEq2),
        item(kMartin, kEq2),
        item(kMira, kEq2),
        item(kTP4, kEq2),
        separator("mnuSep5", kEq2),
        item(kHop4, kEq2),
        item(kThreeply, kEq2),
        item(kTP2, kEq2),
        item(kTP6, kEq2),
        item(kTP7, kEq2),
        item(kTP8, kEq2),
        separator("mnuSepC", kEq2),
        item(kTree, kEq2),
        item(kTriangles, kEq2),
        item(kTP5, kEq2),

        item(kSpecial, "&Special", nullptr, nullptr),
        item("mnuNUM", "3&N+1 Numbers", kSpecial, &Form::mnuNUM_Click),
        item("mnuARCH", "&Archimedes Spiral", kSpecial, &Form::mnuARCH_Click),
        item("mnuBIF", "&BIFURCATION", kSpecial, &Form::mnuBIF_Click),
        separator("mnuSepX", kSpecial),
        item(kLorenzXY, kSpecial),
        item(kLorenzXZ, kSpecial),
        item(kLorenzYZ, kSpecial),
        separator("mnuSepY", kSpecial),
        item("mnuLOGS", "&Logarithmic Spiral", kSpecial, &Form::mnuLOGS_Click),
        item("mnuLOG", "&LOGISTIC EQUATION", kSpecial, &Form::mnuLOG_Click),
        item("mnuPE", "&Pickover Earthworm", kSpecial, &Form::mnuPE_Click),
        separator("mnuSepZ", kSpecial),
        item(kScorpion, kSpecial),
        item(kSierpi, kSpecial),

        item("mnuChoice", "&Random", nullptr, &Form::mnuChoice_Click),
        item("mnuFIX", "&FIX", nullptr, &Form::mnuFIX_Click),
        item("mnuReset", "&RESET", nullptr, &Form::mnuReset_Click),
        item("mnuDelay", "&Delay", nullptr, &Form::mnuDelay_Click),
        item(kPause, "&Pause", nullptr, nullptr),
        item("mnuContinue", "&Continue", kPause, &Form::mnuContinue_Click),
        item("mnuSave", "&Save!", nullptr, &Form::mnuSave_Click),
        item("mnuSS", "&SS On", nullptr, &Form::mnuSS_Click),
        item("mnuSSOff", "&SS Off", nullptr, &Form::mnuSSOff_Click),
    };
}

const std::array kKeys = {
    CommandKey{keys::Backspace, "Backspace", Command{.handler = &Form::mnuDelay_Click}},
    CommandKey{keys::Tab, "Tab", Command{.handler = &Form::mnuFIX_Click}},
    CommandKey{keys::Enter, "Enter", Command{.handler = &Form::AppendCaption}},
    CommandKey{keys::Escape, "Esc", Command{.handler = &Form::mnuReset_Click}},
    CommandKey{keys::Space, "Space", Command{.handler = &Form::mnuSave_Click}},
    CommandKey{keys::F1, "F1", Command{.figure = &figures::kLorenzXY}},
    CommandKey{keys::F2, "F2", Command{.figure = &figures::kLorenzXZ}},
    CommandKey{keys::F3, "F3", Command{.figure = &figures::kLorenzYZ}},
    CommandKey{keys::F5, "F5", Command{.handler = &Form::mnuPE_Click}},
    CommandKey{keys::F6, "F6", Command{.handler = &Form::mnuNUM_Click}},
    CommandKey{keys::F7, "F7", Command{.handler = &Form::mnuLOG_Click}},
    CommandKey{keys::F8, "F8", Command{.handler = &Form::mnuBIF_Click}},
    CommandKey{keys::F9, "F9", Command{.handler = &Form::mnuSS_Click}},
    CommandKey{keys::F10, "F10", Command{.handler = &Form::mnuSSOff_Click}},
};

}  // namespace

std::span<const MenuEntry> menuTable()
{
    static const std::vector<MenuEntry> menu = buildMenu();
    return menu;
}

const MenuEntry* menuEntry(std::string_view name)
{
    for (const MenuEntry& entry : menuTable())
        if (entry.name == name)
            return &entry;
    return nullptr;
}

std::span<const CommandKey> commandKeys() { return kKeys; }

}  // namespace quillon
