#include "render/look/Palette.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>

#include "render/image/UsageError.h"
#include "render/look/GradientFile.h"
#include "render/look/PublishedMaps.h"

namespace quillon::render {
namespace {

// Steps along v in a palette's table: enough that interpolating between
// entries is invisible at 16 bits, and a multiple of seven so that each pass
// colour of "passes" falls exactly on an entry.
constexpr int kSteps = 7 * 256;

// A point of a uniform palette's path through OKLab, by chroma and hue
// (degrees, free to run past 360 so that a path can wrap smoothly).
struct PathPoint {
    double v, chroma, hue;
};

struct UniformDesign {
    const char* name;
    const char* description;
    double darkest, lightest;  // OKLab L at v = 0 and v = 1; it rises evenly between
    std::vector<PathPoint> path;
};

// Hermite interpolation with the tangents of the neighbouring points: smooth,
// through every point, and without the pauses a smoothstep makes at each.
double smoothThrough(const std::vector<PathPoint>& path, double v, double PathPoint::*field)
{
    const size_t last = path.size() - 1;
    size_t k = 0;
    while (k + 1 < last && v > path[k + 1].v)
        ++k;
    const auto tangent = [&](size_t i) {
        const size_t before = i == 0 ? 0 : i - 1, after = std::min(i + 1, last);
        return (path[after].*field - path[before].*field) / (path[after].v - path[before].v);
    };
    const double h = path[k + 1].v - path[k].v;
    const double t = (v - path[k].v) / h;
    const double t2 = t * t, t3 = t2 * t;
    return (2 * t3 - 3 * t2 + 1) * (path[k].*field) + (t3 - 2 * t2 + t) * h * tangent(k) +
           (-2 * t3 + 3 * t2) * (path[k + 1].*field) + (t3 - t2) * h * tangent(k + 1);
}

bool inGamut(double r, double g, double b)
{
    constexpr double margin = 1e-9;
    return r >= -margin && r <= 1 + margin && g >= -margin && g <= 1 + margin && b >= -margin &&
           b <= 1 + margin;
}

LinearRgb clamped(double r, double g, double b)
{
    const auto unit = [](double c) { return static_cast<float>(std::clamp(c, 0.0, 1.0)); };
    return {unit(r), unit(g), unit(b)};
}

// Lightness and hue are kept; chroma the screen cannot show is given up, so
// the lightness still rises evenly where the path leaves the gamut.
LinearRgb gamutClipped(double L, double chroma, double hueDegrees)
{
    const double hue = hueDegrees * std::numbers::pi / 180;
    const auto convert = [&](double c, double& r, double& g, double& b) {
        fromOklab({.L = L, .a = c * std::cos(hue), .b = c * std::sin(hue)}, r, g, b);
    };
    double r, g, b;
    convert(chroma, r, g, b);
    if (!inGamut(r, g, b)) {
        double inside = 0, outside = chroma;
        for (int i = 0; i < 40; ++i) {
            const double middle = (inside + outside) / 2;
            convert(middle, r, g, b);
            (inGamut(r, g, b) ? inside : outside) = middle;
        }
        convert(inside, r, g, b);
    }
    return clamped(r, g, b);
}

std::vector<LinearRgb> uniformTable(const UniformDesign& design)
{
    std::vector<LinearRgb> table(kSteps + 1);
    for (int i = 0; i <= kSteps; ++i) {
        const double v = static_cast<double>(i) / kSteps;
        const double L = design.darkest + (design.lightest - design.darkest) * v;
        const double chroma =
            design.path.empty() ? 0 : std::max(0.0, smoothThrough(design.path, v, &PathPoint::chroma));
        const double hue = design.path.empty() ? 0 : smoothThrough(design.path, v, &PathPoint::hue);
        table[i] = gamutClipped(L, chroma, hue);
    }
    return table;
}

// From black through the window's pass colours in their order, blended as
// the screen shows them (in sRGB values, not in light).
std::vector<LinearRgb> passesTable()
{
    Rgb stops[8] = {0x000000};
    for (int i = 1; i < 8; ++i)
        stops[i] = QBColor(8 + i);
    const auto channel = [](Rgb colour, int shift) { return ((colour >> shift) & 0xFF) / 255.0; };
    std::vector<LinearRgb> table(kSteps + 1);
    constexpr int perStop = kSteps / 7;
    for (int i = 0; i <= kSteps; ++i) {
        const int stop = std::min(i / perStop, 6);
        const double t = static_cast<double>(i - stop * perStop) / perStop;
        double linear[3];
        for (int c = 0; c < 3; ++c) {
            const int shift = 16 - 8 * c;
            linear[c] = srgbToLinear((1 - t) * channel(stops[stop], shift) + t * channel(stops[stop + 1], shift));
        }
        table[i] = clamped(linear[0], linear[1], linear[2]);
    }
    return table;
}

const UniformDesign kUniformDesigns[] = {
    {.name = "ember",
     .description = "black through deep red, orange and yellow to white, like embers",
     .darkest = 0.0,
     .lightest = 1.0,
     .path = {{0.0, 0.0, 25}, {0.15, 0.09, 27}, {0.35, 0.17, 33}, {0.55, 0.19, 50},
              {0.72, 0.17, 70}, {0.87, 0.14, 95}, {1.0, 0.0, 105}}},
    {.name = "ocean",
     .description = "navy through blue and teal to a pale sea green",
     .darkest = 0.18,
     .lightest = 0.97,
     .path = {{0.0, 0.07, 268}, {0.25, 0.11, 255}, {0.5, 0.10, 225}, {0.75, 0.09, 195},
              {1.0, 0.03, 185}}},
    {.name = "violet",
     .description = "indigo through violet and magenta to a pale pink",
     .darkest = 0.14,
     .lightest = 0.96,
     .path = {{0.0, 0.08, 290}, {0.3, 0.16, 300}, {0.55, 0.19, 320}, {0.8, 0.12, 345},
              {1.0, 0.03, 365}}},
    {.name = "grey",
     .description = "black to white in even steps of lightness",
     .darkest = 0.0,
     .lightest = 1.0,
     .path = {}},
};

struct PublishedDesign {
    const char* name;
    const char* description;
    bool cyclic;
};

const PublishedDesign kPublishedDesigns[] = {
    {"viridis", "dark blue through teal and green to yellow; uniform, and plain to colour-blind eyes", false},
    {"magma", "black through purple and rose to pale yellow; uniform", false},
    {"inferno", "black through purple, red and orange to pale yellow; uniform", false},
    {"plasma", "deep blue through purple, pink and orange to yellow; uniform", false},
    {"cividis", "dark blue through grey to yellow, alike to most colour-blind eyes; uniform", false},
    {"twilight", "cyclic: pale grey through blue to near black and back through red; uniform, for angles", true},
};

// The published tables hold sRGB values; ours are light.
std::vector<LinearRgb> publishedTable(const PublishedMap& map)
{
    std::vector<LinearRgb> table(map.size);
    for (size_t i = 0; i < map.size; ++i) {
        const double* srgb = map.srgb[i];
        table[i] = {static_cast<float>(srgbToLinear(srgb[0])), static_cast<float>(srgbToLinear(srgb[1])),
                    static_cast<float>(srgbToLinear(srgb[2]))};
    }
    return table;
}

struct ArtStop {
    double v;
    Rgb colour;
};

struct ArtDesign {
    const char* name;
    const char* description;
    bool cyclic;
    std::vector<ArtStop> stops;
};

// Stops met in OKLab, so that no blend between two vivid colours turns muddy.
std::vector<LinearRgb> artTable(const ArtDesign& design)
{
    const auto lab = [](Rgb colour) {
        const auto channel = [&](int shift) { return srgbToLinear(((colour >> shift) & 0xFF) / 255.0); };
        return toOklab(channel(16), channel(8), channel(0));
    };
    std::vector<LinearRgb> table(kSteps + 1);
    size_t k = 0;
    for (int i = 0; i <= kSteps; ++i) {
        const double v = static_cast<double>(i) / kSteps;
        while (k + 2 < design.stops.size() && v > design.stops[k + 1].v)
            ++k;
        const ArtStop& from = design.stops[k];
        const ArtStop& to = design.stops[k + 1];
        const double t = std::clamp((v - from.v) / (to.v - from.v), 0.0, 1.0);
        const Oklab a = lab(from.colour), b = lab(to.colour);
        double r, g, bl;
        fromOklab({.L = a.L + t * (b.L - a.L), .a = a.a + t * (b.a - a.a), .b = a.b + t * (b.b - a.b)}, r, g, bl);
        table[i] = clamped(r, g, bl);
    }
    return table;
}

const ArtDesign kArtDesigns[] = {
    {.name = "sunset",
     .description = "night blue through dusk blue, rose and orange to a golden glow",
     .cyclic = false,
     .stops = {{0.0, 0x060816}, {0.22, 0x15276B}, {0.42, 0x3550C0}, {0.6, 0xB8479A}, {0.78, 0xFF7A4A},
               {0.9, 0xFFB347}, {1.0, 0xFFF0B8}}},
    {.name = "aurora",
     .description = "black through deep violet, dark teal and emerald to a bright pale green",
     .cyclic = false,
     .stops = {{0.0, 0x040210}, {0.2, 0x2A0E5A}, {0.42, 0x0A5E6E}, {0.62, 0x12A86A}, {0.82, 0x55F08C},
               {1.0, 0xE8FFF2}}},
    {.name = "neon",
     .description = "cyclic: electric pink, violet, blue, cyan, lime and orange round to pink",
     .cyclic = true,
     .stops = {{0.0, 0xFF2E97}, {1 / 6.0, 0x9B3BFF}, {2 / 6.0, 0x2E6BFF}, {3 / 6.0, 0x00E5FF},
               {4 / 6.0, 0x7CFF3A}, {5 / 6.0, 0xFFB02E}, {1.0, 0xFF2E97}}},
};

struct NamedColour {
    const char* name;
    Rgb colour;
};

const NamedColour kNamedColours[] = {
    {"black", 0x000000}, {"white", 0xFFFFFF}, {"grey", 0x808080},  {"gray", 0x808080},
    {"navy", 0x000080},  {"red", 0xFF0000},   {"green", 0x008000}, {"blue", 0x0000FF},
};

bool sameLetters(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// A palette file is small; anything much larger is not one, and is not read whole.
constexpr std::streamsize kMostFileBytes = 1 << 20;

// A path as it can stand in a one-line message.
std::string pathText(const std::string& path) { return oneLine(path); }

int srgbByte(float linear)
{
    return static_cast<int>(std::lround(linearToSrgb(std::clamp(linear, 0.0f, 1.0f)) * 255));
}

std::string hexOf(const LinearRgb& colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", srgbByte(colour.r), srgbByte(colour.g), srgbByte(colour.b));
    return text;
}

}  // namespace

Palette::Palette(std::string name, std::string description, std::vector<LinearRgb> table, bool cyclic,
                 std::string definition)
    : name_(std::move(name)),
      description_(std::move(description)),
      table_(std::move(table)),
      cyclic_(cyclic),
      definition_(std::move(definition))
{
}

const std::vector<Palette>& Palette::all()
{
    static const std::vector<Palette> palettes = [] {
        std::vector<Palette> list;
        for (const UniformDesign& design : kUniformDesigns)
            list.push_back(Palette(design.name, design.description, uniformTable(design)));
        list.push_back(Palette("passes",
                               "black, then the pass colours of the window's drawings: blue, green, "
                               "cyan, red, magenta, yellow, white",
                               passesTable()));
        for (const PublishedDesign& design : kPublishedDesigns) {
            const auto map = std::find_if(std::begin(kPublishedMaps), std::end(kPublishedMaps),
                                          [&](const PublishedMap& m) { return std::strcmp(m.name, design.name) == 0; });
            list.push_back(Palette(design.name, design.description, publishedTable(*map), design.cyclic));
        }
        for (const ArtDesign& design : kArtDesigns)
            list.push_back(Palette(design.name, design.description, artTable(design), design.cyclic));
        return list;
    }();
    return palettes;
}

const std::vector<std::string>& Palette::names()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const Palette& palette : all())
            list.push_back(palette.name());
        return list;
    }();
    return names;
}

