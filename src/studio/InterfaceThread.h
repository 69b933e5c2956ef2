// The window's work off the interface thread, and back on it.
#pragma once

#include <QMetaObject>
#include <QObject>

#include <algorithm>
#include <memory>
#include <thread>

namespace quillon::studio {

inline int coreCount() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

// Runs on the interface thread later, unless the window has gone.
template <typename F>
void later(QObject* window, const std::shared_ptr<bool>& alive, F f)
{
    std::weak_ptr<bool> token = alive;
    QMetaObject::invokeMethod(
        window,
        [token, f = std::move(f)]() mutable {
            if (token.lock())
                f();
        },
        Qt::QueuedConnection);
}

}  // namespace quillon::studio
