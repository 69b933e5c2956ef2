// Every figure that is a row of the run protocol, by its menu item, in menu
// order: what the renderer knows of the window's figures.
#pragma once

#include <span>
#include <string>

#include "app/CommandTables.h"
#include "app/MapFigure.h"

namespace quillon {

struct CatalogFigure {
    const char* item;          // the menu item's name, "mnuHenon"
    const MapFigure* figure;   // its row
    const MenuEntry* entry;    // its menu item: caption, menu, command
    bool inSlideShow;
};

std::span<const CatalogFigure> figureCatalog();

// The menu item's caption without the access-key marker: "Hopalong-2".
std::string plainCaption(const char* caption);

// A parameter's label as the caption shows it, trimmed: "   a = " is "a",
// "  3rd parameter= " is "3rd parameter".
std::string parameterLabel(const char* label);

// The catalog's entry of a row, or null.
const CatalogFigure* catalogEntryOf(const MapFigure* figure);

}  // namespace quillon
