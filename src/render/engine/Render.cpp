#include "render/engine/Render.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <map>

#include "app/PictureText.h"
#include "render/look/Colourise.h"
#include "render/image/OutputFile.h"
#include "render/look/Palette.h"
#include "render/look/Tone.h"
#include "render/engine/Bands.h"
#include "render/engine/FigureOrbit.h"
#include "render/image/UsageError.h"

namespace quillon::render {

namespace {

std::string gib(uint64_t bytes)
{
    char text[32];
    if (bytes >= (1ull << 30))
        std::snprintf(text, sizeof text, "%.1f GiB", static_cast<double>(bytes) / (1ull << 30));
    else
        std::snprintf(text, sizeof text, "%.0f MiB", static_cast<double>(bytes) / (1ull << 20));
    return text;
}

Rgb backgroundOf(const RenderSettings& s)
{
    const auto colour = parseColour(s.background);
    if (!colour)
        throw SettingError("background", "\"" + s.background + "\" is not a colour (#rrggbb or a name)");
    return *colour;
}

}  // namespace

std::string versionText() { return programVersion(); }

uint64_t defaultMemoryLimit()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return 4ull << 30;
    return static_cast<uint64_t>(pages) / 4 * 3 * static_cast<uint64_t>(pageSize);
}

std::optional<uint64_t> memoryLimitFrom(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    double unit = 1;
    std::string number = text;
    switch (std::toupper(static_cast<unsigned char>(text.back()))) {
    case 'K': unit = 1024.0; break;
    case 'M': unit = 1024.0 * 1024; break;
    case 'G': unit = 1024.0 * 1024 * 1024; break;
    case 'T': unit = 1024.0 * 1024 * 1024 * 1024; break;
    default: break;
    }
    if (unit > 1)
        number.pop_back();
    const auto value = numberFrom(number);
    if (!value || !(*value * unit >= 16.0 * 1024 * 1024) || !(*value * unit <= 1024.0 * 1024 * 1024 * 1024 * 1024))
        return std::nullopt;
    return static_cast<uint64_t>(*value * unit);
}

uint64_t pointsOfPasses(const FigureChoice& choice, uint64_t passes)
{
    const MapFigure& row = choice.figure->map();
    return passes * static_cast<uint64_t>(row.passLength) * std::max<int>(1, row.orbits.count) *
           std::max<int>(1, row.steps.count);
}

void checkSettings(const RenderSettings& s)
{
    if (!toneCurveNamed(s.tone))
        throw SettingError("tone", "\"" + s.tone + "\" is none of log, eq and flame");
    s.controls.check();
    checkColourFor(s.choice, s.colour);
    paletteOf(s);
    backgroundOf(s);
    if (s.depth != 8 && s.depth != 16)
        throw SettingError("depth", std::to_string(s.depth) + " is neither 8 nor 16");
    if (s.supersampling < 1 || s.supersampling > 4)
        throw SettingError("supersampling", std::to_string(s.supersampling) + " is outside 1 to 4");
    if (s.threads < 1 || s.threads > 1024)
        throw SettingError("threads", std::to_string(s.threads) + " is outside 1 to 1024");
    if (s.style == Style::Classic && (s.framing.width > kMaxSide || s.framing.height > kMaxSide))
        throw SettingError("size", sizeText(s.framing.width, s.framing.height) + " is larger than " +
                                       std::to_string(kMaxSide) + " pixels on a side, the most a classic picture "
                                       "(drawn whole) may be; a density picture may be larger");
    // A density picture too large to hold is made in bands; only one that
    // cannot be made even in bands of a row is refused here.
    const uint64_t pixels = static_cast<uint64_t>(s.framing.width) * s.framing.height;
    const uint64_t bytes = s.style == Style::Classic ? pixels * (4 + 6) : leastBandedBytes(s);
    if (bytes > memoryLimitOf(s))
        throw UsageError(memoryRefusal(s, bytes, s.style == Style::Density));
}

uint64_t memoryLimitOf(const RenderSettings& s) { return s.memoryLimit ? s.memoryLimit : defaultMemoryLimit(); }

bool fitsWhole(const RenderSettings& s)
{
    return densityBytes(s.framing, s.supersampling, s.threads, s.colour) <= memoryLimitOf(s);
}

