#include "app/FigureCatalog.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/FigureRows.h"
#include "app/Form.h"

namespace quillon {

namespace {

struct Row {
    const char* item;
    const MapFigure* figure;
};

// In the order of the menus.
constexpr Row kRows[] = {
    {"mnuCrown", &figures::kCrown},       {"mnuComet", &figures::kComet},
    {"mnuCreature", &figures::kCreature}, {"mnuDIA", &figures::kDiamond},
    {"mnuDust", &figures::kDust},         {"mnuE1", &figures::kE1},
    {"mnuE2", &figures::kE2},             {"mnuE3", &figures::kE3},
    {"mnuE4", &figures::kE4},             {"mnuE5", &figures::kE5},
    {"mnuE8", &figures::kE8},             {"mnuE8A", &figures::kE8A},
    {"mnuE8B", &figures::kE8B},           {"mnuGinBread", &figures::kGingerbread},
    {"mnuHenon", &figures::kHenon},       {"mnuHop1", &figures::kHop1},
    {"mnuHop2", &figures::kHop2},         {"mnuHop3", &figures::kHop3},
    {"mnuHop5", &figures::kHop5},         {"mnuLozi", &figures::kLozi},
    {"mnuMartin", &figures::kMartin},     {"mnuMira", &figures::kMira},
    {"mnu3P4", &figures::kTP4},           {"mnuHop4", &figures::kHop4},
    {"mnuThreeply", &figures::kThreeply}, {"mnu3P2", &figures::kTP2},
    {"mnu3P6", &figures::kTP6},           {"mnu3P7", &figures::kTP7},
    {"mnu3P8", &figures::kTP8},           {"mnuTree", &figures::kTree},
    {"mnuTriangles", &figures::kTriangles}, {"mnu3P5", &figures::kTP5},
    {"mnuLOR", &figures::kLorenzXY},      {"mnuLOR2", &figures::kLorenzXZ},
    {"mnuLOR3", &figures::kLorenzYZ},     {"mnuScorpion", &figures::kScorpion},
    {"mnuSierpi", &figures::kSierpi},
};

std::vector<CatalogFigure> build()
{
    std::vector<CatalogFigure> out;
    const auto menu = menuTable();
    const auto slides = Form::slideTable();
    for (const Row& row : kRows) {
        const auto entry = std::find_if(menu.begin(), menu.end(), [&](const MenuEntry& e) {
            return std::strcmp(e.name, row.item) == 0;
        });
        const bool inShow = entry != menu.end() &&
                            std::find(slides.begin(), slides.end(), entry->handler) != slides.end();
        out.push_back({row.item, row.figure, entry != menu.end() ? &*entry : nullptr, inShow});
    }
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
