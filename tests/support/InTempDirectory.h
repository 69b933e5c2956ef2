// A test that runs in a directory of its own, where the program writes its
// number files and its caption file; the directory goes when the test ends.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace quillon::testing {

// A file's bytes (empty when it cannot be read), and bytes written as a file.
inline std::string bytesOf(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

inline void saveBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class InTempDirectory {
public:
    InTempDirectory()
        : previous_(std::filesystem::current_path()),
          dir_(std::filesystem::temp_directory_path() /
               ("quillon-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++)))
    {
        std::filesystem::create_directories(dir_);
        std::filesystem::current_path(dir_);
    }
    ~InTempDirectory()
    {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(dir_);
    }
    InTempDirectory(const InTempDirectory&) = delete;
    InTempDirectory& operator=(const InTempDirectory&) = delete;

    std::string read(const char* name) const { return bytesOf(dir_ / name); }
    bool exists(const char* name) const { return std::filesystem::exists(dir_ / name); }

private:
    static inline int counter_ = 0;
    std::filesystem::path previous_, dir_;
};

}  // namespace quillon::testing
