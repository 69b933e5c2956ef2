#include "render/engine/FigureChoice.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <sstream>

#include "app/FigureCatalog.h"
#include "app/Form.h"
#include "render/engine/HeadlessPlatform.h"
#include "render/image/UsageError.h"
#include "runtime/Numeric.h"
#include "studies/BifurcationMap.h"

namespace quillon::render {

namespace {

constexpr const char* kBifurcationCaption = "Bifurcation Plot from Logistical Equation";

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

// A piece of what was typed or read, as a message quotes it: in quotes, on one
// line (control characters shown as '?') and at most 80 bytes.
std::string quoted(std::string_view text) { return quotedText(text, 80); }

// Names compare without case, blanks and punctuation: "Eqn 8A" = "eqn8a" = "Eqn(8A)".
std::string key(std::string_view name)
{
    std::string out;
    for (const char c : name)
        if (std::isalnum(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Names people use besides the program's own.
const std::map<std::string, std::vector<std::string>> kExtraAliases = {
    {"mnuLOR", {"lorenz", "lorenz-xy"}}, {"mnuLOR2", {"lorenz-xz"}}, {"mnuLOR3", {"lorenz-yz"}},
    {"mnuSierpi", {"sierpinski"}},       {"mnuHop1", {"hopalong-1"}}, {"mnuBIF", {"bif", "logistic-bifurcation"}},
};

std::vector<RenderFigure> buildFigures()
{
    std::vector<RenderFigure> out;
    for (const CatalogFigure& c : figureCatalog()) {
        RenderFigure f = RenderFigure::ofMap(*c.figure);
        f.name = plainCaption(c.entry->caption);
        f.item = c.item;
        f.menu = plainCaption(menuEntry(c.entry->parent)->caption);
        f.captionPrefix = c.figure->captionPrefix;
        f.inSlideShow = c.inSlideShow;
        for (int k = 0; k < c.figure->parameterCount; ++k) {
            const FigureParameter& p = c.figure->parameters[k];
            f.parameters.push_back({.label = parameterLabel(p.label),
                                    .defaultValue = p.defaultValue,
                                    .randomScale = p.randomScale,
                                    .randomOffset = p.randomOffset,
                                    .randomWhole = p.randomWhole,
                                    .single = p.singleField != nullptr});
        }
        f.aliases = {f.item.substr(3), trimmed(f.captionPrefix), c.figure->promptTitle};
        out.push_back(std::move(f));
    }
    RenderFigure bif = RenderFigure::sweep();
    bif.name = plainCaption(menuEntry("mnuBIF")->caption);
    bif.item = "mnuBIF";
    bif.menu = plainCaption(menuEntry("mnuSpecial")->caption);
    bif.captionPrefix = kBifurcationCaption;
    bif.parameters.push_back({.label = "start", .defaultValue = 1});
    bif.aliases = {"BIF"};
    out.push_back(std::move(bif));
    for (RenderFigure& f : out)
        if (const auto extra = kExtraAliases.find(f.item); extra != kExtraAliases.end())
            f.aliases.insert(f.aliases.end(), extra->second.begin(), extra->second.end());
    return out;
}

// Name keys first, then aliases where they name one figure only.
std::map<std::string, const RenderFigure*> buildIndex(const std::vector<RenderFigure>& figures)
{
    std::map<std::string, const RenderFigure*> index;
    std::map<std::string, int> aliasUses;
    for (const RenderFigure& f : figures) {
        index[key(f.name)] = &f;
        for (const std::string& alias : f.aliases)
            ++aliasUses[key(alias)];
    }
    for (const RenderFigure& f : figures)
        for (const std::string& alias : f.aliases) {
            const std::string k = key(alias);
            if (!k.empty() && aliasUses[k] == 1 && !index.count(k))
                index[k] = &f;
        }
    return index;
}

// The value a parameter takes from the text of a number: a Single's is rounded.
double valueFor(const RenderParameter& p, double value)
{
    if (!p.single)
        return value;
    const auto single = toSingle(value);
    if (!single)
        throw UsageError("the value of \"" + p.label + "\" is out of range");
    return *single;
}

std::optional<double> numberIn(std::string_view text)
{
    if (const auto value = numberFrom(text))
        return value;
    // A caption written where the decimal separator is a comma.
    static const NumberFormat comma(",");
    return comma.parse(text);
}

}  // namespace

const MapFigure& RenderFigure::map() const
{
    if (!row_)
        throw UsageError("the bifurcation diagram is a sweep of the logistic map, not a map figure with "
                         "passes, random parameters or one orbit to follow");
    return *row_;
}

RenderFigure RenderFigure::ofMap(const MapFigure& row)
{
    RenderFigure figure;
    figure.kind = FigureKind::Map;
    figure.row_ = &row;
    return figure;
}

RenderFigure RenderFigure::sweep()
{
    RenderFigure figure;
    figure.kind = FigureKind::Sweep;
    return figure;
}

const std::vector<RenderFigure>& renderFigures()
{
    static const std::vector<RenderFigure> figures = buildFigures();
    return figures;
}

const RenderFigure* findFigure(std::string_view name)
{
    static const auto index = buildIndex(renderFigures());
    const auto found = index.find(key(name));
    return found == index.end() ? nullptr : found->second;
}

std::optional<double> numberFrom(std::string_view text)
{
    static const NumberFormat point(".");
    return point.parse(text);
}

FigureChoice chooseFigure(std::string_view name, const std::vector<std::string>& settings)
{
    const RenderFigure* figure = findFigure(name);
    if (!figure)
        throw SettingError("figure", "\"" + std::string(name) + "\" is unknown");
    FigureChoice choice{.figure = figure};
    for (const RenderParameter& p : figure->parameters)
        choice.values.push_back(valueFor(p, p.defaultValue));
    std::vector<bool> given(figure->parameters.size(), false);
    for (const std::string& setting : settings) {
        const auto equals = setting.find('=');
        if (equals == std::string::npos)
            throw SettingError("parameter", quoted(setting) + " is not LABEL=VALUE");
        const std::string label = trimmed(std::string_view(setting).substr(0, equals));
        const std::string text = trimmed(std::string_view(setting).substr(equals + 1));
        size_t k = 0;
        while (k < figure->parameters.size() && key(figure->parameters[k].label) != key(label))
            ++k;
        if (k == figure->parameters.size()) {
            std::string known;
            for (const RenderParameter& p : figure->parameters)
                known += (known.empty() ? "" : ", ") + p.label;
            throw UsageError(figure->name + " has no parameter " + quoted(label) +
                             (known.empty() ? " (it has none)" : " (it has " + known + ")"));
        }
        if (given[k])
            throw UsageError("parameter \"" + figure->parameters[k].label + "\" is given twice");
        given[k] = true;
        const auto value = numberFrom(text);
        if (!value)
            throw UsageError(quoted(text) + " (for " + figure->parameters[k].label + ") is not a number");
        choice.values[k] = valueFor(figure->parameters[k], *value);
    }
    if (figure->isBifurcation() && !bifurcationStart(static_cast<float>(choice.values[0])))
        throw UsageError("the bifurcation diagram starts at 1, 2, 2.9 or 3.4");
    return choice;
}

FigureChoice parseCaption(std::string_view text)
{
    const std::string caption = trimmed(text);
    // The longest figure name at the start, followed by a blank or the end.
    const RenderFigure* figure = nullptr;
    size_t nameLength = 0;
    for (const RenderFigure& f : renderFigures()) {
        const std::string name = trimmed(f.captionPrefix);
        if (name.size() > nameLength && caption.compare(0, name.size(), name) == 0 &&
            (caption.size() == name.size() || caption[name.size()] == ' ')) {
            figure = &f;
            nameLength = name.size();
        }
    }
    if (!figure)
        throw UsageError("the caption " + quoted(caption) + " names no figure the renderer draws");
    FigureChoice choice{.figure = figure};
    if (figure->isBifurcation()) {
        choice.values = {1};
        return choice;
    }
    // Each label in order, then the number up to the next label or the end.
    size_t pos = nameLength;
    const MapFigure& row = figure->map();
    const auto& parameters = row.parameters;
    for (int k = 0; k < row.parameterCount; ++k) {
        const std::string label = trimmed(parameters[k].label);
        const size_t at = caption.find(label, pos);
        if (at == std::string::npos || trimmed(caption.substr(pos, at - pos)) != "")
            throw UsageError("the caption " + quoted(caption) + " lacks \"" + label + "\"");
        pos = at + label.size();
        size_t end = caption.size();
        if (k + 1 < row.parameterCount) {
            end = caption.find(trimmed(parameters[k + 1].label), pos);
            if (end == std::string::npos)
                end = caption.size();
        }
        const std::string number = trimmed(caption.substr(pos, end - pos));
        const auto value = numberIn(number);
        if (!value)
            throw UsageError(quoted(number) + " in the caption is not a number");
        choice.values.push_back(valueFor(figure->parameters[static_cast<size_t>(k)], *value));
        pos = end;
    }
    if (trimmed(caption.substr(pos)) != "")
        throw UsageError("the caption " + quoted(caption) + " goes on after its last value");
    return choice;
}

void prepareForm(Form& form, HeadlessPlatform& platform, const FigureChoice& choice,
                 uint32_t colourSeed)
{
    form.stopFlag = 0;
    if (choice.randomSeed) {
        form.rnd.reseed(*choice.randomSeed);
        if (choice.pickedAsSlide)
            form.rnd.next();
        form.randomMode = 0;
    } else {
        form.rnd.reseed(colourSeed);
        form.randomMode = 1;
        platform.answers.clear();
        for (const double value : choice.values)
            platform.answers.push_back(roundTripText(value));
    }
    if (choice.figure->isBifurcation()) {
        platform.setCaption(kBifurcationCaption);
        return;
    }
    form.prepareMapCommand(choice.figure->map());
}

FigureChoice drawRandom(const RenderFigure* figure, uint32_t seed)
{
    FigureChoice choice{.figure = figure, .randomSeed = seed};
    if (!figure) {
        // As a slide: n = Int(Rnd * 28) + 1 picks the row of the slide table.
        Rnd rnd(seed);
        const auto n = static_cast<int>(Int(rnd.next() * 28.0f) + 1.0f);
        const MapFigure* picked = Form::slideTable()[static_cast<size_t>(n - 1)];
        for (const RenderFigure& f : renderFigures())
            if (f.mapOrNull() == picked)
                choice.figure = &f;
        choice.pickedAsSlide = true;
    }
    if (choice.figure->isBifurcation())
        throw UsageError("the bifurcation diagram has no random parameters");
    HeadlessPlatform platform(15360, 11520);
    Form form(platform);
    prepareForm(form, platform, choice, 0);
    const MapFigure& row = choice.figure->map();
    for (int k = 0; k < row.parameterCount; ++k) {
        const FigureParameter& p = row.parameters[k];
        choice.values.push_back(p.field ? form.*p.field : static_cast<double>(form.*p.singleField));
    }
    return choice;
}

uint32_t seedAfter(const FigureChoice& drawn)
{
    HeadlessPlatform platform(15360, 11520);
    Form form(platform);
    prepareForm(form, platform, drawn, 0);
    return form.rnd.state();
}

std::string captionOf(const FigureChoice& choice)
{
    HeadlessPlatform platform(15360, 11520);
    Form form(platform);
    prepareForm(form, platform, choice, 0);
    return platform.caption();
}

std::string figureListText()
{
    const NumberFormat numbers(".");
    const auto shortText = [&](double v) { return numbers.text(v); };
    std::ostringstream out;
    for (const RenderFigure& f : renderFigures()) {
        out << f.name << "  (" << f.menu << " menu" << (f.inSlideShow ? ", in the slide show" : "")
            << ")\n    caption: \"" << f.captionPrefix << "\"\n";
        for (const RenderParameter& p : f.parameters) {
            out << "    " << p.label << " = " << shortText(p.defaultValue);
            if (f.isBifurcation()) {
                out << "  (1, 2, 2.9 or 3.4; no random mode)\n";
                continue;
            }
            const double from = p.randomOffset;
            const double to = p.randomOffset + p.randomScale;
            if (p.randomWhole)
                out << "  random: a whole number from " << shortText(from) << " to "
                    << shortText(to - 1) << "\n";
            else if (p.randomScale >= 0)
                out << "  random: from " << shortText(from) << " up to " << shortText(to) << "\n";
            else
                out << "  random: from above " << shortText(to) << " up to " << shortText(from) << "\n";
        }
        if (f.parameters.empty())
            out << "    (no parameters)\n";
    }
    return out.str();
}

}  // namespace quillon::render
