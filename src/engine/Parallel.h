// Work spread over the machine's cores.
//
// ParallelFor runs task(0) ... task(count - 1), each exactly once, on up to `threads` threads: the
// calling thread and the workers of a pool kept for the program's life (one pool per thread count, its
// threads made once and reused). It returns when every task has ended; an exception a task throws is
// thrown again on the calling thread (the first one, when several throw).
//
// Determinism: the caller decides what a task is. A task must write only its own results (its own slots,
// its own partial sum), and its boundaries must not depend on the thread count: then 1, 2 or 64 threads
// give the same bits, and partial sums, combined by the caller in task order, too.
//
// A ParallelFor from inside a task, or while another thread uses the same pool, runs its tasks one after
// the other on the calling thread: nesting cannot deadlock, and the result is the same.
#pragma once

#include "model/Host.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace vitrimo {

// The most threads a calculation may use (the command line's --threads refuses more).
inline constexpr int kMaxThreads = 256;

// The number of threads a calculation uses unless told otherwise: every core the system reports.
int DefaultThreadCount();

// Whether a thread count can be used: 1 ... kMaxThreads.
bool ValidThreadCount(int threads);

void ParallelFor(int threads, int count, const std::function<void(int)>& task);

// The threads a ParallelFor called here with `threads` would use at most: 1 inside a task. For sizing
// per-thread work arrays.
int ParallelThreads(int threads);

// Whether parallel tasks should go on, from a Host that need not be thread-safe: any task may ask, but
// the host's KeepGoing() and ReportProgress() are called one at a time, under a lock. Once the host has
// said stop, the answer stays no without asking again.
class StopSignal {
public:
    explicit StopSignal(Host& host) : host_(host) {}

    bool KeepGoing() {
        if (stopped_.load(std::memory_order_relaxed)) return false;
        const std::lock_guard lock(mutex_);
        if (!stopped_.load(std::memory_order_relaxed) && !host_.KeepGoing())
            stopped_.store(true, std::memory_order_relaxed);
        return !stopped_.load(std::memory_order_relaxed);
    }
    bool Stopped() const { return stopped_.load(std::memory_order_relaxed); }
    // One more of `total` pieces of work has ended: the host hears the percentage done, rising.
    void PieceDone(int total) {
        const std::lock_guard lock(mutex_);
        ++done_;
        if (total > 0) host_.ReportProgress(100 * done_ / total);
    }

private:
    Host& host_;
    std::mutex mutex_;
    std::atomic<bool> stopped_{false};
    int done_ = 0;
};

// The host that work inside a parallel task talks to: KeepGoing() through a StopSignal, questions
// declined, progress not shown.
class TaskHost : public Host {
public:
    explicit TaskHost(StopSignal& stop) : stop_(stop) {}
    std::optional<std::string> AskText(const Wording&, const Wording&, const std::string&) override {
        return std::nullopt;
    }
    Button Ask(MessageKind, const Wording&, Buttons, int) override { return ButtonCancel; }
    bool KeepGoing() override { return stop_.KeepGoing(); }

private:
    StopSignal& stop_;
};

} // namespace vitrimo
