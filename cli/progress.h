// Progress and Ctrl+C for a long search in ztp-plan.
#pragma once
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace ztp {

// While alive: Ctrl+C (SIGINT) sets cancelFlag() instead of ending the
// program (unless the program was started with it ignored), and if stderr is a terminal, a search running past half a second
// shows one line "searching... N.N s" on it, cleared when the search ends.
class SearchProgress {
public:
    SearchProgress();
    ~SearchProgress();
    SearchProgress(const SearchProgress&) = delete;
    SearchProgress& operator=(const SearchProgress&) = delete;

    const std::atomic<bool>* cancelFlag() const;
    // Stops the line (and clears it); the Ctrl+C handling stays until destruction.
    void finish();

private:
    void show();

    bool terminal_;
    std::mutex m_;
    std::condition_variable cv_;
    bool finished_ = false;
    bool shown_ = false;
    std::thread thread_;
    void (*previous_)(int) = nullptr;
};

}  // namespace ztp
