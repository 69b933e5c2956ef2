#include "studio/RenderCommand.h"

#include "app/PictureText.h"

#include <CLI/CLI.hpp>

namespace quillon::studio {

using namespace render;

namespace {

std::string quoted(const std::string& word)
{
    if (!word.empty() && word.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                "0123456789-_=.,/:+@%") == std::string::npos)
        return word;
    std::string out = "'";
    for (const char c : word)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// The arguments of the settings alone, without the file.
std::vector<std::string> settingsArguments(const RenderSettings& s)
{
    const FigureChoice& choice = s.choice;
    std::vector<std::string> args{"--figure", choice.figure->name};
    for (size_t k = 0; k < choice.values.size(); ++k)
        args.insert(args.end(), {"--param", choice.figure->parameters[k].label + "=" + roundTripText(choice.values[k])});
    if (s.seed != 1)
        args.insert(args.end(), {"--seed", std::to_string(s.seed)});
    const Framing& f = s.framing;
    args.insert(args.end(), {"--frame", sizeText(f.frameWidth, f.frameHeight), "--size", sizeText(f.width, f.height)});
    if (s.fit)
        args.push_back("--fit");
    else if (s.view)
        args.insert(args.end(), {"--center", roundTripText(s.view->centerX) + "," + roundTripText(s.view->centerY),
                                 "--zoom", roundTripText(s.view->zoom)});
    const bool density = s.style == Style::Density;
    args.insert(args.end(), {"--style", density ? "density" : "classic"});
    if (s.passes)
        args.insert(args.end(), {"--passes", std::to_string(*s.passes)});
    else
        args.insert(args.end(), {"--points", std::to_string(s.points)});
    if (density) {
        args.insert(args.end(), {"--tone", s.tone});
        if (s.colour != OrbitColour::None)
            args.insert(args.end(), {"--colour-by", orbitColourName(s.colour)});
        args.insert(args.end(), {"--palette", s.palette});
        const ToneControls defaults = ToneControls::defaultsFor(toneCurveNamed(s.tone).value_or(ToneCurve::Log));
        const std::pair<const char*, double ToneControls::*> controls[] = {
            {"--brightness", &ToneControls::brightness}, {"--gamma", &ToneControls::gamma},
            {"--gamma-threshold", &ToneControls::gammaThreshold}, {"--vibrancy", &ToneControls::vibrancy},
            {"--highlight", &ToneControls::highlight}, {"--exposure", &ToneControls::exposure}};
        for (const auto& [option, field] : controls)
            if (s.controls.*field != defaults.*field)
                args.insert(args.end(), {option, roundTripText(s.controls.*field)});
        if (s.depth != 8)
            args.insert(args.end(), {"--depth", std::to_string(s.depth)});
        if (s.supersampling != 1)
            args.insert(args.end(), {"--aa", std::to_string(s.supersampling)});
    }
    if (s.background != "#000000")
        args.insert(args.end(), {"--background", s.background});
    return args;
}

}  // namespace

std::vector<std::string> renderArguments(const RenderSettings& s, const std::string& output)
{
    std::vector<std::string> args = settingsArguments(s);
    args.insert(args.end(), {"-o", output});
    return args;
}

std::vector<std::string> videoArguments(const RenderSettings& s, const VideoSettings& v, const std::string& output)
{
    std::vector<std::string> args = settingsArguments(s);
    const VideoSettings defaults;
    if (v.seconds != defaults.seconds)
        args.insert(args.end(), {"--seconds", roundTripText(v.seconds)});
    if (v.fps != defaults.fps)
        args.insert(args.end(), {"--fps", roundTripText(v.fps)});
    if (v.title)
        args.push_back("--title");
    const Motion& m = v.motion;
    if (m.zoomTo)
        args.insert(args.end(), {"--zoom-to", zoomToText(*m.zoomTo)});
    for (const Morph& morph : m.morphs)
        args.insert(args.end(), {"--morph", morphText(morph)});
    if (m.ease)
        args.push_back("--ease");
    // Frames fitted one by one are asked for by --fit with a morph.
    if (m.fitFrames && !s.fit)
        args.push_back("--fit");
    args.insert(args.end(), {"--video", output});
    return args;
}

Plan planOfArguments(const std::vector<std::string>& arguments)
{
    Arguments a;
    auto app = commandLine(a);
    // CLI11 takes the words last first.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app->parse(reversed);
    } catch (const CLI::ParseError& e) {
        throw UsageError(e.what());
    }
    return planFor(a);
}

std::string commandLineText(const std::vector<std::string>& arguments)
{
    std::string text = "quillon-render";
    for (const std::string& word : arguments)
        text += " " + quoted(word);
    return text;
}

}  // namespace quillon::studio