std::optional<Palette> Palette::named(std::string_view name)
{
    for (const Palette& palette : all())
        if (palette.name() == name)
            return palette;
    return std::nullopt;
}

Palette Palette::ofGradient(const Gradient& gradient, std::string description)
{
    std::vector<LinearRgb> table = gradientTable(gradient, kSteps);
    const LinearRgb &first = table.front(), &last = table.back();
    const bool cyclic = first.r == last.r && first.g == last.g && first.b == last.b;
    description += ", " + hexOf(first) + " to " + hexOf(last);
    return Palette(gradient.name, std::move(description), std::move(table), cyclic, definitionText(gradient));
}

Palette Palette::fromFile(const std::string& path)
{
    const std::string source = pathText(path);
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw PaletteError(source + ": cannot be read: it is a directory");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw PaletteError(source + ": cannot be read: " + std::strerror(errno));
    std::string text(static_cast<size_t>(kMostFileBytes) + 1, '\0');
    in.read(text.data(), kMostFileBytes + 1);
    if (in.bad())
        throw PaletteError(source + ": cannot be read: " + std::strerror(errno));
    text.resize(static_cast<size_t>(in.gcount()));
    if (in.gcount() > kMostFileBytes)
        throw PaletteError(source + ": larger than 1 MiB, too large for a palette");

    const std::filesystem::path file(path);
    const bool gimp = file.extension() == ".ggr";
    const Gradient gradient = parseGradient(text, source, file.stem().string(), gimp);
    return ofGradient(gradient, gradient.stops > 0 ? std::to_string(gradient.stops) + " colour stops from " + source
                                                   : "GIMP gradient \"" + gradient.name + "\" from " + source);
}

