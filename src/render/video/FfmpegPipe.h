// The ffmpeg program as the renderer's video encoder: a child process whose
// standard input is a pipe the frames are written to, its messages kept aside
// so that a failure can say what ffmpeg said. The FFmpeg libraries are not
// linked: the program is one package away on any Debian system.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillon::render {

class FfmpegPipe {
public:
    // Starts program (looked up on the PATH) with the arguments. Throws
    // std::runtime_error when it cannot be started. A write to the pipe after
    // ffmpeg has gone fails with EPIPE instead of killing this program: from
    // here on SIGPIPE is ignored.
    explicit FfmpegPipe(const std::vector<std::string>& arguments, const std::string& program = "ffmpeg");
    // Stops a program that was not finished, and waits for it.
    ~FfmpegPipe();
    FfmpegPipe(const FfmpegPipe&) = delete;
    FfmpegPipe& operator=(const FfmpegPipe&) = delete;

    // Writes all the bytes. Throws std::runtime_error with the last lines
    // ffmpeg wrote when it stopped reading (it failed, or the disk is full).
    void write(const uint8_t* data, size_t size);
    // Ends the input and waits for the program to end. Throws
    // std::runtime_error with its last lines when it did not succeed.
    void finish();

    // Whether program is an executable file in a folder of the PATH.
    static bool onPath(const std::string& program);

private:
    [[noreturn]] void fail(const std::string& what);
    std::string lastLines() const;

    std::string program_;
    pid_t pid_ = -1;
    int input_ = -1;     // the pipe's end we write to
    int messages_ = -1;  // an anonymous file holding the program's stderr
};

// The text of a video's comment tag (empty when it has none), as ffprobe reads
// it. Throws std::runtime_error with ffprobe's message when ffprobe cannot read
// the file as a video.
std::string videoComment(const std::string& path);

}  // namespace quillon::render
