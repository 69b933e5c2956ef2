// A result written under a temporary name beside its final one and renamed
// over it when complete, so that no reader ever sees a half-written file:
// a failure, an exception or an interrupting signal leaves the old file (or
// none) and no temporary.
#pragma once

#include <string>

namespace quillon::render {

class OutputFile {
public:
    // Creates ".<name>.partial-XXXXXX" in the final file's folder. Throws
    // std::runtime_error naming the folder when it is missing or not writable.
    // The first one installs handlers for SIGINT, SIGTERM and SIGHUP (where
    // those are neither ignored nor handled already) that remove every pending
    // temporary file and then end the program by the signal as before.
    explicit OutputFile(std::string finalPath);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& finalPath() const { return finalPath_; }
    // Where the result is to be written; the file exists, empty, from the start.
    const std::string& tempPath() const { return tempPath_; }

    // Makes the result durable and renames it over the final name. Throws
    // std::runtime_error naming both files; the temporary then goes with the
    // destructor.
    void commit();

    // Unlinks every pending temporary file; async-signal-safe, for a program
    // that handles these signals itself.
    static void removePending();

private:
    std::string finalPath_;
    std::string tempPath_;
    int slot_ = -1;  // in the table of pending files the signal handler walks
    bool committed_ = false;
};

}  // namespace quillon::render
