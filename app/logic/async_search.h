// A side split search on a worker thread over a copy of the track times.
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "split_search.h"

namespace ztp {

class AsyncSearch {
public:
    AsyncSearch(std::vector<std::int32_t> times, std::int64_t target, Engine engine);
    ~AsyncSearch();  // cancels and joins
    AsyncSearch(const AsyncSearch&) = delete;
    AsyncSearch& operator=(const AsyncSearch&) = delete;

    void start();
    // Asks the search to stop; it ends soon after without a result.
    void cancel();
    bool done() const;
    // Waits until done or the timeout passes; true when done.
    bool waitFor(std::chrono::milliseconds timeout);
    void wait();
    // Runs f once the search is done, on the worker thread, or at once on
    // the caller's thread if it is done already (e.g. to post a message).
    void whenDone(std::function<void()> f);
    // Time since start.
    std::chrono::milliseconds elapsed() const;

    // After done(): whether the search ran to its end, and its result.
    // result() rethrows what the search threw other than a cancel.
    bool completed() const;
    const SearchResult& result() const;

private:
    void run();

    std::vector<std::int32_t> times_;
    std::int64_t target_;
    Engine engine_;
    std::atomic<bool> cancel_{false};
    std::chrono::steady_clock::time_point started_{};
    mutable std::mutex m_;
    std::condition_variable cv_;
    bool done_ = false;
    bool completed_ = false;
    std::exception_ptr error_;
    SearchResult result_;
    std::function<void()> onDone_;
    std::thread worker_;
};

}  // namespace ztp
