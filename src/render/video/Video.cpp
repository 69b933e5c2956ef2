#include "render/video/Video.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <functional>
#include <filesystem>
#include <fstream>
#include <map>

#include "app/PictureText.h"
#include "render/look/Colourise.h"
#include "render/video/FfmpegPipe.h"
#include "render/image/OutputFile.h"
#include "render/look/Palette.h"
#include "render/look/Tone.h"
#include "render/image/UsageError.h"

namespace quillon::render {
namespace {

constexpr double kMaxFps = 240;
constexpr double kMaxSeconds = 24 * 3600;
// The encoders' threads are fixed, so that the file is the same on any machine.
constexpr const char* kEncoderThreads = "4";

std::string key(const char* name) { return std::string(kPictureKeyPrefix) + name; }

std::string lowerExtension(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

bool isWebm(const std::string& path) { return lowerExtension(path) == ".webm"; }

// Backslashes before each of the characters: ffmpeg's filter options and
// its filter graphs each take away one level.
std::string escaped(const std::string& text, const char* reserved)
{
    std::string out;
    for (const char c : text) {
        if (std::strchr(reserved, c))
            out += '\\';
        out += c;
    }
    return out;
}

std::string filterValue(const std::string& text) { return escaped(escaped(text, "\\':"), "\\'[],;"); }

// The caption in white on a dimmed band at the bottom, as large as fits.
std::string titleFilter(const std::string& caption, int width, int height)
{
    // DejaVu Sans averages a little under 0.6 of its size a character.
    const double fits = 0.92 * width / (0.58 * std::max<size_t>(caption.size(), 1));
    const int size = std::max(8, static_cast<int>(std::min(height / 20.0, fits)));
    return "drawtext=fontfile=" + filterValue(kTitleFont) + ":text=" + filterValue(caption) +
           ":expansion=none:fontcolor=white:fontsize=" + std::to_string(size) +
           ":x=(w-text_w)/2:y=h-text_h-" + std::to_string(size / 2) +
           ":box=1:boxcolor=black@0.6:boxborderw=" + std::to_string(std::max(2, size / 4));
}

void toRgb(const ClassicPicture& picture, std::vector<uint8_t>& rgb)
{
    for (size_t k = 0; k < picture.pixels.size(); ++k) {
        rgb[3 * k] = static_cast<uint8_t>(picture.pixels[k] >> 16);
        rgb[3 * k + 1] = static_cast<uint8_t>(picture.pixels[k] >> 8);
        rgb[3 * k + 2] = static_cast<uint8_t>(picture.pixels[k]);
    }
}

}  // namespace

namespace {

// Density frames toned on a scale smoothed over the frames around each, so
// that the brightness changes only as the figure does: the largest count and
// the hits a pixel has on average, each smoothed as smoothedAt says (the first
// and last frames keep their own). The frames
// ahead are counted before a frame is toned. The lit pixels of the last frame.
uint64_t steadyFrames(const RenderSettings& s, uint64_t frames, uint64_t radius,
                      const std::function<CountGrids(uint64_t frame)>& countFrame,
                      const std::function<void(const std::vector<uint8_t>& rgb)>& onFrame)
{
    std::vector<uint8_t> rgb(static_cast<size_t>(s.framing.width) * s.framing.height * 3);
    const Palette palette = paletteOf(s);
    Look look = lookOf(s, palette);
    look.depth = 8;
    std::deque<CountGrids> ahead;
    std::vector<double> largest, perPixel;
    uint64_t next = 0, lit = 0;
    for (uint64_t k = 0; k < frames; ++k) {
        for (; next < frames && next <= k + radius; ++next) {
            ahead.push_back(countFrame(next));
            const ToneScale scale = toneScaleOf(ahead.back().counts.data(), ahead.back().counts.size());
            largest.push_back(scale.largest);
            perPixel.push_back(scale.perPixel);
        }
        const size_t r = std::min<size_t>({radius, k, frames - 1 - k});
        look.scale.reset();
        if (r > 0)
            look.scale = ToneScale{smoothedAt(largest, k, r), smoothedAt(perPixel, k, r)};
        const CountGrids& grids = ahead.front();
        const Image image = colourise(grids.view(), s.framing.width, s.framing.height, s.supersampling, look);
        std::copy(image.samples.begin(), image.samples.end(), rgb.begin());
        onFrame(rgb);
        lit = static_cast<uint64_t>(
            std::count_if(grids.counts.begin(), grids.counts.end(), [](uint32_t c) { return c != 0; }));
        ahead.pop_front();
    }
    return lit;
}

uint64_t smoothingRadius(const VideoSettings& v)
{
    return std::max<uint64_t>(1, static_cast<uint64_t>(std::llround(v.fps / 4)));
}

}  // namespace

uint64_t movingFrames(const RenderSettings& s, const VideoSettings& v,
                      const std::function<void(const std::vector<uint8_t>& rgb)>& onFrame)
{
    const uint64_t frames = v.frames();
    const uint64_t radius = smoothingRadius(v);
    const std::vector<View> fitted =
        v.motion.fitFrames ? fittedViews(s, v.motion, frames, radius) : std::vector<View>{};
    if (s.style == Style::Classic) {
        std::vector<uint8_t> rgb(static_cast<size_t>(s.framing.width) * s.framing.height * 3);
        uint64_t lit = 0;
        for (uint64_t k = 0; k < frames; ++k) {
            const ClassicRequest request = classicRequest(frameSettings(s, v.motion, k, frames, fitted));
            const ClassicPicture picture = drawClassic(request);
            toRgb(picture, rgb);
            onFrame(rgb);
            lit = static_cast<uint64_t>(std::count_if(picture.pixels.begin(), picture.pixels.end(),
                                                      [&](Rgb p) { return p != request.background; }));
        }
        return lit;
    }
    // The speeds' range of the first frame's orbit holds for all of them.
    RenderSettings first = frameSettings(s, v.motion, 0, frames, fitted);
    resolveColourRange(first);
    return steadyFrames(
        s, frames, radius,
        [&](uint64_t k) {
            RenderSettings f = frameSettings(s, v.motion, k, frames, fitted);
            f.colourRange = first.colourRange;
            DensityCounter counter(countRequest(f));
            counter.countTo(f.points);
            return counter.takeGrids();
        },
        onFrame);
}

uint64_t VideoSettings::frames() const
{
    return static_cast<uint64_t>(std::llround(seconds * fps));
}

void checkTiming(const VideoSettings& v)
{
    if (!(v.seconds > 0) || v.seconds > kMaxSeconds)
        throw SettingError("seconds", roundTripText(v.seconds) + " is not above 0 and at most 86400");
    if (!(v.fps > 0) || v.fps > kMaxFps)
        throw SettingError("fps", roundTripText(v.fps) + " is not above 0 and at most 240");
    if (v.frames() == 0)
        throw SettingError("seconds", roundTripText(v.seconds) + " at " + roundTripText(v.fps) +
                                          " frames a second is not one frame");
}

void checkVideo(const RenderSettings& s, const VideoSettings& v, const std::string& path)
{
    const std::string extension = lowerExtension(path);
    if (extension != ".mp4" && extension != ".webm")
        throw SettingError("video", "\"" + path + "\": a video's name ends in .mp4 (H.264) or .webm (VP9)");
    checkTiming(v);
    const int w = s.framing.width, h = s.framing.height;
    if (w > kMaxVideoSide || h > kMaxVideoSide)
        throw UsageError("a video of " + sizeText(w, h) + " is larger than " + std::to_string(kMaxVideoSide) +
                         " on a side");
    // The colour is kept at half the size each way, so both sides must halve.
    if (w % 2 != 0 || h % 2 != 0)
        throw SettingError("size", sizeText(w, h) + " is odd: a video's width and height must be even (" +
                                       sizeText(w + w % 2, h + h % 2) + " would do)");
    if (s.depth != 8)
        throw SettingError("depth", std::to_string(s.depth) + " is for pictures: a video is 8-bit");
    if (v.title && !std::filesystem::exists(kTitleFont))
        throw SettingError("title", std::string("needs the font ") + kTitleFont +
                                        ": install the Debian package fonts-dejavu-core");
    checkMotion(s, v.motion);
    if (!FfmpegPipe::onPath("ffmpeg"))
        throw UsageError("a video needs the ffmpeg program, which is not on the PATH: "
                         "install the Debian package ffmpeg (sudo apt-get install ffmpeg)");
}

TextChunks videoMetadata(const RenderSettings& s, const VideoSettings& v, const std::string& caption)
{
    TextChunks text = metadataOf(s, caption);
    text.emplace_back(key("seconds"), roundTripText(v.seconds));
    text.emplace_back(key("fps"), roundTripText(v.fps));
    text.emplace_back(key("title"), v.title ? "yes" : "no");
    addMotionText(text, v.motion);
    return text;
}

std::optional<VideoSettings> videoSettingsFrom(const TextChunks& text)
{
    std::map<std::string, std::string> found(text.begin(), text.end());
    if (!found.count(key("fps")))
        return std::nullopt;
    VideoSettings v;
    const auto number = [&](const char* name) {
        const auto value = numberFrom(found[key(name)]);
        if (!value)
            throw UsageError(std::string("the video's quillon:") + name + " is not a number");
        return *value;
    };
    v.seconds = number("seconds");
    v.fps = number("fps");
    v.title = found[key("title")] == "yes";
    v.motion = motionFrom(text);
    try {
        checkTiming(v);
    } catch (const SettingError& e) {
        throw UsageError("the video's quillon:" + e.setting + " " + e.problem);
    }
    return v;
}

std::string commentText(const TextChunks& text)
{
    std::string comment;
    for (const auto& [name, value] : text) {
        std::string line = value;
        std::replace_if(line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
        comment += name + "=" + line + "\n";
    }
    return comment;
}

TextChunks chunksOfComment(const std::string& comment)
{
    TextChunks text;
    size_t start = 0;
    while (start < comment.size()) {
        size_t end = comment.find('\n', start);
        if (end == std::string::npos)
            end = comment.size();
        std::string line = comment.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (const size_t equals = line.find('='); equals != std::string::npos && equals > 0)
            text.emplace_back(line.substr(0, equals), line.substr(equals + 1));
        start = end + 1;
    }
    return text;
}

TextChunks replayText(const std::string& path)
{
    static const char kPngSignature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
    char head[8] = {};
    std::ifstream in(path, std::ios::binary);
    in.read(head, sizeof head);
    if (!in || std::memcmp(head, kPngSignature, sizeof head) == 0) {
        std::string error;
        const auto info = readPngInfo(path, error);
        if (!info)
            throw UsageError(error);
        return info->text;
    }
    if (!FfmpegPipe::onPath("ffprobe"))
        throw UsageError("\"" + path + "\" is not a PNG picture, and a video's text needs the ffprobe program, "
                         "which is not on the PATH: install the Debian package ffmpeg");
    try {
        return chunksOfComment(videoComment(path));
    } catch (const std::runtime_error& e) {
        throw UsageError("\"" + path + "\" is neither a PNG picture nor a video (" + e.what() + ")");
    }
}

std::vector<std::string> ffmpegArguments(const RenderSettings& s, const VideoSettings& v,
                                         const std::string& caption, const std::string& outputPath,
                                         const std::string& format)
{
    const int w = s.framing.width, h = s.framing.height;
    // Converted to BT.709 video levels and marked so, as players expect of video.
    std::string filters = "scale=out_color_matrix=bt709:out_range=tv,format=yuv420p";
    if (v.title)
        filters = titleFilter(caption, w, h) + "," + filters;
    std::vector<std::string> arguments = {
        "-hide_banner", "-nostats", "-loglevel", "error", "-y",
        "-f", "rawvideo", "-pix_fmt", "rgb24", "-s", sizeText(w, h), "-r", roundTripText(v.fps), "-i", "-",
        "-vf", filters,
        "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv",
    };
    const std::vector<std::string> codec =
        format == "webm"
            ? std::vector<std::string>{"-c:v", "libvpx-vp9", "-crf", "30", "-b:v", "0", "-deadline", "good",
                                       "-cpu-used", "4", "-row-mt", "1", "-threads", kEncoderThreads}
            : std::vector<std::string>{"-c:v", "libx264", "-preset", "medium", "-crf", "18", "-threads",
                                       kEncoderThreads, "-movflags", "+faststart"};
    arguments.insert(arguments.end(), codec.begin(), codec.end());
    // No version or clock in the file: the same settings give the same bytes.
    const std::vector<std::string> rest = {
        "-fflags", "+bitexact", "-flags:v", "+bitexact",
        "-metadata", "title=" + caption,
        "-metadata", "comment=" + commentText(videoMetadata(s, v, caption)),
        "-f", format, "file:" + outputPath,
    };
    arguments.insert(arguments.end(), rest.begin(), rest.end());
    return arguments;
}

uint64_t videoFrames(const RenderSettings& s, const VideoSettings& v,
                     const std::function<void(const std::vector<uint8_t>& rgb)>& onFrame)
{
    const uint64_t frames = v.frames();
    const bool classic = s.style == Style::Classic;
    std::vector<uint8_t> rgb(static_cast<size_t>(s.framing.width) * s.framing.height * 3);
    const auto send = [&] { onFrame(rgb); };
    uint64_t lit = 0;
    if (v.motion.moving()) {
        lit = movingFrames(s, v, onFrame);
    } else if (classic) {
        ClassicRequest request = classicRequest(s);
        request.frames = frames;
        request.onFrame = [&](const ClassicPicture& picture) {
            toRgb(picture, rgb);
            send();
        };
        const ClassicPicture last = drawClassic(request);
        lit = static_cast<uint64_t>(std::count_if(
            last.pixels.begin(), last.pixels.end(), [&](Rgb p) { return p != request.background; }));
    } else {
        // Frame k shows the first k / frames of the points: with the growing
        // plan, the picture counted on to that many; with the fixed plan of
        // 2.1, every frame counts orbits of its own onto the frames before.
        RenderSettings resolved = s;
        resolveColourRange(resolved);
        DensityCounter counter(countRequest(resolved));
        const auto countOn = [&](uint64_t k) {
            if (s.plan == kFixedPlan)
                counter.countFixedPlan(s.points, frames, k);
            else
                counter.countTo(shareOf(k + 1, s.points, frames));
        };
        if (v.motion.steadyTone) {
            // The frames ahead are kept as they stand while the counting goes on.
            lit = steadyFrames(s, frames, smoothingRadius(v),
                               [&](uint64_t k) {
                                   countOn(k);
                                   CountGrids frame(counter.grids().counts.size(), s.colour);
                                   frame.add(counter.grids());
                                   return frame;
                               },
                               onFrame);
        } else {
            // Videos made before the steady tone: each frame on its own scale.
            const Palette palette = paletteOf(s);
            Look look = lookOf(s, palette);
            look.depth = 8;
            for (uint64_t k = 0; k < frames; ++k) {
                countOn(k);
                const Image image =
                    colourise(counter.grids().view(), s.framing.width, s.framing.height, s.supersampling, look);
                std::copy(image.samples.begin(), image.samples.end(), rgb.begin());
                send();
            }
            const HitCounts& counts = counter.counts();
            lit = static_cast<uint64_t>(
                std::count_if(counts.begin(), counts.end(), [](uint32_t c) { return c != 0; }));
        }
    }
    return lit;
}

RenderResult makeVideo(const RenderSettings& s, const VideoSettings& v, const std::string& path,
                       const ProgressFn& framesDone)
{
    checkSettings(s);
    checkVideo(s, v, path);
    RenderResult result;
    result.caption = captionOf(s.choice);
    result.points = s.points;

    OutputFile file(path);
    FfmpegPipe ffmpeg(ffmpegArguments(s, v, result.caption, file.tempPath(), isWebm(path) ? "webm" : "mp4"));
    uint64_t sent = 0;
    result.litPixels = videoFrames(s, v, [&](const std::vector<uint8_t>& rgb) {
        ffmpeg.write(rgb.data(), rgb.size());
        if (framesDone)
            framesDone(++sent);
    });
    ffmpeg.finish();
    file.commit();
    return result;
}

}  // namespace quillon::render
