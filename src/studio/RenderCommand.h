// The quillon-render command that makes the same file as an export: its
// arguments, and the line a shell takes.
#pragma once

#include <string>
#include <vector>

#include "render/engine/Render.h"

namespace quillon::studio {

// The arguments after the program's name; the picture goes to `output`.
// Options left at quillon-render's defaults are left out.
std::vector<std::string> renderArguments(const render::RenderSettings& settings, const std::string& output);

// The arguments quoted for a POSIX shell where they need it, after "quillon-render".
std::string commandLineText(const std::vector<std::string>& arguments);

}  // namespace quillon::studio
