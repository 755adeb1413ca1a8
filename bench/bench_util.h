// Helpers shared by the split benchmark and the slow-input hunt.
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace ztp::bench {

inline std::int64_t total(const std::vector<std::int32_t>& t) {
    std::int64_t s = 0;
    for (auto x : t) s += x;
    return s;
}

// Raises a cancel flag once `limit` of wall time has passed, unless the
// object is destroyed first; the destructor stops and joins the watchdog.
class CancelAfter {
public:
    explicit CancelAfter(std::chrono::duration<double> limit)
        : watchdog_([this, limit] {
              std::unique_lock<std::mutex> lock(m_);
              if (!cv_.wait_for(lock, limit, [this] { return finished_; })) cancel_ = true;
          }) {}

    ~CancelAfter() {
        {
            std::lock_guard<std::mutex> lock(m_);
            finished_ = true;
        }
        cv_.notify_one();
        watchdog_.join();
    }

    CancelAfter(const CancelAfter&) = delete;
    CancelAfter& operator=(const CancelAfter&) = delete;

    std::atomic<bool>* flag() { return &cancel_; }

private:
    std::atomic<bool> cancel_{false};
    std::mutex m_;
    std::condition_variable cv_;
    bool finished_ = false;
    std::thread watchdog_;  // last: starts once the members above exist
};

}  // namespace ztp::bench