std::string memoryRefusal(const RenderSettings& s, uint64_t bytes, bool inBands)
{
    return "a " + sizeText(s.framing.width, s.framing.height) + " picture" +
           (s.supersampling > 1 ? " with --aa " + std::to_string(s.supersampling) : "") + " would need " +
           gib(bytes) + " of memory" + (inBands ? " even in bands of one row" : "") + ", more than the " +
           gib(memoryLimitOf(s)) + " allowed";
}

ClassicRequest classicRequest(const RenderSettings& s)
{
    return {.choice = s.choice,
            .framing = s.framing,
            .view = s.view,
            .points = s.points,
            .passes = s.passes,
            .seed = s.seed,
            .background = backgroundOf(s)};
}

CountRequest countRequest(const RenderSettings& s, std::optional<RowBand> band)
{
    if (!band && !fitsWhole(s))
        throw UsageError(memoryRefusal(s, densityBytes(s.framing, s.supersampling, s.threads, s.colour), false));
    return {.choice = s.choice,
            .framing = s.framing,
            .view = s.view,
            .supersampling = s.supersampling,
            .seed = s.seed,
            .threads = s.threads,
            .plan = s.plan,
            .colour = s.colour,
            .range = s.colourRange.value_or(ColourRange{}),
            .band = band};
}

void resolveColourRange(RenderSettings& s)
{
    if (s.style != Style::Density || s.colour != OrbitColour::Speed || s.colourRange)
        return;
    s.colourRange = speedRange(s.choice, s.seed, orbitLength(s.plan, 0, s.points), planeOf(s.choice, s.framing));
}

Palette paletteOf(const RenderSettings& s)
{
    if (!s.paletteDefinition.empty()) {
        try {
            return Palette::fromDefinition(s.paletteDefinition, std::filesystem::path(s.palette).stem().string(),
                                           "of \"" + s.palette + "\"");
        } catch (const PaletteError& e) {
            // "of \"FILE\" segment N: what", told as the palette-definition's.
            throw SettingError("palette-definition", e.what());
        }
    }
    const auto palette = Palette::named(s.palette);
    if (!palette)
        throw SettingError("palette", "\"" + s.palette + "\" is unknown");
    return *palette;
}

Look lookOf(const RenderSettings& s, const Palette& palette)
{
    return {.curve = *toneCurveNamed(s.tone),
            .controls = s.controls,
            .palette = &palette,
            .background = backgroundOf(s),
            .depth = s.depth};
}

DensityCounter countPicture(const RenderSettings& s, const ProgressFn& progress, std::optional<RowBand> band)
{
    DensityCounter counter(countRequest(s, band));
    const CountControl control{.progress = progress};
    if (s.plan == kFixedPlan)
        counter.countFixedPlan(s.points, 1, 0, control);
    else
        counter.countTo(s.points, control);
    return counter;
}

void resolveFit(RenderSettings& s)
{
    if (!s.fit)
        return;
    s.fit = false;
    const FigurePlane plane = planeOf(s.choice, s.framing);
    std::vector<std::pair<double, double>> points;
    if (s.choice.figure->isBifurcation()) {
        // The sweep covers r from its start to 4 and values from 0 to 1.
        const float start = static_cast<float>(s.choice.values.at(0));
        points = {{start, 0.0}, {4.0, 1.0}};
    } else {
        // The points of the picture's first orbit as the figure's step makes
        // them, past the way in: an orbit that wanders on goes as far in the
        // picture as its orbits are long. Every so many are kept, up to a few
        // hundred thousand.
        constexpr uint64_t kSettle = 1000, kSample = 200'000;
        const uint64_t steps = std::max(kSettle + kSample, orbitLength(s.plan, 0, s.points));
        const uint64_t every = std::max<uint64_t>(1, (steps - kSettle) / kSample);
        FigureOrbit orbit(s.choice, s.seed);
        for (uint64_t k = 0; k < steps && !orbit.ended(); ++k) {
            orbit.step();
            if (k >= kSettle && (k - kSettle) % every == 0)
                points.emplace_back(orbit.u(), orbit.v());
        }
    }
    s.view = fitView(points, plane, s.framing);
}

