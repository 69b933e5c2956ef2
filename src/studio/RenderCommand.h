// The quillon-render command that makes the same file as an export: its
// arguments, the line a shell takes, and what quillon-render plans to do with
// them, which is what the export then does.
#pragma once

#include <string>
#include <vector>

#include "render/cli/Options.h"
#include "render/engine/Render.h"
#include "render/video/Video.h"

namespace quillon::studio {

// The arguments after the program's name; the picture goes to `output`.
// Options left at quillon-render's defaults are left out.
std::vector<std::string> renderArguments(const render::RenderSettings& settings, const std::string& output);

// The same for a video of the settings into `output` (.mp4 or .webm).
std::vector<std::string> videoArguments(const render::RenderSettings& settings, const render::VideoSettings& video,
                                        const std::string& output);

// The arguments quoted for a POSIX shell where they need it, after "quillon-render".
std::string commandLineText(const std::vector<std::string>& arguments);

// What quillon-render makes of the arguments: read by its own option table
// and rules, the files named checked. Throws UsageError (and CLI::ParseError
// as UsageError) naming the option at fault.
render::Plan planOfArguments(const std::vector<std::string>& arguments);

}  // namespace quillon::studio
