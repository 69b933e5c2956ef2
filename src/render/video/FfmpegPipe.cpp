#include "render/video/FfmpegPipe.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace quillon::render {
namespace {

constexpr size_t kLinesTold = 6;  // of ffmpeg's messages, when it fails

std::string reason() { return std::strerror(errno); }

// An unnamed file for a child's messages: nothing to clean up, however we end.
int messageFile(const char* name)
{
    const int fd = ::memfd_create(name, MFD_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error(std::string("cannot keep the messages of ") + name + ": " + reason());
    return fd;
}

// Starts program with standard input and output from the given descriptors
// (-1: /dev/null) and stderr into messages. The child gets SIGPIPE back as
// the default, and no blocked signals.
pid_t spawn(const std::string& program, const std::vector<std::string>& arguments, int input, int output,
            int messages)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (input >= 0)
        posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (output >= 0)
        posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, messages, STDERR_FILENO);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int error = ::posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(error));
    return pid;
}

// A child started with one end of a pipe as its standard input (we write)
// or its standard output (we read); ours is the other end.
struct PipedChild {
    pid_t pid = -1;
    int ours = -1;
};

PipedChild spawnPiped(const std::string& program, const std::vector<std::string>& arguments, bool weWrite,
                      int messages)
{
    int ends[2];  // read, write
    if (::pipe2(ends, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot make a pipe for " + program + ": " + reason());
    const int theirs = weWrite ? ends[0] : ends[1];
    PipedChild child{.ours = weWrite ? ends[1] : ends[0]};
    try {
        child.pid = weWrite ? spawn(program, arguments, theirs, -1, messages)
                            : spawn(program, arguments, -1, theirs, messages);
    } catch (...) {
        ::close(ends[0]);
        ::close(ends[1]);
        throw;
    }
    ::close(theirs);
    return child;
}

int waitFor(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

bool succeeded(int status) { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }

// "exit status 1", "signal 25, File size limit exceeded"
std::string statusText(int status)
{
    if (WIFSIGNALED(status))
        return "signal " + std::to_string(WTERMSIG(status)) + ", " + ::strsignal(WTERMSIG(status));
    return "exit status " + std::to_string(WEXITSTATUS(status));
}

// The last non-empty lines of a message file, each after a line break.
std::string lastLinesOf(int fd, size_t count)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_size == 0)
        return "";
    std::string text(static_cast<size_t>(info.st_size), '\0');
    const ssize_t got = ::pread(fd, text.data(), text.size(), 0);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::string out;
    for (size_t k = lines.size() > count ? lines.size() - count : 0; k < lines.size(); ++k)
        out += "\n  " + lines[k];
    return out;
}

}  // namespace

FfmpegPipe::FfmpegPipe(const std::vector<std::string>& arguments, const std::string& program)
    : program_(program)
{
    std::signal(SIGPIPE, SIG_IGN);
    messages_ = messageFile(program.c_str());
    try {
        const PipedChild child = spawnPiped(program, arguments, true, messages_);
        pid_ = child.pid;
        input_ = child.ours;
    } catch (...) {
        ::close(messages_);
        throw;
    }
}

FfmpegPipe::~FfmpegPipe()
{
    if (input_ >= 0)
        ::close(input_);
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        waitFor(pid_);
    }
    ::close(messages_);
}

void FfmpegPipe::write(const uint8_t* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(input_, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EPIPE)
                fail("stopped reading the frames");
            throw std::runtime_error("cannot write to " + program_ + ": " + reason());
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
}

void FfmpegPipe::finish()
{
    ::close(input_);
    input_ = -1;
    const int status = waitFor(pid_);
    pid_ = -1;
    if (!succeeded(status))
        throw std::runtime_error(program_ + " failed (" + statusText(status) + ")" + lastLines());
}

void FfmpegPipe::fail(const std::string& what)
{
    ::close(input_);
    input_ = -1;
    const int status = waitFor(pid_);
    pid_ = -1;
    throw std::runtime_error(program_ + " " + what + " (" + statusText(status) + ")" + lastLines());
}

std::string FfmpegPipe::lastLines() const { return lastLinesOf(messages_, kLinesTold); }

bool FfmpegPipe::onPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    if (!path)
        return false;
    const std::string folders(path);
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        // An empty entry is the current folder.
        const std::string folder = end > start ? folders.substr(start, end - start) : ".";
        const std::string candidate = folder + "/" + program;
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

std::string videoComment(const std::string& path)
{
    const int messages = messageFile("ffprobe");
    PipedChild child;
    try {
        // "file:" keeps a name with a colon or a leading dash a file name.
        child = spawnPiped("ffprobe",
                           {"-v", "error", "-show_entries", "format_tags=comment", "-of",
                            "default=noprint_wrappers=1:nokey=1", "file:" + path},
                           false, messages);
    } catch (...) {
        ::close(messages);
        throw;
    }
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(child.ours, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        text.append(buffer, static_cast<size_t>(got));
    }
    ::close(child.ours);
    const int status = waitFor(child.pid);
    const std::string said = lastLinesOf(messages, 1);
    ::close(messages);
    if (!succeeded(status))
        throw std::runtime_error("ffprobe: " + (said.empty() ? statusText(status) : said.substr(3)));
    return text;
}

}  // namespace quillon::render
