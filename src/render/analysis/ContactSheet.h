// The contact sheet of a search: an HTML page with every picture found as a
// thumbnail (the picture itself, scaled by the browser), its caption, largest
// exponent and dimensions under it, each linking to the full picture. Links
// are relative, so the page opens from its folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::render {

struct SheetEntry {
    std::string picture;  // the file's name, beside the page
    std::string caption;
    std::optional<double> exponent;
    bool perUnitTime = false;
    std::optional<double> kaplanYorke;
    std::optional<double> boxDimension;
};

std::string contactSheet(const std::string& title, const std::vector<SheetEntry>& entries);

// Text for HTML (&, <, >, " and ' escaped), and a file name as a relative URL.
std::string htmlText(std::string_view text);
std::string urlPath(std::string_view name);

}  // namespace quillon::render
