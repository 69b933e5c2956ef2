// The studio's job thread: jobs run one at a time in the order posted, and a
// job posted as the latest wish drops those still waiting.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "studio/JobThread.h"

namespace quillon::studio {
namespace {

struct PostCase {
    const char* name;
    std::vector<std::pair<char, bool>> posts;  // a job's name, and whether it is the latest wish
    std::string ran;  // the jobs run, in order, while the first one held the thread
};

TEST(JobThread, RunsInOrderAndTheLatestWishDropsTheWaiting)
{
    const PostCase cases[] = {
        {"all queued", {{'a', false}, {'b', false}, {'c', false}}, "abc"},
        {"only the latest wish of those waiting", {{'a', true}, {'b', true}, {'c', true}}, "ac"},
        {"queued ones after the wish stay", {{'a', true}, {'b', true}, {'c', false}, {'d', false}}, "abcd"},
        {"a wish drops queued ones before it", {{'a', false}, {'b', false}, {'c', false}, {'d', true}}, "ad"},
    };
    for (const PostCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::mutex mutex;
        std::condition_variable changed;
        std::string ran;
        bool release = false;
        {
            JobThread thread;
            for (size_t k = 0; k < c.posts.size(); ++k) {
                const char name = c.posts[k].first;
                // The first job holds the thread until every other is posted.
                thread.post(
                    [&, name, first = k == 0] {
                        std::unique_lock<std::mutex> lock(mutex);
                        ran += name;
                        changed.notify_all();
                        if (first)
                            changed.wait(lock, [&] { return release; });
                    },
                    c.posts[k].second);
                if (k == 0) {
                    std::unique_lock<std::mutex> lock(mutex);
                    changed.wait(lock, [&] { return !ran.empty(); });
                }
            }
            {
                const std::lock_guard<std::mutex> lock(mutex);
                release = true;
            }
            changed.notify_all();
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [&] { return ran.size() == c.ran.size(); });
        }
        EXPECT_EQ(ran, c.ran);
    }
}

}  // namespace
}  // namespace quillon::studio
