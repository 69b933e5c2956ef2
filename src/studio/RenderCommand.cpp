#include "studio/RenderCommand.h"

#include "app/PictureText.h"

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

}  // namespace

std::vector<std::string> renderArguments(const RenderSettings& s, const std::string& output)
{
    const FigureChoice& choice = s.choice;
    std::vector<std::string> args{"--figure", choice.figure->name};
    for (size_t k = 0; k < choice.values.size(); ++k)
        args.insert(args.end(), {"--param", choice.figure->parameters[k].label + "=" + roundTripText(choice.values[k])});
    if (s.seed != 1)
        args.insert(args.end(), {"--seed", std::to_string(s.seed)});
    const Framing& f = s.framing;
    args.insert(args.end(), {"--frame", sizeText(f.frameWidth, f.frameHeight), "--size", sizeText(f.width, f.height)});
    if (s.view)
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
    args.insert(args.end(), {"-o", output});
    return args;
}

std::string commandLineText(const std::vector<std::string>& arguments)
{
    std::string text = "quillon-render";
    for (const std::string& word : arguments)
        text += " " + quoted(word);
    return text;
}

}  // namespace quillon::studio
