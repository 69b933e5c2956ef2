// Captions and caption files: what is read names a figure and values whose
// caption, written again, reads back to itself.
#include <string>

#include "FuzzCheck.h"
#include "render/cli/Options.h"
#include "render/engine/FigureChoice.h"
#include "render/image/UsageError.h"

namespace quillon::fuzz {

using render::FigureChoice;

namespace {

void checkReadBack(const FigureChoice& choice, const char* reader)
{
    if (!choice.figure)
        fail(std::string(reader) + ": accepted without a figure");
    if (!choice.figure->isBifurcation() && choice.values.size() != choice.figure->parameters.size())
        fail(std::string(reader) + ": " + choice.figure->name + " read with " + std::to_string(choice.values.size()) +
             " values");
    const std::string written = render::captionOf(choice);
    FigureChoice again;
    try {
        again = render::parseCaption(written);
    } catch (const render::UsageError& e) {
        fail(std::string(reader) + ": the caption written, \"" + written + "\", is refused: " + e.what());
    }
    if (again.figure != choice.figure)
        fail(std::string(reader) + ": \"" + written + "\" reads back as " + again.figure->name);
    const std::string rewritten = render::captionOf(again);
    if (rewritten != written)
        fail(std::string(reader) + ": \"" + written + "\" reads back as \"" + rewritten + "\"");
}

}  // namespace

void checkCaption(std::string_view data)
{
    FigureChoice choice;
    try {
        choice = render::parseCaption(data);
    } catch (const render::UsageError& e) {
        checkRefusal("caption", e.what());
        return;
    }
    checkReadBack(choice, "caption");
}

void checkCaptionFile(std::string_view data)
{
    // The first byte says how the file is read: its last caption, --all, or --line N.
    if (data.empty())
        return;
    const auto how = static_cast<unsigned char>(data[0]);
    const bool all = how % 3 == 1;
    const int line = how % 3 == 2 ? how / 3 - 20 : 0;
    const std::string_view text = data.substr(1);
    std::vector<FigureChoice> choices;
    try {
        choices = render::captionsOf(text, "captions.txt", line, all);
    } catch (const render::UsageError& e) {
        checkRefusal("caption file", e.what());
        return;
    }
    if (choices.empty() || (!all && choices.size() != 1))
        fail("caption file: " + std::to_string(choices.size()) + " captions taken");
    for (const FigureChoice& choice : choices)
        checkReadBack(choice, "caption file");
}

}  // namespace quillon::fuzz
