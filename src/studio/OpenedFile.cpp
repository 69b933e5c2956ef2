#include "studio/OpenedFile.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "render/cli/Options.h"
#include "render/engine/CountsRender.h"

namespace quillon::studio {

using namespace render;

namespace {

// What the studio opens, said when a file is none of it.
constexpr const char* kWhatOpens =
    "open a PNG picture or a video that QUILLON's programs made, a counts file (.exr) of "
    "quillon-render --save-counts, or a caption file such as ss_save.txt";

std::string quotedPath(const std::string& path) { return "\"" + path + "\""; }

// The first bytes of the file; empty when it cannot be read.
std::string headOf(const std::string& path, size_t size)
{
    std::ifstream in(path, std::ios::binary);
    std::string head(size, '\0');
    in.read(head.data(), static_cast<std::streamsize>(size));
    head.resize(static_cast<size_t>(std::max<std::streamsize>(0, in.gcount())));
    return head;
}

RenderSettings settingsOf(const TextChunks& text, const std::string& path, const char* what)
{
    try {
        return settingsFrom(text);
    } catch (const UsageError& e) {
        throw UsageError(quotedPath(path) + " is " + what + " that QUILLON's programs did not make, or its text is "
                         "damaged (" + e.what() + "); " + kWhatOpens);
    }
}

}  // namespace

FileKind kindOfFile(const std::string& path)
{
    const std::string head = headOf(path, 12);
    const auto starts = [&](const char* bytes, size_t size, size_t at = 0) {
        return head.size() >= at + size && std::memcmp(head.data() + at, bytes, size) == 0;
    };
    if (starts("\x89PNG\r\n\x1a\n", 8))
        return FileKind::Picture;
    if (starts("\x76\x2f\x31\x01", 4))  // OpenEXR
        return FileKind::Counts;
    if (starts("ftyp", 4, 4) || starts("\x1a\x45\xdf\xa3", 4))  // MP4, WebM
        return FileKind::Video;
    return FileKind::Captions;
}

OpenedFile readOpenedFile(const std::string& path)
{
    if (!std::ifstream(path, std::ios::binary))
        throw UsageError("cannot read " + quotedPath(path) + ": it is missing, or not readable");
    OpenedFile opened;
    opened.kind = kindOfFile(path);
    switch (opened.kind) {
    case FileKind::Picture:
        opened.settings = settingsOf(replayText(path), path, "a picture");
        break;
    case FileKind::Video: {
        const TextChunks text = replayText(path);
        opened.settings = settingsOf(text, path, "a video");
        opened.video = videoSettingsFrom(text);
        break;
    }
    case FileKind::Counts:
        opened.counts = std::make_shared<const StoredCounts>(readStoredCounts(path));
        opened.settings = opened.counts->settings;
        break;
    case FileKind::Captions: {
        std::ifstream in(path, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        // Text has no NUL bytes; a caption file is no larger than this.
        if (text.find('\0') != std::string::npos || text.size() > kMaxCaptionFileBytes)
            throw UsageError(quotedPath(path) + " is not a file QUILLON Studio opens: " + kWhatOpens);
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            std::string line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.find_first_not_of(" \t") != std::string::npos)
                opened.captions.push_back(line);
            start = end + 1;
        }
        if (opened.captions.empty())
            throw UsageError(quotedPath(path) + " holds no caption: " + kWhatOpens);
        break;
    }
    }
    return opened;
}

}  // namespace quillon::studio
