// What File > Open (and a drop on the window) reads: a picture or a video
// the programs wrote, a counts file of quillon-render --save-counts, or a
// caption file. Each is read by the renderer's own reader, so the studio
// shows a file as quillon-render would make it again.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "render/engine/CountsRender.h"
#include "render/engine/Render.h"
#include "render/video/Video.h"

namespace quillon::studio {

enum class FileKind { Picture, Video, Counts, Captions };

struct OpenedFile {
    FileKind kind = FileKind::Captions;
    render::RenderSettings settings;          // a picture's, a video's, the counts'
    std::optional<render::VideoSettings> video;  // a video's length, rate and motion
    std::vector<std::string> captions;        // a caption file's, in order
    std::shared_ptr<const render::StoredCounts> counts;  // a counts file's, to be shown as they are
};

// What the file's first bytes say it is; a file of none of the binary kinds
// is taken for a caption file.
FileKind kindOfFile(const std::string& path);

// Reads the file. Throws UsageError of a line or two naming the file and what
// to do: a file that cannot be read, a picture, video or counts file not of
// QUILLON's programs (or damaged), a file of no kind the studio opens, a
// caption file without a caption.
OpenedFile readOpenedFile(const std::string& path);

}  // namespace quillon::studio
