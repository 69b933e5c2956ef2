#include "render/image/OutputFile.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <utility>

namespace quillon::render {
namespace {

// The signal handler may use nothing that allocates or locks, so the pending
// temporary files are kept in a fixed table of plain buffers, each marked
// pending only once its path is complete.
constexpr int kSlots = 32;
constexpr size_t kPathBytes = 4096;

struct PendingSlot {
    std::atomic<bool> pending{false};
    char path[kPathBytes];
};

PendingSlot pendingSlots[kSlots];
std::mutex slotsMutex;

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

void onSignal(int signal)
{
    OutputFile::removePending();
    // The signal is blocked while its handler runs; raised again with the
    // default action, it ends the program as soon as the handler returns.
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    raise(signal);
}

sigset_t handledSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kSignals)
        sigaddset(&set, signal);
    return set;
}

void installHandlers()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (const int signal : kSignals) {
            struct sigaction previous {};
            sigaction(signal, nullptr, &previous);
            // An ignored signal (nohup) stays ignored; a program's own handler stays its own.
            if ((previous.sa_flags & SA_SIGINFO) || previous.sa_handler != SIG_DFL)
                continue;
            struct sigaction action {};
            action.sa_handler = onSignal;
            action.sa_mask = handledSignals();
            sigaction(signal, &action, nullptr);
        }
    });
}

// Holds off the handled signals while a temporary file is made and entered in
// the table, so that none can exist unrecorded.
class SignalsHeld {
public:
    SignalsHeld()
    {
        const sigset_t set = handledSignals();
        pthread_sigmask(SIG_BLOCK, &set, &previous_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t previous_;
};

int claimSlot(const std::string& path)
{
    if (path.size() >= kPathBytes)
        return -1;
    std::lock_guard lock(slotsMutex);
    for (int i = 0; i < kSlots; ++i) {
        PendingSlot& slot = pendingSlots[i];
        if (!slot.pending.load()) {
            std::memcpy(slot.path, path.c_str(), path.size() + 1);
            slot.pending.store(true, std::memory_order_release);
            return i;
        }
    }
    return -1;
}

void releaseSlot(int slot)
{
    if (slot >= 0)
        pendingSlots[slot].pending.store(false, std::memory_order_release);
}

// mkstemp makes the file readable by its owner only; a picture gets the mode
// any new file of the user gets.
mode_t fileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string reason() { return std::strerror(errno); }

}  // namespace

OutputFile::OutputFile(std::string finalPath) : finalPath_(std::move(finalPath))
{
    const std::filesystem::path final(finalPath_);
    const std::string folder = final.has_parent_path() ? final.parent_path().string() : ".";
    if (!final.has_filename())
        throw std::runtime_error(finalPath_ + ": names a folder, not a file");
    installHandlers();

    std::error_code absoluteError;
    const auto absoluteFolder = std::filesystem::absolute(folder, absoluteError);
    std::string name =
        (absoluteFolder / ("." + final.filename().string() + ".partial-XXXXXX")).string();
    SignalsHeld held;
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        throw std::runtime_error("cannot write in " + folder + ": " + reason());
    ::fchmod(fd, fileMode());
    ::close(fd);
    slot_ = claimSlot(name);
    if (slot_ < 0) {
        ::unlink(name.c_str());
        throw std::runtime_error(finalPath_ + ": too many output files pending at once");
    }
    tempPath_ = std::move(name);
}

OutputFile::~OutputFile()
{
    if (!committed_)
        ::unlink(tempPath_.c_str());
    releaseSlot(slot_);
}

void OutputFile::commit()
{
    if (committed_)
        throw std::logic_error(finalPath_ + ": committed twice");
    const std::string names = tempPath_ + " to " + finalPath_;
    // Written data first, then the new name: after a crash the final name
    // holds the old file or the whole new one.
    const int fd = ::open(tempPath_.c_str(), O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0) {
        const std::string why = reason();
        if (fd >= 0)
            ::close(fd);
        throw std::runtime_error("cannot save " + names + ": " + why);
    }
    ::close(fd);
    if (::rename(tempPath_.c_str(), finalPath_.c_str()) != 0)
        throw std::runtime_error("cannot rename " + names + ": " + reason());
    committed_ = true;
    releaseSlot(slot_);
    slot_ = -1;
}

void OutputFile::removePending()
{
    for (PendingSlot& slot : pendingSlots)
        if (slot.pending.load(std::memory_order_acquire))
            ::unlink(slot.path);
}

}  // namespace quillon::render