RenderResult render(const RenderSettings& s, const ProgressFn& progress)
{
    if (s.style == Style::Classic)
        return renderClassic(s, progress);
    checkSettings(s);
    RenderSettings resolved = s;
    resolveColourRange(resolved);
    const DensityCounter counter = countPicture(resolved, progress);
    return densityPicture(s, counter.grids().view(), counter.caption(), s.points);
}

RenderResult renderClassic(const RenderSettings& s, const ProgressFn& progress, uint32_t progressEvery)
{
    checkSettings(s);
    RenderResult result;
    const Rgb background = backgroundOf(s);
    ClassicRequest request = classicRequest(s);
    request.progressEvery = progressEvery;
    const ClassicPicture picture = drawClassic(request, progress);
    result.caption = picture.caption;
    result.points = picture.points;
    result.image = Image::blank(picture.width, picture.height, 8);
    for (size_t k = 0; k < picture.pixels.size(); ++k) {
        const Rgb p = picture.pixels[k];
        result.litPixels += p != background;
        result.image.samples[3 * k] = static_cast<uint16_t>(p >> 16 & 0xFF);
        result.image.samples[3 * k + 1] = static_cast<uint16_t>(p >> 8 & 0xFF);
        result.image.samples[3 * k + 2] = static_cast<uint16_t>(p & 0xFF);
    }
    return result;
}

RenderResult densityPicture(const RenderSettings& s, const CountsView& counts, const std::string& caption,
                            uint64_t points)
{
    RenderResult result;
    result.caption = caption;
    result.points = points;
    const size_t pixels = static_cast<size_t>(s.framing.width) * static_cast<size_t>(s.framing.height) *
                          static_cast<size_t>(s.supersampling * s.supersampling);
    result.litPixels = static_cast<uint64_t>(
        std::count_if(counts.counts, counts.counts + pixels, [](uint32_t c) { return c != 0; }));
    const Palette palette = paletteOf(s);
    result.image = colourise(counts, s.framing.width, s.framing.height, s.supersampling, lookOf(s, palette));
    return result;
}

RenderResult renderToFile(const RenderSettings& s, const std::string& path, const ProgressFn& progress)
{
    checkSettings(s);
    if (const auto bands = bandPlan(s, path))
        return renderInBands(s, path, *bands, progress);
    OutputFile file(path);
    const RenderResult result = render(s, progress);
    writePng(file.tempPath(), result.image, metadataOf(s, result.caption));
    file.commit();
    return result;
}

TextChunks metadataOf(const RenderSettings& s, const std::string& caption)
{
    const FigureChoice& c = s.choice;
    PictureFacts facts{.caption = caption,
                       .figure = c.figure->name,
                       .source = c.randomSeed ? (c.pickedAsSlide ? "slide" : "random") : "parameters",
                       .seed = c.randomSeed.value_or(s.seed),
                       .style = s.style == Style::Classic ? "classic" : "density",
                       .frameWidth = s.framing.frameWidth,
                       .frameHeight = s.framing.frameHeight,
                       .width = s.framing.width,
                       .height = s.framing.height,
                       .scale = s.scale};
    for (size_t k = 0; k < c.values.size(); ++k)
        facts.parameters.emplace_back(c.figure->parameters[k].label, c.values[k]);
    if (s.passes)
        facts.passes = s.passes;
    else
        facts.points = s.points;
    TextChunks text = pictureText(facts);
    const auto add = [&](const char* key, std::string value) {
        text.emplace_back(std::string(kPictureKeyPrefix) + key, std::move(value));
    };
    if (s.style == Style::Density) {
        add("tone", s.tone);
        add("palette", s.palette);
        if (!s.paletteDefinition.empty())
            add("palette-definition", s.paletteDefinition);
        add("depth", std::to_string(s.depth));
        add("aa", std::to_string(s.supersampling));
        // Pictures of the fixed plan (version 2.1) say nothing of their plan.
        if (s.plan != kFixedPlan)
            add("plan", std::to_string(s.plan));
        // The controls and the colour are told where they are not the defaults.
        if (const auto curve = toneCurveNamed(s.tone); curve && s.controls != ToneControls::defaultsFor(*curve)) {
            add("brightness", roundTripText(s.controls.brightness));
            add("gamma", roundTripText(s.controls.gamma));
            add("gamma-threshold", roundTripText(s.controls.gammaThreshold));
            add("vibrancy", roundTripText(s.controls.vibrancy));
            add("highlight", roundTripText(s.controls.highlight));
            add("exposure", roundTripText(s.controls.exposure));
        }
        if (s.colour != OrbitColour::None)
            add("colour-by", orbitColourName(s.colour));
        if (s.colour == OrbitColour::Speed && s.colourRange)
            add("colour-range", roundTripText(s.colourRange->low) + "," + roundTripText(s.colourRange->high));
    }
    add("background", s.background);
    if (s.view) {
        add("center", roundTripText(s.view->centerX) + "," + roundTripText(s.view->centerY));
        add("zoom", roundTripText(s.view->zoom));
    }
    if (!s.countsFile.empty())
        add("counts-file", s.countsFile);
    return text;
}

