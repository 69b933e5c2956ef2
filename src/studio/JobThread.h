// A thread that runs jobs one at a time, in order, off the interface thread.
// A job posted as the latest wish drops those still waiting, so that only the
// newest of them is run. Jobs hand results back themselves (a queued call to
// the interface thread).
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace quillon::studio {

class JobThread {
public:
    JobThread();
    // Waits for the job under way; those waiting are dropped.
    ~JobThread();
    JobThread(const JobThread&) = delete;
    JobThread& operator=(const JobThread&) = delete;

    void post(std::function<void()> job, bool latestWish = true);

private:
    void loop();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> pending_;
    bool quit_ = false;
    std::thread thread_;
};

}  // namespace quillon::studio
