#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "render/engine/CountsRender.h"
#include "render/image/UsageError.h"
#include "support/InTempDirectory.h"

namespace quillon::render {
namespace {

using testing::bytesOf;
using testing::saveBytes;

constexpr uint64_t kOrbit = uint64_t{1} << 20;  // one orbit of the growing plan

RenderSettings henon(uint64_t points, int threads, OrbitColour colour = OrbitColour::None)
{
    RenderSettings s;
    s.choice = chooseFigure("Henon", {});
    s.framing = {.width = 96, .height = 72};
    s.supersampling = 2;
    s.style = Style::Density;
    s.points = points;
    s.threads = threads;
    s.colour = colour;
    if (colour != OrbitColour::None)
        s.palette = "ocean";
    resolveColourRange(s);
    return s;
}

// Counting on from kept counts gives the bytes of one run of all the points,
// in the counts file and in the picture, whichever threads count either run.
TEST(CountsRender, ContinuingEqualsOneRun)
{
    testing::InTempDirectory dir;
    struct Row {
        OrbitColour colour;
        uint64_t first, more;
        int firstThreads, moreThreads;
    };
    const Row rows[] = {
        {OrbitColour::None, kOrbit + 3, 5000, 1, 2},
        {OrbitColour::None, 4000, kOrbit + 4000, 2, 1},  // the first orbit left unfinished
        {OrbitColour::Angle, kOrbit, kOrbit + 17, 2, 2},
        {OrbitColour::Speed, kOrbit + 1000, 30000, 1, 1},
        {OrbitColour::Age, 2 * kOrbit + 5, 3 * kOrbit, 2, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.first) + " + " + std::to_string(row.more) + " by " +
                     (row.colour == OrbitColour::None ? "density" : orbitColourName(row.colour)));
        const RenderSettings whole = henon(row.first + row.more, 2, row.colour);
        renderKeepingCounts(whole, "whole.png", "whole.exr");

        renderKeepingCounts(henon(row.first, row.firstThreads, row.colour), "", "kept.exr");
        StoredCounts stored = readStoredCounts("kept.exr");
        ASSERT_EQ(stored.settings.points, row.first);
        RenderSettings on = stored.settings;
        on.threads = row.moreThreads;
        const RenderResult result = continueToFile(std::move(stored), on, row.more, "kept.png");
        EXPECT_EQ(result.points, row.first + row.more);
        EXPECT_EQ(readStoredCounts("kept.exr").settings.points, row.first + row.more);
        EXPECT_TRUE(bytesOf("kept.exr") == bytesOf("whole.exr"));
        EXPECT_TRUE(bytesOf("kept.png") == bytesOf("whole.png"));
    }
}

// A picture coloured again from kept counts is the picture a fresh render of
// that look draws, byte for byte; its text is the fresh one's and names the file.
TEST(CountsRender, RetoneEqualsFreshRender)
{
    testing::InTempDirectory dir;
    struct Row {
        OrbitColour colour;
        const char* tone;
        const char* palette;
        const char* background;
        int depth;
        double exposure;
    };
    const Row rows[] = {
        {OrbitColour::None, "log", "ember", "#000000", 8, 0},
        {OrbitColour::None, "eq", "ocean", "white", 16, 0},
        {OrbitColour::None, "flame", "ember", "#203040", 8, 1.5},
        {OrbitColour::Angle, "flame", "violet", "#000000", 16, -1},
        {OrbitColour::Speed, "log", "ember", "#102030", 8, 0.5},
        {OrbitColour::Turn, "eq", "ocean", "black", 8, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.tone) + " " + row.palette);
        renderKeepingCounts(henon(kOrbit + 777, 2, row.colour), "", "counts.exr");
        const StoredCounts stored = readStoredCounts("counts.exr");

        RenderSettings look = henon(kOrbit + 777, 1, row.colour);
        look.tone = row.tone;
        look.controls = ToneControls::defaultsFor(*toneCurveNamed(row.tone));
        look.controls.exposure = row.exposure;
        look.palette = row.palette;
        look.background = row.background;
        look.depth = row.depth;
        RenderSettings retoned = stored.settings;
        retoned.tone = look.tone;
        retoned.controls = look.controls;
        retoned.palette = look.palette;
        retoned.background = look.background;
        retoned.depth = look.depth;
        retoneToFile(stored, retoned, "retoned.png");

        const RenderResult fresh = render(look);
        TextChunks text = metadataOf(look, fresh.caption);
        text.emplace_back("quillon:counts-file", "counts.exr");
        writePng("fresh.png", fresh.image, text);
        EXPECT_TRUE(bytesOf("retoned.png") == bytesOf("fresh.png"));
    }
}

