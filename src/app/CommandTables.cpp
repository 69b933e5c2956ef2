#include "app/CommandTables.h"

#include <array>

#include "app/Form.h"

namespace quillon {

namespace {

constexpr const char* kFile = "mnuFile";
constexpr const char* kEq1 = "mnuFormula1";
constexpr const char* kEq2 = "mnuFormula2";
constexpr const char* kSpecial = "mnuSpecial";
constexpr const char* kPause = "mnuPause";

constexpr MenuEntry item(const char* name, const char* caption, const char* parent, FormHandler handler)
{
    return MenuEntry{name, caption, parent, handler, false};
}

constexpr MenuEntry separator(const char* name, const char* parent)
{
    return MenuEntry{name, "", parent, nullptr, true};
}

constexpr std::array kMenu = {
    item(kFile, "&File", nullptr, nullptr),
    item("mnuAbout", "&About", kFile, &Form::mnuAbout_Click),
    item("mnuExit", "E&xit", kFile, &Form::mnuExit_Click),

    item(kEq1, "&Equations1", nullptr, nullptr),
    item("mnuCrown", "&Crown", kEq1, &Form::mnuCrown_Click),
    item("mnuComet", "&Comet", kEq1, &Form::mnuComet_Click),
    item("mnuCreature", "&Creature", kEq1, &Form::mnuCreature_Click),
    item("mnuDIA", "&Diamond", kEq1, &Form::mnuDIA_Click),
    item("mnuDust", "&Dust", kEq1, &Form::mnuDust_Click),
    separator("mnuSep3", kEq1),
    item("mnuE1", "&Eqn 1", kEq1, &Form::mnuE1_Click),
    item("mnuE2", "&Eqn 2", kEq1, &Form::mnuE2_Click),
    item("mnuE3", "&Eqn 3", kEq1, &Form::mnuE3_Click),
    item("mnuE4", "&Eqn 4", kEq1, &Form::mnuE4_Click),
    item("mnuE5", "&Eqn 5", kEq1, &Form::mnuE5_Click),
    item("mnuE8", "&Eqn 8", kEq1, &Form::mnuE8_Click),
    item("mnuE8A", "&Eqn 8A", kEq1, &Form::mnuE8A_Click),
    item("mnuE8B", "&Eqn 8B", kEq1, &Form::mnuE8B_Click),
    separator("mnuSep6", kEq1),
    item("mnuGinBread", "&GingerBread", kEq1, &Form::mnuGinBread_Click),
    item("mnuHenon", "&Henon", kEq1, &Form::mnuHenon_Click),
    separator("mnuSepB", kEq1),
    item("mnuHop1", "&Hopalong", kEq1, &Form::mnuHop1_Click),
    item("mnuHop2", "&Hopalong-2", kEq1, &Form::mnuHop2_Click),
    item("mnuHop3", "&Hopalong-3", kEq1, &Form::mnuHop3_Click),
    item("mnuHop5", "&Hopalong-4", kEq1, &Form::mnuHop5_Click),

    item(kEq2, "&Equations2", nullptr, nullptr),
    item("mnuLozi", "&Lozi", kEq2, &Form::mnuLozi_Click),
    item("mnuMartin", "&Martin", kEq2, &Form::mnuMartin_Click),
    item("mnuMira", "&Mira", kEq2, &Form::mnuMira_Click),
    item("mnu3P4", "&Starburst", kEq2, &Form::mnu3P4_Click),
    separator("mnuSep5", kEq2),
    item("mnuHop4", "&Tetras", kEq2, &Form::mnuHop4_Click),
    item("mnuThreeply", "&Threeply", kEq2, &Form::mnuThreeply_Click),
    item("mnu3P2", "&Threeply-2", kEq2, &Form::mnu3P2_Click),
    item("mnu3P6", "&Threeply-3", kEq2, &Form::mnu3P6_Click),
    item("mnu3P7", "&Threeply-Sin", kEq2, &Form::mnu3P7_Click),
    item("mnu3P8", "&Threeply-Cos", kEq2, &Form::mnu3P8_Click),
    separator("mnuSepC", kEq2),
    item("mnuTree", "&Tree", kEq2, &Form::mnuTree_Click),
    item("mnuTriangles", "&Triangles", kEq2, &Form::mnuTriangles_Click),
    item("mnu3P5", "&X-Ply", kEq2, &Form::mnu3P5_Click),

    item(kSpecial, "&Special", nullptr, nullptr),
    item("mnuNUM", "3&N+1 Numbers", kSpecial, &Form::mnuNUM_Click),
    item("mnuARCH", "&Archimedes Spiral", kSpecial, &Form::mnuARCH_Click),
    item("mnuBIF", "&BIFURCATION", kSpecial, &Form::mnuBIF_Click),
    separator("mnuSepX", kSpecial),
    item("mnuLOR", "&Lorenz Orbits (XY)", kSpecial, &Form::mnuLOR_Click),
    item("mnuLOR2", "&Lorenz Orbits (XZ)", kSpecial, &Form::mnuLOR2_Click),
    item("mnuLOR3", "&Lorenz Orbits (YZ)", kSpecial, &Form::mnuLOR3_Click),
    separator("mnuSepY", kSpecial),
    item("mnuLOGS", "&Logarithmic Spiral", kSpecial, &Form::mnuLOGS_Click),
    item("mnuLOG", "&LOGISTIC EQUATION", kSpecial, &Form::mnuLOG_Click),
    item("mnuPE", "&Pickover Earthworm", kSpecial, &Form::mnuPE_Click),
    separator("mnuSepZ", kSpecial),
    item("mnuScorpion", "&Scorpion", kSpecial, &Form::mnuScorpion_Click),
    item("mnuSierpi", "&Sierpi", kSpecial, &Form::mnuSierpi_Click),

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

constexpr std::array kKeys = {
    CommandKey{keys::Backspace, "Backspace", &Form::mnuDelay_Click},
    CommandKey{keys::Tab, "Tab", &Form::mnuFIX_Click},
    CommandKey{keys::Enter, "Enter", &Form::AppendCaption},
    CommandKey{keys::Escape, "Esc", &Form::mnuReset_Click},
    CommandKey{keys::Space, "Space", &Form::mnuSave_Click},
    CommandKey{keys::F1, "F1", &Form::mnuLOR_Click},
    CommandKey{keys::F2, "F2", &Form::mnuLOR2_Click},
    CommandKey{keys::F3, "F3", &Form::mnuLOR3_Click},
    CommandKey{keys::F5, "F5", &Form::mnuPE_Click},
    CommandKey{keys::F6, "F6", &Form::mnuNUM_Click},
    CommandKey{keys::F7, "F7", &Form::mnuLOG_Click},
    CommandKey{keys::F8, "F8", &Form::mnuBIF_Click},
    CommandKey{keys::F9, "F9", &Form::mnuSS_Click},
    CommandKey{keys::F10, "F10", &Form::mnuSSOff_Click},
};

}  // namespace

std::span<const MenuEntry> menuTable() { return kMenu; }
std::span<const CommandKey> commandKeys() { return kKeys; }

}  // namespace quillon