namespace {

RenderSettings settingsOfText(const TextChunks& text)
{
    std::map<std::string, std::string> ours;
    for (const auto& [key, value] : text)
        if (key.rfind(kPictureKeyPrefix, 0) == 0)
            ours[key.substr(std::string(kPictureKeyPrefix).size())] = value;
    if (!ours.count("figure"))
        throw UsageError("the picture carries no figure of quillon-render's (no quillon:figure text)");
    const auto need = [&](const char* key) -> const std::string& {
        const auto found = ours.find(key);
        if (found == ours.end())
            throw UsageError(std::string("the picture's text lacks quillon:") + key);
        return found->second;
    };
    const auto whole = [&](const char* key, double most) -> uint64_t {
        const auto value = numberFrom(need(key));
        if (!value || *value < 0 || *value != std::floor(*value))
            throw UsageError(std::string("the picture's quillon:") + key + " is not a whole number");
        if (*value > most)
            throw UsageError(std::string("the picture's quillon:") + key + " " + need(key) + " is more than " +
                             roundTripText(most));
        return static_cast<uint64_t>(*value);
    };
    const auto number = [&](const char* key) -> double {
        const auto value = numberFrom(need(key));
        if (!value)
            throw UsageError(std::string("the picture's quillon:") + key + " \"" + need(key) + "\" is not a number");
        return *value;
    };

    RenderSettings s;
    const std::string& source = need("source");
    s.seed = static_cast<uint32_t>(whole("seed", 0xFFFFFF));
    const RenderFigure* figure = findFigure(need("figure"));
    if (!figure)
        throw UsageError("the picture's figure \"" + need("figure") + "\" is unknown");
    if (source == "random" || source == "slide") {
        s.choice = drawRandom(source == "slide" ? nullptr : figure, s.seed);
        if (s.choice.figure != figure)
            throw UsageError("the picture's seed does not give its figure");
    } else if (source == "parameters") {
        std::vector<std::string> settings;
        for (const RenderParameter& p : figure->parameters)
            if (ours.count("param:" + p.label))
                settings.push_back(p.label + "=" + ours["param:" + p.label]);
        s.choice = chooseFigure(figure->name, settings);
    } else {
        throw UsageError("the picture's quillon:source \"" + source + "\" is unknown");
    }

    const std::string& style = need("style");
    if (style != "classic" && style != "density")
        throw UsageError("the picture's quillon:style \"" + style + "\" is unknown");
    s.style = style == "classic" ? Style::Classic : Style::Density;
    if (ours.count("passes")) {
        if (s.choice.figure->isBifurcation())
            throw UsageError("the picture's quillon:passes is for a map figure: the bifurcation diagram has no "
                             "passes");
        s.passes = whole("passes", static_cast<double>(kMaxPoints));
        s.points = pointsOfPasses(s.choice, *s.passes);
        if (s.points > kMaxPoints)
            throw UsageError("the picture's quillon:passes " + need("passes") + " are more than " +
                             roundTripText(static_cast<double>(kMaxPoints)) + " points");
    } else if (ours.count("points")) {
        s.points = whole("points", static_cast<double>(kMaxPoints));
    } else {
        // The window's pictures do not count their points.
        s.points = s.style == Style::Classic ? kClassicPoints : kDensityPoints;
    }
    if (s.style == Style::Density) {
        s.tone = need("tone");
        s.palette = need("palette");
        if (ours.count("palette-definition")) {
            s.paletteDefinition = ours["palette-definition"];
            if (s.paletteDefinition.empty())
                throw UsageError("the picture's quillon:palette-definition is empty");
        }
        s.depth = static_cast<int>(whole("depth", 16));
        s.supersampling = static_cast<int>(whole("aa", 4));
        s.plan = ours.count("plan") ? static_cast<int>(whole("plan", kGrowingPlan)) : kFixedPlan;
        if (s.plan < kFixedPlan)
            throw UsageError("the picture's quillon:plan " + need("plan") + " is unknown");
        if (const auto curve = toneCurveNamed(s.tone)) {
            s.controls = ToneControls::defaultsFor(*curve);
            const std::pair<const char*, double*> controls[] = {
                {"brightness", &s.controls.brightness}, {"gamma", &s.controls.gamma},
                {"gamma-threshold", &s.controls.gammaThreshold}, {"vibrancy", &s.controls.vibrancy},
                {"highlight", &s.controls.highlight}, {"exposure", &s.controls.exposure}};
            for (const auto& [key, field] : controls)
                if (ours.count(key))
                    *field = number(key);
        }
        if (ours.count("colour-by")) {
            const auto colour = orbitColourNamed(need("colour-by"));
            if (!colour)
                throw UsageError("the picture's quillon:colour-by \"" + need("colour-by") + "\" is unknown");
            s.colour = *colour;
        }
        if (ours.count("colour-range")) {
            const std::string& range = need("colour-range");
            const auto comma = range.find(',');
            const auto low = numberFrom(range.substr(0, comma));
            const auto high = comma == std::string::npos ? std::nullopt : numberFrom(range.substr(comma + 1));
            if (!low || !high || !(*high > *low))
                throw UsageError("the picture's quillon:colour-range \"" + range + "\" is not LOW,HIGH");
            s.colourRange = ColourRange{*low, *high};
        }
    }
    if (ours.count("background"))
        s.background = ours["background"];
    const auto frame = sizeFrom(need("frame"));
    const auto size = sizeFrom(need("size"));
    if (!frame || !size)
        throw UsageError("the picture's quillon:frame or quillon:size is not WIDTHxHEIGHT");
    s.framing = {.frameWidth = frame->width, .frameHeight = frame->height, .width = size->width,
                 .height = size->height};
    checkFraming(s.framing);
    if (ours.count("scale"))
        s.scale = numberFrom(ours["scale"]).value_or(1);
    if (ours.count("center") || ours.count("zoom")) {
        const std::string& center = need("center");
        const auto comma = center.find(',');
        const auto x = numberFrom(center.substr(0, comma));
        const auto y = comma == std::string::npos ? std::nullopt : numberFrom(center.substr(comma + 1));
        if (!x || !y)
            throw UsageError("the picture's quillon:center \"" + center + "\" is not X,Y");
        s.view = View{.centerX = *x, .centerY = *y, .zoom = number("zoom")};
        try {
            checkView(*s.view, planeOf(s.choice, s.framing), s.framing);
        } catch (const UsageError& e) {
            throw UsageError(std::string("the picture's quillon:center and quillon:zoom: ") + e.what());
        }
    }
    if (ours.count("counts-file"))
        s.countsFile = ours["counts-file"];
    checkSettings(s);
    return s;
}

}  // namespace

RenderSettings settingsFrom(const TextChunks& text)
{
    // A setting that cannot be is told by the picture's key that holds it.
    static const std::map<std::string, std::string> kKeys = {
        {"supersampling", "aa"}, {"parameter", "param"}, {"colour", "colour-by"}};
    // The messages quote the text, whose values may span lines (a PNG's and a
    // counts file's may); a message takes one.
    try {
        return settingsOfText(text);
    } catch (const SettingError& e) {
        const auto key = kKeys.find(e.setting);
        throw UsageError(oneLine("the picture's quillon:" + (key == kKeys.end() ? e.setting : key->second) + " " +
                                 e.problem));
    } catch (const UsageError& e) {
        throw UsageError(oneLine(e.what()));
    }
}

}  // namespace quillon::render
