#include "progress.h"

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>

namespace ztp {
namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int) { interrupted.store(true); }

}  // namespace

SearchProgress::SearchProgress() : terminal_(isatty(STDERR_FILENO) == 1) {
    interrupted.store(false);
    previous_ = std::signal(SIGINT, onInterrupt);
    if (previous_ == SIG_IGN)
        std::signal(SIGINT, SIG_IGN);  // started with Ctrl+C ignored: keep it so
    if (terminal_) thread_ = std::thread([this] { show(); });
}

SearchProgress::~SearchProgress() {
    finish();
    std::signal(SIGINT, previous_ == SIG_ERR ? SIG_DFL : previous_);
}

const std::atomic<bool>* SearchProgress::cancelFlag() const { return &interrupted; }

void SearchProgress::finish() {
    {
        std::lock_guard<std::mutex> lock(m_);
        if (finished_) return;
        finished_ = true;
    }
    cv_.notify_all();
    if (thread_.joinable()) thread_.join();
    if (shown_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
}

void SearchProgress::show() {
    using clock = std::chrono::steady_clock;
    const auto start = clock::now();
    std::unique_lock<std::mutex> lock(m_);
    if (cv_.wait_for(lock, std::chrono::milliseconds(500), [this] { return finished_; })) return;
    do {
        const double secs = std::chrono::duration<double>(clock::now() - start).count();
        std::fprintf(stderr, "\rztp-plan: searching... %.1f s (Ctrl+C stops)", secs);
        std::fflush(stderr);
        shown_ = true;
    } while (!cv_.wait_for(lock, std::chrono::milliseconds(200), [this] { return finished_; }));
}

}  // namespace ztp
