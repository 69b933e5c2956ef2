// What a replay reads: a picture's text (as the PNG reader yields it), whole
// PNG files through the real reader, and a video's comment tag.
#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "FuzzCheck.h"
#include "render/engine/Render.h"
#include "render/image/PngFile.h"
#include "render/image/UsageError.h"
#include "render/video/Video.h"
#include "app/PictureText.h"

namespace quillon::fuzz {

using render::RenderSettings;
using render::TextChunks;

namespace {

// The settings of the text, or nothing when they are refused as they should be.
std::optional<RenderSettings> settingsOf(const TextChunks& text, const char* reader)
{
    try {
        return render::settingsFrom(text);
    } catch (const render::UsageError& e) {
        checkRefusal(reader, e.what());
        return std::nullopt;
    }
}

// Accepted settings ask for no absurd work and are written back to text that
// reads back to the same text.
void checkSettingsReadBack(const RenderSettings& s, const char* reader)
{
    if (s.points > render::kMaxPoints)
        fail(std::string(reader) + ": accepted " + std::to_string(s.points) + " points");
    const uint64_t pixels = static_cast<uint64_t>(s.framing.width) * static_cast<uint64_t>(s.framing.height);
    if (s.framing.width < 1 || s.framing.height < 1 || pixels * 8 > render::defaultMemoryLimit())
        fail(std::string(reader) + ": accepted a picture of " + std::to_string(s.framing.width) + "x" +
             std::to_string(s.framing.height));
    const std::string caption = render::captionOf(s.choice);
    const TextChunks written = render::metadataOf(s, caption);
    RenderSettings again;
    try {
        again = render::settingsFrom(written);
    } catch (const render::UsageError& e) {
        fail(std::string(reader) + ": the text written for accepted settings is refused: " + e.what());
    }
    if (render::metadataOf(again, caption) != written)
        fail(std::string(reader) + ": the text written for accepted settings reads back otherwise");
}

}  // namespace

void checkPictureText(std::string_view data)
{
    // Key=value lines, as a video's tag holds them; the keys the picture's own.
    const TextChunks text = render::chunksOfComment(std::string(data));
    if (const auto settings = settingsOf(text, "picture text"))
        checkSettingsReadBack(*settings, "picture text");
}

void checkVideoTag(std::string_view data)
{
    const TextChunks text = render::chunksOfComment(std::string(data));
    // The tag written again reads back the same once its values are one line each.
    const TextChunks once = render::chunksOfComment(render::commentText(text));
    if (render::chunksOfComment(render::commentText(once)) != once)
        fail("video tag: the tag written again reads back otherwise");
    std::optional<render::VideoSettings> video;
    try {
        video = render::videoSettingsFrom(text);
    } catch (const render::UsageError& e) {
        checkRefusal("video tag", e.what());
    }
    if (video) {
        if (video->frames() < 1 || video->frames() > 24 * 3600 * 240)
            fail("video tag: accepted " + std::to_string(video->frames()) + " frames");
        const TextChunks timing = {{"quillon:seconds", roundTripText(video->seconds)},
                                   {"quillon:fps", roundTripText(video->fps)},
                                   {"quillon:title", video->title ? "yes" : "no"}};
        const auto again = render::videoSettingsFrom(timing);
        if (!again || again->seconds != video->seconds || again->fps != video->fps || again->title != video->title)
            fail("video tag: the timing written reads back otherwise");
    }
    if (const auto settings = settingsOf(text, "video tag"))
        checkSettingsReadBack(*settings, "video tag");
}

void checkPngFile(std::string_view data)
{
    const std::string path = scratchFile(data, ".png");
    std::string error;
    const std::optional<render::PngInfo> info = render::readPngInfo(path, error);
    if (!info) {
        checkRefusal("PNG file", error);
        return;
    }
    if (const auto settings = settingsOf(info->text, "PNG file"))
        checkSettingsReadBack(*settings, "PNG file");
    render::Image image;
    try {
        image = render::readPng(path);
    } catch (const std::runtime_error& e) {
        checkRefusal("PNG file", e.what());
        return;
    }
    if (image.width != info->width || image.height != info->height)
        fail("PNG file: the header says " + std::to_string(info->width) + "x" + std::to_string(info->height) +
             " and the picture is " + std::to_string(image.width) + "x" + std::to_string(image.height));
    if (image.samples.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3)
        fail("PNG file: the picture's samples do not fill it");
    // Written again, the picture reads back to the same samples.
    const std::string copy = scratchFile({}, "-copy.png");
    render::writePng(copy, image, {});
    const render::Image back = render::readPng(copy);
    if (back.depth != image.depth || back.samples != image.samples)
        fail("PNG file: the picture written again reads back otherwise");
}

}  // namespace quillon::fuzz