// Counts files whose text does not make sense, or does not fit their grid,
// are refused with one line naming the file, before colouring or counting.
TEST(CountsRender, RefusesCountsThatDoNotFitTheirText)
{
    testing::InTempDirectory dir;
    renderKeepingCounts(henon(5000, 1, OrbitColour::Age), "", "good.exr");
    const CountsFileData good = readCountsFile("good.exr");
    const auto with = [&](auto change) {
        CountsFileData data = good;
        change(data);
        return data;
    };
    const auto setText = [](CountsFileData& data, const std::string& key, const std::string& value) {
        for (auto& entry : data.text)
            if (entry.first == key)
                entry.second = value;
    };
    const auto dropText = [](CountsFileData& data, const std::string& key) {
        std::erase_if(data.text, [&](const auto& entry) { return entry.first == key; });
    };
    struct Row {
        const char* path;
        CountsFileData data;
        const char* reason;
    };
    const Row rows[] = {
        {"no-figure.exr", with([&](auto& d) { dropText(d, "quillon:figure"); }), "no quillon:figure"},
        {"no-caption.exr", with([&](auto& d) { dropText(d, "quillon:caption"); }), "lacks quillon:caption"},
        {"figure.exr", with([&](auto& d) { setText(d, "quillon:figure", "Nothing"); }), "\"Nothing\" is unknown"},
        {"seed.exr", with([&](auto& d) { setText(d, "quillon:seed", "-4"); }), "its text's quillon:seed"},
        {"points.exr", with([&](auto& d) { setText(d, "quillon:points", "1e30"); }), "quillon:points"},
        {"aa.exr", with([&](auto& d) { setText(d, "quillon:aa", "9"); }), "quillon:aa"},
        {"classic.exr", with([&](auto& d) { setText(d, "quillon:style", "classic"); }), "classic picture"},
        {"size.exr", with([&](auto& d) { setText(d, "quillon:size", "96x73"); }),
         "a grid of 192x144 does not fit its text: 96x73 with --aa 2 counts 192x146"},
        {"colour.exr", with([&](auto& d) { setText(d, "quillon:colour-by", "angle"); }),
         "its sums do not fit its colour by angle: it holds value sums"},
        {"no-colour.exr", with([&](auto& d) { dropText(d, "quillon:colour-by"); }),
         "do not fit its colour by density"},
        {"sum.exr", with([&](auto& d) {
             const size_t k = static_cast<size_t>(std::find_if(d.counts.begin(), d.counts.end(),
                                                               [](uint32_t c) { return c > 0; }) - d.counts.begin());
             d.valueSums[k] = uint64_t{d.counts[k]} * 65535 + 1;
         }),
         "damaged: the value sum of pixel"},
    };
    for (const Row& row : rows) {
        writeCountsFile(row.path, row.data);
        try {
            readStoredCounts(row.path);
            ADD_FAILURE() << row.path << " was read";
        } catch (const UsageError& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind(std::string(row.path) + ": ", 0), 0u) << message;
            EXPECT_NE(message.find(row.reason), std::string::npos) << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        }
    }

    // The fixed plan's orbits depend on the points of the whole picture.
    RenderSettings fixed = henon(5000, 1);
    fixed.plan = kFixedPlan;
    renderKeepingCounts(fixed, "", "fixed.exr");
    StoredCounts stored = readStoredCounts("fixed.exr");
    const RenderSettings settings = stored.settings;
    EXPECT_THROW(continueToFile(std::move(stored), settings, 100, ""), UsageError);
    EXPECT_EQ(readStoredCounts("fixed.exr").settings.points, 5000u);
}

}  // namespace
}  // namespace quillon::render
