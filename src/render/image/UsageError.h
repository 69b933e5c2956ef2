// A problem with what the renderer was asked to do: a bad name, number, file or
// size. Told in one line on stderr; the program then exits with status 2.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace quillon::render {

struct UsageError : std::runtime_error {
    explicit UsageError(const std::string& what) : std::runtime_error(what) {}
};

// A setting of a request that cannot be: the setting by its name in the
// request ("tone", "supersampling", "frame") and what is wrong, in words that
// follow that name. Whoever took the setting from somewhere (an option, a
// picture's text) tells it in those terms.
struct SettingError : UsageError {
    SettingError(std::string setting, std::string problem)
        : UsageError(setting + " " + problem), setting(std::move(setting)), problem(std::move(problem))
    {
    }
    std::string setting;
    std::string problem;
};

// Text as a one-line message shows it: control characters as '?'.
inline std::string oneLine(std::string text)
{
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return text;
}

// A piece of what was typed or read, as a message quotes it: in quotes, on one
// line and at most `most` bytes.
inline std::string quotedText(std::string_view text, size_t most)
{
    const bool cut = text.size() > most;
    return "\"" + oneLine(std::string(text.substr(0, most))) + (cut ? "...\"" : "\"");
}

}  // namespace quillon::render
