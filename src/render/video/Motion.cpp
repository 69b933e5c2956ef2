#include "render/video/Motion.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "app/PictureText.h"
#include "render/engine/View.h"
#include "render/image/UsageError.h"

namespace quillon::render {
namespace {

std::string key(const char* name) { return std::string(kPictureKeyPrefix) + name; }

std::optional<size_t> parameterIndex(const RenderFigure& figure, const std::string& label)
{
    const auto folded = [](std::string text) {
        std::string out;
        for (const char c : text)
            if (c != ' ')
                out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return out;
    };
    for (size_t k = 0; k < figure.parameters.size(); ++k)
        if (folded(figure.parameters[k].label) == folded(label))
            return k;
    return std::nullopt;
}

// The settings "label=value" of a choice's values, with the morphs at time t.
FigureChoice morphedChoice(const FigureChoice& choice, const std::vector<Morph>& morphs, double t)
{
    std::vector<std::string> settings;
    const RenderFigure& figure = *choice.figure;
    for (size_t k = 0; k < figure.parameters.size(); ++k) {
        double value = choice.values[k];
        for (const Morph& m : morphs)
            if (parameterIndex(figure, m.label) == k)
                value = t >= 1 ? m.to : m.from + (m.to - m.from) * t;
        settings.push_back(figure.parameters[k].label + "=" + roundTripText(value));
    }
    return chooseFigure(figure.name, settings);
}

}  // namespace

double motionTime(uint64_t frame, uint64_t frames, bool ease)
{
    if (frames < 2)
        return 0;
    const double t = static_cast<double>(frame) / static_cast<double>(frames - 1);
    return ease ? t * t * (3 - 2 * t) : t;
}

View flightView(const View& from, const View& to, double t)
{
    if (t <= 0)
        return from;
    if (t >= 1)
        return to;
    // The zoom at a steady rate; the target's distance from the middle, in
    // screen units (plane distance times zoom), shrinks in step with the time.
    const double zoom = from.zoom * std::pow(to.zoom / from.zoom, t);
    const double shrink = (1 - t) * from.zoom / zoom;
    return {.centerX = to.centerX + (from.centerX - to.centerX) * shrink,
            .centerY = to.centerY + (from.centerY - to.centerY) * shrink,
            .zoom = zoom};
}

View zoomToFrom(const std::string& text)
{
    double parts[3];
    size_t start = 0;
    for (int k = 0; k < 3; ++k) {
        const size_t comma = k < 2 ? text.find(',', start) : text.size();
        const auto value = comma == std::string::npos ? std::nullopt
                                                      : numberFrom(text.substr(start, comma - start));
        if (!value || !std::isfinite(*value) || (k == 2 && text.find(',', start) != std::string::npos))
            throw SettingError("zoom-to", "\"" + text + "\" is not X,Y,ZOOM");
        parts[k] = *value;
        start = comma + 1;
    }
    if (!(parts[2] > 0))
        throw SettingError("zoom-to", "\"" + text + "\": the zoom is not above 0");
    return {.centerX = parts[0], .centerY = parts[1], .zoom = parts[2]};
}

Morph morphFrom(const std::string& text)
{
    const size_t equals = text.find('=');
    const size_t colon = text.find(':', equals == std::string::npos ? 0 : equals);
    if (equals == std::string::npos || equals == 0 || colon == std::string::npos)
        throw SettingError("morph", "\"" + text + "\" is not LABEL=FROM:TO");
    const auto from = numberFrom(text.substr(equals + 1, colon - equals - 1));
    const auto to = numberFrom(text.substr(colon + 1));
    if (!from || !to || !std::isfinite(*from) || !std::isfinite(*to))
        throw SettingError("morph", "\"" + text + "\": FROM and TO are not numbers");
    return {.label = text.substr(0, equals), .from = *from, .to = *to};
}

std::string zoomToText(const View& v)
{
    return roundTripText(v.centerX) + "," + roundTripText(v.centerY) + "," + roundTripText(v.zoom);
}

std::string morphText(const Morph& m) { return m.label + "=" + roundTripText(m.from) + ":" + roundTripText(m.to); }

void checkMotion(const RenderSettings& s, const Motion& motion)
{
    const RenderFigure& figure = *s.choice.figure;
    if (!motion.morphs.empty()) {
        if (figure.isBifurcation())
            throw SettingError("morph", "is for map figures: the bifurcation diagram's start is one of four");
        if (s.choice.randomSeed)
            throw SettingError("morph", "slides parameters that are given: draw the figure by --figure and "
                                        "--param, or --caption, not --random");
        std::vector<bool> seen(figure.parameters.size(), false);
        for (const Morph& m : motion.morphs) {
            const auto k = parameterIndex(figure, m.label);
            if (!k)
                throw SettingError("morph", "\"" + m.label + "\": " + figure.name + " has no such parameter");
            if (seen[*k])
                throw SettingError("morph", "\"" + m.label + "\" slides twice");
            seen[*k] = true;
        }
        // Both ends must be values the figure takes.
        morphedChoice(s.choice, motion.morphs, 0);
        morphedChoice(s.choice, motion.morphs, 1);
    }
    if (motion.fitFrames && motion.morphs.empty())
        throw SettingError("morph", "is what frames fitted one by one follow: a video fitted without one is "
                                    "fitted once");
    if (motion.zoomTo) {
        if (motion.fitFrames)
            throw SettingError("zoom-to", "flies from one view to another; --fit frames the orbit itself");
        try {
            checkView(*motion.zoomTo, planeOf(s.choice, s.framing), s.framing);
        } catch (const UsageError& e) {
            throw SettingError("zoom-to", zoomToText(*motion.zoomTo) + ": " + e.what());
        }
    }
}

RenderSettings frameSettings(const RenderSettings& s, const Motion& motion, uint64_t frame, uint64_t frames,
                             const std::vector<View>& fitted)
{
    RenderSettings f = s;
    const double t = motionTime(frame, frames, motion.ease);
    if (!motion.morphs.empty())
        f.choice = morphedChoice(s.choice, motion.morphs, t);
    if (motion.zoomTo) {
        const View from = s.view.value_or(windowView(planeOf(s.choice, s.framing), s.framing));
        // The first frame is the picture itself, framed as it is.
        if (t > 0)
            f.view = flightView(from, *motion.zoomTo, t);
    }
    if (frame < fitted.size())
        f.view = fitted[frame];
    return f;
}

double smoothedAt(const std::vector<double>& values, size_t k, size_t radius)
{
    const size_t r = std::min({radius, k, values.size() - 1 - k});
    double logs = 0;
    for (size_t j = k - r; j <= k + r; ++j)
        logs += std::log(std::max(values[j], 1e-300));
    return r == 0 ? values[k] : std::exp(logs / static_cast<double>(2 * r + 1));
}

std::vector<View> fittedViews(const RenderSettings& s, const Motion& motion, uint64_t frames, uint64_t radius)
{
    std::vector<View> own;
    for (uint64_t k = 0; k < frames; ++k) {
        RenderSettings f = frameSettings(s, motion, k, frames);
        f.fit = true;
        resolveFit(f);
        own.push_back(*f.view);
    }
    std::vector<double> xs, ys, zooms;
    for (const View& v : own) {
        xs.push_back(v.centerX);
        ys.push_back(v.centerY);
        zooms.push_back(v.zoom);
    }
    std::vector<View> smoothed;
    for (size_t k = 0; k < own.size(); ++k) {
        const size_t r = std::min<size_t>({radius, k, own.size() - 1 - k});
        double x = 0, y = 0;
        for (size_t j = k - r; j <= k + r; ++j) {
            x += xs[j];
            y += ys[j];
        }
        const double n = static_cast<double>(2 * r + 1);
        smoothed.push_back(r == 0 ? own[k] : View{.centerX = x / n, .centerY = y / n, .zoom = smoothedAt(zooms, k, r)});
    }
    return smoothed;
}

void addMotionText(TextChunks& text, const Motion& motion)
{
    if (motion.zoomTo)
        text.emplace_back(key("zoom-to"), zoomToText(*motion.zoomTo));
    if (!motion.morphs.empty()) {
        std::string morphs;
        for (const Morph& m : motion.morphs)
            morphs += (morphs.empty() ? "" : ";") + morphText(m);
        text.emplace_back(key("morph"), morphs);
    }
    if (motion.moving() && motion.ease)
        text.emplace_back(key("ease"), "yes");
    if (motion.moving() && motion.fitFrames)
        text.emplace_back(key("fit-frames"), "yes");
    if (!motion.moving() && motion.steadyTone)
        text.emplace_back(key("steady-tone"), "yes");
}

Motion motionFrom(const TextChunks& text)
{
    Motion motion;
    motion.steadyTone = false;  // unless the text says so
    try {
        for (const auto& [name, value] : text) {
            if (name == key("zoom-to")) {
                motion.zoomTo = zoomToFrom(value);
            } else if (name == key("morph")) {
                size_t start = 0;
                while (start < value.size()) {
                    size_t end = value.find(';', start);
                    if (end == std::string::npos)
                        end = value.size();
                    if (end > start)
                        motion.morphs.push_back(morphFrom(value.substr(start, end - start)));
                    start = end + 1;
                }
                if (motion.morphs.size() > 64)
                    throw SettingError("morph", "slides more than 64 parameters");
            } else if (name == key("ease")) {
                motion.ease = value == "yes";
            } else if (name == key("fit-frames")) {
                motion.fitFrames = value == "yes";
            } else if (name == key("steady-tone")) {
                motion.steadyTone = value == "yes";
            }
        }
    } catch (const SettingError& e) {
        throw UsageError("the video's quillon:" + e.setting + " " + e.problem);
    }
    if (motion.moving())
        motion.steadyTone = true;  // a moving video's tone always is
    return motion;
}

}  // namespace quillon::render
