#include "FuzzCheck.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

namespace quillon::fuzz {

void fail(const std::string& what) { throw CheckFailure{what}; }

void checkRefusal(const char* reader, const std::string& message)
{
    if (message.empty())
        fail(std::string(reader) + ": refused without a message");
    if (message.find('\n') != std::string::npos)
        fail(std::string(reader) + ": refused in more than one line: " + message);
}

std::vector<std::string> wordsOf(std::string_view data, size_t most)
{
    std::vector<std::string> words;
    size_t start = 0;
    while (start <= data.size() && words.size() < most) {
        size_t end = data.find_first_of(std::string_view("\0\n", 2), start);
        if (end == std::string_view::npos)
            end = data.size();
        words.emplace_back(data.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

namespace {

// The scratch files made so far, removed at exit: a fuzzer makes one or two,
// and a run that ends normally leaves none behind.
struct ScratchFiles {
    std::set<std::string> paths;
    ~ScratchFiles()
    {
        for (const std::string& path : paths)
            std::remove(path.c_str());
    }
};

}  // namespace

std::string scratchFile(std::string_view data, const char* extension)
{
    static ScratchFiles made;
    // In memory when the machine has a tmpfs: on a disk, ext4 starts writing a
    // file out when it is closed after being cut short, at every input.
    static const std::filesystem::path folder = [] {
        if (::access("/dev/shm", W_OK | X_OK) == 0 && std::filesystem::is_directory("/dev/shm"))
            return std::filesystem::path("/dev/shm");
        return std::filesystem::temp_directory_path();
    }();
    const std::string path =
        (folder / ("quillon-fuzz-" + std::to_string(::getpid()) + extension)).string();
    made.paths.insert(path);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out)
        fail("cannot write the scratch file " + path);
    return path;
}

}  // namespace quillon::fuzz
