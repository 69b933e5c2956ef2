// Progress of a long piece of work on stderr: a bar redrawn in place on a
// terminal, a plain line every five seconds in a log. Workers report what
// they did with advance(), an atomic add; a printing thread of its own looks
// at the count ten times a second, so the workers never wait on the output.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace quillon::render {

class Progress {
public:
    // Where the lines go. Tests give their own, with their own clock, and call
    // poll() themselves instead of a printing thread.
    struct Sink {
        std::function<void(std::string_view)> write;
        bool terminal = false;
        std::function<double()> seconds;  // any steady clock
    };

    // Prints to stderr, as a bar when it is a terminal; quiet prints nothing.
    Progress(std::string what, uint64_t total, bool quiet, std::string unit = "points");
    Progress(std::string what, uint64_t total, std::string unit, Sink sink);
    // Ends a bar's line without the closing summary (the work did not finish).
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Safe from any thread; meant for batches (thousands of units a call),
    // though a call per unit costs only the shared add.
    void advance(uint64_t done) { done_.fetch_add(done, std::memory_order_relaxed); }
    // The work done so far, for work that tells its running total.
    void reached(uint64_t done) { done_.store(done, std::memory_order_relaxed); }
    // Prints what is due now: a bar on a terminal, a plain line every 5 s.
    // The printing thread calls it; call it only on a Progress with a Sink.
    void poll();
    // Stops the printing and prints the closing line.
    void finish();

    // "83.2 M points/s": three significant digits and a k, M or G prefix.
    static std::string rateText(double perSecond, std::string_view unit);
    // "0:04", "59:59", "1:02:05": minutes and seconds, hours when needed,
    // rounded up so that "0:00" means done.
    static std::string timeText(double seconds);
    // rate and secondsLeft are negative while not yet known.
    static std::string barLine(std::string_view what, uint64_t done, uint64_t total,
                               std::string_view unit, double rate, double secondsLeft);
    static std::string plainLine(std::string_view what, uint64_t done, uint64_t total,
                                 std::string_view unit, double rate, double secondsLeft);
    static std::string closingLine(std::string_view what, uint64_t done, std::string_view unit,
                                   double seconds);

private:
    void printLoop();
    void stopPrinting();

    const std::string what_, unit_;
    const uint64_t total_;
    const bool quiet_;
    Sink sink_;
    const double start_;
    double lastPrint_;
    bool barShown_ = false;
    bool finished_ = false;
    std::atomic<uint64_t> done_{0};

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread printer_;
};

}  // namespace quillon::render
