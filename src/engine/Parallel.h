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
#include <optional>
#include <string>
#include <thread>

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

// Whether parallel tasks should go on, from a Host that need not be thread-safe: only the thread that
// made the StopSignal asks host.KeepGoing() (and reports progress); the others read its last answer.
class StopSignal {
public:
    explicit StopSignal(Host& host) : host_(host), owner_(std::this_thread::get_id()) {}

    bool KeepGoing() {
        if (OnOwner() && !stopped_.load(std::memory_order_relaxed) && !host_.KeepGoing())
            stopped_.store(true, std::memory_order_relaxed);
        return !stopped_.load(std::memory_order_relaxed);
    }
    bool Stopped() const { return stopped_.load(std::memory_order_relaxed); }
    // Passes the percentage to the host when called on the owning thread; a no-op elsewhere.
    void ReportProgress(int percent) {
        if (OnOwner()) host_.ReportProgress(percent);
    }
    bool OnOwner() const { return std::this_thread::get_id() == owner_; }

private:
    Host& host_;
    std::thread::id owner_;
    std::atomic<bool> stopped_{false};
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
