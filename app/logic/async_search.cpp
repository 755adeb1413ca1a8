#include "async_search.h"

namespace ztp {

AsyncSearch::AsyncSearch(std::vector<std::int32_t> times, std::int64_t target, Engine engine)
    : times_(std::move(times)), target_(target), engine_(engine) {}

AsyncSearch::~AsyncSearch() {
    cancel();
    if (worker_.joinable()) worker_.join();
}

void AsyncSearch::start() {
    started_ = std::chrono::steady_clock::now();
    worker_ = std::thread([this] { run(); });
}

void AsyncSearch::run() {
    SearchResult r;
    bool ok = false;
    std::exception_ptr error;
    try {
        SearchControl control;
        control.cancel = &cancel_;
        r = runSearch(engine_, times_, target_, control);
        ok = r.finished();
        if (!ok) r = SearchResult{};  // cancelled: no result
    } catch (...) {
        error = std::current_exception();
    }
    std::function<void()> f;
    {
        std::lock_guard<std::mutex> lock(m_);
        result_ = std::move(r);
        completed_ = ok;
        error_ = error;
        done_ = true;
        f = std::move(onDone_);
    }
    cv_.notify_all();
    if (f) f();
}

void AsyncSearch::cancel() { cancel_.store(true); }

bool AsyncSearch::done() const {
    std::lock_guard<std::mutex> lock(m_);
    return done_;
}

bool AsyncSearch::waitFor(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, timeout, [this] { return done_; });
}

void AsyncSearch::wait() {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [this] { return done_; });
}

void AsyncSearch::whenDone(std::function<void()> f) {
    {
        std::lock_guard<std::mutex> lock(m_);
        if (!done_) {
            onDone_ = std::move(f);
            return;
        }
    }
    if (f) f();
}

std::chrono::milliseconds AsyncSearch::elapsed() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 started_);
}

bool AsyncSearch::completed() const {
    std::lock_guard<std::mutex> lock(m_);
    return completed_;
}

const SearchResult& AsyncSearch::result() const {
    std::lock_guard<std::mutex> lock(m_);
    if (error_) std::rethrow_exception(error_);
    return result_;
}

}  // namespace ztp