Palette Palette::fromDefinition(std::string_view text, const std::string& name, const std::string& source)
{
    const Gradient gradient = parseDefinition(text, source, name);
    return ofGradient(gradient, "GIMP gradient \"" + gradient.name + "\" of " +
                                    std::to_string(gradient.segments.size()) + " segments");
}

std::optional<Palette> Palette::byNameOrFile(std::string_view text)
{
    if (auto palette = named(text))
        return palette;
    const std::string path(text);
    std::error_code error;
    if (path.empty() || (path.find_first_of("/.") == std::string::npos && !std::filesystem::exists(path, error)))
        return std::nullopt;
    return fromFile(path);
}

LinearRgb Palette::at(double v) const
{
    const int steps = static_cast<int>(table_.size()) - 1;
    const double position = (std::isnan(v) ? 0 : std::clamp(v, 0.0, 1.0)) * steps;
    const int index = std::min(static_cast<int>(position), steps - 1);
    const auto t = static_cast<float>(position - index);
    const LinearRgb& low = table_[index];
    const LinearRgb& high = table_[index + 1];
    return {low.r + t * (high.r - low.r), low.g + t * (high.g - low.g), low.b + t * (high.b - low.b)};
}

std::string terminalStrip(const Palette& palette, int cells)
{
    std::string strip;
    for (int i = 0; i < cells; ++i) {
        const LinearRgb c = palette.at((i + 0.5) / cells);
        strip += "\x1b[48;2;" + std::to_string(srgbByte(c.r)) + ";" + std::to_string(srgbByte(c.g)) + ";" +
                 std::to_string(srgbByte(c.b)) + "m ";
    }
    return cells > 0 ? strip + "\x1b[0m" : strip;
}

std::optional<Rgb> parseColour(std::string_view text)
{
    for (const NamedColour& named : kNamedColours)
        if (sameLetters(text, named.name))
            return named.colour;
    if (!text.empty() && text.front() == '#')
        text.remove_prefix(1);
    if (text.size() != 6 || !std::all_of(text.begin(), text.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c));
        }))
        return std::nullopt;
    return static_cast<Rgb>(std::stoul(std::string(text), nullptr, 16));
}

}  // namespace quillon::render
