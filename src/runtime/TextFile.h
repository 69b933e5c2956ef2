// A sequential text file opened for appending, lines ended by CR LF. Every
// statement on it may fail (a missing directory, a full disk); a failure is
// reported to the caller and leaves the program running.
#pragma once

#include <cstdio>
#include <string>

namespace quillon {

class TextFile {
public:
    TextFile() = default;
    ~TextFile() { close(); }
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    bool openForAppend(const std::string& path);
    bool isOpen() const { return file_ != nullptr; }
    // Writes text without ending the line (numbers printed one after another).
    bool write(const std::string& text);
    bool writeLine(const std::string& text = std::string());
    // Flushes and closes; closing a file that is not open does nothing.
    bool close();
    // Why the last statement that failed did so, in the system's words.
    const std::string& lastError() const { return lastError_; }

private:
    bool failed();

    std::FILE* file_ = nullptr;
    std::string lastError_;
};

}  // namespace quillon
