// The menu bar and the command keys as data, in menu order. The toolkit adapter
// builds its menus and key handling from these tables; items are found by name.
#pragma once

#include <cstdint>
#include <span>

namespace quillon {

class Form;
using FormHandler = void (Form::*)();

struct MenuEntry {
    const char* name;                // item name, the key to an item
    const char* caption;             // with the access-key marker; empty for a separator
    const char* parent;              // the drop-down it belongs to; null for the menu bar
    FormHandler handler = nullptr;   // null for drop-downs, separators, inactive items
    bool separator = false;
};

struct CommandKey {
    int16_t code;       // virtual-key code
    const char* name;   // for people reading tables and tests
    FormHandler handler;
};

std::span<const MenuEntry> menuTable();
std::span<const CommandKey> commandKeys();

// Virtual-key codes of the keys the window gives a meaning to.
namespace keys {
inline constexpr int16_t Backspace = 8, Tab = 9, Enter = 13, Escape = 27, Space = 32;
inline constexpr int16_t F1 = 112, F2 = 113, F3 = 114, F4 = 115, F5 = 116, F6 = 117,
                         F7 = 118, F8 = 119, F9 = 120, F10 = 121;
inline constexpr int16_t LowerC = 99;  // the character code of "c"
}  // namespace keys

}  // namespace quillon
