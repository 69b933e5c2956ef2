// The menu bar and the command keys as data, in menu order. The toolkit adapter
// builds its menus and key handling from these tables; items are found by name.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace quillon {

class Form;
struct MapFigure;
using FormHandler = void (Form::*)();

// What an item or a key runs: a handler of the form, or a map figure's command
// (its row).
struct Command {
    FormHandler handler = nullptr;
    const MapFigure* figure = nullptr;
    explicit operator bool() const { return handler || figure; }
    bool operator==(const Command&) const = default;
};

struct MenuEntry {
    const char* name;       // item name, the key to an item
    const char* caption;    // with the access-key marker; empty for a separator
    const char* parent;     // the drop-down it belongs to; null for the menu bar
    Command command;        // none for drop-downs, separators, inactive items
    bool separator = false;
};

struct CommandKey {
    int16_t code;       // virtual-key code
    const char* name;   // for people reading tables and tests
    Command command;
};

std::span<const MenuEntry> menuTable();
// The entry of the item of that name, or null.
const MenuEntry* menuEntry(std::string_view name);
std::span<const CommandKey> commandKeys();

// Virtual-key codes of the keys the window gives a meaning to.
namespace keys {
inline constexpr int16_t Backspace = 8, Tab = 9, Enter = 13, Escape = 27, Space = 32;
inline constexpr int16_t F1 = 112, F2 = 113, F3 = 114, F4 = 115, F5 = 116, F6 = 117,
                         F7 = 118, F8 = 119, F9 = 120, F10 = 121;
inline constexpr int16_t LowerC = 99;  // the character code of "c"
}  // namespace keys

}  // namespace quillon
