#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "render/look/GradientFile.h"
#include "render/look/Palette.h"

namespace quillon::render {
namespace {

using namespace std::string_literals;

std::string segment(const char* positions, const char* colours, const char* kinds)
{
    return std::string(positions) + " " + colours + " " + kinds + "\n";
}

std::string gimp(const std::vector<std::string>& segments)
{
    std::string text = "GIMP Gradient\nName: test\n" + std::to_string(segments.size()) + "\n";
    for (const std::string& s : segments)
        text += s;
    return text;
}

const char* const kBlackToWhite = "0 0 0 1 1 1 1 1";
const char* const kRedToBlue = "1 0 0 1 0 0 1 1";

// Good gradients of both kinds, and what they show at given places, in sRGB.
TEST(RenderGradientFile, ReadsStopsAndGimpSegments)
{
    struct Sample { double at, r, g, b; };
    struct Row { const char* name; std::string text; std::vector<Sample> samples; };
    const Row rows[] = {
        {"two stops", "0 #000000\n1 #ffffff\n", {{0, 0, 0, 0}, {0.25, 0.25, 0.25, 0.25}, {1, 1, 1, 1}}},
        {"R G B stops", "0 0 0 0\n0.5 255 0 0\n1 0 0 255", {{0.25, 0.5, 0, 0}, {0.75, 0.5, 0, 0.5}}},
        {"held before the first and after the last", "0.5 #FF0000\n0.75 #0000ff\n",
         {{0, 1, 0, 0}, {0.25, 1, 0, 0}, {0.625, 0.5, 0, 0.5}, {1, 0, 0, 1}}},
        {"comments, blanks, CRLF and a mark of order",
         "\xEF\xBB\xBF# sky\r\n\r\n  0\t#000000  # night\r\n1 #ffffff\r\n", {{0.5, 0.5, 0.5, 0.5}}},
        {"a sudden change", "0 #000000\n0.5 #000000\n0.5 #ffffff\n1 #ffffff", {{0.25, 0, 0, 0}, {0.75, 1, 1, 1}}},
        {"linear, middle off centre", gimp({segment("0 0.25 1", kBlackToWhite, "0 0")}),
         {{0.25, 0.5, 0.5, 0.5}, {0.625, 0.75, 0.75, 0.75}}},
        {"curved", gimp({segment("0 0.25 1", kBlackToWhite, "1 0")}), {{0.25, 0.5, 0.5, 0.5}, {0.0625, 0.25, 0.25, 0.25}}},
        {"sine", gimp({segment("0 0.5 1", kBlackToWhite, "2 0")}),
         {{0.25, 0.14644660940672624, 0.14644660940672624, 0.14644660940672624}, {0.5, 0.5, 0.5, 0.5}}},
        {"sphere increasing", gimp({segment("0 0.5 1", kBlackToWhite, "3 0")}),
         {{0.5, 0.8660254037844386, 0.8660254037844386, 0.8660254037844386}}},
        {"sphere decreasing", gimp({segment("0 0.5 1", kBlackToWhite, "4 0")}),
         {{0.5, 0.1339745962155614, 0.1339745962155614, 0.1339745962155614}}},
        {"step", gimp({segment("0 0.5 1", kBlackToWhite, "5 0")}), {{0.25, 0, 0, 0}, {0.5, 1, 1, 1}, {0.75, 1, 1, 1}}},
        {"hue counter-clockwise", gimp({segment("0 0.5 1", kRedToBlue, "0 1")}), {{0.5, 0, 1, 0}}},
        {"hue clockwise", gimp({segment("0 0.5 1", kRedToBlue, "0 2")}), {{0.5, 1, 0, 1}}},
        {"hue all the way round", gimp({segment("0 0.5 1", "1 0 0 1 1 0 0 1", "0 1")}),
         {{0, 1, 0, 0}, {1 / 3.0, 0, 1, 0}, {2 / 3.0, 0, 0, 1}}},
        {"two segments, ends' kinds", gimp({segment("0 0.25 0.5", kBlackToWhite, "0 0 0 0"),
                                             segment("0.5 0.75 1", "1 1 1 1 1 0 0 1", "0 0 1 2")}),
         {{0.25, 0.5, 0.5, 0.5}, {0.75, 1, 0.5, 0.5}, {1, 1, 0, 0}}},
        {"positions GIMP rounded", gimp({segment("0.000000 0.166667 0.333333", kBlackToWhite, "0 0"),
                                          segment("0.3333335 0.5 1.000000", kBlackToWhite, "0 0")}),
         {{0, 0, 0, 0}, {1, 1, 1, 1}}},
    };
    for (const Row& row : rows) {
        const Gradient gradient = parseGradient(row.text, "test", "fallback", false);
        const std::vector<LinearRgb> table = gradientTable(gradient, 48);
        for (const Sample& s : row.samples) {
            const LinearRgb& c = table[static_cast<size_t>(s.at * 48 + 0.5)];
            EXPECT_NEAR(linearToSrgb(c.r), s.r, 1e-6) << row.name << " at " << s.at;
            EXPECT_NEAR(linearToSrgb(c.g), s.g, 1e-6) << row.name << " at " << s.at;
            EXPECT_NEAR(linearToSrgb(c.b), s.b, 1e-6) << row.name << " at " << s.at;
        }
        // The definition a picture keeps draws the same colours to the bit.
        const Gradient again = parseDefinition(definitionText(gradient), "definition", "again");
        const std::vector<LinearRgb> tableAgain = gradientTable(again, 1792);
        const std::vector<LinearRgb> fine = gradientTable(gradient, 1792);
        for (size_t i = 0; i < fine.size(); ++i)
            ASSERT_TRUE(fine[i].r == tableAgain[i].r && fine[i].g == tableAgain[i].g && fine[i].b == tableAgain[i].b)
                << row.name << " entry " << i;
    }
    EXPECT_EQ(parseGradient("0 #000000\n1 #ffffff", "f", "stops", false).name, "stops");
    EXPECT_EQ(parseGradient(gimp({segment("0 0.5 1", kBlackToWhite, "0 0")}), "f", "x", false).name, "test");
    EXPECT_EQ(parseGradient("0 #000000\n1 #ffffff", "f", "a\nb", false).name, "a b");
}

// Each kind of bad line, told as FILE:LINE: what.
TEST(RenderGradientFile, RefusesBadLinesNamingThem)
{
    const std::string one = segment("0 0.5 1", kBlackToWhite, "0 0");
    std::string manyStops;
    for (int i = 0; i <= 1000; ++i)
        manyStops += "0.5 #000000\n";
    struct Row { std::string text; bool mustBeGimp; const char* message; };
    const Row rows[] = {
        {"", false, "f:1: no colour stops"},
        {"# only a comment\n0.5 #ff0000\n", false, "f:2: only one colour stop"},
        {"hello there\n", false, "f:1: not a palette"},
        {"0 #000000\nhalf #ffffff\n", false, "f:2: \"half\" is not a number"},
        {"0 #000000\nnan #ffffff\n", false, "f:2: \"nan\" is not a number"},
        {"1.5 #ffffff\n", false, "f:1: the position \"1.5\" is outside 0 to 1"},
        {"0.5 #ffffff\n0.25 #000000\n", false, "f:2: the position \"0.25\" comes after 0.5"},
        {"0 #12345g\n", false, "f:1: \"#12345g\" is not a colour"},
        {"0 #fff\n", false, "f:1: \"#fff\" is not a colour"},
        {"0 255 0\n", false, "f:1: a colour is #rrggbb, or three numbers"},
        {"0 256 0 0\n", false, "f:1: the colour value \"256\" is outside 0 to 255"},
        {"0\n", false, "f:1: the stop has no colour"},
        {"0 #000000 white\n", false, "f:1: unexpected \"white\" after the colour"},
        {"0 #000000\n1 #ff\0ff\n"s, false, "f:2: not a palette: it holds binary data"},
        {manyStops, false, "f:1001: more than 1000 stops"},
        {"0 #000000\n1 #ffffff\n", true, "f:1: not a GIMP gradient"},
        {"GIMP Gradient\nName: x\n", false, "f:2: the gradient ends before its count of segments"},
        {"GIMP Gradient\nName: x\ntwo\n", false, "f:3: \"two\" is not a number"},
        {"GIMP Gradient\nName: x\n0\n", false, "f:3: the count of segments \"0\" is not a whole number from 1"},
        {"GIMP Gradient\nName: x\n1001\n", false, "f:3: \"1001\" segments are more than 1000"},
        {"GIMP Gradient\nName: x\n1 2\n", false, "f:3: expected the count of segments"},
        {gimp({"0 0.5 1 0 0 0 1 1 1 1 1 0\n"}), false, "f:4: a segment is 13 numbers (or 15, with the kinds of its ends), not 12"},
        {gimp({segment("0 0.75 0.5", kBlackToWhite, "0 0")}), false, "f:4: the positions 0 0.75 0.5 are not in order"},
        {gimp({segment("0 0.5 1", "0 0 0 1 1.5 1 1 1", "0 0")}), false, "f:4: the colour value \"1.5\" is outside 0 to 1"},
        {gimp({segment("0 0.5 1", kBlackToWhite, "6 0")}), false, "f:4: the blending \"6\" is unknown (0 to 5)"},
        {gimp({segment("0 0.5 1", kBlackToWhite, "0 3")}), false, "f:4: the colouring \"3\" is unknown (0 to 2)"},
        {gimp({segment("0 0.5 1", kBlackToWhite, "0 0 5 0")}), false, "f:4: the kind of end \"5\" is unknown"},
        {gimp({segment("0.1 0.5 1", kBlackToWhite, "0 0")}), false, "f:4: the first segment starts at 0.1, not 0"},
        {gimp({segment("0 0.2 0.4", kBlackToWhite, "0 0"), segment("0.5 0.7 1", kBlackToWhite, "0 0")}), false,
         "f:5: the segment starts at 0.5, where the one before ends at 0.4"},
        {gimp({segment("0 0.45 0.9", kBlackToWhite, "0 0")}), false, "f:4: the last segment ends at 0.9, not 1"},
        {"GIMP Gradient\nName: x\n2\n" + one, false, "f:4: the gradient ends after 1 of its 2 segments"},
        {gimp({one}) + one, false, "f:5: more lines than the 1 segments counted"},
    };
    for (const Row& row : rows) {
        try {
            parseGradient(row.text, "f", "name", row.mustBeGimp);
            ADD_FAILURE() << "accepted: " << row.message;
        } catch (const PaletteError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(row.message, 0), 0u) << e.what();
            EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos) << e.what();
        }
    }
    const char* const badDefinitions[][2] = {
        {"", "d: no segments"},
        {"0 0.5 1 0 0 0 1 1 1 1 1 0 0;x", "d segment 2: a segment is 13 numbers"},
        {"0 0.5 0.5 0 0 0 1 1 1 1 1 0 0", "d segment 1: the last segment ends at 0.5, not 1"},
    };
    for (const auto& [text, message] : badDefinitions) {
        try {
            parseDefinition(text, "d", "name");
            ADD_FAILURE() << "accepted: " << message;
        } catch (const PaletteError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(message, 0), 0u) << e.what();
        }
    }
}

