#include "render/cli/Progress.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace quillon::render {
namespace {

constexpr double kPlainInterval = 5.0;  // seconds; a log needs no more
constexpr auto kBarInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 30;
// A rate over the first instants is mostly start-up; none is shown before this.
constexpr double kRateAfter = 0.5;

double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

Progress::Sink stderrSink()
{
    return {.write =
                [](std::string_view text) {
                    std::fwrite(text.data(), 1, text.size(), stderr);
                    std::fflush(stderr);
                },
            .terminal = ::isatty(STDERR_FILENO) == 1,
            .seconds = steadySeconds};
}

int percentOf(uint64_t done, uint64_t total)
{
    if (total == 0 || done >= total)
        return 100;
    return static_cast<int>(100.0L * done / total);
}

// The suffix of the progress lines: rate and time left, where known.
std::string estimates(std::string_view unit, double rate, double secondsLeft, const char* separator)
{
    std::string text;
    if (rate >= 0)
        text += separator + Progress::rateText(rate, unit);
    if (secondsLeft >= 0)
        text += separator + Progress::timeText(secondsLeft) + " left";
    return text;
}

}  // namespace

Progress::Progress(std::string what, uint64_t total, bool quiet, std::string unit)
    : what_(std::move(what)),
      unit_(std::move(unit)),
      total_(total),
      quiet_(quiet),
      sink_(stderrSink()),
      start_(sink_.seconds()),
      lastPrint_(start_)
{
    if (!quiet_)
        printer_ = std::thread([this] { printLoop(); });
}

Progress::Progress(std::string what, uint64_t total, std::string unit, Sink sink)
    : what_(std::move(what)),
      unit_(std::move(unit)),
      total_(total),
      quiet_(false),
      sink_(std::move(sink)),
      start_(sink_.seconds()),
      lastPrint_(start_)
{
}

Progress::~Progress()
{
    stopPrinting();
    if (!finished_ && barShown_)
        sink_.write("\n");
}

void Progress::printLoop()
{
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, kBarInterval, [this] { return stopping_; })) {
        lock.unlock();
        poll();
        lock.lock();
    }
}

void Progress::stopPrinting()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (printer_.joinable())
        printer_.join();
}

void Progress::poll()
{
    if (quiet_ || finished_)
        return;
    const double now = sink_.seconds();
    const double elapsed = now - start_;
    const uint64_t done = done_.load(std::memory_order_relaxed);
    const double rate = elapsed >= kRateAfter && done > 0 ? static_cast<double>(done) / elapsed : -1;
    const double secondsLeft = rate > 0 ? static_cast<double>(total_ - std::min(done, total_)) / rate : -1;
    if (sink_.terminal) {
        // Back to the start of the line, the new bar, and clear what a longer one left.
        sink_.write("\r" + barLine(what_, done, total_, unit_, rate, secondsLeft) + "\x1b[K");
        barShown_ = true;
    } else if (now - lastPrint_ >= kPlainInterval) {
        sink_.write(plainLine(what_, done, total_, unit_, rate, secondsLeft) + "\n");
        lastPrint_ = now;
    }
}

void Progress::finish()
{
    if (finished_)
        return;
    stopPrinting();
    finished_ = true;
    if (quiet_)
        return;
    const std::string line =
        closingLine(what_, done_.load(std::memory_order_relaxed), unit_, sink_.seconds() - start_);
    sink_.write(sink_.terminal ? "\r" + line + "\x1b[K\n" : line + "\n");
}

std::string Progress::rateText(double perSecond, std::string_view unit)
{
    static const char* const prefixes[] = {"", "k ", "M ", "G ", "T "};
    const auto digits = [](double value) {
        char text[32];
        std::snprintf(text, sizeof text, value < 9.995 ? "%.2f" : value < 99.95 ? "%.1f" : "%.0f", value);
        return std::string(text);
    };
    int prefix = 0;
    while (perSecond >= 999.5 && prefix < 4) {
        perSecond /= 1000;
        ++prefix;
    }
    return digits(perSecond) + " " + prefixes[prefix] + std::string(unit) + "/s";
}

std::string Progress::timeText(double seconds)
{
    const auto whole = static_cast<long long>(std::ceil(std::max(seconds, 0.0)));
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

std::string Progress::barLine(std::string_view what, uint64_t done, uint64_t total,
                              std::string_view unit, double rate, double secondsLeft)
{
    const int percent = percentOf(done, total);
    const int filled =
        total == 0 || done >= total ? kBarWidth : static_cast<int>(static_cast<long double>(kBarWidth) * done / total);
    char percentText[8];
    std::snprintf(percentText, sizeof percentText, "%3d%%", percent);
    return std::string(what) + " [" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') +
           "] " + percentText + estimates(unit, rate, secondsLeft, "  ");
}

std::string Progress::plainLine(std::string_view what, uint64_t done, uint64_t total,
                                std::string_view unit, double rate, double secondsLeft)
{
    return std::string(what) + ": " + std::to_string(percentOf(done, total)) + "% (" +
           std::to_string(done) + " of " + std::to_string(total) + " " + std::string(unit) +
           estimates(unit, rate, secondsLeft, ", ") + ")";
}

std::string Progress::closingLine(std::string_view what, uint64_t done, std::string_view unit,
                                  double seconds)
{
    std::string line = std::string(what) + ": " + std::to_string(done) + " " + std::string(unit) +
                       " in " + timeText(std::round(seconds));  // time taken: to the nearest
    if (seconds > 0 && done > 0)
        line += " (" + rateText(static_cast<double>(done) / seconds, unit) + ")";
    return line;
}

}  // namespace quillon::render
