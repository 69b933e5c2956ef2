// A problem with what the renderer was asked to do: a bad name, number, file or
// size. Told in one line on stderr; the program then exits with status 2.
#pragma once

#include <stdexcept>
#include <string>

namespace quillon::render {

struct UsageError : std::runtime_error {
    explicit UsageError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace quillon::render