// A file is read whole only when it is small; a picture's definition gives
// back the file's palette to the bit.
TEST(RenderGradientFile, PaletteFilesAndTheirDefinitions)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "quillon-gradient-test";
    std::filesystem::create_directories(dir);
    const auto write = [&](const char* name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
        return (dir / name).string();
    };
    const std::string stops = write("dusk.txt", "0 #102040\n0.3 200 10 30\n1 #fff0e0\n");
    const std::string ggr = write("g.ggr", gimp({segment("0 0.3 0.5", kRedToBlue, "1 1"),
                                                  segment("0.5 0.6 1", "0 0 1 1 0.2 0.9 0.1 1", "3 2")}));
    const std::string notGimp = write("stops.ggr", "0 #000000\n1 #ffffff\n");
    const std::string large = write("large.txt", std::string((1 << 20) + 1, '#'));

    for (const std::string& path : {stops, ggr}) {
        const Palette file = Palette::fromFile(path);
        ASSERT_FALSE(file.definition().empty()) << path;
        EXPECT_EQ(file.definition().find('\n'), std::string::npos) << path;
        const Palette again = Palette::fromDefinition(file.definition(), file.name());
        for (int i = 0; i <= 1000; ++i) {
            const LinearRgb a = file.at(i / 1000.0), b = again.at(i / 1000.0);
            ASSERT_TRUE(a.r == b.r && a.g == b.g && a.b == b.b) << path << " at " << i / 1000.0;
        }
    }
    EXPECT_EQ(Palette::fromFile(stops).name(), "dusk");
    EXPECT_EQ(Palette::fromFile(ggr).name(), "test");
    EXPECT_TRUE(Palette::byNameOrFile("viridis")->definition().empty());
    EXPECT_FALSE(Palette::byNameOrFile("plaid"));

    struct Row { std::string path; std::string message; };
    const Row rows[] = {
        {notGimp, notGimp + ":1: not a GIMP gradient"},
        {large, large + ": larger than 1 MiB"},
        {(dir / "none.txt").string(), (dir / "none.txt").string() + ": cannot be read"},
        {dir.string(), dir.string() + ": cannot be read: it is a directory"},
    };
    for (const Row& row : rows) {
        try {
            Palette::byNameOrFile(row.path);
            ADD_FAILURE() << "accepted " << row.path;
        } catch (const PaletteError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(row.message, 0), 0u) << e.what();
        }
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace quillon::render
