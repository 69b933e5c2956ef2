// The checks the fuzz targets run on every input, shared with the ordinary
// test suite, which feeds them the corpus and the inputs that once failed.
// A check returns normally when the reader behaved: it accepted the input and
// what it made reads back the same, or it refused it with a message. Anything
// else throws CheckFailure, which no reader catches.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillon::fuzz {

struct CheckFailure {
    std::string what;
};

[[noreturn]] void fail(const std::string& what);

// Fails unless the refusal's message is there and takes one line.
void checkRefusal(const char* reader, const std::string& message);

// The input as words: parted by NUL bytes or newlines; at most `most` words.
std::vector<std::string> wordsOf(std::string_view data, size_t most);

// A file of this process holding the data, for readers that take a path; the
// same name every time, so that nothing piles up, and removed when the process
// exits.
std::string scratchFile(std::string_view data, const char* extension);

using CheckFn = void (*)(std::string_view data);

void checkCaption(std::string_view data);
void checkCaptionFile(std::string_view data);
void checkPictureText(std::string_view data);
void checkPngFile(std::string_view data);
void checkVideoTag(std::string_view data);
void checkCountsFile(std::string_view data);
void checkGradient(std::string_view data);
void checkCommandLine(std::string_view data);
void checkPromptNumber(std::string_view data);

// What the command line's words (as checkCommandLine parts them) come to: help,
// version, list, a refusal's message, or the plan's jobs.
// Through the same once-built option table as checkCommandLine.
std::string commandLineOutcome(std::string_view data);

}  // namespace quillon::fuzz
