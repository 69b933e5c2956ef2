#include "studio/JobThread.h"

namespace quillon::studio {

JobThread::JobThread() : thread_([this] { loop(); }) {}

JobThread::~JobThread()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
        pending_.clear();
    }
    wake_.notify_all();
    thread_.join();
}

void JobThread::post(std::function<void()> job, bool latestWish)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (latestWish)
            pending_.clear();
        pending_.push_back(std::move(job));
    }
    wake_.notify_all();
}

void JobThread::loop()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || !pending_.empty(); });
            if (quit_)
                return;
            job = std::move(pending_.front());
            pending_.pop_front();
        }
        job();
    }
}

}  // namespace quillon::studio
