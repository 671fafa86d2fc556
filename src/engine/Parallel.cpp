#include "engine/Parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace vitrimo {
namespace {

// Set while the thread runs a task: a ParallelFor from there runs inline.
thread_local bool insideTask = false;

// `threads - 1` workers that, with the calling thread, take task numbers from a shared counter.
class Pool {
public:
    explicit Pool(int threads) {
        for (int t = 1; t < threads; ++t) workers_.emplace_back([this] { Work(); });
    }

    ~Pool() {
        {
            const std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        for (std::thread& worker : workers_) worker.join();
    }

    // False when another thread is using the pool: the caller then runs its tasks itself.
    bool TryRun(int count, const std::function<void(int)>& task) {
        const std::unique_lock busy(busy_, std::try_to_lock);
        if (!busy.owns_lock()) return false;
        {
            const std::lock_guard lock(mutex_);
            task_ = &task;
            count_ = count;
            next_.store(0);
            unfinished_ = count;
            failure_ = nullptr;
            ++generation_;
        }
        wake_.notify_all();
        Take(task, count);
        std::unique_lock lock(mutex_);
        // A worker that joined this run has left it before the run ends, so none can take a number of
        // the next run for this one's task.
        finished_.wait(lock, [this] { return unfinished_ == 0 && active_ == 0; });
        task_ = nullptr;
        if (failure_) std::rethrow_exception(failure_);
        return true;
    }

private:
    // Runs tasks of the current run until none is left.
    void Take(const std::function<void(int)>& task, int count) {
        insideTask = true;
        int done = 0;
        std::exception_ptr failure;
        for (int k = next_.fetch_add(1); k < count; k = next_.fetch_add(1)) {
            try {
                task(k);
            } catch (...) {
                if (!failure) failure = std::current_exception();
            }
            ++done;
        }
        insideTask = false;
        if (done == 0) return;
        const std::lock_guard lock(mutex_);
        if (failure && !failure_) failure_ = failure;
        unfinished_ -= done;
        if (unfinished_ == 0) finished_.notify_all();
    }

    void Work() {
        unsigned seen = 0;
        for (;;) {
            const std::function<void(int)>* task = nullptr;
            int count = 0;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [&] { return quit_ || generation_ != seen; });
                if (quit_) return;
                seen = generation_;
                if (!task_) continue; // that run has ended already
                task = task_;
                count = count_;
                ++active_;
            }
            Take(*task, count);
            const std::lock_guard lock(mutex_);
            if (--active_ == 0 && unfinished_ == 0) finished_.notify_all();
        }
    }

    std::vector<std::thread> workers_;
    std::mutex busy_; // held by the thread whose tasks the pool runs
    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    const std::function<void(int)>* task_ = nullptr;
    int count_ = 0;
    std::atomic<int> next_{0};
    int unfinished_ = 0;
    int active_ = 0; // workers inside the current run
    std::exception_ptr failure_;
    unsigned generation_ = 0;
    bool quit_ = false;
};

Pool& PoolOf(int threads) {
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<Pool>> pools;
    const std::lock_guard lock(mutex);
    auto& pool = pools[threads];
    if (!pool) pool = std::make_unique<Pool>(threads);
    return *pool;
}

} // namespace

int DefaultThreadCount() {
    const unsigned cores = std::thread::hardware_concurrency();
    return std::clamp(static_cast<int>(cores), 1, kMaxThreads);
}

bool ValidThreadCount(int threads) {
    return threads >= 1 && threads <= kMaxThreads;
}

int ParallelThreads(int threads) {
    return insideTask ? 1 : std::clamp(threads, 1, kMaxThreads);
}

void ParallelFor(int threads, int count, const std::function<void(int)>& task) {
    if (count <= 0) return;
    threads = std::clamp(threads, 1, kMaxThreads);
    if (threads > 1 && count > 1 && !insideTask && PoolOf(threads).TryRun(count, task)) return;
    for (int k = 0; k < count; ++k) task(k);
}

} // namespace vitrimo
