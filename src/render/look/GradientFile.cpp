#include "render/look/GradientFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <optional>

#include "render/image/UsageError.h"
#include "render/look/Palette.h"

namespace quillon::render {
namespace {

// Far more than anyone draws by hand or in GIMP, and few enough that a
// hostile file cannot make us allocate much.
constexpr size_t kMostSegments = 1000;
constexpr size_t kMostStops = 1000;
// A segment is at most 13 numbers of 24 characters and their spaces.
constexpr size_t kMostDefinitionBytes = kMostSegments * 13 * 25;
constexpr int kBlendings = 6, kColourings = 3, kEndKinds = 5;
// Positions GIMP writes with six decimals; ends closer than this meet.
constexpr double kJoinTolerance = 1e-6;
constexpr double kEpsilon = 1e-10;  // GIMP's, for segments and midpoints of no width

// A piece of the file quoted in a message: one line, and short.
std::string quoted(std::string_view text) { return quotedText(text, 40); }

std::string numberText(double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::optional<double> number(std::string_view text)
{
    if (text.size() > 1 && text.front() == '+' && text[1] != '-')
        text.remove_prefix(1);
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value + 0.0;  // no negative zero, which would be written back as "-0"
}

std::vector<std::string_view> fieldsOf(std::string_view line)
{
    std::vector<std::string_view> fields;
    constexpr std::string_view blanks = " \t\f\v";
    size_t at = line.find_first_not_of(blanks);
    while (at != std::string_view::npos) {
        const size_t end = std::min(line.find_first_of(blanks, at), line.size());
        fields.push_back(line.substr(at, end - at));
        at = line.find_first_not_of(blanks, end);
    }
    return fields;
}

std::string_view trimmed(std::string_view text)
{
    constexpr std::string_view blanks = " \t\f\v";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// A name as a listing and a picture's text can show it: one line of printable
// characters, not cut inside a UTF-8 character.
std::string cleanName(std::string_view text)
{
    constexpr size_t most = 100;
    std::string name;
    for (const char c : trimmed(text))
        name += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    if (name.size() > most) {
        size_t cut = most;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    return std::string(trimmed(name));
}

class Lines {
public:
    // A definition's segments are parted by semicolons and counted as
    // segments; a file's lines by newlines.
    Lines(std::string_view text, const std::string& source, char separator = '\n')
        : source_(source), unit_(separator == '\n' ? ":" : " segment ")
    {
        if (text.starts_with("\xEF\xBB\xBF"))
            text.remove_prefix(3);
        while (!text.empty()) {
            const size_t end = std::min(text.find(separator), text.size());
            std::string_view line = text.substr(0, end);
            if (line.ends_with('\r'))
                line.remove_suffix(1);
            lines_.push_back(line);
            text.remove_prefix(std::min(end + 1, text.size()));
        }
    }

    size_t count() const { return lines_.size(); }
    std::string_view operator[](size_t index) const { return lines_[index]; }

    // index counts from 0, messages from 1.
    [[noreturn]] void fail(size_t index, const std::string& what) const
    {
        throw PaletteError(source_ + unit_ + std::to_string(index + 1) + ": " + what);
    }

    double numberAt(size_t index, std::string_view field) const
    {
        const auto value = number(field);
        if (!value)
            fail(index, quoted(field) + " is not a number");
        return *value;
    }

    int wholeAt(size_t index, std::string_view field, int below, const char* what) const
    {
        const double value = numberAt(index, field);
        if (value != std::floor(value) || value < 0 || value >= below)
            fail(index, std::string(what) + " " + quoted(field) + " is unknown (0 to " + std::to_string(below - 1) +
                            ")");
        return static_cast<int>(value);
    }

private:
    const std::string& source_;
    const char* unit_;
    std::vector<std::string_view> lines_;
};

void parseSegments(const Lines& lines, size_t at, size_t segments, Gradient& gradient);

Gradient parseGimp(const Lines& lines, const std::string& fallbackName)
{
    Gradient gradient;
    size_t at = 1;
    if (at < lines.count() && lines[at].starts_with("Name:"))
        gradient.name = cleanName(lines[at++].substr(5));
    if (gradient.name.empty())
        gradient.name = fallbackName;
    if (at >= lines.count())
        lines.fail(at - 1, "the gradient ends before its count of segments");
    const auto countFields = fieldsOf(lines[at]);
    if (countFields.size() != 1)
        lines.fail(at, "expected the count of segments, found " + quoted(lines[at]));
    const double count = lines.numberAt(at, countFields[0]);
    if (count != std::floor(count) || count < 1)
        lines.fail(at, "the count of segments " + quoted(countFields[0]) + " is not a whole number from 1");
    if (count > kMostSegments)
        lines.fail(at, quoted(countFields[0]) + " segments are more than " + std::to_string(kMostSegments));
    parseSegments(lines, at + 1, static_cast<size_t>(count), gradient);
    return gradient;
}

// count segments from the line at, and nothing but blank lines after them.
void parseSegments(const Lines& lines, size_t at, size_t segments, Gradient& gradient)
{
    gradient.segments.reserve(segments);
    for (size_t k = 0; k < segments; ++k, ++at) {
        if (at >= lines.count())
            lines.fail(lines.count() - 1, "the gradient ends after " + std::to_string(k) + " of its " +
                                              std::to_string(segments) + " segments");
        const auto fields = fieldsOf(lines[at]);
        if (fields.size() != 13 && fields.size() != 15)
            lines.fail(at, "a segment is 13 numbers (or 15, with the kinds of its ends), not " +
                               std::to_string(fields.size()));
        double values[11];
        for (int i = 0; i < 11; ++i)
            values[i] = lines.numberAt(at, fields[i]);
        GradientSegment s;
        s.left = values[0];
        s.middle = values[1];
        s.right = values[2];
        if (!(0 <= s.left && s.left <= s.middle && s.middle <= s.right && s.right <= 1))
            lines.fail(at, "the positions " + numberText(s.left) + " " + numberText(s.middle) + " " +
                               numberText(s.right) + " are not in order from 0 to 1");
        for (int i : {3, 4, 5, 6, 7, 8, 9, 10})
            if (values[i] < 0 || values[i] > 1)
                lines.fail(at, "the colour value " + quoted(fields[i]) + " is outside 0 to 1");
        // Transparency is not ours to show: a density picture's pixels are opaque.
        std::copy(values + 3, values + 6, s.leftColour);
        std::copy(values + 7, values + 10, s.rightColour);
        s.blending = lines.wholeAt(at, fields[11], kBlendings, "the blending");
        s.colouring = lines.wholeAt(at, fields[12], kColourings, "the colouring");
        // The ends' kinds (the foreground or background colour in GIMP) are
        // taken as the colours written.
        for (size_t i = 13; i < fields.size(); ++i)
            lines.wholeAt(at, fields[i], kEndKinds, "the kind of end");

        const double start = k == 0 ? 0.0 : gradient.segments.back().right;
        if (std::abs(s.left - start) > kJoinTolerance)
            lines.fail(at, k == 0 ? "the first segment starts at " + numberText(s.left) + ", not 0"
                                  : "the segment starts at " + numberText(s.left) + ", where the one before ends at " +
                                        numberText(start));
        s.left = start;
        if (k + 1 == segments) {
            if (std::abs(s.right - 1) > kJoinTolerance)
                lines.fail(at, "the last segment ends at " + numberText(s.right) + ", not 1");
            s.right = 1;
        }
        s.middle = std::clamp(s.middle, s.left, s.right);
        gradient.segments.push_back(s);
    }
    for (; at < lines.count(); ++at)
        if (!trimmed(lines[at]).empty())
            lines.fail(at, "more lines than the " + std::to_string(segments) + " segments counted");
}

struct Stop {
    double position;
    double colour[3];
};

bool hexColour(std::string_view text, double colour[3])
{
    if (text.size() != 7 || text[0] != '#')
        return false;
    for (int c = 0; c < 3; ++c) {
        unsigned value = 0;
        const char* first = text.data() + 1 + 2 * c;
        const auto [stop, error] = std::from_chars(first, first + 2, value, 16);
        if (error != std::errc() || stop != first + 2)
            return false;
        colour[c] = value / 255.0;
    }
    return true;
}

Gradient parseStops(const Lines& lines, const std::string& name)
{
    std::vector<Stop> stops;
    for (size_t at = 0; at < lines.count(); ++at) {
        const auto fields = fieldsOf(lines[at]);
        if (fields.empty() || fields[0].front() == '#')
            continue;
        const auto position = number(fields[0]);
        if (!position) {
            if (stops.empty())
                lines.fail(at, "not a palette: neither a GIMP gradient nor colour stops (POSITION COLOUR), "
                               "it begins " + quoted(fields[0]));
            lines.fail(at, quoted(fields[0]) + " is not a number");
        }
        if (*position < 0 || *position > 1)
            lines.fail(at, "the position " + quoted(fields[0]) + " is outside 0 to 1");
        if (!stops.empty() && *position < stops.back().position)
            lines.fail(at, "the position " + quoted(fields[0]) + " comes after " +
                               numberText(stops.back().position) + ": positions must not decrease");
        if (stops.size() == kMostStops)
            lines.fail(at, "more than " + std::to_string(kMostStops) + " stops");
        Stop stop{.position = *position, .colour = {}};
        size_t next = 0;
        if (fields.size() < 2) {
            lines.fail(at, "the stop has no colour (#rrggbb, or R G B from 0 to 255)");
        } else if (fields[1].front() == '#') {
            if (!hexColour(fields[1], stop.colour))
                lines.fail(at, quoted(fields[1]) + " is not a colour (#rrggbb, or R G B from 0 to 255)");
            next = 2;
        } else {
            if (fields.size() < 4)
                lines.fail(at, "a colour is #rrggbb, or three numbers R G B from 0 to 255");
            for (int c = 0; c < 3; ++c) {
                const double value = lines.numberAt(at, fields[1 + c]);
                if (value < 0 || value > 255)
                    lines.fail(at, "the colour value " + quoted(fields[1 + c]) + " is outside 0 to 255");
                stop.colour[c] = value / 255;
            }
            next = 4;
        }
        if (next < fields.size() && fields[next].front() != '#')
            lines.fail(at, "unexpected " + quoted(fields[next]) + " after the colour");
        stops.push_back(stop);
    }
    if (stops.size() < 2)
        lines.fail(lines.count() == 0 ? 0 : lines.count() - 1,
                   stops.empty() ? "no colour stops; a palette needs at least two"
                                 : "only one colour stop; a palette needs at least two");

    Gradient gradient{.name = name, .segments = {}, .stops = static_cast<int>(stops.size())};
    const auto add = [&](double left, double right, const double* from, const double* to) {
        GradientSegment s;
        s.left = left;
        s.right = right;
        s.middle = (left + right) / 2;
        std::copy(from, from + 3, s.leftColour);
        std::copy(to, to + 3, s.rightColour);
        gradient.segments.push_back(s);
    };
    // Before the first stop and after the last the colours hold.
    if (stops.front().position > 0)
        add(0, stops.front().position, stops.front().colour, stops.front().colour);
    for (size_t i = 0; i + 1 < stops.size(); ++i)
        add(stops[i].position, stops[i + 1].position, stops[i].colour, stops[i + 1].colour);
    if (stops.back().position < 1)
        add(stops.back().position, 1, stops.back().colour, stops.back().colour);
    return gradient;
}

// How far from the left colour to the right one at a place in a segment, by
// GIMP's blending functions; middle and place are fractions of the segment.
double linearFactor(double middle, double place)
{
    if (place <= middle)
        return middle < kEpsilon ? 0.0 : 0.5 * place / middle;
    place -= middle;
    middle = 1 - middle;
    return middle < kEpsilon ? 1.0 : 0.5 + 0.5 * place / middle;
}

double blendFactor(int blending, double middle, double place)
{
    switch (blending) {
    case 1:  // curved: the midpoint's colour half-way, as a power curve
        // A midpoint at either end would make the power 0 or infinite.
        return std::pow(place, std::log(0.5) / std::log(std::clamp(middle, kEpsilon, 1 - kEpsilon)));
    case 2: {  // sine
        const double t = linearFactor(middle, place);
        return (std::sin(-std::numbers::pi / 2 + std::numbers::pi * t) + 1) / 2;
    }
    case 3: {  // sphere, increasing
        const double t = linearFactor(middle, place) - 1;
        return std::sqrt(std::max(0.0, 1 - t * t));
    }
    case 4: {  // sphere, decreasing
        const double t = linearFactor(middle, place);
        return 1 - std::sqrt(std::max(0.0, 1 - t * t));
    }
    case 5:  // step
        return place >= middle ? 1.0 : 0.0;
    default:
        return linearFactor(middle, place);
    }
}

// Hue, saturation and value, each 0 to 1.
void toHsv(const double rgb[3], double hsv[3])
{
    const double most = std::max({rgb[0], rgb[1], rgb[2]});
    const double least = std::min({rgb[0], rgb[1], rgb[2]});
    const double range = most - least;
    double hue = 0;
    if (range > 0) {
        if (most == rgb[0])
            hue = (rgb[1] - rgb[2]) / range;
        else if (most == rgb[1])
            hue = 2 + (rgb[2] - rgb[0]) / range;
        else
            hue = 4 + (rgb[0] - rgb[1]) / range;
        hue /= 6;
        if (hue < 0)
            hue += 1;
    }
    hsv[0] = hue;
    hsv[1] = most > 0 ? range / most : 0;
    hsv[2] = most;
}

void fromHsv(const double hsv[3], double rgb[3])
{
    const double h = (hsv[0] - std::floor(hsv[0])) * 6, s = hsv[1], v = hsv[2];
    const int sector = std::min(static_cast<int>(h), 5);
    const double f = h - sector;
    const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    const double table[6][3] = {{v, t, p}, {q, v, p}, {p, v, t}, {p, q, v}, {t, p, v}, {v, p, q}};
    std::copy(table[sector], table[sector] + 3, rgb);
}

void colourIn(const GradientSegment& s, double x, double rgb[3])
{
    const double width = s.right - s.left;
    const double middle = width < kEpsilon ? 0.5 : (s.middle - s.left) / width;
    const double place = width < kEpsilon ? 0.5 : std::clamp((x - s.left) / width, 0.0, 1.0);
    // Between the ends' colours, whatever the blending's arithmetic came to.
    const double blended = blendFactor(s.blending, middle, place);
    const double f = std::isfinite(blended) ? std::clamp(blended, 0.0, 1.0) : 0.0;
    if (s.colouring == 0) {
        for (int c = 0; c < 3; ++c)
            rgb[c] = s.leftColour[c] + (s.rightColour[c] - s.leftColour[c]) * f;
        return;
    }
    double left[3], right[3], hsv[3];
    toHsv(s.leftColour, left);
    toHsv(s.rightColour, right);
    // Round the hue circle the way the segment says, the long way if need be.
    if (s.colouring == 1)
        hsv[0] = left[0] < right[0] ? left[0] + (right[0] - left[0]) * f : left[0] + (1 - (left[0] - right[0])) * f;
    else
        hsv[0] = right[0] < left[0] ? left[0] - (left[0] - right[0]) * f : left[0] - (1 - (right[0] - left[0])) * f;
    for (int c = 1; c < 3; ++c)
        hsv[c] = left[c] + (right[c] - left[c]) * f;
    fromHsv(hsv, rgb);
}

}  // namespace

Gradient parseGradient(std::string_view text, const std::string& source, const std::string& fallbackName,
                       bool mustBeGimp)
{
    const Lines lines(text, source);
    if (const size_t nul = text.find('\0'); nul != std::string_view::npos)
        lines.fail(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(nul), '\n'),
                   "not a palette: it holds binary data");
    std::string name = cleanName(fallbackName);
    if (name.empty())
        name = "gradient";
    if (lines.count() > 0 && trimmed(lines[0]) == "GIMP Gradient")
        return parseGimp(lines, name);
    if (mustBeGimp)
        lines.fail(0, "not a GIMP gradient: it does not begin with \"GIMP Gradient\"");
    return parseStops(lines, name);
}

std::string gimpText(const Gradient& gradient)
{
    std::string text = "GIMP Gradient\nName: ";
    text.append(gradient.name).append("\n").append(std::to_string(gradient.segments.size())).append("\n");
    const auto add = [&](const std::string& field) { text.append(text.back() == '\n' ? "" : " ").append(field); };
    for (const GradientSegment& s : gradient.segments) {
        for (const double position : {s.left, s.middle, s.right})
            add(numberText(position));
        for (const double* colour : {s.leftColour, s.rightColour}) {
            for (int c = 0; c < 3; ++c)
                add(numberText(colour[c]));
            add("1");
        }
        add(std::to_string(s.blending));
        add(std::to_string(s.colouring));
        text += '\n';
    }
    return text;
}

std::string definitionText(const Gradient& gradient)
{
    const std::string text = gimpText(gradient);
    // Past the header's three lines, one segment a line.
    size_t start = 0;
    for (int line = 0; line < 3; ++line)
        start = text.find('\n', start) + 1;
    std::string segments = text.substr(start, text.size() - start - 1);
    std::replace(segments.begin(), segments.end(), '\n', ';');
    return segments;
}

Gradient parseDefinition(std::string_view text, const std::string& source, const std::string& name)
{
    if (text.size() > kMostDefinitionBytes)
        throw PaletteError(source + ": longer than " + std::to_string(kMostDefinitionBytes) + " characters");
    Gradient gradient{.name = cleanName(name), .segments = {}, .stops = 0};
    if (gradient.name.empty())
        gradient.name = "gradient";
    const Lines segments(text, source, ';');
    if (segments.count() == 0)
        throw PaletteError(source + ": no segments");
    if (segments.count() > kMostSegments)
        throw PaletteError(source + ": more than " + std::to_string(kMostSegments) + " segments");
    parseSegments(segments, 0, segments.count(), gradient);
    return gradient;
}

std::vector<LinearRgb> gradientTable(const Gradient& gradient, int steps)
{
    std::vector<LinearRgb> table(static_cast<size_t>(steps) + 1);
    const auto& segments = gradient.segments;
    size_t k = 0;
    for (int i = 0; i <= steps; ++i) {
        const double x = static_cast<double>(i) / steps;
        while (k + 1 < segments.size() && x > segments[k].right)
            ++k;
        double rgb[3];
        colourIn(segments[k], x, rgb);
        const auto linear = [](double c) { return static_cast<float>(srgbToLinear(std::clamp(c, 0.0, 1.0))); };
        table[i] = {linear(rgb[0]), linear(rgb[1]), linear(rgb[2])};
    }
    return table;
}

}  // namespace quillon::render
