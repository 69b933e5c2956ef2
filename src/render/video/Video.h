// A figure growing as a video file: the classic picture as the window draws
// it, or the density picture building up, a frame at a time, encoded by the
// ffmpeg program (H.264 in MP4, or VP9 in WebM for a name ending in .webm).
// The video keeps what a picture keeps, and its seconds, rate and title, in
// its comment tag, so that it can be replayed.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "render/image/PngFile.h"
#include "render/engine/Render.h"
#include "render/video/Motion.h"

namespace quillon::render {

struct VideoSettings {
    double seconds = 20;
    double fps = 30;
    bool title = false;  // the caption burnt in at the bottom
    // A video that moves: every frame a whole picture of its own view and
    // parameters, where a growing video shows one picture building up.
    Motion motion;

    // round(seconds * fps)
    uint64_t frames() const;
};

// A video's sides: H.264's largest level goes to 8192.
inline constexpr int kMaxVideoSide = 8192;

// The font of --title, from Debian's fonts-dejavu-core.
inline constexpr const char* kTitleFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// A video's length and rate: above 0, at most a day and 240 frames a second,
// and at least one frame. Throws SettingError ("seconds", "fps").
void checkTiming(const VideoSettings& video);

// Checks what a video needs beyond a picture: a name ending in .mp4 or .webm,
// even sides of at most kMaxVideoSide, 8-bit, ffmpeg on the PATH, the title's
// font. Throws UsageError.
void checkVideo(const RenderSettings& settings, const VideoSettings& video, const std::string& path);

// What a video keeps: metadataOf and its seconds, rate, title and motion.
TextChunks videoMetadata(const RenderSettings& settings, const VideoSettings& video, const std::string& caption);
// The video settings kept in the text; nothing when it is a picture's.
std::optional<VideoSettings> videoSettingsFrom(const TextChunks& text);

// The text a video's comment tag holds: a key=value line a chunk. And back.
std::string commentText(const TextChunks& text);
TextChunks chunksOfComment(const std::string& comment);

// The text to replay from: a PNG's text chunks, or a video's comment tag
// (read with ffprobe). Throws UsageError.
TextChunks replayText(const std::string& path);

// ffmpeg's arguments for the video: raw RGB frames of the settings' size on
// its standard input, encoded into outputPath.
std::vector<std::string> ffmpegArguments(const RenderSettings& settings, const VideoSettings& video,
                                         const std::string& caption, const std::string& outputPath,
                                         const std::string& format);

// The frames of a video that moves, each a whole picture of its own view and
// parameters, told in order as 8-bit RGB; the last frame's lit pixels. A
// density frame's tone is scaled by the geometric mean of the scales of the
// frames within a quarter of a second of it (fewer near the ends, none at the
// first and the last frame), so that its light changes only as the figure
// does.
uint64_t movingFrames(const RenderSettings& settings, const VideoSettings& video,
                      const std::function<void(const std::vector<uint8_t>& rgb)>& onFrame);

// The frames of any video in order, as 8-bit RGB: a moving one's, or the
// figure growing, frame k showing the first k + 1 shares of the points (a
// density video's tone steady as a moving one's where motion.steadyTone
// says so); the last frame's lit pixels.
uint64_t videoFrames(const RenderSettings& settings, const VideoSettings& video,
                     const std::function<void(const std::vector<uint8_t>& rgb)>& onFrame);

// Draws the video into path (through a temporary file, renamed when ffmpeg
// has finished it), telling framesDone the frames sent so far. The
// result's picture is left empty; its lit pixels are the last frame's.
// Throws UsageError for bad settings and std::runtime_error when ffmpeg fails.
RenderResult makeVideo(const RenderSettings& settings, const VideoSettings& video, const std::string& path,
                       const ProgressFn& framesDone = {});

}  // namespace quillon::render
