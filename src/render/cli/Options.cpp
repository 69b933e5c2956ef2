#include "render/cli/Options.h"

#include <CLI/CLI.hpp>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "render/engine/FigureChoice.h"
#include "render/image/UsageError.h"
#include "render/look/Palette.h"

namespace quillon::render {

namespace {

namespace fs = std::filesystem;

const char* const kOneSource = "give one of --figure, --caption, --from, --random and --replay";

uint64_t countFrom(const std::string& text, const char* option)
{
    const auto value = numberFrom(text);
    if (!value || *value != std::floor(*value))
        throw UsageError(std::string(option) + " \"" + text + "\" is not a whole number");
    if (*value <= 0)
        throw UsageError(std::string(option) + " " + text + " is not above 0");
    if (*value > 1e15)
        throw UsageError(std::string(option) + " " + text + " is more than 10^15");
    return static_cast<uint64_t>(*value);
}

uint64_t countAtMost(const std::string& text, const char* option, uint64_t most)
{
    const uint64_t count = countFrom(text, option);
    if (count > most)
        throw UsageError(std::string(option) + " " + text + " is more than " + std::to_string(most));
    return count;
}

uint32_t seedFrom(const std::string& text, const char* option)
{
    const auto value = numberFrom(text);
    if (!value || *value != std::floor(*value) || *value < 0 || *value > 16777215)
        throw UsageError(std::string(option) + " \"" + text +
                         "\" is not a seed (a whole number from 0 to 16777215)");
    return static_cast<uint32_t>(*value);
}

// --threads, or every core.
int threadsFor(const Arguments& a)
{
    return a.threads > 0 ? a.threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

uint32_t clockSeed()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<uint32_t>((std::chrono::duration_cast<std::chrono::microseconds>(now).count() ^
                                  (static_cast<uint64_t>(::getpid()) << 7)) &
                                 0xFFFFFF);
}

std::optional<Size> sizeOption(const std::string& text, const char* option)
{
    if (text.empty())
        return std::nullopt;
    const auto size = sizeFrom(text);
    if (!size)
        throw UsageError(std::string(option) + " \"" + text + "\" is not WIDTHxHEIGHT");
    return size;
}

// The lines of a caption file's text (every Enter writes one between two
// empty lines).
std::vector<std::string> captionLines(std::string_view text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// A caption file's text; refused before it is read when over the limit, and
// when it is no regular file (a device or a pipe may never end).
std::string captionFileText(const std::string& path)
{
    std::error_code error;
    if (fs::exists(path, error) && !fs::is_regular_file(path, error))
        throw UsageError("\"" + path + "\" is not a caption file: it is not a regular file");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw UsageError("cannot read \"" + path + "\": " + std::strerror(errno));
    const uintmax_t size = fs::file_size(path, error);
    if (!error && size > kMaxCaptionFileBytes)
        throw UsageError("\"" + path + "\" is larger than " + std::to_string(kMaxCaptionFileBytes >> 20) +
                         " MiB, too large for a caption file");
    std::string text(error ? 0 : static_cast<size_t>(size), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad())
        throw UsageError("cannot read \"" + path + "\": " + std::strerror(errno));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

bool blank(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }

std::string slug(const std::string& name)
{
    std::string out;
    for (const char c : name) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        else if (!out.empty() && out.back() != '-')
            out += '-';
    }
    while (!out.empty() && out.back() == '-')
        out.pop_back();
    return out.empty() ? "figure" : out;
}

// The figures asked for: one, or every caption of a file with --all.
std::vector<FigureChoice> choicesFrom(const Arguments& a, std::optional<uint32_t>& randomSeed)
{
    const int sources = !a.caption.empty() + !a.from.empty() + !a.replay.empty();
    if (sources > 1 || (a.random && (!a.caption.empty() || !a.from.empty() || !a.replay.empty())))
        throw UsageError(kOneSource);
    if (!a.figure.empty() && (!a.caption.empty() || !a.from.empty() || !a.replay.empty()))
        throw UsageError(kOneSource);
    if (!a.params.empty() && a.figure.empty())
        throw UsageError("--param needs --figure");
    if (a.random && !a.params.empty())
        throw UsageError("--random draws the parameters; --param cannot set them as well");
    if ((a.line != 0 || a.all) && a.from.empty())
        throw UsageError("--line and --all read a caption file given with --from");
    if (a.line != 0 && a.all)
        throw UsageError("--line picks one caption and --all takes every one; give one of them");

    if (a.random) {
        randomSeed = a.randomSeed.empty() ? clockSeed() : seedFrom(a.randomSeed, "--random");
        const RenderFigure* figure = nullptr;
        if (!a.figure.empty()) {
            figure = findFigure(a.figure);
            if (!figure)
                throw UsageError("unknown figure \"" + a.figure + "\" (--list shows them all)");
        }
        return {drawRandom(figure, *randomSeed)};
    }
    if (!a.figure.empty())
        return {chooseFigure(a.figure, a.params)};
    if (!a.caption.empty())
        return {parseCaption(a.caption)};
    if (!a.from.empty())
        return captionsOf(captionFileText(a.from), a.from, a.line, a.all);
    throw UsageError("name a figure: --figure, --caption, --from, --random or --replay (--help)");
}

std::string numbered(const std::string& output, size_t k, size_t count)
{
    if (count == 1)
        return output;
    const fs::path path(output);
    char number[32];
    std::snprintf(number, sizeof number, "-%03zu", k + 1);
    return (path.parent_path() / (path.stem().string() + number + path.extension().string())).string();
}

// --stats, --interesting, --search and --survey: what they follow and judge.
OrbitCommand orbitCommandFor(const Arguments& a, const std::vector<FigureChoice>& choices,
                             const std::optional<RenderSettings>& replayed)
{
    const bool search = !a.search.empty(), survey = !a.survey.empty();
    if (a.interesting + search + survey > 1)
        throw UsageError("give one of --interesting, --search and --survey");
    OrbitCommand c{.stats = a.stats || a.json, .json = a.json, .quiet = a.quiet, .output = a.output};
    // The rule's thresholds: option, text, where it goes, and its range.
    struct Threshold {
        const char* option;
        const std::string& text;
        double& value;
        double low, high;
        const char* what;
    };
    const Threshold thresholds[] = {
        {"--min-exponent", a.minExponent, c.interest.minExponent, -HUGE_VAL, HUGE_VAL, "a number"},
        {"--min-lit", a.minLit, c.interest.minLit, 0, 1, "a part of the frame from 0 to 1"},
        {"--max-lit", a.maxLit, c.interest.maxLit, 0, 1, "a part of the frame from 0 to 1"},
        {"--min-dimension", a.minDimension, c.interest.minDimension, 0, 2, "a dimension from 0 to 2"},
        {"--max-dimension", a.maxDimension, c.interest.maxDimension, 0, 2, "a dimension from 0 to 2"},
    };
    const bool judging = a.interesting || search || survey;
    for (const Threshold& t : thresholds) {
        if (t.text.empty())
            continue;
        if (!judging)
            throw UsageError(std::string(t.option) + " is for --interesting, --search and --survey");
        const auto value = numberFrom(t.text);
        if (!value || !(*value >= t.low && *value <= t.high))
            throw UsageError(std::string(t.option) + " \"" + t.text + "\" is not " + t.what);
        t.value = *value;
    }
    if (!judging && !a.maxDraws.empty())
        throw UsageError("--max-draws is for --interesting, --search and --survey");
    if (c.interest.minLit > c.interest.maxLit)
        throw UsageError("--min-lit is above --max-lit: no figure could be kept");
    if (c.interest.minDimension > c.interest.maxDimension)
        throw UsageError("--min-dimension is above --max-dimension: no map could be kept");
    if (!a.maxDraws.empty())
        c.maxDraws = countAtMost(a.maxDraws, "--max-draws", 1'000'000);
    if (!a.steps.empty()) {
        c.options.steps = countAtMost(a.steps, "--steps", 1'000'000'000'000);
        if (c.options.steps < 1000)
            throw UsageError("--steps " + a.steps + " is below 1000: too few for ten blocks of an estimate");
    }
    c.threads = threadsFor(a);
    // A search's contact sheet shows density pictures coloured by the speed
    // of the orbit,
    // framed to show each figure whole, unless told otherwise: structure,
    // not the pass colours of a frame the figure overflows.
    auto shown = std::make_shared<Arguments>(a);
    if (search && a.style.empty() && a.colourBy.empty()) {
        shown->style = "density";
        shown->colourBy = "speed";
        if (a.points.empty() && a.passes.empty())
            shown->points = "2e7";
    }
    if (search && a.center.empty() && a.zoom.empty())
        shown->fit = true;
    // A drawn orbit is fitted once it is known to stay bounded (see judgeDraw).
    const bool fit = judging && shown->fit;
    shown->fit = shown->fit && !judging;
    c.settingsFor = [shown, replayed, fit](const FigureChoice& choice) {
        RenderSettings s = settingsFor(*shown, choice, replayed ? &*replayed : nullptr);
        s.fit = s.fit || fit;
        return s;
    };
    c.defaultOutput = [](const RenderFigure* figure) { return (figure ? slug(figure->name) : "search") + ".png"; };
    if (search || survey) {
        if (!a.caption.empty() || !a.from.empty() || !a.replay.empty() || !a.params.empty())
            throw UsageError("--search and --survey draw at random, of --figure or of the slide show's figures");
        c.mode = search ? OrbitCommand::Mode::Search : OrbitCommand::Mode::Survey;
        c.count = search ? countAtMost(a.search, "--search", 1000) : countAtMost(a.survey, "--survey", 1'000'000);
        if (!a.figure.empty() && !(c.figure = findFigure(a.figure)))
            throw UsageError("unknown figure \"" + a.figure + "\" (--list shows them all)");
        // A survey is a measurement: the same draws unless a seed is given.
        c.seed = a.random && !a.randomSeed.empty() ? seedFrom(a.randomSeed, "--random") : search ? clockSeed() : 1;
        if (c.figure)
            c.settingsFor(drawRandom(c.figure, c.seed));  // bad settings are refused before any work
        return c;
    }
    c.choices = choices;
    if (a.interesting) {
        if (!a.random)
            throw UsageError("--interesting draws again and again: give it --random [SEED]");
        c.mode = OrbitCommand::Mode::Interesting;
        c.figure = choices.front().pickedAsSlide ? nullptr : choices.front().figure;
        c.seed = *choices.front().randomSeed;
    } else if (!c.output.empty() && c.choices.size() > 1) {
        throw UsageError("--stats of several captions draws no pictures; leave out -o");
    }
    // Refused now, not after the statistics are printed or the figure is found.
    if (!c.output.empty())
        checkOutputFile(c.output);
    return c;
}

}  // namespace

std::unique_ptr<CLI::App> commandLine(Arguments& a)
{
    auto app = std::make_unique<CLI::App>(
        "Draws a figure of QUILLON as a PNG picture or a video, without a window.\n"
        "Name the figure with --figure (and --param), --caption, --from, --random or --replay.",
        "quillon-render");
    CLI::App& add = *app;
    add.set_version_flag("--version", "quillon-render " + versionText());
    add.add_option("-f,--figure", a.figure, "figure by its menu name, e.g. Henon, \"Hopalong-2\", \"Eqn 8A\"")->type_name("NAME");
    add.add_option("-p,--param", a.params, "a parameter, repeatable; labels as in the caption (a, b, Prandtl)")->type_name("LABEL=VALUE");
    add.add_option("-c,--caption", a.caption, "a caption the program wrote, e.g. from ss_save.txt")->type_name("TEXT");
    add.add_option("--from", a.from, "a caption file such as ss_save.txt (the last caption, or --line / --all)")->type_name("FILE");
    add.add_option("--line", a.line, "the line of the --from file to draw")->type_name("N");
    add.add_flag("--all", a.all, "draw every caption of the --from file into numbered files");
    CLI::Option* random = add.add_option("-r,--random", a.randomSeed,
                                         "parameters (and without --figure the figure) drawn as the random mode does, "
                                         "from SEED (0..16777215; printed when not given)")
                              ->expected(0, 1)
                              ->type_name("[SEED]");
    add.add_option("--replay", a.replay, "make again a picture or video this tool (or the window's Save as .png) wrote")->type_name("FILE");
    add.add_option("--save-counts", a.saveCounts, "keep a density picture's counts in an OpenEXR file (no picture "
                   "unless -o)")->type_name("FILE.exr");
    add.add_option("--retone", a.retone, "a picture from a counts file without counting: its figure, points and "
                   "colour, with any palette, tone and background")->type_name("FILE.exr");
    add.add_option("--continue", a.continueCounts, "count --points N more into a counts file, written back over it "
                   "(no picture unless -o)")->type_name("FILE.exr");
    add.add_option("-o,--output", a.output, "the picture file (default: the figure's name .png)")->type_name("FILE");
    add.add_option("--frame", a.frame, "the drawing area whose framing is used, WxH (default 1024x768)")->type_name("WxH");
    add.add_option("-s,--scale", a.scale, "the frame times K is the picture's size (default 1)")->type_name("K");
    add.add_option("--size", a.size, "the picture's size WxH (alone: framed like a drawing area 1024 wide)")->type_name("WxH");
    add.add_option("--center", a.center, "the point of the figure at the picture's centre (default the frame's centre)")->type_name("X,Y");
    add.add_option("--zoom", a.zoom, "how far in: 1 is the frame's framing, 2 shows half as much each way")->type_name("Z");
    add.add_flag("--fit", a.fit, "frame the orbit itself, whole, at the picture's shape");
    add.add_option("--style", a.style, "classic (the window's picture) or density (hits per pixel)")->type_name("classic|density");
    add.add_option("-n,--points", a.points, "points to draw (classic 2e7, density 1e8 when not given)")->type_name("N");
    add.add_option("--passes", a.passes, "passes to draw instead of --points")->type_name("N");
    add.add_option("--seed", a.seed, "seed of the pass colours and orbits when parameters are given (default 1)")->type_name("SEED");
    add.add_option("--tone", a.tone, "density tone curve: log, eq (histogram-equalised) or flame; default log")->type_name("log|eq|flame");
    add.add_option("--palette", a.palette, "density palette (--palettes lists them) or a gradient file; default ember, "
                   "viridis when coloured by the orbit, twilight by angle")->type_name("NAME|FILE");
    add.add_option("--colour-by,--color-by", a.colourBy, "what a density picture's colour follows: density, speed, angle, "
                   "turn, map or age; default density")->type_name("MODE");
    add.add_option("--brightness", a.brightness, "tone: light before the gamma, 4 is as toned; default 4")->type_name("B");
    add.add_option("--gamma", a.gamma, "tone: gamma; default 1 (4 with --tone flame)")->type_name("G");
    add.add_option("--gamma-threshold", a.gammaThreshold, "tone: below it the gamma is a straight line; default 0 "
                   "(0.01 with --tone flame)")->type_name("T");
    add.add_option("--vibrancy", a.vibrancy, "tone: how much the gamma works on colour as a whole (1) or each channel "
                   "(0); default 1")->type_name("V");
    add.add_option("--highlight", a.highlight, "tone: how colours brighter than white turn white keeping their hue "
                   "(0 none .. more); below 0 they clip; default -1")->type_name("H");
    add.add_option("--exposure", a.exposure, "tone: light in stops (1 doubles it); default 0")->type_name("STOPS");
    add.add_option("--background", a.background, "background colour, #rrggbb or a name; default black")->type_name("COLOUR");
    add.add_option("--depth", a.depth, "density picture's bits per channel: 8 or 16; default 8")->type_name("8|16");
    add.add_option("--aa", a.supersampling, "density supersampling: 1 to 4 samples a side; default 1")->type_name("N");
    add.add_option("--memory", a.memory, "the memory a render may take, e.g. 2G or 512M; a larger density picture "
                   "is made in bands of rows (default: three quarters of the machine's, " +
                   std::to_string(defaultMemoryLimit() >> 20) + "M here)")->type_name("LIMIT");
    add.add_option("-j,--threads", a.threads, "threads for density and searches (default: all cores; never changes the result)")->type_name("N");
    add.add_option("--video", a.video, "the figure growing as a video file, .mp4 (H.264) or .webm (VP9); needs ffmpeg")->type_name("FILE");
    add.add_option("--seconds", a.seconds, "the video's length (default 20)")->type_name("S");
    add.add_option("--fps", a.fps, "the video's frames a second (default 30)")->type_name("F");
    add.add_flag("--title", a.title, "the caption burnt in at the bottom of the video");
    add.add_flag("--no-title", a.noTitle, "no caption in a replayed video that had one");
    add.add_option("--zoom-to", a.zoomTo, "a video that flies from the picture's view to this one, zooming at a "
                   "steady rate")->type_name("X,Y,ZOOM");
    add.add_option("--morph", a.morphs, "a video whose parameter slides from FROM to TO, each frame a whole "
                   "picture (repeat for several)")->type_name("LABEL=FROM:TO");
    add.add_flag("--ease", a.ease, "a moving video starts and ends gently");
    add.add_flag("-q,--quiet", a.quiet, "no progress on stderr");
    add.add_flag("--list", a.list, "list every figure with its parameters, defaults and random ranges");
    add.add_flag("--palettes", a.listPalettes, "list the palettes");
    add.add_flag("--stats", a.stats, "print the orbit's exponents, outcome and dimensions (no picture unless -o)");
    add.add_flag("--json", a.json, "print the statistics as JSON (implies --stats)");
    add.add_flag("--interesting", a.interesting, "with --random: draw again until the figure is bounded, chaotic and lit");
    add.add_option("--search", a.search, "N interesting random figures, numbered, with captions and an index.html")->type_name("N");
    add.add_option("--survey", a.survey, "N random draws of each slide-show figure (or --figure): how many are turned down")->type_name("N");
    add.add_option("--min-exponent", a.minExponent, "the largest exponent an interesting orbit needs; default 0.01")->type_name("X");
    add.add_option("--min-lit", a.minLit, "the part of the frame an interesting figure lights; default 0.005")->type_name("F");
    add.add_option("--max-lit", a.maxLit, "the part of the frame an interesting figure lights at most; default 0.5")->type_name("F");
    add.add_option("--min-dimension", a.minDimension, "the least box dimension of an interesting map's picture; "
                   "default 1.1")->type_name("D");
    add.add_option("--max-dimension", a.maxDimension, "the greatest box dimension of an interesting map's picture; "
                   "default 1.5")->type_name("D");
    add.add_option("--max-draws", a.maxDraws, "draws before giving up on a figure; default 200")->type_name("N");
    add.add_option("--steps", a.steps, "steps followed for the exponents (default 1e6 for maps, 1e7 for flows)")->type_name("N");
    add.footer("Exit status:\n"
               "  0  done\n"
               "  1  failed while working: ffmpeg failed, the disk filled up, out of memory\n"
               "  2  refused: a bad option or value, an input that cannot be read, no ffmpeg\n"
               "  3  nothing of the figure fell inside the frame, or nothing interesting found");
    // A seed is optional, so only the option's count tells that --random was given.
    add.final_callback([&a, random] { a.random = random->count() > 0; });
    return app;
}

VideoSettings videoSettingsFor(const std::string& seconds, const std::string& fps, std::optional<bool> title,
                               const std::optional<VideoSettings>& replayed)
{
    const auto number = [](const std::string& text, const char* option) {
        const auto value = numberFrom(text);
        if (!value)
            throw UsageError(std::string(option) + " \"" + text + "\" is not a number");
        return *value;
    };
    VideoSettings v = replayed.value_or(VideoSettings{});
    if (!seconds.empty())
        v.seconds = number(seconds, "--seconds");
    if (!fps.empty())
        v.fps = number(fps, "--fps");
    if (title)
        v.title = *title;
    return v;
}

std::string inOptionTerms(const SettingError& e)
{
    // The settings by the options that give them, and a hint where one helps.
    static const std::map<std::string, std::pair<std::string, std::string>> kOptions = {
        {"figure", {"--figure", " (--list shows them all)"}},
        {"parameter", {"--param", ""}},
        {"frame", {"--frame", ""}},
        {"size", {"--size", ""}},
        {"background", {"--background", ""}},
        {"tone", {"--tone", ""}},
        {"brightness", {"--brightness", ""}},
        {"gamma", {"--gamma", ""}},
        {"gamma-threshold", {"--gamma-threshold", ""}},
        {"vibrancy", {"--vibrancy", ""}},
        {"highlight", {"--highlight", ""}},
        {"exposure", {"--exposure", ""}},
        {"colour", {"--colour-by", ""}},
        {"palette", {"--palette", " (--palettes lists them)"}},
        {"depth", {"--depth", ""}},
        {"supersampling", {"--aa", ""}},
        {"threads", {"--threads", ""}},
        {"video", {"--video", ""}},
        {"seconds", {"--seconds", ""}},
        {"fps", {"--fps", ""}},
        {"title", {"--title", ""}},
        {"zoom-to", {"--zoom-to", ""}},
        {"morph", {"--morph", ""}},
    };
    const auto found = kOptions.find(e.setting);
    if (found == kOptions.end())
        return e.what();
    return found->second.first + " " + e.problem + found->second.second;
}

Framing framingFor(std::optional<Size> frame, std::optional<double> scale, std::optional<Size> size)
{
    // Sizes are checked as given, before the scale makes anything of them.
    if (frame)
        checkFraming({frame->width, frame->height, 1, 1});
    if (size)
        checkFraming({1, 1, size->width, size->height});
    if (scale && size)
        throw UsageError("--scale and --size both set the picture's size; give one of them");
    if (scale && !(*scale > 0 && std::isfinite(*scale)))
        throw UsageError("--scale " + roundTripText(*scale) + " is not above 0");

    Framing f;
    if (size && !frame) {
        f.frameWidth = 1024;
        f.frameHeight = std::max(1, static_cast<int>(std::lround(1024.0 * size->height / size->width)));
        f.width = size->width;
        f.height = size->height;
        return f;
    }
    if (frame) {
        f.frameWidth = frame->width;
        f.frameHeight = frame->height;
    }
    if (size) {
        f.width = size->width;
        f.height = size->height;
        return f;
    }
    const double k = scale.value_or(1);
    const double w = std::round(f.frameWidth * k), h = std::round(f.frameHeight * k);
    if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide)
        throw UsageError("--scale " + roundTripText(k) + " makes a picture of " +
                         roundTripText(w) + "x" + roundTripText(h) + " pixels, outside 1 to " +
                         std::to_string(kMaxSide) + " on a side");
    f.width = static_cast<int>(w);
    f.height = static_cast<int>(h);
    return f;
}


namespace {

// --tone and its controls, --colour-by and --palette over the look of a
// replayed picture: a tone given anew brings its own defaults.
void setLook(const Arguments& a, RenderSettings& s, bool replayed)
{
    const bool controlsGiven = !a.brightness.empty() || !a.gamma.empty() || !a.gammaThreshold.empty() ||
                               !a.vibrancy.empty() || !a.highlight.empty() || !a.exposure.empty();
    const bool colourGiven = !a.colourBy.empty();
    if (s.style == Style::Classic && (controlsGiven || colourGiven) && !replayed)
        throw UsageError("--colour-by and the tone's controls are for --style density");
    if (!a.tone.empty())
        s.tone = a.tone;
    const auto curve = toneCurveNamed(s.tone);
    if (!curve)
        throw SettingError("tone", "\"" + s.tone + "\" is none of log, eq and flame");
    if (!replayed || !a.tone.empty())
        s.controls = ToneControls::defaultsFor(*curve);
    const std::pair<const std::string*, std::pair<const char*, double*>> controls[] = {
        {&a.brightness, {"--brightness", &s.controls.brightness}},
        {&a.gamma, {"--gamma", &s.controls.gamma}},
        {&a.gammaThreshold, {"--gamma-threshold", &s.controls.gammaThreshold}},
        {&a.vibrancy, {"--vibrancy", &s.controls.vibrancy}},
        {&a.highlight, {"--highlight", &s.controls.highlight}},
        {&a.exposure, {"--exposure", &s.controls.exposure}}};
    for (const auto& [text, option] : controls) {
        if (text->empty())
            continue;
        const auto value = numberFrom(*text);
        if (!value)
            throw UsageError(std::string(option.first) + " \"" + *text + "\" is not a number");
        *option.second = *value;
    }
    if (colourGiven) {
        const auto colour = orbitColourNamed(a.colourBy);
        if (!colour)
            throw UsageError("--colour-by \"" + a.colourBy + "\" is none of density, speed, angle, turn, map and age");
        if (*colour != s.colour)
            s.colourRange.reset();
        s.colour = *colour;
    }
    if (!a.palette.empty()) {
        // A palette file is read now, once: the picture keeps its definition.
        s.palette = a.palette;
        s.paletteDefinition.clear();
        if (!Palette::named(a.palette))
            if (const auto file = Palette::byNameOrFile(a.palette))
                s.paletteDefinition = file->definition();
    } else if (colourGiven && s.colour != OrbitColour::None) {
        // A colour by the orbit wants a palette of many hues; a direction, a round one.
        const char* wanted = s.colour == OrbitColour::Angle ? "twilight" : "viridis";
        if (Palette::named(wanted)) {
            s.palette = wanted;
            s.paletteDefinition.clear();
        }
    }
}

// --center, --zoom and --fit over the view of a replayed picture.
void setView(const Arguments& a, RenderSettings& s)
{
    const bool viewGiven = !a.center.empty() || !a.zoom.empty();
    if (a.fit && viewGiven)
        throw UsageError("--fit frames the orbit itself; give it or --center and --zoom");
    if (a.fit) {
        s.fit = true;
        resolveFit(s);
        return;
    }
    if (!viewGiven)
        return;
    const FigurePlane plane = planeOf(s.choice, s.framing);
    View view = s.view.value_or(windowView(plane, s.framing));
    if (!a.center.empty()) {
        const auto comma = a.center.find(',');
        const auto x = numberFrom(a.center.substr(0, comma));
        const auto y = comma == std::string::npos ? std::nullopt : numberFrom(a.center.substr(comma + 1));
        if (!x || !y)
            throw UsageError("--center \"" + a.center + "\" is not X,Y (two numbers)");
        view.centerX = *x;
        view.centerY = *y;
    }
    if (!a.zoom.empty()) {
        const auto zoom = numberFrom(a.zoom);
        if (!zoom)
            throw UsageError("--zoom \"" + a.zoom + "\" is not a number");
        if (!(*zoom > 0))
            throw UsageError("--zoom " + a.zoom + " is not above 0");
        view.zoom = *zoom;
    }
    try {
        checkView(view, plane, s.framing);
    } catch (const UsageError& e) {
        throw UsageError(std::string("--center/--zoom: ") + e.what());
    }
    s.view = view;
}

}  // namespace

RenderSettings settingsFor(const Arguments& a, const FigureChoice& choice, const RenderSettings* replayed)
{
    RenderSettings s = replayed ? *replayed : RenderSettings{};
    s.choice = replayed ? replayed->choice : choice;
    if (!a.style.empty()) {
        if (a.style == "classic")
            s.style = Style::Classic;
        else if (a.style == "density")
            s.style = Style::Density;
        else
            throw UsageError("--style \"" + a.style + "\" is neither classic nor density");
    }
    if (!replayed || !a.style.empty())
        s.points = s.style == Style::Classic ? kClassicPoints : kDensityPoints;
    if (!a.points.empty() && !a.passes.empty())
        throw UsageError("--points and --passes both set the count; give one of them");
    if (!a.points.empty()) {
        s.points = countFrom(a.points, "--points");
        s.passes.reset();
    }
    if (!a.passes.empty()) {
        const uint64_t passes = countFrom(a.passes, "--passes");
        if (s.choice.figure->isBifurcation())
            throw UsageError("the bifurcation diagram has no passes; give --points");
        s.passes = passes;
        s.points = pointsOfPasses(s.choice, passes);
    }
    if (!a.seed.empty())
        s.seed = seedFrom(a.seed, "--seed");
    if (choice.randomSeed && !replayed)
        s.seed = *choice.randomSeed;

    const bool framingGiven = !a.frame.empty() || !a.size.empty() || !a.scale.empty();
    if (!replayed || framingGiven) {
        std::optional<Size> frame = sizeOption(a.frame, "--frame");
        if (!frame && replayed)
            frame = Size{replayed->framing.frameWidth, replayed->framing.frameHeight};
        std::optional<double> scale;
        if (!a.scale.empty()) {
            scale = numberFrom(a.scale);
            if (!scale)
                throw UsageError("--scale \"" + a.scale + "\" is not a number");
        }
        s.framing = framingFor(frame, scale, sizeOption(a.size, "--size"));
        s.scale = scale.value_or(1);
    }
    setView(a, s);
    setLook(a, s, replayed != nullptr);
    if (!a.background.empty())
        s.background = a.background;
    if (a.depth != 0)
        s.depth = a.depth;
    if (a.supersampling != 0)
        s.supersampling = a.supersampling;
    s.threads = threadsFor(a);
    if (!a.memory.empty()) {
        const auto limit = memoryLimitFrom(a.memory);
        if (!limit)
            throw UsageError("--memory \"" + a.memory + "\" is not a size from 16M to 1024T (such as 2G or 512M)");
        s.memoryLimit = *limit;
    }
    if (s.style == Style::Classic && (s.supersampling != 1 || s.depth != 8) && (a.supersampling || a.depth))
        throw UsageError("--aa and --depth are for --style density; a classic picture is 8-bit, a point a pixel");
    checkSettings(s);
    resolveColourRange(s);
    return s;
}

void checkOutputFile(const std::string& path)
{
    // The words are those of the file's own refusal when it is made.
    const fs::path file(path);
    std::error_code error;
    if (!file.has_filename() || fs::is_directory(file, error))
        throw UsageError(path + ": names a folder, not a file");
    const std::string folder = file.has_parent_path() ? file.parent_path().string() : ".";
    struct stat info {};
    int problem = 0;
    if (::stat(folder.c_str(), &info) != 0)
        problem = errno;
    else if (!S_ISDIR(info.st_mode))
        problem = ENOTDIR;
    else if (::access(folder.c_str(), W_OK | X_OK) != 0)
        problem = errno;
    if (problem != 0)
        throw UsageError("cannot write in " + folder + ": " + std::strerror(problem));
}

namespace {

// --retone and --continue: the counts file holds the figure and how it was
// counted; the options may change the look, and --continue the points.
Plan countsPlanOf(const Arguments& a)
{
    const bool retone = !a.retone.empty();
    if (retone && !a.continueCounts.empty())
        throw UsageError("give one of --retone and --continue");
    const char* const option = retone ? "--retone" : "--continue";
    const std::pair<bool, const char*> counting[] = {
        {!a.figure.empty(), "--figure"}, {!a.params.empty(), "--param"}, {!a.caption.empty(), "--caption"},
        {!a.from.empty(), "--from"}, {a.line != 0, "--line"}, {a.all, "--all"}, {a.random, "--random"},
        {!a.replay.empty(), "--replay"}, {!a.frame.empty(), "--frame"}, {!a.size.empty(), "--size"},
        {!a.scale.empty(), "--scale"}, {!a.center.empty(), "--center"}, {!a.zoom.empty(), "--zoom"},
        {a.fit, "--fit"}, {!a.style.empty(), "--style"}, {!a.passes.empty(), "--passes"},
        {!a.seed.empty(), "--seed"}, {a.supersampling != 0, "--aa"}, {!a.saveCounts.empty(), "--save-counts"},
        {retone && !a.points.empty(), "--points"}};
    for (const auto& [given, name] : counting)
        if (given)
            throw UsageError(std::string(option) + " takes the figure and how it was counted from its file; " + name +
                             " cannot change them");
    const std::pair<bool, const char*> modes[] = {
        {!a.video.empty(), "--video"}, {!a.seconds.empty() || !a.fps.empty() || a.title || a.noTitle, "--seconds, --fps and --title"},
        {a.stats || a.json, "--stats"}, {a.interesting, "--interesting"}, {!a.search.empty(), "--search"},
        {!a.survey.empty(), "--survey"}};
    for (const auto& [given, name] : modes)
        if (given)
            throw UsageError(std::string(name) + " and " + option + " do not go together");
    if (!retone && a.points.empty())
        throw UsageError("--continue needs --points N: the points to count on");

    Job job;
    const std::string& path = retone ? a.retone : a.continueCounts;
    job.stored = std::make_shared<StoredCounts>(readStoredCounts(path));
    const RenderSettings& counted = job.stored->settings;
    if (!a.colourBy.empty()) {
        const auto colour = orbitColourNamed(a.colourBy);
        if (colour && *colour != counted.colour) {
            const std::string was = counted.colour == OrbitColour::None ? "density" : orbitColourName(counted.colour);
            throw UsageError("--colour-by " + a.colourBy + ": " + path + " was counted coloured by " + was +
                             " and holds no sums for " + a.colourBy + "; count it afresh");
        }
    }
    Arguments look = a;
    look.points.clear();
    job.settings = settingsFor(look, counted.choice, &counted);
    if (retone) {
        job.counts = CountsUse::Retone;
        job.path = a.output.empty() ? slug(counted.choice.figure->name) + ".png" : a.output;
    } else {
        job.counts = CountsUse::Continue;
        if (counted.plan != kGrowingPlan)
            throw UsageError(path + ": counted by the fixed plan, whose orbits depend on the points of the whole "
                                    "picture; its counts cannot be counted on");
        job.more = countFrom(a.points, "--points");
        if (job.more > kMaxPoints - counted.points)
            throw UsageError("--points " + a.points + " more than the " + std::to_string(counted.points) +
                             " counted would be more than 10^15");
        job.path = a.output;
        job.countsPath = path;
        checkOutputFile(path);
    }
    if (!job.path.empty())
        checkOutputFile(job.path);
    if (!job.path.empty() && fs::path(job.path) == fs::path(path))
        throw UsageError("-o " + job.path + " is the counts file itself");
    Plan plan;
    plan.jobs.push_back(std::move(job));
    return plan;
}

Plan planOf(const Arguments& a)
{
    if (!a.retone.empty() || !a.continueCounts.empty())
        return countsPlanOf(a);
    Plan plan;
    std::optional<RenderSettings> replayed;
    std::optional<VideoSettings> replayedVideo;
    std::vector<FigureChoice> choices;
    if (!a.replay.empty()) {
        if (!a.figure.empty() || !a.caption.empty() || !a.from.empty() || a.random)
            throw UsageError(kOneSource);
        const TextChunks text = replayText(a.replay);
        replayed = settingsFrom(text);
        replayedVideo = videoSettingsFrom(text);
        choices = {replayed->choice};
    } else if (a.search.empty() && a.survey.empty()) {
        choices = choicesFrom(a, plan.randomSeed);
    }
    if (a.stats || a.json || a.interesting || !a.search.empty() || !a.survey.empty()) {
        if (!a.saveCounts.empty())
            throw UsageError("--save-counts keeps a density picture's counts; --stats, --interesting, --search and "
                             "--survey count none");
        plan.orbit = orbitCommandFor(a, choices, replayed);
        return plan;
    }

    // A video when one is named, or again when a video is replayed to no picture.
    if (!a.video.empty() && !a.output.empty())
        throw UsageError("--video and --output both name the file; give one of them");
    const bool video = !a.video.empty() || (replayedVideo && a.output.empty());
    if (!video && (!a.seconds.empty() || !a.fps.empty() || a.title || a.noTitle || !a.zoomTo.empty() ||
                   !a.morphs.empty() || a.ease))
        throw UsageError("--seconds, --fps, --title, --zoom-to, --morph and --ease are for --video");
    if (a.title && a.noTitle)
        throw UsageError("give one of --title and --no-title");
    if (video)
        plan.video = videoSettingsFor(a.seconds, a.fps,
                                      a.title || a.noTitle ? std::optional<bool>(a.title) : std::nullopt,
                                      replayedVideo);
    if (plan.video && (!a.zoomTo.empty() || !a.morphs.empty())) {
        // A motion given anew takes the place of a replayed one.
        plan.video->motion = Motion{};
        if (!a.zoomTo.empty())
            plan.video->motion.zoomTo = zoomToFrom(a.zoomTo);
        for (const std::string& morph : a.morphs)
            plan.video->motion.morphs.push_back(morphFrom(morph));
    }
    if (plan.video && a.ease)
        plan.video->motion.ease = true;
    if (plan.video && a.fit) {
        if (!a.zoomTo.empty())
            throw UsageError("--zoom-to flies from one view to another; --fit frames the orbit itself: give one");
        plan.video->motion.fitFrames = !plan.video->motion.morphs.empty();
    }
    if (plan.video && plan.video->motion.ease && !plan.video->motion.moving())
        throw UsageError("--ease is for a video that moves: give --zoom-to or --morph");
    std::string output = video ? a.video : a.output;
    if (output.empty())
        output = !a.from.empty() && a.all ? fs::path(a.from).stem().string() + ".png"
                 : video                  ? slug(choices.front().figure->name) + fs::path(a.replay).extension().string()
                                          : slug(choices.front().figure->name) + ".png";
    const bool keep = !a.saveCounts.empty();
    if (keep && video)
        throw UsageError("--save-counts keeps one picture's counts, not a video's");
    if (keep && choices.size() > 1)
        throw UsageError("--save-counts keeps one picture's counts; --all draws several");
    // With --save-counts the counts are the result: a picture only when named.
    if (keep && a.output.empty())
        output.clear();
    // Every picture is checked before the first is drawn.
    for (size_t k = 0; k < choices.size(); ++k) {
        Job job{.settings = settingsFor(a, choices[k], replayed ? &*replayed : nullptr),
                .path = output.empty() ? output : numbered(output, k, choices.size())};
        if (plan.video)
            checkVideo(job.settings, *plan.video, job.path);
        if (keep) {
            if (job.settings.style != Style::Density)
                throw UsageError("--save-counts keeps the counts of a density picture; give --style density");
            if (fs::path(a.saveCounts) == fs::path(job.path))
                throw UsageError("--save-counts and -o name the same file");
            job.counts = CountsUse::Save;
            job.countsPath = a.saveCounts;
            checkOutputFile(job.countsPath);
        }
        if (!job.path.empty())
            checkOutputFile(job.path);
        plan.jobs.push_back(std::move(job));
    }
    return plan;
}

}  // namespace

std::vector<FigureChoice> captionsOf(std::string_view text, const std::string& name, int line, bool all)
{
    // Counted before they are parted: each line parted takes memory of its own.
    const size_t count = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) +
                         (text.empty() || text.back() == '\n' ? 0 : 1);
    if (count > kMaxCaptionLines)
        throw UsageError("\"" + name + "\" has " + std::to_string(count) + " lines, more than the " +
                         std::to_string(kMaxCaptionLines) + " a caption file may hold");
    const std::vector<std::string> lines = captionLines(text);
    if (line != 0) {
        if (line < 1 || static_cast<size_t>(line) > lines.size())
            throw UsageError("\"" + name + "\" has no line " + std::to_string(line) + " (it has " +
                             std::to_string(lines.size()) + ")");
        if (blank(lines[static_cast<size_t>(line - 1)]))
            throw UsageError("line " + std::to_string(line) + " of \"" + name + "\" is empty");
        return {parseCaption(lines[static_cast<size_t>(line - 1)])};
    }
    std::vector<FigureChoice> out;
    for (const std::string& caption : lines)
        if (!blank(caption))
            out.push_back(parseCaption(caption));
    if (out.empty())
        throw UsageError("\"" + name + "\" holds no caption");
    if (!all)
        return {out.back()};  // the caption kept last
    return out;
}

Plan planFor(const Arguments& a)
{
    try {
        return planOf(a);
    } catch (const SettingError& e) {
        throw UsageError(inOptionTerms(e));
    }
}

}  // namespace quillon::render
