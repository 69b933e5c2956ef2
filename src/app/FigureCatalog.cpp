#include "app/FigureCatalog.h"

#include <vector>

namespace quillon {

namespace {

// Every menu item that runs a map figure, in menu order.
std::vector<CatalogFigure> build()
{
    std::vector<CatalogFigure> out;
    for (const MenuEntry& entry : menuTable())
        if (const MapFigure* figure = entry.command.figure)
            out.push_back({figure->item, figure, &entry, figure->slide > 0});
    return out;
}

}  // namespace

std::span<const CatalogFigure> figureCatalog()
{
    static const std::vector<CatalogFigure> catalog = build();
    return catalog;
}

std::string parameterLabel(const char* label)
{
    std::string text(label);
    const auto trim = [](std::string& t) {
        t.erase(0, t.find_first_not_of(' '));
        t.erase(t.find_last_not_of(' ') + 1);
    };
    trim(text);
    if (!text.empty() && text.back() == '=')
        text.pop_back();
    trim(text);
    return text;
}

const CatalogFigure* catalogEntryOf(const MapFigure* figure)
{
    for (const CatalogFigure& entry : figureCatalog())
        if (entry.figure == figure)
            return &entry;
    return nullptr;
}

std::string plainCaption(const char* caption)
{
    std::string out;
    for (const char* c = caption; *c; ++c)
        if (*c != '&')
            out += *c;
    return out;
}

}  // namespace quillon
